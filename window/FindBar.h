#pragma once

#include <QFrame>

#include "window/ReceiveSearch.h"

class QLabel;
class QLineEdit;

// The find field over the receive area's top edge, hidden until Ctrl+F.
// Typing searches; Enter or F3 steps to the next older match, Shift with
// either to the newer; Escape hides it and gives the focus back. It is
// outside the Tab order. While it shows a match the view holds still; once
// hidden, a view that followed the end before follows it again.
class FindBar : public QFrame {
    Q_OBJECT
public:
    FindBar(ReceiveArea& area, QWidget& focusAfter, QWidget* parent);

    // Shows the field, or selects its text when shown already, and gives it the focus.
    void Open();
    // At the receive area's top right, where it is now.
    void Place();
    void Close();

    QLineEdit* Field;
    QLabel* Count;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowCount();

    ReceiveArea& area_;
    QWidget& focusAfter_;
    ReceiveSearch search_;
    bool followedBefore_ = false;
};

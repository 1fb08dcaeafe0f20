#pragma once

#include <QAccessibleWidget>

class ReceiveArea;

// What a screen reader reaches of the receive area: a read-only text of the
// lines in view, one a line, with the selection in it. Lines out of view are
// reached by scrolling, as a reader of the screen would.
class ReceiveAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ReceiveAccessible(ReceiveArea& area);
    // Makes the receive areas answer with this interface; once is enough.
    static void Install();

    using QAccessibleWidget::text; // its name, beside the text interface's text
    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    struct Shown {
        QString text;
        QList<qint64> lines; // in view, top first
        QList<int> starts;   // where each starts in the text
    };
    Shown InView() const;
    // An offset in the text of the lines in view, as a place in the area, and back.
    static std::pair<qint64, qsizetype> PlaceOf(const Shown& shown, int offset);
    static int OffsetOf(const Shown& shown, qint64 line, qsizetype column);

    ReceiveArea& area_;
};

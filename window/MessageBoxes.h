#pragma once

#include <QPointer>
#include <QWidget>

#include "devicelink/MessageSink.h"

// Shows a modal box with an OK button only, no icon, and the caption
// "Pellmark"; returns once the user has dismissed it.
void ShowMessageBox(QWidget* parent, const QString& text);
// The same box, opened over the window without holding the caller: it
// returns at once and the box goes when the user dismisses it.
void OpenMessageBox(QWidget* parent, const QString& text);

// Messages as modal boxes with an OK button only, no icon, and the caption
// "Pellmark": holding the caller until dismissed, or opened without holding it.
class MessageBoxes final : public MessageSink {
public:
    explicit MessageBoxes(bool holding = true) : holding_(holding) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    void ShowMessage(const std::string& text) override;

private:
    bool holding_;
    QPointer<QWidget> parent_;
};

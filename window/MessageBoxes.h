#pragma once

#include <QPointer>
#include <QWidget>

#include "MessageSink.h"

// Messages as modal boxes with an OK button only, no icon, and the caption
// "Pellmark".
class MessageBoxes final : public MessageSink {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    void ShowMessage(const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};

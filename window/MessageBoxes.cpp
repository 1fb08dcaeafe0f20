#include "window/MessageBoxes.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <memory>

namespace {

QMessageBox* NewBox(QWidget* parent, const QString& text)
{
    auto* box =
        new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Pellmark"), text, QMessageBox::Ok, parent);
    box->button(QMessageBox::Ok)->setIcon(QIcon()); // some styles put a picture on it
    return box;
}

} // namespace

void ShowMessageBox(QWidget* parent, const QString& text)
{
    std::unique_ptr<QMessageBox> box(NewBox(parent, text));
    box->exec();
}

void OpenMessageBox(QWidget* parent, const QString& text)
{
    QMessageBox* box = NewBox(parent, text);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MessageBoxes::ShowMessage(const std::string& text)
{
    (holding_ ? ShowMessageBox : OpenMessageBox)(parent_, QString::fromStdString(text));
}

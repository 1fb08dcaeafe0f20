#include "MessageBoxes.h"

#include <QAbstractButton>
#include <QMessageBox>

void ShowMessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Pellmark"), text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setIcon(QIcon()); // some styles put a picture on it
    box.exec();
}

void MessageBoxes::ShowMessage(const std::string& text)
{
    ShowMessageBox(parent_, QString::fromStdString(text));
}

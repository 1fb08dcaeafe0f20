#include "MessageBoxes.h"

#include <QAbstractButton>
#include <QMessageBox>

void MessageBoxes::ShowMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Pellmark"), QString::fromStdString(text),
                    QMessageBox::Ok, parent_);
    box.button(QMessageBox::Ok)->setIcon(QIcon()); // some styles put a picture on it
    box.exec();
}

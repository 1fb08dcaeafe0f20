#include "MessageBoxes.h"

#include <QMessageBox>

void MessageBoxes::ShowMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Pellmark"), QString::fromStdString(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

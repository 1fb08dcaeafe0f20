#include <QKeyEvent>

#include "DeviceLink.h"
#include "FrmCom3.h"

void FrmCom3::Send(const QString& line)
{
    // "Sended" only once the packet was written.
    if (link_.SendLine(line.toStdU16String()))
        sbrMessage->SetStatusText(QStringLiteral("Sended"));
}

void FrmCom3::cmdSend_Click()
{
    const QString line = txtSend->text();
    if (!line.isEmpty())
        Send(line);
    txtSend->setFocus();
}

void FrmCom3::txtSend_KeyDown(int keyCode, Qt::KeyboardModifiers)
{
    // Enter of the main keyboard or of the keypad, with any modifiers; an
    // empty line goes out as a lone CR.
    if (keyCode == Qt::Key_Return || keyCode == Qt::Key_Enter)
        Send(txtSend->text());
    txtSend->setFocus();
}

void FrmCom3::cmdCls_Click()
{
    txtReceive->clear();
    txtSend->setFocus();
}

void FrmCom3::txtReceive_GotFocus()
{
    // Keyboard input never reaches the receive area; the mouse still scrolls
    // it and selects text there.
    txtSend->setFocus();
}

bool FrmCom3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtSend && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        txtSend_KeyDown(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event); // the box still gets the key
}

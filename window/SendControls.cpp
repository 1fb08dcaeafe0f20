#include <QKeyEvent>

#include "devicelink/DeviceLink.h"
#include "window/FrmCom3.h"

void FrmCom3::Send(const QString& line)
{
    // "Sended" only once the packet was written.
    if (!link_.SendLine(line.toStdU16String())) {
        if (link_.State.OutPipe == INVALID_PIPE) // nothing was tried
            emit LineNotWritten(line.left(DeviceLink::PACKET_SIZE));
        return;
    }
    history_.Add(line);
    sbrMessage->SetStatusText(QStringLiteral("Sended"));
    emit LineWritten(line.left(DeviceLink::PACKET_SIZE));
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
    txtReceive->Clear();
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
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == txtSend)
        txtSend_KeyDown(key->key(), key->modifiers());
    if (key->matches(QKeySequence::Find)) {
        findBar->Open();
        return true;
    }
    if (watched == txtSend && txtReceive->ZoomKey(*key))
        return true;
    if (watched == txtSend) {
        // Up and Down step through the lines written in this run.
        const bool up = key->key() == Qt::Key_Up, down = key->key() == Qt::Key_Down;
        if ((up || down) && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (std::optional<QString> entry =
                    up ? history_.Older(txtSend->text()) : history_.Newer(txtSend->text()))
                txtSend->setText(*entry);
            return true;
        }
        // The focus never stays in the receive area, so its selection is
        // copied from here when the send box has none of its own.
        if (key->matches(QKeySequence::Copy) && !txtSend->hasSelectedText()) {
            txtReceive->copy();
            return true;
        }
        // The focus stays here, so the key that goes to the end of a text
        // takes the receive area's view there too.
        if (key->matches(QKeySequence::MoveToEndOfDocument))
            txtReceive->ScrollToEnd();
    }
    // An access key whose button is disabled reaches the box: it must not
    // type its letter there.
    const Qt::KeyboardModifiers chord =
        key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier);
    if (chord == Qt::AltModifier && !key->text().isEmpty() && key->text().front().isPrint())
        return true;
    return QWidget::eventFilter(watched, event); // the box still gets the key
}

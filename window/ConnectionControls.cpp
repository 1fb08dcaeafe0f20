#include <QCloseEvent>
#include <QLineEdit>
#include <algorithm>

#include "devicelink/CodePage.h"
#include "devicelink/DeviceLink.h"
#include "window/FrmCom3.h"

namespace {

// Spaces and full-width spaces only, or nothing at all.
bool IsBlank(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == u' ' || c == u'\u3000'; });
}

} // namespace

void FrmCom3::Form_Load()
{
    cmbDesc->addItem(DEFAULT_DEVICE);
    cmbDesc->setCurrentIndex(0);
    cmbDesc->lineEdit()->setCursorPosition(0);
    EnterIdle();
    show();
}

void FrmCom3::EnterIdle()
{
    // Disabling the button that has the focus would leave it nowhere useful.
    if (cmdClose->hasFocus())
        txtSend->setFocus();
    cmdPrepare->setEnabled(true);
    cmdClose->setEnabled(false);
    cmbDesc->setEnabled(true);
}

void FrmCom3::EnterConnected()
{
    cmdPrepare->setEnabled(false);
    cmdClose->setEnabled(true);
    cmbDesc->setEnabled(false);
}

void FrmCom3::cmdPrepare_Click()
{
    const QString deviceId = cmbDesc->currentText();
    if (!IsBlank(deviceId)) {
        emit PendingLineDiscarded();
        link_.State.DeviceId = EncodeCodePage(deviceId.toStdU16String());
        if (WaitsForAbsentDevice && WaitsForAbsentDevice()) {
            EnterConnected();
            txtSend->setFocus();
            return;
        }
        link_.OpenPipes();
        if (link_.State.PipesOpen) {
            EnterConnected();
            sbrMessage->SetStatusText(QStringLiteral("Prepared"));
            emit Opened(deviceId);
        } else {
            EnterIdle();
        }
    }
    txtSend->setFocus();
}

void FrmCom3::cmdClose_Click()
{
    link_.ClosePipes("by Close");
    EnterIdle();
}

void FrmCom3::Form_Unload()
{
    if (link_.State.PipesOpen)
        link_.ClosePipes("at exit");
}

void FrmCom3::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    // Accepted: the window goes, and the receive loop ends the run with it.
    event->accept();
}

#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "window/DeviceBox.h"
#include "window/FindBar.h"
#include "window/ReceiveArea.h"
#include "window/SendHistory.h"
#include "window/StatusBar.h"

class DeviceLink;

// The terminal window: the device identifier and its buttons, the send box,
// the receive area and the status bar, at fixed places.
class FrmCom3 : public QWidget {
    Q_OBJECT
public:
    // Put into the device list and chosen at load.
    static inline const QString DEFAULT_DEVICE = QStringLiteral("vid_04d8&pid_0011");

    explicit FrmCom3(DeviceLink& link, QWidget* parent = nullptr);

    // Set by whoever follows a device: true when the device to be opened is
    // not there and is waited for instead, as after it left.
    std::function<bool()> WaitsForAbsentDevice;

    // Fills the device list, enters Idle and shows the window for the first time.
    void Form_Load();
    void cmdPrepare_Click();
    void cmdClose_Click();
    // The window is closing: closes the pipes if they are open; the run ends.
    void Form_Unload();
    void cmdSend_Click();
    // Runs for every key pressed in the send box, before the box sees it.
    void txtSend_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void cmdCls_Click();
    void txtReceive_GotFocus();

    QLabel* Label1;
    StatusBar* sbrMessage;
    DeviceBox* cmbDesc;
    QPushButton* cmdPrepare;
    QPushButton* cmdClose;
    QPushButton* cmdCls;
    QLineEdit* txtSend;
    ReceiveArea* txtReceive;
    QLabel* Label2;
    QPushButton* cmdSend;
    FindBar* findBar;

signals:
    // The partly received line is to be forgotten: the device is being opened.
    void PendingLineDiscarded();
    // A line was written: what went out of it, at most its first 20 characters.
    void LineWritten(const QString& sent);
    // A line was not written because the pipes are closed: what would have gone out.
    void LineNotWritten(const QString& line);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void SetUpWindow();
    void CreateControls();
    void DescribeControls();
    void EnterIdle();
    void EnterConnected();
    void Send(const QString& line);

    DeviceLink& link_;
    SendHistory history_;
};

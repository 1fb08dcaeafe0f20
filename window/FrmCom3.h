#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "ReceiveArea.h"
#include "StatusBar.h"

class DeviceLink;

// The terminal window: the device identifier and its buttons, the send box,
// the receive area and the status bar, at fixed places.
class FrmCom3 : public QWidget {
    Q_OBJECT
public:
    explicit FrmCom3(DeviceLink& link, QWidget* parent = nullptr);

    // Prepares the window and shows it for the first time.
    void Form_Load();

    QLabel* Label1;
    StatusBar* sbrMessage;
    QComboBox* cmbDesc;
    QPushButton* cmdPrepare;
    QPushButton* cmdClose;
    QPushButton* cmdCls;
    QLineEdit* txtSend;
    ReceiveArea* txtReceive;
    QLabel* Label2;
    QPushButton* cmdSend;

signals:
    // The partly received line is to be forgotten: the device is being opened.
    void PendingLineDiscarded();

private:
    void BuildLayout();

    DeviceLink& link_;
};

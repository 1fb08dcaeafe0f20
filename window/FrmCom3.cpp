#include "window/FrmCom3.h"

FrmCom3::FrmCom3(DeviceLink& link, QWidget* parent) : QWidget(parent), link_(link)
{
    BuildLayout();
    connect(cmdPrepare, &QPushButton::clicked, this, &FrmCom3::cmdPrepare_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FrmCom3::cmdClose_Click);
    connect(cmdSend, &QPushButton::clicked, this, &FrmCom3::cmdSend_Click);
    connect(cmdCls, &QPushButton::clicked, this, &FrmCom3::cmdCls_Click);
    connect(txtReceive, &ReceiveArea::GotFocus, this, &FrmCom3::txtReceive_GotFocus);
    for (QWidget* box : {static_cast<QWidget*>(txtSend), static_cast<QWidget*>(cmbDesc)})
        box->installEventFilter(this);
}

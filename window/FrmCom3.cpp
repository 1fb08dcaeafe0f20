#include "FrmCom3.h"

#include "DeviceLink.h"

FrmCom3::FrmCom3(DeviceLink& link, QWidget* parent) : QWidget(parent), link_(link)
{
    BuildLayout();
}

void FrmCom3::Form_Load()
{
    show();
}

#pragma once

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "devicelink/DeviceLink.h"
#include "tests/support/FakeLibrary.h"
#include "window/FrmCom3.h"

// A terminal window on the fake library, shown and active.
struct WindowFixture : ::testing::Test {
    FakeLibrary library;
    RecordedMessages messages;
    DeviceLink link{library, messages};
    FrmCom3 window{link};

    void ShowWindow()
    {
        window.Form_Load();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

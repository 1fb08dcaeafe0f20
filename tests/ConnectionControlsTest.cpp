#include <QSignalSpy>

#include "app/ReceiveLoop.h"
#include "tests/support/WindowFixture.h"

namespace {

using Strings = std::vector<std::string>;

struct Controls : WindowFixture {
    void SetUp() override { ShowWindow(); }

    void Open(const QString& deviceId)
    {
        window.cmbDesc->setEditText(deviceId);
        QTest::mouseClick(window.cmdPrepare, Qt::LeftButton);
    }

    bool Idle() const
    {
        return window.cmdPrepare->isEnabled() && !window.cmdClose->isEnabled() && window.cmbDesc->isEnabled();
    }
    bool Connected() const
    {
        return !window.cmdPrepare->isEnabled() && window.cmdClose->isEnabled() &&
               !window.cmbDesc->isEnabled();
    }
};

} // namespace

TEST_F(Controls, LoadFillsTheDeviceListAndStartsIdle)
{
    EXPECT_EQ(window.cmbDesc->count(), 1);
    EXPECT_EQ(window.cmbDesc->currentText(), "vid_04d8&pid_0011");
    EXPECT_TRUE(Idle());
    EXPECT_TRUE(window.txtSend->isEnabled());
    EXPECT_TRUE(window.cmdSend->isEnabled());
}

TEST_F(Controls, OpenEntersConnectedWithPreparedAndCloseGoesBackToIdle)
{
    Open(QStringLiteral(" vid_04d8&pid_0011 "));
    EXPECT_EQ(link.State.DeviceId, " vid_04d8&pid_0011 "); // spaces and all
    EXPECT_EQ(library.calls.front(), "MPUSBGetDeviceCount( vid_04d8&pid_0011 )");
    EXPECT_TRUE(Connected());
    EXPECT_EQ(window.sbrMessage->StatusText(), "Prepared");
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);

    QSignalSpy closed(window.cmdClose, &QPushButton::clicked);
    QTest::keyClick(&window, Qt::Key_C, Qt::AltModifier);
    ASSERT_TRUE(closed.wait(1000));
    EXPECT_TRUE(Idle());
    EXPECT_FALSE(link.State.PipesOpen);
    EXPECT_EQ(library.calls.back(), "MPUSBClose(4)");
    EXPECT_EQ(window.sbrMessage->StatusText(), "Prepared");
}

TEST_F(Controls, OpenPressedTwiceQuicklyOpensOnce)
{
    window.cmbDesc->setEditText(QStringLiteral("demo"));
    QTest::mouseDClick(window.cmdPrepare, Qt::LeftButton);
    QTest::mouseClick(window.cmdPrepare, Qt::LeftButton);
    EXPECT_EQ(std::count(library.calls.begin(), library.calls.end(), "MPUSBGetDeviceCount(demo)"), 1);
    EXPECT_TRUE(Connected());
}

TEST_F(Controls, CloseClickedWithTheMouseLeavesTheFocusInTheSendBox)
{
    Open(QStringLiteral("demo"));
    window.cmdClose->setFocus();
    QTest::mouseClick(window.cmdClose, Qt::LeftButton);
    EXPECT_TRUE(Idle());
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);
}

TEST_F(Controls, BlankIdentifierOpensNothing)
{
    for (const QString& blank : {QString(), QStringLiteral("   "), QStringLiteral(" \u3000 ")}) {
        window.cmbDesc->setFocus();
        Open(blank);
        EXPECT_EQ(QApplication::focusWidget(), window.txtSend);
    }
    EXPECT_TRUE(library.calls.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(Idle());
}

TEST_F(Controls, FailedOpenStaysIdleWithTheStatusAsItWas)
{
    library.deviceCount = 0;
    Open(QStringLiteral("vid_04d8&pid_0011"));
    EXPECT_EQ(messages.shown, Strings{"Peripheral device is not connected"});
    EXPECT_TRUE(Idle());
    EXPECT_EQ(window.sbrMessage->StatusText(), "");

    library.deviceCount = 1;
    library.openResults[1] = INVALID_PIPE;
    Open(QStringLiteral("vid_04d8&pid_0011"));
    EXPECT_EQ(messages.shown.back(), " 3 -1 When open pipes, error occurs");
    EXPECT_TRUE(Idle());
}

TEST_F(Controls, StrangeIdentifiersReachTheLibraryInCodePage932)
{
    library.deviceCount = 0;
    Open(QString(100000, QChar('x')));
    EXPECT_EQ(link.State.DeviceId.size(), 100000u);
    Open(QStringLiteral("vid_\u3042") + QChar(0) + QStringLiteral("\U0001F600"));
    EXPECT_EQ(link.State.DeviceId, std::string("vid_\x82\xA0\0?", 8));
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(Controls, OpeningDiscardsThePartlyReceivedLine)
{
    ReceiveLoop loop(window, link);
    loop.Lines.PendingLine = u"half a line";
    Open(QStringLiteral("demo"));
    EXPECT_TRUE(loop.Lines.PendingLine.empty());
}

TEST_F(Controls, ClosingTheWindowClosesOpenPipesAndEndsTheLoop)
{
    ReceiveLoop loop(window, link);
    Open(QStringLiteral("demo"));
    library.calls.clear();
    window.close();
    EXPECT_EQ(library.calls, (Strings{"MPUSBClose(3)", "MPUSBClose(4)"}));
    EXPECT_FALSE(loop.RunCycle());

    // Closed while Idle: nothing to close.
    library.calls.clear();
    window.Form_Unload();
    EXPECT_TRUE(library.calls.empty());
}

TEST_F(Controls, KeysAndTheWheelDoNotStepThroughTheDeviceList)
{
    window.cmbDesc->ShowDevices({{"demo", "Pellmark demo device"}, {"vid_04d8&pid_000c", ""}});
    window.cmbDesc->setFocus();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_PageDown, Qt::Key_Up})
        QTest::keyClick(window.cmbDesc, key);
    QWheelEvent wheel(QPointF(5, 5), window.cmbDesc->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window.cmbDesc, &wheel);
    EXPECT_EQ(window.cmbDesc->currentText(), FrmCom3::DEFAULT_DEVICE);
    EXPECT_EQ(window.cmbDesc->count(), 3);
}

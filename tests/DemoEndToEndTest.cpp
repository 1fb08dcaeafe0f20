#include <QElapsedTimer>
#include <memory>

#include "app/ReceiveLoop.h"
#include "devicelink/LibraryRouter.h"
#include "devicelink/backends/DemoDevice.h"
#include "tests/support/WindowFixture.h"

namespace {

// The whole program on the demo device, as Main puts it together, with the
// message boxes recorded.
struct DemoProgram : ::testing::Test {
    LibraryRouter library;
    DemoDevice* demo = nullptr;
    RecordedMessages messages;
    DeviceLink link{library, messages};
    FrmCom3 window{link};
    ReceiveLoop loop{window, link};

    void SetUp() override
    {
        auto device = std::make_unique<DemoDevice>();
        demo = device.get();
        library.AddBackend(std::move(device));
        window.Form_Load();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Runs cycles until the receive area shows the text, at most 200 cycles.
    bool CyclesUntilShown(const QString& text)
    {
        for (int i = 0; i < 200 && !window.txtReceive->toPlainText().contains(text); ++i)
            if (!loop.RunCycle())
                return false;
        return window.txtReceive->toPlainText().contains(text);
    }
};

} // namespace

TEST_F(DemoProgram, OpenTheDemoDeviceWithAltOAndSeeItsLines)
{
    window.cmbDesc->setEditText(QStringLiteral("demo"));
    QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
    // The access key presses the button visibly: the click comes some cycles later.
    QElapsedTimer waited;
    waited.start();
    while (!link.State.PipesOpen && waited.elapsed() < 2000)
        loop.RunCycle();
    ASSERT_TRUE(link.State.PipesOpen);
    EXPECT_EQ(window.sbrMessage->StatusText(), "Prepared");

    demo->InjectPacket({'H', 'E', 'L', 'L', 'O', '\r', '\n'});
    demo->InjectPacket({0xB1, 0x82, 0xA0, '\r', '\n'});
    EXPECT_TRUE(CyclesUntilShown(QStringLiteral("HELLO\n\uFF71\u3042\n")));
    EXPECT_EQ(window.sbrMessage->StatusText(), "Received");

    window.close();
    EXPECT_EQ(demo->OpenPipeCount(), 0);
    EXPECT_FALSE(loop.RunCycle());
}

TEST_F(DemoProgram, TypeACommandPressEnterAndSeeTheAnswer)
{
    window.cmbDesc->setEditText(QStringLiteral("demo"));
    QTest::mouseClick(window.cmdPrepare, Qt::LeftButton);
    QTest::keyClicks(QApplication::focusWidget(), "ECHO hi there");
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(window.sbrMessage->StatusText(), "Sended");
    EXPECT_TRUE(CyclesUntilShown(QStringLiteral("hi there\n")));

    window.txtSend->setText("KANA");
    QTest::mouseClick(window.cmdSend, Qt::LeftButton);
    EXPECT_TRUE(CyclesUntilShown(QStringLiteral("\uFF83\uFF9E\uFF93")));

    // Unplugged: the write fails with its code, then the general message.
    demo->Unplug();
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"Error code:  1167", "Failed to send data"}));
}

TEST_F(DemoProgram, WriteThatTimesOutHoldsTheLoopNoLongerThanItsTimeOut)
{
    window.cmbDesc->setEditText(QStringLiteral("demo"));
    QTest::mouseClick(window.cmdPrepare, Qt::LeftButton);
    demo->FailNextWrite(ErrorCode::Timeout);
    window.txtSend->setText("LED ON");
    QElapsedTimer held;
    held.start();
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    EXPECT_LT(held.elapsed(), 1500);
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"Error code:  121", "Failed to send data"}));
    EXPECT_TRUE(link.State.PipesOpen);
    EXPECT_EQ(window.sbrMessage->StatusText(), "Prepared");
}

TEST_F(DemoProgram, UnpluggedDemoDeviceIsNotConnected)
{
    demo->Unplug();
    window.cmbDesc->setEditText(QStringLiteral("demo"));
    QTest::mouseClick(window.cmdPrepare, Qt::LeftButton);
    EXPECT_EQ(messages.shown, std::vector<std::string>{"Peripheral device is not connected"});
    EXPECT_TRUE(window.cmdPrepare->isEnabled());
}

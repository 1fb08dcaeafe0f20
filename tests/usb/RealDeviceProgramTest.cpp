#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include "app/Program.h"
#include "tests/support/MessageBoxWatch.h"
#include "tests/usb/UsbEmulator.h"

namespace {

// The command of a written packet: its bytes up to the first CR.
std::string CommandOf(const Packet& packet)
{
    auto cr = std::find(packet.begin(), packet.end(), '\r');
    return std::string(packet.begin(), cr);
}

} // namespace

TEST(RealDeviceProgram, OpenSendALineAndSeeTheAnswer)
{
    UsbEmulator emulator;
    EmulatedDevice& device = emulator.AddDevice();
    device.SetFirmware(
        [](const Packet& packet) { return std::vector<std::string>{"got " + CommandOf(packet) + "\r\n"}; });

    Program program;
    FrmCom3& window = program.window;
    MessageBoxWatch boxes;
    window.Form_Load();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // The device list's entry is the emulated device.
    QTest::mouseClick(window.cmdPrepare, Qt::LeftButton);
    ASSERT_TRUE(program.link.State.PipesOpen) << boxes.seen.join('|').toStdString();
    EXPECT_EQ(window.sbrMessage->StatusText(), "Prepared");
    EXPECT_TRUE(device.Claimed());

    QTest::keyClicks(QApplication::focusWidget(), "LED ON");
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    ASSERT_TRUE(device.WaitForWritten(1, 1000));
    Packet expected{'L', 'E', 'D', ' ', 'O', 'N', '\r'};
    expected.resize(20, 0);
    EXPECT_EQ(device.Written()[0], expected);
    EXPECT_EQ(window.sbrMessage->StatusText(), "Sended");

    QElapsedTimer waited;
    waited.start();
    while (!window.txtReceive->toPlainText().contains("got LED ON") && waited.elapsed() < 2000)
        program.loop.RunCycle();
    EXPECT_EQ(window.txtReceive->toPlainText(), "got LED ON\n");
    EXPECT_EQ(window.sbrMessage->StatusText(), "Received");

    // Unplugged: the next line fails with its code, then the general message.
    device.Unplug();
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(boxes.seen, (QStringList{"Error code:  1167", "Failed to send data"}));

    window.close();
    EXPECT_FALSE(program.link.State.PipesOpen);
    EXPECT_FALSE(program.loop.RunCycle());
}

TEST(RealDeviceProgram, NoDeviceAttachedSaysSo)
{
    UsbEmulator emulator;
    Program program;
    MessageBoxWatch boxes;
    program.window.Form_Load();
    QTest::mouseClick(program.window.cmdPrepare, Qt::LeftButton);
    EXPECT_EQ(boxes.seen, QStringList{"Peripheral device is not connected"});
    EXPECT_TRUE(program.window.cmdPrepare->isEnabled());
}

TEST(RealDeviceProgram, AFollowedDeviceThatReturnsIsReopenedAndRead)
{
    UsbEmulator emulator;
    EmulatedDevice& device = emulator.AddDevice();
    Program program;
    FrmCom3& window = program.window;
    MessageBoxWatch boxes;
    window.Form_Load();
    program.news.Start();
    program.follower.Toggle.setChecked(true);
    window.cmdPrepare_Click();
    ASSERT_TRUE(program.link.State.PipesOpen);
    auto runUntil = [&](const QString& text) {
        QElapsedTimer waited;
        waited.start();
        while (!window.txtReceive->toPlainText().contains(text) && waited.elapsed() < 3000)
            program.loop.RunCycle();
        return window.txtReceive->toPlainText().contains(text);
    };
    device.QueueReply("half a li"); // a line it will never end
    for (int i = 0; i < 10; ++i)
        program.loop.RunCycle();
    device.Unplug();
    ASSERT_TRUE(runUntil("\tleft\t"));

    // It enumerates again with a new device number, held by another program
    // for two looks, then says something at once.
    EmulatedDevice& back = emulator.Return(device);
    back.SetBusy(true);
    QElapsedTimer busy;
    busy.start();
    while (busy.elapsed() < 2 * DeviceFollower::CHECK_MS + 200)
        program.loop.RunCycle();
    back.SetBusy(false);
    back.QueueReply("hello\r\n");
    ASSERT_TRUE(runUntil("\nhello"));
    const QStringList lines = window.txtReceive->toPlainText().split('\n');
    EXPECT_EQ(lines[0], "\tcut\thalf a li"); // kept, never taken for a whole line
    EXPECT_TRUE(lines[1].startsWith("\tleft\tvid_04d8&pid_0011 left at "));
    EXPECT_TRUE(lines[2].startsWith("\tfailed\tit is back but did not open")); // once, not once a look
    EXPECT_TRUE(lines[3].startsWith("\tback\tit returned at "));
    EXPECT_EQ(lines[4], "hello"); // read on the pipes opened again
    EXPECT_TRUE(boxes.seen.isEmpty()) << boxes.seen.join('|').toStdString();
}

TEST(RealDeviceProgram, AFollowedDeviceNotThereAtOpenIsWaitedForAndOpenedWhenItArrives)
{
    UsbEmulator emulator;
    Program program;
    MessageBoxWatch boxes;
    program.window.Form_Load();
    program.news.Start();
    program.follower.Toggle.setChecked(true);
    program.window.cmdPrepare_Click();
    EXPECT_EQ(program.window.sbrMessage->StatusText(), "Away: waiting for the device to return");
    emulator.AddDevice();
    for (int i = 0; i < 300 && !program.link.State.PipesOpen; ++i)
        program.loop.RunCycle();
    EXPECT_TRUE(program.link.State.PipesOpen && program.window.cmdClose->isEnabled());
    EXPECT_TRUE(boxes.seen.isEmpty()) << boxes.seen.join('|').toStdString();
}

TEST(RealDeviceProgram, TheDeviceListFollowsDevicesAndLeavesTheTextAlone)
{
    UsbEmulator emulator;
    EmulatedDevice& standard = emulator.AddDevice(); // the default entry's: listed once
    emulator.AddDevice({.product = 0x000c, .manufacturer = "Maker", .productName = "Board\x07"});
    Program program;
    FrmCom3& window = program.window;
    window.Form_Load();
    program.StartDeviceList();
    window.cmbDesc->setEditText("typed");
    auto entries = [&] {
        QStringList texts;
        for (int i = 0; i < window.cmbDesc->count(); ++i)
            texts << window.cmbDesc->itemText(i) + "|" +
                         window.cmbDesc->itemData(i, DeviceBox::DESCRIPTION_ROLE).toString();
        return texts;
    };
    EXPECT_EQ(entries(), (QStringList{"vid_04d8&pid_0011|", "demo|Pellmark demo device",
                                      "vid_04d8&pid_000c|Maker Board\uFFFD"}));

    EmulatedDevice& added = emulator.AddDevice({.product = 0x0022});
    QElapsedTimer waited;
    waited.start();
    while (window.cmbDesc->count() < 4 && waited.elapsed() < 2000)
        program.loop.RunCycle();
    EXPECT_TRUE(entries().contains("vid_04d8&pid_0022|")) << entries().join(',').toStdString();
    added.Unplug();
    while (window.cmbDesc->count() > 3 && waited.elapsed() < 4000)
        program.loop.RunCycle();
    EXPECT_EQ(window.cmbDesc->count(), 3);
    EXPECT_EQ(window.cmbDesc->currentText(), "typed");

    // Whether the default entry's device is attached is asked each time the drop-down opens.
    window.cmbDesc->showPopup();
    EXPECT_EQ(window.cmbDesc->itemData(0, DeviceBox::DESCRIPTION_ROLE).toString(), "(attached)");
    window.cmbDesc->hidePopup();
    standard.Unplug();
    window.cmbDesc->showPopup();
    EXPECT_EQ(window.cmbDesc->itemData(0, DeviceBox::DESCRIPTION_ROLE).toString(), "(not attached)");
}

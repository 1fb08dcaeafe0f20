#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "Program.h"
#include "UsbEmulator.h"

namespace {

// Dismisses every message box the program shows, noting what it said.
struct MessageBoxWatch {
    QStringList seen;
    QTimer timer;

    MessageBoxWatch()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            const bool plain = box->windowTitle() == "Pellmark" && box->icon() == QMessageBox::NoIcon &&
                               box->buttons().size() == 1 && box->standardButtons() == QMessageBox::Ok &&
                               box->button(QMessageBox::Ok)->icon().isNull();
            seen << (plain ? box->text() : "unexpected box: " + box->text());
            box->button(QMessageBox::Ok)->click();
        });
        timer.start(20);
    }
};

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

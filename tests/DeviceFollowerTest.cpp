#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include "app/Program.h"
#include "tests/support/MessageBoxWatch.h"

namespace {

// The demo device open in a program that follows it, and RESET sent to it.
struct DemoReset : ::testing::Test {
    Program program;
    MessageBoxWatch boxes;

    void SetUp() override
    {
        program.window.Form_Load();
        program.window.cmbDesc->setEditText("demo");
        program.follower.Toggle.setChecked(true);
        program.window.cmdPrepare_Click();
        ASSERT_TRUE(program.link.State.PipesOpen);
        program.window.txtSend->setText("RESET");
        program.window.cmdSend_Click();
        ASSERT_TRUE(RunUntil("\tleft\t"));
    }

    bool RunUntil(const QString& text, int limitMs = 3000)
    {
        QElapsedTimer waited;
        waited.start();
        while (!program.window.txtReceive->toPlainText().contains(text) && waited.elapsed() < limitMs)
            program.loop.RunCycle();
        return program.window.txtReceive->toPlainText().contains(text);
    }
};

} // namespace

TEST_F(DemoReset, TheDeviceIsReopenedWhenItReturnsWithoutAMessage)
{
    EXPECT_EQ(program.window.sbrMessage->StatusText(), "Away: waiting for the device to return");
    EXPECT_EQ(program.window.windowTitle(), FrmCom3::TITLE + " — waiting for the device to return");
    program.window.txtSend->setText("LED ON"); // not written while it is away, and said so
    program.window.cmdSend_Click();
    ASSERT_TRUE(RunUntil("\tback\t"));
    EXPECT_EQ(program.window.sbrMessage->StatusText(), "Prepared");
    EXPECT_EQ(program.window.windowTitle(), FrmCom3::TITLE);
    program.window.txtSend->setText("ECHO hello");
    program.window.cmdSend_Click();
    ASSERT_TRUE(RunUntil("\nhello"));
    const QStringList lines = program.window.txtReceive->toPlainText().split('\n');
    EXPECT_EQ(lines[0], "OK");
    EXPECT_TRUE(lines[1].startsWith("\tleft\tdemo left at "));
    EXPECT_EQ(lines[2], "\tnot sent\tLED ON");
    EXPECT_TRUE(lines[3].startsWith("\tback\tit returned at "));
    EXPECT_EQ(lines[4], "hello");
    EXPECT_TRUE(boxes.seen.isEmpty()) << boxes.seen.join('|').toStdString();
}

TEST_F(DemoReset, CloseWhileWaitingLeavesTheWindowIdleAndIsLogged)
{
    std::u16string noted;
    program.link.Noted = [&noted](std::string_view kind, std::u16string_view text) {
        noted = std::u16string(kind.begin(), kind.end()) + u' ' + std::u16string(text);
    };
    program.window.cmdClose->click();
    EXPECT_EQ(noted, u"close demo by Close");
    EXPECT_EQ(program.window.sbrMessage->StatusText(), "Received"); // as before it left
    EXPECT_FALSE(RunUntil("\tback\t", 1500));                       // the demo is back after a second
    EXPECT_FALSE(program.link.State.PipesOpen);
    EXPECT_TRUE(program.window.cmdPrepare->isEnabled());
}

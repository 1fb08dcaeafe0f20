#include "ReceiveLoop.h"
#include "WindowFixture.h"

namespace {

struct SendControls : WindowFixture {
    void SetUp() override { ShowWindow(); }

    void Connect()
    {
        QTest::mouseClick(window.cmdPrepare, Qt::LeftButton);
        ASSERT_TRUE(link.State.PipesOpen);
        window.sbrMessage->SetStatusText("Prepared");
    }

    void Type(const QString& text, Qt::Key key = Qt::Key_Return, Qt::KeyboardModifiers modifiers = {})
    {
        window.txtSend->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(window.windowHandle(), key, modifiers);
    }

    QString Status() const { return window.sbrMessage->StatusText(); }
};

} // namespace

TEST_F(SendControls, EnterSendsTheTypedLineAndKeepsIt)
{
    Connect();
    Type("LED ON");
    ASSERT_EQ(library.written.size(), 1u);
    EXPECT_EQ(std::string(library.written[0].begin(), library.written[0].begin() + 7), "LED ON\r");
    EXPECT_EQ(Status(), "Sended");
    EXPECT_EQ(window.txtSend->text(), "LED ON");
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);

    // Again, with the keypad's Enter and a modifier; then an empty line.
    Type("", Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
    EXPECT_EQ(library.written.size(), 2u);
    window.txtSend->clear();
    Type("");
    EXPECT_EQ(library.written.back()[0], '\r');
}

TEST_F(SendControls, HeldEnterSendsOnEveryRepeat)
{
    Connect();
    window.txtSend->setText("COUNT 1");
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", true);
        QApplication::sendEvent(window.txtSend, &repeat);
    }
    EXPECT_EQ(library.written.size(), 3u);
}

TEST_F(SendControls, SendButtonSendsOnlyANonEmptyLine)
{
    Connect();
    QTest::mouseClick(window.cmdSend, Qt::LeftButton);
    EXPECT_TRUE(library.written.empty());
    EXPECT_EQ(Status(), "Prepared");
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);

    window.txtSend->setText("  ");
    QTest::mouseClick(window.cmdSend, Qt::LeftButton);
    EXPECT_EQ(library.written.size(), 1u);
    EXPECT_EQ(Status(), "Sended");
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);
}

TEST_F(SendControls, SendedOnlyWhenThePacketWasWritten)
{
    Type("LED ON"); // Idle
    EXPECT_TRUE(library.written.empty());
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(Status(), "");

    Connect();
    library.writeResult = 0;
    library.lastErrors = {ErrorCode::GenFailure};
    Type("");
    EXPECT_EQ(messages.shown, (std::vector<std::string>{"Error code:  31", "Failed to send data"}));
    EXPECT_EQ(Status(), "Prepared");
}

TEST_F(SendControls, EveryKeyLeavesTheFocusInTheSendBox)
{
    Type("ab", Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);
    EXPECT_EQ(window.txtSend->text(), "ab");
    QTest::mouseClick(window.txtReceive->viewport(), Qt::LeftButton);
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);
}

TEST_F(SendControls, ReceiveAreaTextCanStillBeSelectedWithTheMouse)
{
    window.txtReceive->AppendLine(u"some received text");
    QWidget* viewport = window.txtReceive->viewport();
    QPoint start = window.txtReceive->cursorRect(QTextCursor(window.txtReceive->document())).center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(60, 0)),
                     viewport->mapToGlobal(start + QPoint(60, 0)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, start + QPoint(60, 0));
    EXPECT_TRUE(window.txtReceive->textCursor().hasSelection());
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);
}

TEST_F(SendControls, ClsEmptiesTheReceiveAreaButNotThePendingLine)
{
    ReceiveLoop loop(window, link);
    link.State.InPipe = 4;
    library.QueueRead("first\r");
    library.QueueRead("half");
    loop.RunCycle();
    loop.RunCycle();
    QTest::mouseClick(window.cmdCls, Qt::LeftButton);
    EXPECT_EQ(window.txtReceive->toPlainText(), "");
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);
    library.QueueRead(" done\r");
    loop.RunCycle();
    EXPECT_EQ(window.txtReceive->toPlainText(), "half done\n");
}

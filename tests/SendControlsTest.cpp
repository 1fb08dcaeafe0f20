#include <QClipboard>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <memory>

#include "app/ReceiveLoop.h"
#include "tests/support/WindowFixture.h"
#include "window/TimeMargin.h"

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

TEST_F(SendControls, EnterSendsFromTheSendBoxWithFindShownButNeverFromFindAndUpRecalls)
{
    Connect();
    window.txtReceive->AppendLine(u"LED ON");
    Type("LED ON", Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(window.findBar->Field, "LED");
    QTest::keyClick(window.windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(library.written.empty());
    Type("");
    EXPECT_TRUE(window.findBar->isVisible());
    EXPECT_EQ(library.written.size(), 1u);
    Type("X", Qt::Key_Up);
    EXPECT_EQ(window.txtSend->text(), "LED ON");
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

TEST_F(SendControls, ReceivedTextIsReadOnlyButSelectableCopyableAndSavable)
{
    ReceiveArea* area = window.txtReceive;
    area->AppendLine(u"some received text 受信");
    area->Flush();
    // A drag to the end selects; a line arriving meanwhile leaves the selection on its text.
    QWidget* viewport = area->viewport();
    const QPoint start = area->RectOf({0, 0}).center().toPoint();
    const QPoint end(viewport->width() - 2, start.y());
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, end, viewport->mapToGlobal(end), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    area->AppendLine(u"more");
    area->Flush();
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, end);
    EXPECT_EQ(area->SelectedText(), "some received text 受信");
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);

    // Ctrl+C and Ctrl+Insert in a send box with nothing selected copy that selection.
    for (auto [key, modifier] :
         {std::pair{Qt::Key_C, Qt::ControlModifier}, {Qt::Key_Insert, Qt::ControlModifier}}) {
        QApplication::clipboard()->clear();
        QTest::keyClick(window.txtSend, key, modifier);
        EXPECT_EQ(QApplication::clipboard()->text(), "some received text 受信");
    }
    window.txtSend->setText("mine");
    window.txtSend->selectAll();
    QTest::keyClick(window.txtSend, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "mine");

    // Nothing the user does changes the text: no paste, typing, deleting or dropping.
    QTest::mouseClick(viewport, Qt::MiddleButton, {}, start);
    QTest::keyClicks(area, "typed");
    QTest::keyClick(area, Qt::Key_Delete);
    QTest::keyClick(area, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(area->toPlainText(), "some received text 受信\nmore\n");
    EXPECT_FALSE(area->acceptDrops());

    std::unique_ptr<QMenu> menu(area->CreateContextMenu());
    QStringList entries;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            entries << action->text();
    EXPECT_EQ(entries.join(" | "), "&Copy | Select &All | C&lear | &Save As…");

    // Saved as UTF-8 through a file renamed into place; a folder that is not there is reported.
    QTemporaryDir folder;
    EXPECT_EQ(area->SaveTo(folder.filePath("received.txt")), "");
    QFile saved(folder.filePath("received.txt"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QString("some received text 受信\nmore\n").toUtf8());
    EXPECT_NE(area->SaveTo(folder.filePath("missing/received.txt")), "");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"received.txt"});

    for (QAction* action : menu->actions())
        if (action->text() == "C&lear")
            action->trigger();
    EXPECT_EQ(area->toPlainText(), "");
}

TEST_F(SendControls, ClsEmptiesTheReceiveAreaButNotThePendingLine)
{
    ReceiveLoop loop(window, link);
    link.State.InPipe = 4;
    library.QueueRead("first\r");
    library.QueueRead("half");
    loop.RunCycle();
    loop.RunCycle();
    window.txtReceive->AppendLine(u"not yet shown");
    QTest::mouseClick(window.cmdCls, Qt::LeftButton);
    EXPECT_EQ(window.txtReceive->toPlainText(), "");
    EXPECT_EQ(QApplication::focusWidget(), window.txtSend);
    library.QueueRead(" done\r");
    loop.RunCycle();
    window.txtReceive->Flush();
    EXPECT_EQ(window.txtReceive->toPlainText(), "half done\n");
}

TEST_F(SendControls, CtrlKeysAndTheWheelZoomTheReceivedTextOnlyWithItsTimes)
{
    const qreal points = window.txtReceive->font().pointSizeF();
    const QFont controls = window.txtSend->font();
    window.ShowTimes(ReceiveArea::Times::OfDay);
    window.txtSend->setFocus();
    for (Qt::Key key : {Qt::Key_Equal, Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Minus})
        QTest::keyClick(window.txtSend, key, Qt::ControlModifier);
    EXPECT_EQ(window.txtReceive->font().pointSizeF(), points + 2);
    QWheelEvent wheel(QPointF(10, 10), window.txtReceive->mapToGlobal(QPoint(10, 10)), {}, {0, 120},
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window.txtReceive->viewport(), &wheel);
    EXPECT_EQ(window.txtReceive->Zoomed(), 3);
    // The times' margin is as wide as the larger text needs.
    const ReceiveArea& area = *window.txtReceive;
    EXPECT_EQ(area.viewport()->geometry().left() - area.contentsRect().left(),
              TimeMargin::WidthFor(area.fontMetrics(), ReceiveArea::Times::OfDay));
    EXPECT_EQ(window.txtSend->font(), controls);
    QTest::keyClick(window.txtSend, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(window.txtReceive->font().pointSizeF(), points);
    EXPECT_EQ(window.txtSend->text(), ""); // no key reached the box
}

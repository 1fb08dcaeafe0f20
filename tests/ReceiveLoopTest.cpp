#include <QScrollBar>
#include <QTextBlock>

#include "ReceiveLoop.h"
#include "WindowFixture.h"

namespace {

struct Loop : WindowFixture {
    ReceiveLoop loop{window, link};

    void SetUp() override
    {
        ShowWindow();
        link.State.InPipe = 4;
    }

    void Cycle(const std::string& packet)
    {
        library.QueueRead(packet);
        ASSERT_TRUE(loop.RunCycle());
    }

    QString Received() const { return window.txtReceive->toPlainText(); }
    QString Status() const { return window.sbrMessage->StatusText(); }
};

} // namespace

TEST_F(Loop, ReceivedLineIsShownWithReceived)
{
    Cycle("A");
    EXPECT_EQ(Received(), "");
    EXPECT_EQ(Status(), "");
    Cycle("B\r\n");
    EXPECT_EQ(Received(), "AB\n");
    EXPECT_EQ(Status(), "Received");
    Cycle("\x07Z\x7F\r");
    EXPECT_EQ(Received(), "AB\nZ\x7F\n");
    EXPECT_EQ(library.readCalls.back(), "4,65,10");
}

TEST_F(Loop, EmptyReadsChangeNothingAndClosedPipesAreStillPolled)
{
    window.sbrMessage->SetStatusText("Prepared");
    ASSERT_TRUE(loop.RunCycle());
    EXPECT_EQ(Status(), "Prepared");
    EXPECT_EQ(Received(), "");

    link.State.InPipe = INVALID_PIPE;
    ASSERT_TRUE(loop.RunCycle());
    EXPECT_EQ(library.readCalls.back(), "-1,65,10");
}

TEST_F(Loop, OpeningDiscardsThePartialLine)
{
    Cycle("partial");
    emit window.PendingLineDiscarded();
    Cycle("X\r");
    EXPECT_EQ(Received(), "X\n");
}

TEST_F(Loop, EndsOnceTheWindowIsClosedButNotWhenMinimised)
{
    window.showMinimized();
    EXPECT_TRUE(loop.RunCycle());
    window.showNormal();
    window.close();
    library.QueueRead("late\r");
    EXPECT_FALSE(loop.RunCycle());
    EXPECT_EQ(library.readCalls.size(), 1u); // no read after the window went
}

TEST_F(Loop, ViewFollowsTheEndButStaysWhereTheUserScrolled)
{
    QScrollBar* bar = window.txtReceive->verticalScrollBar();
    for (int i = 0; i < 100; ++i)
        window.txtReceive->AppendLine(QString("line %1").arg(i));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.txtReceive->textCursor().position(), 0); // the caret never moves
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(10);
    window.txtReceive->AppendLine(u"more");
    EXPECT_EQ(bar->value(), 10);
    EXPECT_EQ(window.txtReceive->textCursor().position(), 0);
}

TEST_F(Loop, StreamingLinesRepaintAtTheScreensPace)
{
    window.txtReceive->AppendLine(u"one");
    window.txtReceive->AppendLine(u"two");
    EXPECT_FALSE(window.txtReceive->viewport()->updatesEnabled());
    QTest::qWait(ReceiveArea::REPAINT_INTERVAL_MS * 3);
    EXPECT_TRUE(window.txtReceive->viewport()->updatesEnabled());
    EXPECT_EQ(Received(), "one\ntwo\n");
}

TEST_F(Loop, ReceiveAreaDropsTheOldestLinesBeyondItsLimit)
{
    for (int i = 0; i < ReceiveArea::LINE_LIMIT + 5; ++i)
        window.txtReceive->AppendLine(QString::number(i));
    QTextDocument* document = window.txtReceive->document();
    EXPECT_EQ(document->blockCount(), ReceiveArea::LINE_LIMIT + 1);
    EXPECT_EQ(document->firstBlock().text(), "5");
    EXPECT_EQ(document->lastBlock().previous().text(), QString::number(ReceiveArea::LINE_LIMIT + 4));
}

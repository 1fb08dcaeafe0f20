#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

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

    QString Received()
    {
        window.txtReceive->Flush();
        return window.txtReceive->toPlainText();
    }
    // Lines added together, as within one frame.
    void Add(int from, int count)
    {
        for (int i = from; i < from + count; ++i)
            window.txtReceive->AppendLine(QString("line %1").arg(i));
        window.txtReceive->Flush();
    }
    QString TopLine() const { return window.txtReceive->cursorForPosition(QPoint(4, 4)).block().text(); }
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

    // A window event that comes during a read is handled after the packet's
    // lines, in the next cycle, never between two of them.
    QString seen = "not run";
    library.onRead = [&] {
        QTimer::singleShot(0, [&] { seen = Received(); });
        library.onRead = nullptr;
    };
    Cycle("C\nD\r");
    EXPECT_EQ(seen, "not run");
    ASSERT_TRUE(loop.RunCycle());
    EXPECT_EQ(seen, "AB\nZ\x7F\nC\nD\n");
}

TEST_F(Loop, EmptyReadsChangeNothingAndClosedPipesWaitForTheNextEvent)
{
    window.sbrMessage->SetStatusText("Prepared");
    ASSERT_TRUE(loop.RunCycle());
    EXPECT_EQ(Status(), "Prepared");
    EXPECT_EQ(Received(), "");
    // Each cycle sleeps its millisecond, even when reads come back at once.
    QElapsedTimer twenty;
    twenty.start();
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(loop.RunCycle());
    EXPECT_GE(twenty.elapsed(), 20);

    // Nothing to read: a cycle waits for the window's next event, here a
    // timer, rather than polling a closed pipe.
    link.State.InPipe = INVALID_PIPE;
    const std::size_t reads = library.readCalls.size();
    bool fired = false;
    QTimer::singleShot(40, [&fired] { fired = true; });
    int cycles = 0;
    while (!fired && cycles < 100) {
        ASSERT_TRUE(loop.RunCycle());
        ++cycles;
    }
    EXPECT_TRUE(fired);
    EXPECT_LT(cycles, 10);
    EXPECT_EQ(library.readCalls.size(), reads);
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

TEST_F(Loop, ViewFollowsTheEndButStaysOnItsTextWhenScrolledBackOrHeld)
{
    QScrollBar* bar = window.txtReceive->verticalScrollBar();
    Add(0, 100);
    EXPECT_EQ(window.txtReceive->textCursor().position(), 0); // the caret never moves
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    bar->setValue(10);
    Add(100, 1);
    EXPECT_EQ(TopLine(), "line 10");
    EXPECT_EQ(window.txtReceive->textCursor().position(), 0);

    // Past the bound the oldest lines go, and the view stays on its text
    // until that text goes too; then it shows the oldest line kept.
    Add(101, ReceiveArea::LINE_LIMIT - 101);
    EXPECT_EQ(TopLine(), "line 10");
    Add(ReceiveArea::LINE_LIMIT, 6);
    EXPECT_EQ(TopLine(), "line 10");
    Add(ReceiveArea::LINE_LIMIT + 6, 10);
    EXPECT_EQ(TopLine(), "line 16");

    // While the mouse button is held in the area, the view does not follow.
    bar->setValue(bar->maximum());
    const QString bottom = TopLine();
    QTest::mousePress(window.txtReceive->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
    Add(ReceiveArea::LINE_LIMIT + 16, 3);
    EXPECT_EQ(TopLine(), bottom);
    QTest::mouseRelease(window.txtReceive->viewport(), Qt::LeftButton, {}, QPoint(4, 4));
    bar->setValue(bar->maximum());
    Add(ReceiveArea::LINE_LIMIT + 19, 1);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(Loop, LinesOfOneFrameAreAddedTogether)
{
    window.txtReceive->AppendLine(u"one");
    window.txtReceive->AppendLine(u"two");
    EXPECT_EQ(window.txtReceive->document()->blockCount(), 1);
    QTest::qWait(ReceiveArea::FRAME_MS * 3);
    EXPECT_EQ(window.txtReceive->toPlainText(), "one\ntwo\n");
}

TEST_F(Loop, ReceiveAreaDropsTheOldestLinesBeyondItsLimit)
{
    for (int i = 0; i < ReceiveArea::LINE_LIMIT + 5; ++i)
        window.txtReceive->AppendLine(QString::number(i));
    window.txtReceive->Flush();
    QTextDocument* document = window.txtReceive->document();
    EXPECT_EQ(document->blockCount(), ReceiveArea::LINE_LIMIT + 1);
    EXPECT_EQ(document->firstBlock().text(), "5");
    EXPECT_EQ(document->lastBlock().previous().text(), QString::number(ReceiveArea::LINE_LIMIT + 4));

    // Long lines are bounded by their characters too, whole lines going.
    const QString longest(2048, u'y');
    for (int i = 0; i < ReceiveArea::CHARACTER_LIMIT / longest.size() + 10; ++i)
        window.txtReceive->AppendLine(longest);
    window.txtReceive->Flush();
    EXPECT_LE(document->characterCount(), ReceiveArea::CHARACTER_LIMIT);
    EXPECT_GT(document->characterCount(), ReceiveArea::CHARACTER_LIMIT - 2 * longest.size());
    EXPECT_EQ(document->firstBlock().text(), longest);
}

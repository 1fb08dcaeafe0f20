#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>
#include <deque>
#include <optional>

class QMenu;
class TimeMargin;

// When a line came: the millisecond of the local day, and the clock's
// millisecond (since 1970), which counts on across days, for the time since
// the line before.
struct LineTime {
    static constexpr int NONE = -1;
    int ofDay = NONE;
    qint64 clock = 0;
};

// The multi-line box that shows the received lines, read-only to the user but
// selectable and copyable.
//
// The first line after a quiet spell is added at once; lines that follow it
// are added together once a frame, at a pace a reader can follow, so that the
// text, the view and the scroll bar change once a frame rather than once a
// line, and no line waits more than a frame. Appending never moves the caret
// and costs the same however much text there is. The view follows the end
// once it has been brought there by any means (the wheel, the scroll bar's
// thumb, arrows or menu, ScrollToEnd), except while the left button selects
// in it or holds the thumb; a view scrolled back, and a selection, stay on
// their text while lines arrive and the oldest go. The text is bounded in
// lines and in characters.
class ReceiveArea : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int LINE_LIMIT = 20000;
    static constexpr int CHARACTER_LIMIT = 8'000'000;
    // Each frame is painted as it is made: a line is on screen within 50 ms.
    static constexpr int FRAME_MS = 47;

    // A line's time when it has none: milliseconds since local midnight otherwise.
    static constexpr int NO_TIME = LineTime::NONE;
    // What the margin beside the text shows of each line's time.
    enum class Times { Hidden, OfDay, SincePrevious };

    explicit ReceiveArea(QWidget* parent = nullptr);

    // Adds the line and its line break at the end of the text within a frame,
    // with the time it came.
    void AppendLine(QStringView line, LineTime time = {});
    // Adds a marked line, "TAB kind TAB text", in a colour of its own: no
    // line from a device holds a tab. Control characters in the text are
    // shown as U+FFFD.
    void AppendMark(QStringView kind, QStringView text, LineTime time = {});
    // Adds the lines that are waiting for the frame now.
    void Flush();
    // Empties the area, waiting lines included.
    void Clear();
    // Shows the end and follows it from now on.
    void ScrollToEnd();
    bool Following() const { return following_; }
    // Selects the text and holds the view with it shown below the given
    // height, until the user or ScrollToEnd moves the view.
    void ShowMatch(const QTextCursor& match, int clearOfTop);
    // The blocks the view shows, top first.
    QList<QTextBlock> BlocksInView() const;
    // How many lines have gone since the start: the block numbered n holds
    // line number LinesGone() + n of the session.
    qint64 LinesGone() const { return linesGone_; }
    // Shows each line's time in a margin, or the time since the line before
    // it, keeping the view and the selection.
    void ShowTimes(Times shown);
    Times ShownTimes() const { return times_; }
    // Makes the text larger (steps above 0) or smaller by a point a step,
    // the times with it, never the window's controls.
    void Zoom(int steps);
    // How many steps it is zoomed by: 0 at the layout's size.
    int Zoomed() const { return zoom_; }
    // Ctrl++ (or Ctrl+=), Ctrl+- and Ctrl+0 zoom in, out and back; true for one of them.
    bool ZoomKey(const QKeyEvent& key);
    struct TimeInView {
        qreal top; // in the viewport
        QString text;
    };
    // The times of the lines in view that have one.
    QList<TimeInView> TimesInView() const;
    // Writes the text as UTF-8 to a temporary file renamed into place; empty
    // when it worked, else what went wrong.
    QString SaveTo(const QString& path);
    // Copy, Select All, Clear and Save As, then the added actions; the
    // caller owns the menu.
    QMenu* CreateContextMenu();
    void AddMenuAction(QAction* action) { menuActions_.push_back(action); }

    // Where Save As starts: the folder last saved in, once there is one.
    QString SaveFolder;

signals:
    void GotFocus();
    void ZoomChanged(int steps);
    // The user saved into a folder other than SaveFolder, which now names it.
    void SaveFolderChanged(const QString& folder);
    // Lines were added to the text or went from it.
    void Flushed();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // What is copied is what is shown: with the times, each line's before it.
    QMimeData* createMimeDataFromSelection() const override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SaveAs();
    void Enqueue(LineTime time);
    // Gives the new blocks their times and marked lines their colour.
    void Finish(QTextBlock block);
    // The line's time as the margin shows it; empty for a line without one.
    QString TimeText(const QTextBlock& block) const;
    // The text from start to end as shown with the times: each line's before it.
    QString TimedText(int start, int end) const;
    void ForgetWaiting();
    void KeepWithinCharacterLimit();
    // A scroll downwards that shows the end goes all the way and follows it,
    // so that the wheel catches up with lines that keep arriving.
    void CatchUp(int action);

    QList<QAction*> menuActions_;
    QString waiting_; // lines with their line breaks
    int waitingLines_ = 0;
    QList<int> waitingTimes_;
    QList<qint64> waitingSince_;
    // Of each line of the text, the milliseconds since the line before it;
    // NO_TIME when either has no time.
    std::deque<qint64> since_;
    std::optional<qint64> lastClock_;            // of the last line with a time
    QList<std::pair<int, QColor>> waitingMarks_; // which waiting lines are marked, and their colour
    qint64 linesGone_ = 0;
    Times times_ = Times::Hidden;
    TimeMargin* timeMargin_ = nullptr; // only while times are shown
    QTimer frame_;
    QElapsedTimer sinceFlush_; // since lines were last added to the text
    bool mouseHeld_ = false;   // the left button selects
    bool following_ = true;
    bool adjusting_ = false; // the area itself moves the view
    int zoom_ = 0;
    qreal unzoomedPoints_ = 0;
};

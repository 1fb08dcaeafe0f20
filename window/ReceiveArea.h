#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QTextLayout>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

#include "window/LineStore.h"

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
// selectable and copyable. Its lines live in a compact store; only the lines
// on screen are laid out, so that it holds a million lines and appending
// costs the same however many there are.
//
// The first line after a quiet spell is shown at once; lines that follow it
// are shown together once a frame, at a pace a reader can follow, so that the
// text, the view and the scroll bar change once a frame rather than once a
// line, and no line waits more than a frame. The view follows the end once it
// has been brought there by any means (the wheel, the scroll bar's thumb,
// arrows or menu, ScrollToEnd), except while the left button selects in it or
// holds the thumb; a view scrolled back, and a selection, stay on their text
// while lines arrive and the oldest go. The scroll bar counts lines.
class ReceiveArea : public QAbstractScrollArea {
    Q_OBJECT
public:
    // Lines kept unless set otherwise: the oldest go a tenth of them at a
    // time beyond it, so that a view on them stays still in between.
    static constexpr qint64 LINE_LIMIT = 1'000'000;
    // What the text may take however long its lines are.
    static constexpr std::size_t BYTE_LIMIT = std::size_t{128} << 20;
    // Each frame is painted as it is made: a line is on screen within 50 ms.
    static constexpr int FRAME_MS = 47;
    // Around the text, as in a text box.
    static constexpr int MARGIN = 4;

    // A line's time when it has none: milliseconds since local midnight otherwise.
    static constexpr int NO_TIME = LineTime::NONE;
    // What the margin beside the text shows of each line's time.
    enum class Times { Hidden, OfDay, SincePrevious };

    // A place in the text: the line's number in the session and a column in it.
    struct Position {
        qint64 line = 0;
        qsizetype column = 0;
        friend auto operator<=>(const Position&, const Position&) = default;
    };

    explicit ReceiveArea(QWidget* parent = nullptr);
    ~ReceiveArea() override;

    // Adds the line at the end within a frame, with the time it came and the
    // bytes it came from.
    void AppendLine(QStringView line, LineTime time = {}, const ReceivedBytes& bytes = {});
    // Adds a marked line, "TAB kind TAB text", in a colour of its own: no
    // line from a device holds a tab. Control characters in the text are
    // shown as U+FFFD.
    void AppendMark(QStringView kind, QStringView text, LineTime time = {}, const ReceivedBytes& bytes = {});
    // Shows the lines that are waiting for the frame now.
    void Flush();
    // Empties the area, waiting lines included.
    void Clear();
    // Shows the end and follows it from now on.
    void ScrollToEnd();
    bool Following() const { return following_; }
    // Keeps at least this many lines (LINE_LIMIT unless set).
    void SetLineLimit(qint64 lines);
    // Whether a log keeps the lines the area drops.
    void SetLogging(bool logging);
    // Shows after each line that came with bytes a tab and its bytes in hex,
    // those the reception dropped dimmed and in brackets, keeping the view.
    void ShowBytes(bool shown);

    // The lines shown are numbered from FirstLine() to EndLine() - 1. When
    // older lines were dropped, the first is a marked line that says so.
    qint64 FirstLine() const { return store_.First() - (droppedMark_ ? 1 : 0); }
    qint64 EndLine() const { return shown_; }
    // A line as the area shows it, a marked line with its tabs.
    QString LineText(qint64 line) const;
    // The lines received and kept, from LinesGone() to EndLine() - 1: the
    // marked line of the dropped ones is not among them.
    const LineStore& Lines() const { return store_; }
    // How many lines have gone since the start.
    qint64 LinesGone() const { return store_.First(); }

    bool HasSelection() const;
    // Of the selection as it is kept on its text: start before end.
    Position SelectionStart() const;
    Position SelectionEnd() const;
    void Select(Position anchor, Position caret);
    // What Copy puts on the clipboard: the selection as shown.
    QString SelectedText() const;
    // Puts the selection as shown on the clipboard; a large one a slice at a
    // time between the loop's turns, so that the window never freezes.
    void copy();
    void selectAll();
    // Every line as shown, each ended by a line break: what Save As writes.
    QString toPlainText() const;
    // Selects the text and holds the view with it shown below the given
    // height, until the user or ScrollToEnd moves the view.
    void ShowMatch(Position start, qsizetype length, int clearOfTop);
    // Marks where the text occurs in the lines in view (not marked lines);
    // an empty text marks nothing.
    void Highlight(const QString& text, Qt::CaseSensitivity sensitivity);

    struct LineInView {
        qint64 line;
        qreal top; // in the viewport
    };
    // The lines the view shows, top first.
    QList<LineInView> LinesInView() const;
    // The place in the text under a point of the viewport, and the caret's
    // rectangle there.
    Position PositionAt(QPointF point) const;
    QRectF RectOf(Position place) const;

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
    // The same a slice at a time between the loop's turns, telling `done`.
    void SaveInTurns(const QString& path, std::function<void(const QString& problem)> done);
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
    // Lines were shown or went.
    void Flushed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Whatever moves the view repaints what it must: the scroll area's own
    // repaint of the whole viewport at every move of the bar would widen
    // each frame's.
    void scrollContentsBy(int, int) override {}

private:
    struct Export;
    // Hands the text from start to end as shown to `take` a slice at a time,
    // the slices taking turns with the loop (or all at once when `now`); no
    // line goes meanwhile. `done` is told whether `take` took it all.
    void StartExport(Position start, Position end, std::function<bool(const QString& slice)> take,
                     std::function<void(bool whole)> done, bool now);
    void ExportSlice(const std::shared_ptr<Export>& job, bool now);
    void Save(const QString& path, std::function<void(const QString& problem)> done, bool now);
    void SaveAs();
    void Append(QStringView text, LineStore::Look look, LineTime time, const ReceivedBytes& bytes);
    struct Shown {
        QString text;
        int bytesFrom = -1;   // where its bytes start in the text, -1 without them
        int droppedFrom = -1; // where those the reception dropped start
    };
    Shown ShownLine(qint64 line) const;
    LineStore::Look LookOf(qint64 line) const;
    // The line's time as the margin shows it; empty for a line without one.
    QString TimeText(qint64 line) const;
    // The text from start to end as shown: with the times, each line's before it.
    QString ShownText(Position start, Position end) const;
    // A line laid out at the viewport's width, kept while it may be shown.
    const QTextLayout& Layout(qint64 line) const;
    qreal HeightOf(qint64 line) const;
    // How far right in the viewport these lines are drawn.
    int InkRight(const QList<LineInView>& lines) const;
    void ForgetLayouts();
    // Where the view's top is when it shows the end.
    std::pair<qint64, qreal> EndTop() const;
    // Moves the view by rows of text, down for positive ones; a move down
    // that shows the end follows it.
    void ScrollRows(int rows);
    void SetBar();
    void OnBarMoved(int value);
    // A scroll downwards that shows the end goes all the way and follows it,
    // so that the wheel catches up with lines that keep arriving.
    void CatchUp(int action);
    Position Clamped(Position place) const;
    // The selection's end taken to a point of the viewport, the view moved a
    // row when the point is above or below it.
    void DragTo(QPointF point);

    LineStore store_;
    qint64 shown_ = 0; // lines before it are shown; the rest wait for the frame
    qint64 limit_ = LINE_LIMIT;
    qint64 droppedSinceClear_ = 0;
    bool droppedMark_ = false;
    bool logging_ = false;
    bool showBytes_ = false;
    int exports_ = 0;                 // copies and saves that run
    int clears_ = 0;                  // Clear cuts short what runs
    std::optional<qint64> lastClock_; // of the last line with a time
    QList<QAction*> menuActions_;
    Times times_ = Times::Hidden;
    TimeMargin* timeMargin_ = nullptr; // only while times are shown
    QTimer frame_;
    QElapsedTimer sinceFlush_; // since lines were last shown
    qint64 top_ = 0;           // the line at the view's top
    qreal topHidden_ = 0;      // how much of it is above the view
    Position anchor_, caret_;
    QString highlight_;
    Qt::CaseSensitivity highlightSensitivity_ = Qt::CaseInsensitive;
    mutable std::unordered_map<qint64, std::unique_ptr<QTextLayout>> layouts_;
    // The font for lines of printable Latin-1 alone: they look the same
    // unshaped, and shaping is most of laying out such a line.
    QFont unshaped_;
    int inkRight_ = QWIDGETSIZE_MAX; // right of it the viewport shows its background alone
    bool mouseHeld_ = false;         // the left button selects
    QTimer dragScroll_;              // while it is held above or below the view
    QPointF dragPoint_;
    bool following_ = true;
    bool adjusting_ = false; // the area itself moves the view
    int zoom_ = 0;
    qreal unzoomedPoints_ = 0;
};

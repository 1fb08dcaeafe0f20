#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

class QMenu;

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

    explicit ReceiveArea(QWidget* parent = nullptr);

    // Adds the line and its line break at the end of the text within a frame.
    void AppendLine(QStringView line);
    // Adds the lines that are waiting for the frame now.
    void Flush();
    // Empties the area, waiting lines included.
    void Clear();
    // Shows the end and follows it from now on.
    void ScrollToEnd();
    // Writes the text as UTF-8 to a temporary file renamed into place; empty
    // when it worked, else what went wrong.
    QString SaveTo(const QString& path);
    // Copy, Select All, Clear and Save As, then the added actions; the
    // caller owns the menu.
    QMenu* CreateContextMenu();
    void AddMenuAction(QAction* action) { menuActions_.push_back(action); }

signals:
    void GotFocus();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SaveAs();
    void KeepWithinCharacterLimit();
    // A scroll downwards that shows the end goes all the way and follows it,
    // so that the wheel catches up with lines that keep arriving.
    void CatchUp(int action);

    QList<QAction*> menuActions_;
    QString waiting_; // lines with their line breaks
    int waitingLines_ = 0;
    QTimer frame_;
    QElapsedTimer sinceFlush_; // since lines were last added to the text
    bool mouseHeld_ = false;   // the left button selects
    bool following_ = true;
    bool adjusting_ = false; // the area itself moves the view
};

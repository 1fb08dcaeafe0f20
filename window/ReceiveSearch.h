#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <vector>

class ReceiveArea;

// Finds a text among the receive area's lines (not its marked lines), newest
// first, case-insensitive unless the text holds a capital. It keeps which
// lines match and how often: lines that come are searched once as they are
// added, lines that go are forgotten with their matches, and a text that
// narrows the last one searches only the lines that matched it. The current
// match is selected and held in view; matches in view are highlighted.
class ReceiveSearch : public QObject {
    Q_OBJECT
public:
    explicit ReceiveSearch(ReceiveArea& area);

    // Searches for the text from the current match upward, from the newest
    // line at first, wrapping around.
    void Find(const QString& text);
    // Steps to the next older or newer match, wrapping around.
    void Step(bool older);
    // Forgets the text, its matches and their highlight.
    void Stop();
    qint64 Count() const { return found_.count; }
    // What the view must keep clear at its top: the match is shown below it.
    int ClearOfTop = 0;

signals:
    // The count or the current match changed.
    void Changed();

private:
    struct Line {
        qint64 number; // the area's line number: LinesGone() + block number
        int matches;
    };
    struct Found {
        QString text;
        Qt::CaseSensitivity sensitivity;
        std::deque<Line> lines; // oldest first
        qint64 count = 0;
        qint64 searchedTo = 0; // line number after the last line searched
    };

    // Forgets lines that went and searches lines that came.
    void Update(Found& found) const;
    std::vector<int> Columns(qint64 line) const;
    // Goes to the match nearest the current one, older or newer, wrapping
    // around; `inclusive` lets it stay where it is.
    void Move(bool older, bool inclusive);
    void Show();

    ReceiveArea& area_;
    Found found_;
    std::vector<Found> narrowed_; // what the shorter texts typed before this one found
    qint64 line_ = -1;            // the current match's line number, -1 for none
    int column_ = -1;
};

#pragma once

#include <QLatin1String>
#include <QString>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The bytes a line came from: `kept` those of its text and its line end,
// `dropped` those the reception dropped after it; `cutShort` when there were
// more than the kept ones.
struct ReceivedBytes {
    std::string_view kept;
    std::string_view dropped;
    bool cutShort = false;
};

// The receive area's lines, held compactly: their text in large blocks, one
// byte a character for a line whose characters all fit in one (most device
// output) and two otherwise, with a small entry a line for where it starts,
// how it looks and when it came. Lines are numbered from the start of the
// session; a block's memory goes with the last of its lines, so that
// forgetting lines costs nothing per line.
class LineStore {
public:
    enum class Look : quint8 { Plain, Sent, Mark };
    static constexpr int NO_TIME = -1;
    // Text kept in one block; a longer line takes a block of its own.
    static constexpr std::size_t BLOCK_BYTES = 1 << 20;

    struct LineBytes {
        std::string kept;
        std::string dropped;
        bool cutShort = false;
    };

    // One of the two is the line's text.
    struct Text {
        QLatin1String narrow;
        QStringView wide;
        bool isWide = false;
        qsizetype size() const { return isWide ? wide.size() : narrow.size(); }
        // Where the text starts in it, left to right.
        std::vector<int> Columns(QStringView text, Qt::CaseSensitivity sensitivity) const;
    };

    // The most kept of a line's bytes and of its bytes dropped.
    static constexpr std::size_t MOST_KEPT_BYTES = 0xFFFF, MOST_DROPPED_BYTES = 0xFF;

    // ofDay: the millisecond of the local day, or NO_TIME; since: the
    // milliseconds since the line before, or NO_TIME.
    void Append(QStringView text, Look look, int ofDay, qint64 since, const ReceivedBytes& bytes = {});
    // The oldest line kept, and the number after the newest.
    qint64 First() const { return first_; }
    qint64 End() const { return end_; }
    qint64 Count() const { return end_ - first_; }
    // The bytes the lines kept take.
    std::size_t Bytes() const { return bytes_; }

    // Of a line kept, First() <= line < End():
    Text TextOf(qint64 line) const;
    QString StringOf(qint64 line) const;
    Look LookOf(qint64 line) const { return EntryOf(line).look; }
    int OfDay(qint64 line) const { return EntryOf(line).ofDay; }
    qint64 Since(qint64 line) const { return EntryOf(line).since; }
    // Nothing when the line came with no bytes.
    std::optional<LineBytes> BytesOf(qint64 line) const;

    // Forgets the lines before `line`, then whole blocks of the oldest while
    // the lines take more than `bytes` (the newest block stays).
    void DropBefore(qint64 line, std::size_t bytes);
    // Forgets every line; numbering goes on.
    void Clear();

private:
    enum Flag : quint8 { WIDE = 1, HAS_BYTES = 2, BYTES_AFTER_TEXT = 4, CUT_SHORT = 8 };
    // The text, then with HAS_BYTES the kept bytes (beyond the text's own
    // when they start with it: BYTES_AFTER_TEXT), the count of the dropped
    // bytes and the dropped bytes.
    struct Entry {
        quint32 offset;
        quint32 length;
        qint64 since;
        qint32 ofDay;
        Look look;
        quint8 flags;
        quint16 keptStored;
    };
    struct Block {
        qint64 first; // the number of its first line
        std::vector<char> bytes;
        std::vector<Entry> lines;
    };

    const Block& BlockOf(qint64 line) const;
    static const Entry& EntryIn(const Block& block, qint64 line);
    const Entry& EntryOf(qint64 line) const;
    void PopBlock();

    std::deque<Block> blocks_;
    qint64 first_ = 0;
    qint64 end_ = 0;
    std::size_t bytes_ = 0;
};

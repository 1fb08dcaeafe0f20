#include "window/LineStore.h"

#include <algorithm>
#include <cstring>

void LineStore::Append(QStringView text, Look look, int ofDay, qint64 since, const ReceivedBytes& given)
{
    const bool wide = std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; });
    const std::size_t size = static_cast<std::size_t>(text.size()) * (wide ? 2 : 1);
    const bool hasBytes = !given.kept.empty() || !given.dropped.empty();
    const std::string_view dropped = given.dropped.substr(0, MOST_DROPPED_BYTES);
    std::string_view kept = given.kept.substr(0, MOST_KEPT_BYTES);
    const std::size_t room = size + 1 + (hasBytes ? kept.size() + 1 + dropped.size() : 0);
    if (blocks_.empty() || blocks_.back().bytes.size() + room > blocks_.back().bytes.capacity()) {
        Block& block = blocks_.emplace_back();
        block.first = end_;
        // Reserved, not used: only the pages written are resident.
        block.bytes.reserve(std::max(BLOCK_BYTES, room));
        bytes_ += block.bytes.capacity();
    }
    Block& block = blocks_.back();
    std::vector<char>& bytes = block.bytes;
    if (wide && bytes.size() % 2 != 0)
        bytes.push_back(0); // two-byte characters start at an even offset
    const std::size_t offset = bytes.size();
    bytes.resize(offset + size);
    if (wide)
        std::memcpy(bytes.data() + offset, text.data(), size);
    else
        std::transform(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                       [](QChar c) { return static_cast<char>(c.unicode()); });
    quint8 flags = (wide ? WIDE : 0) | (given.cutShort ? CUT_SHORT : 0);
    if (hasBytes) {
        flags |= HAS_BYTES;
        // Most lines are their text's own bytes and a line end: only the line end is kept again.
        if (!wide && kept.substr(0, size) == std::string_view(bytes.data() + offset, size)) {
            flags |= BYTES_AFTER_TEXT;
            kept.remove_prefix(size);
        }
        bytes.insert(bytes.end(), kept.begin(), kept.end());
        bytes.push_back(static_cast<char>(dropped.size()));
        bytes.insert(bytes.end(), dropped.begin(), dropped.end());
    }
    block.lines.push_back({static_cast<quint32>(offset), static_cast<quint32>(text.size()), since, ofDay,
                           look, flags, static_cast<quint16>(kept.size())});
    ++end_;
}

std::optional<LineStore::LineBytes> LineStore::BytesOf(qint64 line) const
{
    const Block& block = BlockOf(line);
    const Entry& entry = EntryIn(block, line);
    if (!(entry.flags & HAS_BYTES))
        return std::nullopt;
    const char* text = block.bytes.data() + entry.offset;
    const char* kept = text + entry.length * (entry.flags & WIDE ? 2 : 1);
    const char* dropped = kept + entry.keptStored;
    LineBytes bytes;
    if (entry.flags & BYTES_AFTER_TEXT)
        bytes.kept.assign(text, entry.length);
    bytes.kept.append(kept, entry.keptStored);
    bytes.dropped.assign(dropped + 1, static_cast<quint8>(*dropped));
    bytes.cutShort = entry.flags & CUT_SHORT;
    return bytes;
}

const LineStore::Block& LineStore::BlockOf(qint64 line) const
{
    auto after = std::upper_bound(blocks_.begin(), blocks_.end(), line,
                                  [](qint64 number, const Block& block) { return number < block.first; });
    return *(after - 1);
}

const LineStore::Entry& LineStore::EntryIn(const Block& block, qint64 line)
{
    return block.lines[static_cast<std::size_t>(line - block.first)];
}

const LineStore::Entry& LineStore::EntryOf(qint64 line) const
{
    return EntryIn(BlockOf(line), line);
}

LineStore::Text LineStore::TextOf(qint64 line) const
{
    const Block& block = BlockOf(line);
    const Entry& entry = EntryIn(block, line);
    const char* start = block.bytes.data() + entry.offset;
    Text text;
    text.isWide = entry.flags & WIDE;
    if (text.isWide)
        text.wide = QStringView(reinterpret_cast<const char16_t*>(start), entry.length);
    else
        text.narrow = QLatin1String(start, entry.length);
    return text;
}

std::vector<int> LineStore::Text::Columns(QStringView text, Qt::CaseSensitivity sensitivity) const
{
    auto find = [&](qsizetype from) {
        return isWide ? wide.indexOf(text, from, sensitivity) : narrow.indexOf(text, from, sensitivity);
    };
    std::vector<int> columns;
    for (qsizetype at = find(0); at >= 0; at = find(at + text.size()))
        columns.push_back(static_cast<int>(at));
    return columns;
}

QString LineStore::StringOf(qint64 line) const
{
    const Text text = TextOf(line);
    return text.isWide ? text.wide.toString() : QString(text.narrow);
}

void LineStore::PopBlock()
{
    bytes_ -= blocks_.front().bytes.capacity();
    blocks_.pop_front();
    first_ = blocks_.empty() ? end_ : blocks_.front().first;
}

void LineStore::DropBefore(qint64 line, std::size_t bytes)
{
    const qint64 kept = std::clamp(line, first_, end_);
    while (!blocks_.empty() &&
           blocks_.front().first + static_cast<qint64>(blocks_.front().lines.size()) <= kept)
        PopBlock();
    first_ = std::max(first_, kept);
    while (blocks_.size() > 1 && bytes_ > bytes)
        PopBlock();
}

void LineStore::Clear()
{
    blocks_.clear();
    bytes_ = 0;
    first_ = end_;
}

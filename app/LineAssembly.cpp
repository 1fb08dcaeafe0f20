#include "LineAssembly.h"

namespace {

bool IsLineEnd(char16_t c)
{
    return c == u'\r' || c == u'\n';
}

bool IsDropped(char16_t c)
{
    return c < 32 && !IsLineEnd(c);
}

} // namespace

void LineAssembly::Walk(std::u16string_view text, const LineSink& sink)
{
    for (char16_t c : text) {
        if (IsLineEnd(c)) {
            if (lineEndUnpaired_) {
                lineEndUnpaired_ = false; // the second half of the line end before it
                continue;
            }
            sink(PendingLine);
            PendingLine.clear();
            lineEndUnpaired_ = true;
            continue;
        }
        lineEndUnpaired_ = false;
        if (IsDropped(c))
            continue;
        if (PendingLine.size() == PENDING_LIMIT) {
            sink(PendingLine);
            PendingLine.clear();
        }
        PendingLine.push_back(c);
    }
}

void LineAssembly::Discard()
{
    PendingLine.clear();
    lineEndUnpaired_ = false;
}

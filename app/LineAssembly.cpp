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
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        char16_t c = text[i];
        if (!IsLineEnd(c)) {
            if (IsDropped(c))
                continue;
            if (PendingLine.size() == PENDING_LIMIT) {
                sink(PendingLine);
                PendingLine.clear();
            }
            PendingLine.push_back(c);
            continue;
        }
        if (i + 1 < n && IsLineEnd(text[i + 1]))
            ++i;
        sink(PendingLine);
        PendingLine.clear();
    }
}

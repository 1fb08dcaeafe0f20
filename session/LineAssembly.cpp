#include "session/LineAssembly.h"

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
    if (text.empty())
        return; // an empty read does not part a CR from its LF
    std::size_t i = endedWithLoneCr_ && text.front() == u'\n' ? 1 : 0;
    endedWithLoneCr_ = false;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsLineEnd(c)) {
            if (i + 1 < text.size() && IsLineEnd(text[i + 1]))
                ++i; // the second half of this line end
            else
                endedWithLoneCr_ = c == u'\r' && i + 1 == text.size();
            sink(PendingLine);
            PendingLine.clear();
            continue;
        }
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
    endedWithLoneCr_ = false;
}

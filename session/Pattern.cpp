#include "session/Pattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <algorithm>

namespace {

// Measured: ordinary patterns need fewer than 10,000 on lines of up to the
// 2,048 characters a line can hold, and a search that reaches 100,000 takes
// at most some milliseconds, so no search holds a step past its wait.
constexpr std::uint32_t MATCH_LIMIT = 100'000;
constexpr std::uint32_t DEPTH_LIMIT = 10'000;

} // namespace

struct Pattern::Compiled {
    pcre2_code* code = nullptr;
    pcre2_match_context* context = nullptr;
    pcre2_match_data* match = nullptr;
    ~Compiled()
    {
        pcre2_match_data_free(match);
        pcre2_match_context_free(context);
        pcre2_code_free(code);
    }
};

Pattern::Pattern(std::unique_ptr<Compiled> compiled) : compiled_(std::move(compiled)) {}

Pattern::~Pattern() = default;

std::variant<std::shared_ptr<const Pattern>, std::string> Pattern::Compile(std::u16string_view expression)
{
    auto compiled = std::make_unique<Compiled>();
    int error = 0;
    PCRE2_SIZE offset = 0;
    compiled->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(expression.data()), expression.size(),
                                   PCRE2_UTF | PCRE2_MATCH_INVALID_UTF, &error, &offset, nullptr);
    if (!compiled->code) {
        PCRE2_UCHAR message[256];
        const int length = pcre2_get_error_message(error, message, 256);
        std::string text;
        for (int i = 0; i < length; ++i)
            text += static_cast<char>(message[i] < 0x80 ? message[i] : '?');
        return text + " at character " + std::to_string(offset + 1);
    }
    compiled->context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(compiled->context, MATCH_LIMIT);
    pcre2_set_depth_limit(compiled->context, DEPTH_LIMIT);
    compiled->match = pcre2_match_data_create_from_pattern(compiled->code, nullptr);
    return std::shared_ptr<const Pattern>(new Pattern(std::move(compiled)));
}

Pattern::Found Pattern::Search(std::u16string_view line, Captures* captured) const
{
    const int result = pcre2_match(compiled_->code, reinterpret_cast<PCRE2_SPTR>(line.data()), line.size(), 0,
                                   0, compiled_->match, compiled_->context);
    if (result >= 0) {
        if (captured)
            Capture(line, *captured);
        return Found::Yes;
    }
    // Invalid UTF-16 is no error: it is skipped. What is left is a limit or memory.
    return result == PCRE2_ERROR_NOMATCH ? Found::No : Found::TooMuchWork;
}

void Pattern::Capture(std::u16string_view line, Captures& captured) const
{
    std::uint32_t count = 0, entrySize = 0;
    PCRE2_SPTR table = nullptr;
    pcre2_pattern_info(compiled_->code, PCRE2_INFO_NAMECOUNT, &count);
    pcre2_pattern_info(compiled_->code, PCRE2_INFO_NAMEENTRYSIZE, &entrySize);
    pcre2_pattern_info(compiled_->code, PCRE2_INFO_NAMETABLE, &table);
    const PCRE2_SIZE* offsets = pcre2_get_ovector_pointer(compiled_->match);
    const std::uint32_t groups = pcre2_get_ovector_count(compiled_->match);
    // Each entry: the group's number, then its name, ended by a zero; sorted by name.
    std::vector<std::pair<std::uint32_t, PCRE2_SPTR>> named;
    for (std::uint32_t i = 0; i < count; ++i, table += entrySize)
        named.emplace_back(table[0], table + 1);
    std::sort(named.begin(), named.end()); // as the pattern has them
    for (const auto& [group, name] : named) {
        if (group >= groups || offsets[2 * group] == PCRE2_UNSET)
            continue;
        std::string text;
        for (PCRE2_SPTR c = name; *c; ++c)
            text += static_cast<char>(*c); // names are ASCII letters, digits and _
        captured.emplace_back(
            std::move(text),
            std::u16string(line.substr(offsets[2 * group], offsets[2 * group + 1] - offsets[2 * group])));
    }
}

#include "session/ScriptValues.h"

#include <cstdlib>

#include "common/TextEscape.h"

namespace {

constexpr std::u16string_view OPEN = u"${";

// Calls each(literal text before it, name) for every ${name}, then once for
// the text after the last with an empty name; false when each does.
template <typename Each> bool ForEachValue(std::u16string_view text, Each each)
{
    for (;;) {
        const std::size_t open = text.find(OPEN);
        const std::size_t close = open == std::u16string_view::npos ? open : text.find(u'}', open);
        if (close == std::u16string_view::npos)
            return each(text, std::string());
        if (!each(text.substr(0, open), Utf8(text.substr(open + 2, close - open - 2))))
            return false;
        text.remove_prefix(close + 1);
    }
}

// The text as a pattern matches it literally.
std::u16string Quoted(std::u16string_view text)
{
    std::u16string quoted;
    for (char16_t c : text) {
        if (std::u16string_view(u"\\^$.|?*+()[]{}/").find(c) != std::u16string_view::npos)
            quoted += u'\\';
        quoted += c;
    }
    return quoted;
}

} // namespace

std::variant<std::u16string, ScriptValues::Unset> ScriptValues::Substituted(std::u16string_view text,
                                                                            bool pattern) const
{
    std::u16string result;
    std::string unset;
    ForEachValue(text, [&](std::u16string_view literal, const std::string& name) {
        result += literal;
        if (name.empty())
            return true;
        const std::optional<std::u16string> value = Value(name);
        if (!value) {
            unset = name;
            return false;
        }
        result += pattern ? Quoted(*value) : *value;
        return true;
    });
    if (!unset.empty())
        return Unset{unset};
    return result;
}

std::optional<std::u16string> ScriptValues::Value(const std::string& name) const
{
    if (name.substr(0, 4) == "env:") {
        const std::optional<std::string> value = environment_ ? environment_(name.substr(4)) : std::nullopt;
        return value ? FromUtf8(*value) : std::nullopt;
    }
    const auto found = values_.find(name);
    return found == values_.end() ? std::nullopt : std::optional(found->second);
}

bool HoldsValue(std::u16string_view text)
{
    const std::size_t open = text.find(OPEN);
    return open != std::u16string_view::npos && text.find(u'}', open) != std::u16string_view::npos;
}

std::u16string WithoutValues(std::u16string_view text)
{
    std::u16string result;
    ForEachValue(text, [&result](std::u16string_view literal, const std::string&) {
        result += literal;
        return true;
    });
    return result;
}

std::optional<std::string> ProgramEnvironment(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

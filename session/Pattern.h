#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <variant>

// A regular expression (PCRE2, matched on the lines as the program holds them,
// in UTF-16) with limits on its work, so that no pattern can hang a run: a
// search that reaches them says so, and is neither a match nor none.
class Pattern {
public:
    // The compiled expression, or what is wrong with it.
    static std::variant<std::shared_ptr<const Pattern>, std::string> Compile(std::u16string_view expression);
    ~Pattern();
    Pattern(const Pattern&) = delete;
    Pattern& operator=(const Pattern&) = delete;

    enum class Found { No, Yes, TooMuchWork };
    // Whether the expression matches somewhere in the line.
    Found Search(std::u16string_view line) const;

private:
    struct Compiled;
    explicit Pattern(std::unique_ptr<Compiled> compiled);

    std::unique_ptr<Compiled> compiled_;
};

#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

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
    // A named group's name and what it matched.
    using Captures = std::vector<std::pair<std::string, std::u16string>>;
    // Whether the expression matches somewhere in the line; on a match, what
    // its named groups took (a group that took no part is left out).
    Found Search(std::u16string_view line, Captures* captured = nullptr) const;

private:
    struct Compiled;
    explicit Pattern(std::unique_ptr<Compiled> compiled);
    void Capture(std::u16string_view line, Captures& captured) const;

    std::unique_ptr<Compiled> compiled_;
};

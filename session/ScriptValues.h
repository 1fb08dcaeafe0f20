#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// The values a script's steps use as ${NAME}: set on the command line or
// captured by a pattern's named group; ${env:NAME} is the environment's.
class ScriptValues {
public:
    // The environment's value of a name, as UTF-8; none when it is not set.
    using Environment = std::function<std::optional<std::string>(const std::string& name)>;

    struct Unset {
        std::string name; // as written: "version", "env:HOME"
    };

    explicit ScriptValues(Environment environment = {}) : environment_(std::move(environment)) {}

    void Set(const std::string& name, std::u16string value) { values_[name] = std::move(value); }
    // The text with each ${…} replaced by its value (matched as it stands
    // when the text is a pattern), or the first that is not set.
    std::variant<std::u16string, Unset> Substituted(std::u16string_view text, bool pattern) const;

private:
    std::optional<std::u16string> Value(const std::string& name) const;

    std::map<std::string, std::u16string> values_;
    Environment environment_;
};

// The program's environment, as getenv reads it.
std::optional<std::string> ProgramEnvironment(const std::string& name);

// Whether the text holds a ${…} whose value is known only when its step runs.
bool HoldsValue(std::u16string_view text);
// The text with every ${…} taken out, to check a pattern before any value is known.
std::u16string WithoutValues(std::u16string_view text);

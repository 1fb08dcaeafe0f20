#include "runner/RunOptions.h"

#include <functional>
#include <map>

const char* const RUN_USAGE =
    "Usage: pellmark-run [--device ID] [--timeout 500ms] [--junit FILE] [--log FILE] [--trace FILE]\n"
    "                    [--wait-device 10s] [--fail-fast] [--only TAG] [--skip TAG]\n"
    "                    [--set NAME=VALUE] SCRIPT...\n"
    "       pellmark-run --list\n"
    "Runs send/expect scripts against a USB device (or the demo device) and prints TAP.\n"
    "SCRIPT may be - for standard input; after --, every argument is a script.\n\n"
    "  --device ID     the device to open, over the scripts' device lines (e.g. demo)\n"
    "  --timeout D     how long expect waits by default: 500ms, 2s\n"
    "  --junit FILE    also write a JUnit XML file\n"
    "  --log FILE      append every received line to FILE, with its local time\n"
    "  --trace FILE    append every USB library call to FILE, with the bytes of each packet\n"
    "  --wait-device D wait up to D for the device to appear before the first step\n"
    "  --fail-fast     stop after the first test that fails\n"
    "  --only TAG      run only the tests tagged @TAG (again for more tags); the others are skipped\n"
    "  --skip TAG      skip the tests tagged @TAG (again for more tags)\n"
    "  --set N=V       give the scripts' ${N} the value V (again for more values)\n"
    "  --list          print the devices it could talk to, and whether each can be opened\n"
    "  -h, --help      print this and exit\n"
    "  -v, --version   print the version and exit\n\n"
    "Exit status: 0 every test passed, 1 a test failed, 2 bad usage or script, 3 no such device\n"
    "or it cannot be opened, 4 the device went away or a write failed, 130 interrupted.\n";

namespace {

using Taker = std::function<std::optional<std::string>(const std::string&)>;

std::optional<std::string> NoDuration(const std::string& value)
{
    return "'" + value + "' is no duration (500ms, 2s)";
}

// The options that take a value, each with what it does with the value.
std::map<std::string, Taker> ValuedOptions(RunOptions& options)
{
    auto text = [](auto& to) {
        return Taker([&to](const std::string& value) -> std::optional<std::string> {
            to = value;
            return std::nullopt;
        });
    };
    auto tag = [](std::vector<std::string>& to) {
        return Taker([&to](const std::string& value) -> std::optional<std::string> {
            to.push_back(value.substr(value[0] == '@'));
            return std::nullopt;
        });
    };
    return {
        {"--device", text(options.device)},
        {"--timeout",
         [&options](const std::string& value) -> std::optional<std::string> {
             const auto duration = ParseDuration(value);
             options.timeout = duration.value_or(options.timeout);
             return duration ? std::nullopt : NoDuration(value);
         }},
        {"--wait-device",
         [&options](const std::string& value) -> std::optional<std::string> {
             options.waitDevice = ParseDuration(value);
             return options.waitDevice ? std::nullopt : NoDuration(value);
         }},
        {"--junit", text(options.junit)},
        {"--log", text(options.log)},
        {"--trace", text(options.trace)},
        {"--only", tag(options.only)},
        {"--skip", tag(options.skip)},
        {"--set",
         [&options](const std::string& value) -> std::optional<std::string> {
             const std::size_t equals = value.find('=');
             if (equals == 0 || equals == std::string::npos || value.find_first_of("${} ") < equals)
                 return "--set takes NAME=VALUE, not '" + value + "'";
             options.values.emplace_back(value.substr(0, equals), value.substr(equals + 1));
             return std::nullopt;
         }},
    };
}

} // namespace

std::optional<std::string> ParseRunOptions(const std::vector<std::string>& arguments, RunOptions& options)
{
    const std::map<std::string, Taker> valued = ValuedOptions(options);
    const std::map<std::string, bool*> flags = {{"--fail-fast", &options.failFast}, {"--list", &options.list},
                                                {"--help", &options.help},          {"-h", &options.help},
                                                {"--version", &options.version},    {"-v", &options.version}};
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const std::string name = argument.substr(0, argument.find('='));
        if (argument == "--") { // scripts only from here on, whatever their names
            options.scripts.insert(options.scripts.end(),
                                   arguments.begin() + static_cast<std::ptrdiff_t>(i) + 1, arguments.end());
            break;
        }
        if (auto flag = flags.find(argument); flag != flags.end()) {
            *flag->second = true;
        } else if (auto taker = valued.find(name); taker != valued.end()) {
            if (name == argument && i + 1 == arguments.size())
                return "missing value after '" + name + "'";
            if (auto problem =
                    taker->second(name == argument ? arguments[++i] : argument.substr(name.size() + 1)))
                return problem;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return "unknown option '" + argument + "'";
        } else {
            options.scripts.push_back(argument);
        }
    }
    if (options.scripts.empty() && !options.help && !options.version && !options.list)
        return "no script given";
    return std::nullopt;
}

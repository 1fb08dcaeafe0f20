#include "session/ScriptFile.h"

#include <fstream>
#include <iterator>

std::variant<Script, std::string> ReadScript(std::istream& in, const std::string& name)
{
    std::string text;
    try { // a folder, or a read that fails, throws from the file's buffer
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure&) {
        in.setstate(std::ios::badbit);
    }
    if (in.fail())
        return name + ": cannot be read";
    return ParseScript(name, text);
}

std::variant<Script, std::string> ReadScriptFile(const std::filesystem::path& path, const std::string& name)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return name + ": cannot be read";
    return ReadScript(file, name);
}

int TestCount(const std::vector<Script>& scripts)
{
    int count = 0;
    for (const Script& script : scripts)
        count += static_cast<int>(script.tests.size());
    return count;
}

std::vector<std::pair<const Script*, const Step*>> DeviceLines(const std::vector<Script>& scripts)
{
    std::vector<std::pair<const Script*, const Step*>> found;
    for (const Script& script : scripts) {
        std::vector<const std::vector<Step>*> parts{&script.setUp};
        for (const TestCase& test : script.tests)
            parts.push_back(&test.steps);
        for (const std::vector<Step>* steps : parts)
            for (const Step& step : *steps)
                if (step.kind == Step::Kind::Device)
                    found.emplace_back(&script, &step);
    }
    return found;
}

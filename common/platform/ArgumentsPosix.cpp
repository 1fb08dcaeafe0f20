#include "common/Arguments.h"

std::vector<std::string> ProgramArguments(int argc, char* argv[])
{
    return std::vector<std::string>(argv, argv + argc);
}

std::filesystem::path PathOfArgument(const std::string& argument)
{
    return argument;
}

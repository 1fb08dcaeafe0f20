#include "RunPlatform.h"

std::vector<std::string> RunArguments(int argc, char* argv[])
{
    return std::vector<std::string>(argv, argv + argc);
}

std::filesystem::path PathOfArgument(const std::string& argument)
{
    return argument;
}

void UseStandardStreamsAsBytes() {}

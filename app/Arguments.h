#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>

// The program's arguments as text, losing nothing: on Windows the wide
// command line; elsewhere argv's bytes as UTF-8, where a byte that is not
// UTF-8 becomes a lone surrogate (U+DC80 to U+DCFF) that stands for it.
QStringList ProgramArguments(int argc, char* argv[]);

// The path an argument names, exactly as the user gave it: the same bytes,
// or on Windows the same wide characters.
std::filesystem::path PathOfArgument(const QString& argument);

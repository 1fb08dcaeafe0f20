#pragma once

#include <QString>
#include <QStringList>
#include <filesystem>
#include <string>
#include <vector>

// The program's arguments (common/Arguments.h) in Qt's form, losing nothing:
// a byte that is not UTF-8 becomes a lone surrogate (U+DC80 to U+DCFF) that
// stands for it.
QStringList ArgumentsAsText(const std::vector<std::string>& arguments);

// The path a text of ArgumentsAsText names, its stand-ins back as the bytes
// they stand for.
std::filesystem::path PathOfArgument(const QString& argument);

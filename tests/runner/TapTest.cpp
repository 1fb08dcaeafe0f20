#include <cstdio>
#include <gtest/gtest.h>

#include "ScriptRun.h"
#include "Tap.h"

TEST(Tap, NamesKeepAllButWhatTapEscapes)
{
    std::FILE* file = std::tmpfile();
    Tap tap(file, 1);
    TestReport report;
    report.name = "answers \"OK\" to C:\\fw\\boot.bin #2\x1B";
    tap.Write(report);
    std::rewind(file);
    char text[100] = {};
    EXPECT_EQ(std::string(text, std::fread(text, 1, sizeof text, file)),
              "TAP version 13\n1..1\nok 1 - answers \"OK\" to C:\\\\fw\\\\boot.bin \\#2\xEF\xBF\xBD\n");
    std::fclose(file);
}

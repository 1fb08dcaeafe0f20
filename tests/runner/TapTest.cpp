#include <cstdio>
#include <gtest/gtest.h>

#include "ScriptRun.h"
#include "Tap.h"

TEST(Tap, NamesKeepAllButWhatTapEscapes)
{
    std::FILE* file = std::tmpfile();
    ASSERT_TRUE(file);
    {
        Tap tap(file, 2);
        TestReport report;
        for (const char* name : {"answers \"OK\" to LED ON", "C:\\fw\\boot.bin #2\x1B"}) {
            report.name = name;
            tap.Write(report);
        }
    }
    std::rewind(file);
    char text[200] = {};
    EXPECT_EQ(std::string(text, std::fread(text, 1, sizeof text, file)),
              "TAP version 13\n1..2\nok 1 - answers \"OK\" to LED ON\nok 2 - C:\\\\fw\\\\boot.bin \\#2\xEF\xBF\xBD\n");
    std::fclose(file);
}

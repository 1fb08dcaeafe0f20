#include <cstdio>
#include <gtest/gtest.h>

#include "session/TestReport.h"
#include "session/Tap.h"

TEST(Tap, KeepsAllButWhatTapEscapesOrATerminalWouldObey)
{
    std::FILE* file = std::tmpfile();
    Tap tap(file, 2);
    TestReport report;
    report.name = "answers \"OK\" to C:\\fw\\boot.bin #2\x1B";
    tap.Write(report);
    report.passed = false;
    report.got.Add(u"\x9B"
                   "2J"); // a CSI
    tap.Write(report);
    std::rewind(file);
    char text[300] = {};
    const std::string name = "answers \"OK\" to C:\\\\fw\\\\boot.bin \\#2\xEF\xBF\xBD\n";
    EXPECT_EQ(std::string(text, std::fread(text, 1, sizeof text, file)),
              "TAP version 13\n1..2\nok 1 - " + name + "not ok 2 - " + name +
                  "  ---\n  script: \"\"\n  got:\n    - \"\xEF\xBF\xBD"
                  "2J\"\n  ...\n");
    std::fclose(file);
}

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "session/JUnitFile.h"
#include "session/ScriptInterpreter.h"

TEST(JUnitFile, NamesAsWrittenTestsNotRunAsErrorsAndTheFileWholeOrNotAtAll)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "pellmark-junit-test.xml";
    std::filesystem::path partial = path;
    std::filesystem::remove_all(partial += ".partial");
    JUnitFile file(path);
    file.Add(NotRun(Script{.name = "dir\\x/q.script"},
                    TestCase{.name = "answers \"OK\" to C:\\fw \xEF\xBF\xBF", .line = 1},
                    "the device is not connected"));
    TestReport failed; // its device line holds a CSI, which no report passes on to a terminal
    failed.passed = false;
    failed.reason = "on line \"\xC2\x9B"
                    "2J\"";
    file.Add(failed);
    ASSERT_TRUE(file.CanWrite() && file.Write() && file.Write()); // the second replaces the first
    pugi::xml_document document;
    ASSERT_TRUE(document.load_file(path.c_str()));
    const pugi::xml_node written = document.child("testsuites").first_child().first_child();
    EXPECT_EQ(written.attribute("classname").value() + std::string(" ") + written.attribute("name").value(),
              "dir\\x/q.script answers \"OK\" to C:\\fw \xEF\xBF\xBD");
    EXPECT_STREQ(written.child("error").attribute("message").value(), "not run: the device is not connected");
    EXPECT_STREQ(
        document.child("testsuites").last_child().first_child().child("failure").attribute("message").value(),
        "on line \"\xEF\xBF\xBD"
        "2J\"");

    // Where the new file cannot be made, the one before stays as it was.
    std::filesystem::create_directories(partial / "x");
    EXPECT_FALSE(JUnitFile(path).Write());
    EXPECT_TRUE(document.load_file(path.c_str()) &&
                document.child("testsuites").attribute("tests").as_int() == 2);
    std::filesystem::remove_all(partial);
}

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "JUnitFile.h"

TEST(JUnitFile, NamesAsWrittenTestsNotRunAsErrorsAndTheFileWholeOrNotAtAll)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "pellmark-junit-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    const std::filesystem::path path = folder / "t.xml";
    JUnitFile file(path);
    ASSERT_TRUE(file.CanWrite());
    TestReport failed;
    failed.script = "dir\\x/q.script";
    failed.name = "answers \"OK\" to C:\\fw \xEF\xBF\xBF";
    failed.passed = false;
    file.Add(failed);
    file.Add(NotRun(Script{"s", {}, {}}, TestCase{"later", 3, {}}, "the device vid_dead&pid_beef is not connected"));
    ASSERT_TRUE(file.Write());
    pugi::xml_document document;
    ASSERT_TRUE(document.load_file(path.c_str()));
    const pugi::xml_node suites = document.child("testsuites");
    EXPECT_STREQ(suites.first_child().attribute("name").value(), "dir\\x/q.script");
    EXPECT_STREQ(suites.first_child().child("testcase").attribute("name").value(),
                 "answers \"OK\" to C:\\fw \xEF\xBF\xBD");
    EXPECT_STREQ(suites.last_child().child("testcase").child("error").attribute("message").value(),
                 "not run: the device vid_dead&pid_beef is not connected");
    EXPECT_EQ(suites.attribute("errors").as_int(), 1);

    // Where the new file cannot be made, the one before stays as it was.
    std::filesystem::create_directory(folder / "t.xml.partial");
    JUnitFile again(path);
    again.Add(failed);
    EXPECT_FALSE(again.Write());
    ASSERT_TRUE(document.load_file(path.c_str()));
    EXPECT_EQ(document.child("testsuites").attribute("tests").as_int(), 2);
    std::filesystem::remove_all(folder);
}

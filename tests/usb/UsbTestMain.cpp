#include <QApplication>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

const char PRELOAD[] = "libumockdev-preload.so.0";

} // namespace

int main(int argc, char** argv)
{
    // The emulated devices need umockdev's preload from the start: run again
    // with it when it is missing.
    const char* preload = std::getenv("LD_PRELOAD");
    if (!preload || !std::strstr(preload, PRELOAD)) {
        std::string value = preload && *preload ? std::string(preload) + ":" + PRELOAD : PRELOAD;
        setenv("LD_PRELOAD", value.c_str(), 1);
        execv("/proc/self/exe", argv);
        return 127;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}

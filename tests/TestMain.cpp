#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
#ifndef _WIN32
    // Window tests run without a display; on Windows (Wine under Xvfb here) on its own platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    // Qt's own dialogs, which a test can fill in and accept; the program keeps the native ones.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}

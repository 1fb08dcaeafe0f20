#ifndef _WIN32
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "RunPlatform.h"

TEST(RunPlatform, AClosedStandardStreamIsHeldByAStandInThatFailsAsItWould)
{
    const int saved = dup(STDIN_FILENO);
    close(STDIN_FILENO);
    PrepareStandardStreams();
    char byte;
    EXPECT_NE(fcntl(STDIN_FILENO, F_GETFD), -1); // no file opened later can take it
    EXPECT_EQ(read(STDIN_FILENO, &byte, 1), -1);
    dup2(saved, STDIN_FILENO);
    close(saved);
}
#endif

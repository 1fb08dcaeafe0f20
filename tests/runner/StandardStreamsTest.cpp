#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "runner/StandardStreams.h"

TEST(StandardStreams, AClosedStandardStreamIsHeldByAStandInThatFailsAsItWould)
{
    const int saved = dup(STDIN_FILENO);
    close(STDIN_FILENO);
    PrepareStandardStreams();
    EXPECT_TRUE(fcntl(STDIN_FILENO, F_GETFD) != -1 && read(STDIN_FILENO, nullptr, 0) == -1);
    dup2(saved, STDIN_FILENO);
    close(saved);
}

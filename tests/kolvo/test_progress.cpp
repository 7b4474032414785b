// Progress on standard error: times as m:ss, bars drawn in place on a
// terminal, and only messages without one.

#include <gtest/gtest.h>

#include <string>

#include "progress.h"

TEST(Progress, MinutesAndSecondsAreWholeSecondsCutDown) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {{0, "0:00"}, {-2, "0:00"},    {9.99, "0:09"},     {59.5, "0:59"},
                 {60, "1:00"}, {61, "1:01"}, {3599.9, "59:59"}, {3600, "60:00"}};
    for (const auto& c : cases) {
        EXPECT_EQ(minutesAndSeconds(c.seconds), c.text) << c.seconds;
    }
}

TEST(Progress, WithoutATerminalOnlyMessagesPass) {
    testing::internal::CaptureStderr();
    {
        ProgressBoard board(false);
        const int bar = board.add("a.mid");
        board.set(bar, 0.5, "50%");
        board.message("kolvo: b.mid: bad");
        board.finish(bar, "a.mid -> a.wav (0:03)");
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "kolvo: b.mid: bad\n");
}

TEST(Progress, BarsShareTheWidthAndLongNamesKeepTheirEnd) {
    // Not on a terminal, a drawing board takes 80 columns, one for the
    // cursor: a third for the name, the rest for the bar and its text.
    testing::internal::CaptureStderr();
    {
        ProgressBoard board(true);
        const int first = board.add("a.mid");
        board.set(board.add("folder/with/a/rather/long/name.mid"), 0.5, "50%");
        board.message("note");
        board.finish(first, "a.mid done");
    }
    const std::string drawn = testing::internal::GetCapturedStderr();
    const std::string clear = "\r\x1b[2K";
    const std::string bars = clear + "a.mid" + std::string(21, ' ') + " [" + std::string(48, '.') +
                             "] \n" + clear + ".../a/rather/long/name.mid" + " [" +
                             std::string(22, '#') + std::string(23, '.') + "] 50%\n";
    EXPECT_NE(drawn.find("\x1b[2A" + clear + "note\n" + bars), std::string::npos) << drawn;
    // A finished bar gives way to its line; the line it leaves is cleared.
    EXPECT_NE(drawn.find("\x1b[2A" + clear + "a.mid done\n" + clear + "..."), std::string::npos);
    EXPECT_NE(drawn.find("50%\n" + clear + "\n\x1b[1A"), std::string::npos) << drawn;
}

// Note emission: what playnote adds to the output arrangement.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "playnote.h"
#include "runstate.h"

namespace {

class PlaynoteTest : public testing::Test {
  protected:
    void SetUp() override {
        resetRunState();
        outputfile.absoluteTime();
        outputfile.addTrack(15);
        tpq = 192;
        outputfile.setTicksPerQuarterNote(tpq);
        iptempo = 120.0;
    }

    // The events of a track as "tick:status,key,velocity" strings.
    std::vector<std::string> eventsOf(int track) {
        std::vector<std::string> out;
        for (int i = 0; i < outputfile.getNumEvents(track); i++) {
            MFEvent& e = outputfile.getEvent(track, i);
            char text[64];
            std::snprintf(text, sizeof text, "%d:%02X,%d,%d", e.time, e.data[0], e.data[1],
                          e.data[2]);
            out.push_back(text);
        }
        return out;
    }
};

using Events = std::vector<std::string>;

TEST_F(PlaynoteTest, PlacesNoteOnAndOffAtTheRollsTicks) {
    playnote(1.0, 0.5, 60, 40, 1, 1);
    EXPECT_EQ(eventsOf(1), (Events{"384:90,60,40", "576:80,60,40"}));
}

TEST_F(PlaynoteTest, ChannelSetsTheStatusNibble) {
    playnote(0.0, 1.0, 38, 65, 10, 10);
    playnote(0.0, 1.0, 55, 40, 15, 16);
    playnote(0.0, 1.0, 55, 40, 1, 1);
    EXPECT_EQ(eventsOf(10), (Events{"0:99,38,65", "384:89,38,65"}));
    EXPECT_EQ(eventsOf(15), (Events{"0:9F,55,40", "384:8F,55,40"}));
    EXPECT_EQ(eventsOf(1), (Events{"0:90,55,40", "384:80,55,40"}));
}

TEST_F(PlaynoteTest, SilentOrTooShortNotesAddNothing) {
    playnote(1.0, 2.0, 60, 0, 1, 1);
    playnote(1.0, 0.0, 60, 40, 1, 1);
    playnote(1.0, 0.009, 60, 40, 1, 1);
    EXPECT_EQ(outputfile.getNumEvents(1), 0);
    playnote(1.0, 0.01, 60, 40, 1, 1);
    EXPECT_EQ(outputfile.getNumEvents(1), 2);
}

TEST_F(PlaynoteTest, OverlappingNotesStayIndependent) {
    playnote(0.0, 1.0, 60, 40, 3, 3);
    playnote(0.5, 1.0, 60, 40, 3, 3);
    EXPECT_EQ(eventsOf(3), (Events{"0:92,60,40", "384:82,60,40", "192:92,60,40",
                                   "576:82,60,40"}));
}

TEST_F(PlaynoteTest, TicksAreTruncatedNotRounded) {
    // 0.999 s at 120 bpm and 192 tpq is tick 383.616.
    playnote(0.999, 0.0100001, 60, 40, 1, 1);
    EXPECT_EQ(eventsOf(1)[0], "383:90,60,40");
}

TEST_F(PlaynoteTest, NegativeStartIsClampedToTickZero) {
    playnote(-1.0, 1.5, 60, 40, 1, 1);
    EXPECT_EQ(eventsOf(1), (Events{"0:90,60,40", "192:80,60,40"}));
}

TEST_F(PlaynoteTest, ANoteEndsAtLeastOneTickAfterItStarts) {
    // At 24 ticks per quarter note and 100 bpm a tick lasts 0.025 s: a note
    // of 0.01 s from tick 100 would end at tick 100.4, truncated to 100.
    tpq = 24;
    iptempo = 100.0;
    playnote(2.5, 0.01, 60, 40, 1, 1);
    EXPECT_EQ(eventsOf(1), (Events{"100:90,60,40", "101:80,60,40"}));
}

}  // namespace

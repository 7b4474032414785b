// Unit tests of the output arrangement of kolvo150: its tracks, names,
// bank 2, instruments and marker text.

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "arrangement.h"
#include "arrangement_lines.h"
#include "driver.h"
#include "runstate.h"
#include "testbytes.h"
#include "written_notes.h"
#include "xlate150.h"

using namespace w150;

namespace {

class Arrangement150 : public testing::Test {
  protected:
    void SetUp() override {
        resetRunState();
        reset150Controls();
        result = "w150k-v";
    }
};

TEST_F(Arrangement150, NamedTracksGetNameBankAndInstrument) {
    layOutArrangement(organ150, 192);
    EXPECT_EQ(outputfile.getTrackCount(), 16);
    EXPECT_EQ(eventsOf(1),
              (Lines{meta(3, "Trombone"), "0: B0 00 02", "0: C0 3A", meta(1, "w150k-v")}));
    EXPECT_EQ(eventsOf(2), (Lines{meta(3, "Bass"), "0: B1 00 02", "0: C1 2B"}));
    EXPECT_EQ(eventsOf(5), (Lines{meta(3, "Accomp"), "0: B4 00 02", "0: C4 46"}));
    EXPECT_EQ(eventsOf(7), (Lines{meta(3, "Melody"), "0: B6 00 02", "0: C6 49"}));
    EXPECT_EQ(eventsOf(8), (Lines{meta(3, "Melody"), "0: B7 00 02", "0: C7 52"}));
    EXPECT_EQ(eventsOf(11), (Lines{meta(3, "Melody"), "0: BA 00 02", "0: CA 4B"}));
    EXPECT_EQ(eventsOf(12), (Lines{meta(3, "Melody"), "0: BB 00 02", "0: CB 08"}));
    EXPECT_EQ(eventsOf(13), (Lines{meta(3, "Trumpet"), "0: BC 00 02", "0: CC 44"}));
    EXPECT_EQ(eventsOf(14), (Lines{meta(3, "Trumpet"), "0: BD 00 02", "0: CD 45"}));
    EXPECT_EQ(eventsOf(15), (Lines{meta(3, "Trumpet"), "0: BE 00 02", "0: CE 38"}));
}

TEST_F(Arrangement150, UnnamedTracksStayEmpty) {
    layOutArrangement(organ150, 192);
    for (int track : {0, 3, 4, 6, 9, 10}) {
        EXPECT_EQ(outputfile.getNumEvents(track), 0) << "track " << track;
    }
}

TEST_F(Arrangement150, TempoEventFollowsTheOutputTempo) {
    layOutArrangement(organ150, 192);
    addTempoEvent();
    optempo = 120.0;
    addTempoEvent();
    EXPECT_EQ(eventsOf(0), (Lines{"0: FF 51 03 0A C5 5A", "0: FF 51 03 07 A1 20"}));
}

// --- every note the player starts is stopped --------------------------------

TEST_F(Arrangement150, OneTickHoleThatTruncatesOntoItsStartStillEnds) {
    expectOneTickHoleEnds(organ150, 70);
}

TEST_F(Arrangement150, EveryNoteOfARandomRollIsStoppedAfterItStarts) {
    expectRandomRollsStopEveryNote(organ150, reset150Controls, 150u, 24, 77);
}

}  // namespace

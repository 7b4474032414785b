// Unit tests of the output arrangement of kolvo165: the skeleton's tracks,
// names, banks, instruments and marker text, the copied roll texts and the
// tempo event.

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
#include "xlate165.h"

using namespace w165;

namespace {

class Arrangement165 : public testing::Test {
  protected:
    void SetUp() override {
        resetRunState();
        reset165Controls();
        result = "w165k-v";
    }
};

TEST_F(Arrangement165, SkeletonHasSixteenTracksInAbsoluteTime) {
    layOutArrangement(organ165, 384);
    EXPECT_EQ(outputfile.getTrackCount(), 16);
    EXPECT_EQ(outputfile.getTimeState(), 1);
    EXPECT_EQ(outputfile.getTicksPerQuarterNote(), 384);
    EXPECT_EQ(tpq, 384);
}

TEST_F(Arrangement165, NamedTracksGetNameBankAndInstrument) {
    layOutArrangement(organ165, 192);
    EXPECT_EQ(eventsOf(1), (Lines{meta(3, "Bass"), "0: B0 00 03", "0: C0 3A", meta(1, "w165k-v")}));
    EXPECT_EQ(eventsOf(2), (Lines{meta(3, "Bass"), "0: B1 00 03", "0: C1 2B"}));
    EXPECT_EQ(eventsOf(3), (Lines{meta(3, "Accomp"), "0: B2 00 03", "0: C2 46"}));
    EXPECT_EQ(eventsOf(4), (Lines{meta(3, "Accomp"), "0: B3 00 03", "0: C3 0B"}));
    EXPECT_EQ(eventsOf(5), (Lines{meta(3, "Melody"), "0: B4 00 03", "0: C4 52"}));
    EXPECT_EQ(eventsOf(6), (Lines{meta(3, "Melody"), "0: B5 00 03", "0: C5 28"}));
    EXPECT_EQ(eventsOf(7), (Lines{meta(3, "Melody"), "0: B6 00 03", "0: C6 4B"}));
    EXPECT_EQ(eventsOf(9), (Lines{meta(3, "Melody"), "0: B8 00 03", "0: C8 49"}));
    EXPECT_EQ(eventsOf(12), (Lines{meta(3, "Melody"), "0: BB 00 03", "0: CB 08"}));
    EXPECT_EQ(eventsOf(13), (Lines{meta(3, "Trumpet"), "0: BC 00 03", "0: CC 44"}));
    EXPECT_EQ(eventsOf(14), (Lines{meta(3, "Trumpet"), "0: BD 00 03", "0: CD 38"}));
}

TEST_F(Arrangement165, UnnamedTracksStayEmpty) {
    layOutArrangement(organ165, 192);
    for (int track : {0, 8, 10, 11, 15}) {
        EXPECT_EQ(outputfile.getNumEvents(track), 0) << "track " << track;
    }
}

TEST_F(Arrangement165, MarkerTextComesFromTheRunState) {
    result = "marker";
    layOutArrangement(organ165, 192);
    EXPECT_EQ(eventsOf(1).back(), meta(1, "marker"));
}

TEST_F(Arrangement165, RollTextsAreCopiedToTheirTracks) {
    layOutArrangement(organ165, 192);
    addRollText(metaCopyright, "(c) 1925");
    addRollText(metaTrackName, "Title");
    addRollText(metaText, "one");
    addRollText(metaText, "two");
    EXPECT_EQ(eventsOf(0), (Lines{meta(2, "(c) 1925"), meta(3, "Title")}));
    Lines track1 = eventsOf(1);
    ASSERT_EQ(track1.size(), 6u);
    EXPECT_EQ(track1[4], meta(1, "one"));
    EXPECT_EQ(track1[5], meta(1, "two"));
}

TEST_F(Arrangement165, RollTextIsCopiedUpToItsFirstZeroByte) {
    layOutArrangement(organ165, 192);
    addRollText(metaText, std::string("abc\0def", 7));
    EXPECT_EQ(eventsOf(1).back(), meta(1, "abc"));
}

TEST_F(Arrangement165, TempoEventOfTheDefaultTempo) {
    layOutArrangement(organ165, 192);
    addTempoEvent();
    EXPECT_EQ(eventsOf(0), (Lines{"0: FF 51 03 0A C5 5A"}));
}

TEST_F(Arrangement165, TempoBytesAtTheLimitsAndBetween) {
    const struct {
        double bpm;
        const char* bytes;
    } cases[] = {
        {85.0, "0: FF 51 03 0A C5 5A"},
        {120.0, "0: FF 51 03 07 A1 20"},
        {200.0, "0: FF 51 03 04 93 E0"},
        {10.0, "0: FF 51 03 5B 8D 80"},
    };
    layOutArrangement(organ165, 192);
    for (const auto& c : cases) {
        optempo = c.bpm;
        addTempoEvent();
        EXPECT_EQ(eventsOf(0).back(), c.bytes) << c.bpm;
    }
    EXPECT_EQ(tempoMicroseconds(85.0), 705882);
    EXPECT_EQ(tempoMicroseconds(93.75), 640000);
}

TEST_F(Arrangement165, ScratchBuffersHoldTheLastEventAdded) {
    layOutArrangement(organ165, 192);
    EXPECT_EQ(midievent.getSize(), 2);
    addTempoEvent();
    EXPECT_EQ(mididata.getSize(), 6);
}

// --- every note the player starts is stopped --------------------------------

TEST_F(Arrangement165, OneTickHoleThatTruncatesOntoItsStartStillEnds) {
    expectOneTickHoleEnds(organ165, 78);
}

TEST_F(Arrangement165, EveryNoteOfARandomRollIsStoppedAfterItStarts) {
    expectRandomRollsStopEveryNote(organ165, reset165Controls, 165u, 24, 98);
}

}  // namespace

// Both organs link into one program, and what each hole table tells tools
// about a hole matches what its translator does with it: the notes it
// places go to the tracks and the note described, and control holes place
// nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "placed_notes.h"
#include "runstate.h"
#include "xlate150.h"
#include "xlate165.h"

namespace {

// Every control that can be switched on is on, so that every voice of a
// hole can sound.
void switchEverythingOn(const Organ& organ) {
    for (int hole = organ.lowestHole; hole <= organ.highestHole; ++hole) {
        const HoleKind kind = organ.describeHole(hole).kind;
        if (kind == HoleKind::Register || kind == HoleKind::Shutter) {
            organ.translate(0.0, 0.5, hole);
        }
    }
    // The 165's shutter-close hole comes before its shutter-open one.
    if (organ.describeHole == describeHole165) {
        organ.translate(0.0, 0.5, 94);
    }
}

void freshRun(const Organ& organ) {
    resetRunState();
    organ.resetControls();
    outputfile.absoluteTime();
    outputfile.addTrack(15);
    tpq = 480;
    outputfile.setTicksPerQuarterNote(tpq);
    iptempo = 60.0;
}

void expectDescriptionsMatchTheTranslator(const Organ& organ, int labelledRegisters) {
    int registers = 0;
    for (int hole = organ.lowestHole; hole <= organ.highestHole; ++hole) {
        const HoleInfo info = organ.describeHole(hole);
        SCOPED_TRACE(std::string(organ.name) + " hole " + std::to_string(hole) + " " + info.label);
        EXPECT_EQ(info.hole, hole);
        EXPECT_FALSE(info.label.empty());
        freshRun(organ);
        switchEverythingOn(organ);
        const int before = requirednotecount;
        organ.translate(10.0, 0.5, hole);
        EXPECT_EQ(requirednotecount - before, info.counted ? 1 : 0);
        std::vector<int> tracks;
        for (const Placed& p : placedNotes()) {
            if (p.onTick >= 4800) {  // placed by this hole, not by the controls
                EXPECT_EQ(p.note, info.note);
                tracks.push_back(p.track);
            }
        }
        std::sort(tracks.begin(), tracks.end());
        std::vector<int> described = info.tracks;
        std::sort(described.begin(), described.end());
        EXPECT_EQ(tracks, described);
        registers += info.kind == HoleKind::Register;
    }
    EXPECT_EQ(registers, labelledRegisters);
}

}  // namespace

TEST(HoleDescriptions, TellWhatTheTranslatorOf165Does) {
    expectDescriptionsMatchTheTranslator(organ165, 10);
    EXPECT_EQ(describeHole165(32).label, "Register gsharp2 on");
    EXPECT_EQ(describeHole165(35).label, "Bass C2");
    EXPECT_EQ(describeHole165(95).label, "Castanets");
}

TEST(HoleDescriptions, TellWhatTheTranslatorOf150Does) {
    expectDescriptionsMatchTheTranslator(organ150, 2);
    EXPECT_EQ(describeHole150(43).label, "Accomp F#4");
    EXPECT_EQ(describeHole150(28).label, "Soft delayed G2");
    EXPECT_EQ(describeHole150(77).kind, HoleKind::Nothing);
}

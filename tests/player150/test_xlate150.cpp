// Unit tests of the Wurlitzer 150 translator: the hole table, the counters,
// the soft delayed note, and the shutter, stop and bells state that its
// control holes switch.  Notes are checked as they land in outputfile.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "organ.h"
#include "placed_notes.h"
#include "runstate.h"
#include "xlate150.h"

using namespace w150;

namespace {


// A fresh run: initial state, and an arrangement of sixteen empty tracks
// at 480 ticks per quarter note and 60 beats per minute, so that one
// second of roll time is 480 ticks.
void freshRun() {
    resetRunState();
    reset150Controls();
    outputfile.absoluteTime();
    outputfile.addTrack(15);
    tpq = 480;
    outputfile.setTicksPerQuarterNote(tpq);
    iptempo = 60.0;
}

// One hole at 1.0 s for 0.25 s: ticks 480 to 600.
const int on1 = 480;
const int off1 = 600;

class Xlate150 : public ::testing::Test {
  protected:
    void SetUp() override { freshRun(); }

    static void key(int number, double start = 1.0, double length = 0.25) {
        xlate150(start, length, number);
    }
};

// ---------------------------------------------------------------------------
// The scale, key by key

// Velocities given to the sources for the walk over the scale, each its own
// value, so that every note shows which source it was taken from.
const int wStopGeneral = 21, wStopBell = 22, wSnare = 23, wPercussion = 24;

void setWalkVelocities(bool open) {
    shutteropen = open;
    generalvel = open ? 65 : 40;
    stopgeneralvel = wStopGeneral;
    stopbellvel = wStopBell;
    snarevel = wSnare;
    percussionvel = wPercussion;
}

struct Expected {
    std::vector<Placed> notes;
    bool counted;
};

// What each key places at 1.0 s for 0.25 s, with the shutter open or
// closed, and whether it is in the required set.
Expected expectedFor(int k, bool open) {
    static const int lowNotes[] = {43, 36, 38};  // G2 C2 D2: trombones 30..32, basses 33..35
    static const int accompNotes[] = {55, 57, 59, 60, 62, 64, 65, 66, 67};  // 36..44
    static const int melodyNotes[] = {67, 69, 71, 72, 73, 74, 76, 77,
                                      78, 79, 81, 83, 84, 85, 86, 88};  // 45..60
    static const int trumpetNotes[] = {60, 62, 64, 65, 66, 67, 69, 71,
                                       72, 73, 74, 76, 77, 78, 79};  // 61..75
    const int g = open ? 65 : 40;
    Expected e;
    if (k == 28) {
        e.notes = {{1, 43, 5, 1440, 1560}};  // two seconds late
    } else if (k == 29) {
        e.notes = {{10, 38, wSnare, on1, off1}};
    } else if (k >= 30 && k <= 32) {
        e.notes = {{1, lowNotes[k - 30], g, on1, off1}};
    } else if (k >= 33 && k <= 35) {
        e.notes = {{2, lowNotes[k - 33], g, on1, off1}};
    } else if (k >= 36 && k <= 44) {
        e.notes = {{5, accompNotes[k - 36], g, on1, off1}};
    } else if (k >= 45 && k <= 60) {
        int n = melodyNotes[k - 45];
        e.notes = {{7, n, g, on1, off1},
                   {8, n, wStopGeneral, on1, off1},
                   {11, n, wStopGeneral, on1, off1},
                   {12, n, wStopBell, on1, off1}};
    } else if (k >= 61 && k <= 75) {
        int n = trumpetNotes[k - 61];
        if (open) {
            e.notes = {{13, n, g, on1, off1}, {14, n, g, on1, off1}, {15, n, g, on1, off1}};
        } else {
            e.notes = {{15, n, g, on1, off1}};
        }
    } else if (k == 76) {
        e.notes = {{10, 35, wPercussion, on1, off1}};
    }
    e.counted = k >= 69 && k <= 77;
    return e;
}

void walkTheScale(bool open) {
    int requiredKeys = 0;
    for (int k = 24; k <= 77; ++k) {
        SCOPED_TRACE("key " + std::to_string(k));
        freshRun();
        setWalkVelocities(open);
        xlate150(1.0, 0.25, k);
        Expected e = expectedFor(k, open);
        EXPECT_EQ(placedNotes(), e.notes);
        EXPECT_EQ(requirednotecount, e.counted ? 1 : 0);
        EXPECT_EQ(outofrangecount, 0);
        requiredKeys += e.counted ? 1 : 0;
    }
    EXPECT_EQ(requiredKeys, 9);
}

TEST(Xlate150Scale, EveryKeyPlacesItsRanksNotesWithShutterClosed) {
    walkTheScale(false);
}

TEST(Xlate150Scale, EveryKeyPlacesItsRanksNotesWithShutterOpen) {
    walkTheScale(true);
}

TEST_F(Xlate150, ControlKeysSwitchTheirControlAndPlaceNothing) {
    key(24, 1.5);
    EXPECT_TRUE(shutteropen);
    EXPECT_EQ(shutterontime, 1.5);
    EXPECT_EQ(generalvel, 65);
    EXPECT_FALSE(bellson);
    EXPECT_FALSE(stopon);

    key(25, 2.5);
    EXPECT_TRUE(bellson);
    EXPECT_EQ(stopbellontime, 2.5);
    EXPECT_EQ(stopbellvel, 65);
    EXPECT_FALSE(stopon);

    key(26, 3.5);
    EXPECT_TRUE(stopon);
    EXPECT_EQ(stopgeneralontime, 3.5);
    EXPECT_EQ(stopgeneralvel, 65);

    EXPECT_TRUE(placedNotes().empty());
    EXPECT_EQ(requirednotecount, 0);
    EXPECT_EQ(outofrangecount, 0);
}

TEST_F(Xlate150, KeysOutsideTheScaleAreOnlyCounted) {
    key(24, 0.0);  // some state that must not change
    for (int number : {23, 78, 0, -1, -1000, 127, INT_MIN, INT_MAX}) {
        key(number, 5.0);
    }
    EXPECT_EQ(outofrangecount, 8);
    EXPECT_EQ(requirednotecount, 0);
    EXPECT_TRUE(placedNotes().empty());
    EXPECT_TRUE(shutteropen);
    EXPECT_EQ(generalvel, 65);
}

TEST_F(Xlate150, LowestAndHighestKeysAreInRange) {
    key(24);
    key(77);
    EXPECT_EQ(outofrangecount, 0);
    EXPECT_EQ(requirednotecount, 1);
}

TEST_F(Xlate150, SilentKeyCountsAlthoughItSoundsNothing) {
    for (int i = 0; i < 10; ++i) {
        key(77, i * 1.0);
    }
    EXPECT_EQ(requirednotecount, 10);
    EXPECT_TRUE(placedNotes().empty());
}

TEST_F(Xlate150, Key68NeverCountsKey69Always) {
    key(68);
    key(68);
    EXPECT_EQ(requirednotecount, 0);
    key(69);
    key(69, 2.0, 0.0);
    EXPECT_EQ(requirednotecount, 2);
}

TEST_F(Xlate150, ShortRequiredHolePlacesNothingButCounts) {
    key(70, 1.0, 0.005);
    EXPECT_TRUE(placedNotes().empty());
    EXPECT_EQ(requirednotecount, 1);
}

// ---------------------------------------------------------------------------
// Key 28, the soft delayed note

TEST_F(Xlate150, SoftDelayedNoteStartsTwoSecondsLateAtVelocityFive) {
    key(28, 10.0, 0.5);
    std::vector<Placed> expected = {{1, 43, 5, 5760, 6000}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate150, SoftDelayedNoteIgnoresTheShutter) {
    key(24, 0.0);
    key(28);
    std::vector<Placed> expected = {{1, 43, 5, 1440, 1560}};
    EXPECT_EQ(placedNotes(), expected);
}

// ---------------------------------------------------------------------------
// Ranks against the control state

TEST_F(Xlate150, AtStartMelodyAndTrumpetSoundOneRankSoftly) {
    key(45);
    key(61);
    std::vector<Placed> expected = {{7, 67, 40, on1, off1}, {15, 60, 40, on1, off1}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate150, OpenShutterRaisesRanksAndBringsInTwoTrumpets) {
    key(24, 0.0);
    key(30);  // trombone
    key(33);  // bass
    key(36);  // accompaniment
    key(45);  // melody
    key(75);  // trumpet
    key(29);  // snare
    key(76);  // bass drum
    std::vector<Placed> expected = {
        {1, 43, 65, on1, off1},  {2, 43, 65, on1, off1},  {5, 55, 65, on1, off1},
        {7, 67, 65, on1, off1},  {10, 38, 65, on1, off1}, {10, 35, 65, on1, off1},
        {13, 79, 65, on1, off1}, {14, 79, 65, on1, off1}, {15, 79, 65, on1, off1},
    };
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate150, BellsBringInTheBellRankLoud) {
    key(25, 0.0);
    key(50);
    std::vector<Placed> expected = {{7, 74, 40, on1, off1}, {12, 74, 65, on1, off1}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate150, StopWithShutterClosedBringsInTwoSoftRanks) {
    key(26, 0.0);
    key(50);
    std::vector<Placed> expected = {
        {7, 74, 40, on1, off1}, {8, 74, 40, on1, off1}, {11, 74, 40, on1, off1}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate150, StopWithShutterOpenBringsInTwoLoudRanks) {
    key(24, 0.0);
    key(26, 0.5);
    key(50);
    std::vector<Placed> expected = {
        {7, 74, 65, on1, off1}, {8, 74, 65, on1, off1}, {11, 74, 65, on1, off1}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate150, StopVelocityStaysWhatItWasWhenSwitchedOn) {
    key(26, 0.0);
    key(24, 0.5);
    key(50);
    std::vector<Placed> expected = {
        {7, 74, 65, on1, off1}, {8, 74, 40, on1, off1}, {11, 74, 40, on1, off1}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate150, RepeatedStopOnChoosesItsVelocityAnew) {
    key(26, 0.0);
    key(24, 0.5);
    key(26, 1.0);
    EXPECT_EQ(stopgeneralvel, 65);
    EXPECT_EQ(stopgeneralontime, 1.0);
}

TEST_F(Xlate150, ControlHoleOfNoDurationActsLikeALongOne) {
    key(26, 1.0, 0.0);
    key(25, 1.0, 0.0);
    key(24, 1.0, 0.0);
    EXPECT_TRUE(stopon);
    EXPECT_TRUE(bellson);
    EXPECT_TRUE(shutteropen);
    key(27, 2.0, 0.0);
    EXPECT_FALSE(stopon);
    EXPECT_FALSE(bellson);
    EXPECT_FALSE(shutteropen);
}

// ---------------------------------------------------------------------------
// Cancel and its grace period

TEST_F(Xlate150, CancelSparesStopSwitchedOnWithinGracePeriod) {
    key(26, 5.0);
    key(27, 5.05);
    EXPECT_TRUE(stopon);
    EXPECT_EQ(stopgeneralvel, 40);
}

TEST_F(Xlate150, CancelSwitchesOffStopAfterGracePeriod) {
    key(26, 5.0);
    key(27, 5.08);
    EXPECT_FALSE(stopon);
    EXPECT_EQ(stopgeneralvel, 0);
}

// The three controls that a cancel can switch off, by their on-key.
struct ControlVars {
    int onKey;
    const char* name;
    bool& on;
    double& ontime;
    int& vel;
    int offVel;
};

ControlVars allControls[] = {
    {24, "shutter", shutteropen, shutterontime, generalvel, 40},
    {25, "bells", bellson, stopbellontime, stopbellvel, 0},
    {26, "stop", stopon, stopgeneralontime, stopgeneralvel, 0},
};

TEST_F(Xlate150, CancelExactlyAtEndOfGracePeriodSparesEveryControl) {
    for (const ControlVars& c : allControls) {
        SCOPED_TRACE(c.name);
        freshRun();
        key(c.onKey, 0.5);
        int onVel = c.vel;
        key(27, 0.5 + deltatime);
        EXPECT_TRUE(c.on);
        EXPECT_EQ(c.vel, onVel);
        key(27, std::nextafter(0.5 + deltatime, 1.0));
        EXPECT_FALSE(c.on);
        EXPECT_EQ(c.vel, c.offVel);
    }
}

TEST_F(Xlate150, CancelSparesControlsSwitchedOnAfterItsStart) {
    for (const ControlVars& c : allControls) {
        SCOPED_TRACE(c.name);
        freshRun();
        key(c.onKey, 2.0);  // opened after the cancel hole, closed before it
        key(27, 1.0);
        EXPECT_TRUE(c.on);
    }
}

TEST_F(Xlate150, CancelJudgesEachControlByItsOwnOnTime) {
    key(24, 0.0);
    key(26, 0.98);
    key(25, 0.0);
    key(27, 1.0);
    EXPECT_FALSE(shutteropen);
    EXPECT_EQ(generalvel, 40);
    EXPECT_TRUE(stopon);
    EXPECT_FALSE(bellson);
    EXPECT_EQ(stopbellvel, 0);
}

TEST_F(Xlate150, CancelClosingShutterLeavesSparedStopLoud) {
    key(24, 0.0);
    key(26, 5.0);
    key(27, 5.03);
    EXPECT_FALSE(shutteropen);
    EXPECT_EQ(generalvel, 40);
    EXPECT_TRUE(stopon);
    EXPECT_EQ(stopgeneralvel, 65);
    key(45, 6.0);
    std::vector<Placed> expected = {
        {7, 67, 40, 2880, 3000}, {8, 67, 65, 2880, 3000}, {11, 67, 65, 2880, 3000}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate150, GracePeriodRunsFromTheLatestOnHole) {
    key(24, 1.0);
    key(24, 2.0);
    key(27, 2.05);
    EXPECT_TRUE(shutteropen);
    EXPECT_EQ(generalvel, 65);
}

TEST_F(Xlate150, CancelWithNothingOnChangesNothing) {
    key(27, 3.0);
    key(27, 3.01);
    EXPECT_FALSE(shutteropen);
    EXPECT_FALSE(stopon);
    EXPECT_FALSE(bellson);
    EXPECT_EQ(generalvel, 40);
    EXPECT_EQ(stopgeneralvel, 0);
    EXPECT_EQ(stopbellvel, 0);
    EXPECT_TRUE(placedNotes().empty());
    EXPECT_EQ(requirednotecount, 0);
    EXPECT_EQ(outofrangecount, 0);
}

TEST_F(Xlate150, SecondCancelChangesNothingMore) {
    key(24, 0.0);
    key(25, 0.0);
    key(26, 1.0);   // at 65: the shutter is open
    key(27, 1.02);  // shutter and bells go, the stop stays
    key(27, 1.04);
    EXPECT_FALSE(shutteropen);
    EXPECT_EQ(generalvel, 40);
    EXPECT_FALSE(bellson);
    EXPECT_TRUE(stopon);
    EXPECT_EQ(stopgeneralvel, 65);
}

TEST_F(Xlate150, DrumsIgnoreShutterAndCancel) {
    key(24, 0.0);
    key(29, 0.5);
    key(27, 1.0);
    key(76, 1.5);
    EXPECT_EQ(snarevel, 65);
    EXPECT_EQ(percussionvel, 65);
    std::vector<Placed> expected = {{10, 38, 65, 240, 360}, {10, 35, 65, 720, 840}};
    EXPECT_EQ(placedNotes(), expected);
}

// ---------------------------------------------------------------------------
// Holes arrive in the order they close

TEST_F(Xlate150, ControlActsOnlyOnHolesTranslatedAfterIt) {
    key(45, 1.0, 0.25);  // began after the stop-on hole, closed before it
    key(26, 0.5, 1.0);
    key(46, 0.25, 1.5);  // began before the stop-on hole, closed after it
    std::vector<Placed> expected = {{7, 67, 40, 480, 600},
                                    {7, 69, 40, 120, 840},
                                    {8, 69, 40, 120, 840},
                                    {11, 69, 40, 120, 840}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate150, OnHoleClosingAfterCancelSurvivesIt) {
    key(27, 1.0);
    key(25, 0.9);  // opened 0.1 s before the cancel, closed after it
    EXPECT_TRUE(bellson);
    EXPECT_EQ(stopbellvel, 65);
}

}  // namespace

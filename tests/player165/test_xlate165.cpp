// Unit tests of the Wurlitzer 165 translator: the hole table, the counters,
// the soft delayed note, and the register and shutter state that its
// control holes switch.  Notes are checked as they land in outputfile.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "organ.h"
#include "placed_notes.h"
#include "runstate.h"
#include "xlate165.h"

using namespace w165;

namespace {


// The control state by register name, as the tests look at it.
struct RegisterVars {
    const char* name;
    bool& open;
    double& opentime;
    int& vel;
};

RegisterVars allRegisters[] = {
    {"a7", a7open, a7opentime, a7vel},
    {"c2", c2open, c2opentime, c2vel},
    {"gsharp2", gsharp2open, gsharp2opentime, gsharp2vel},
    {"gsharp7", gsharp7open, gsharp7opentime, gsharp7vel},
    {"a2", a2open, a2opentime, a2vel},
    {"g7", g7open, g7opentime, g7vel},
    {"d2orf2", d2orf2open, d2orf2opentime, d2orf2vel},
    {"g2", g2open, g2opentime, g2vel},
};

// A fresh run: initial state, and an arrangement of sixteen empty tracks
// at 480 ticks per quarter note and 60 beats per minute, so that one
// second of roll time is 480 ticks.
void freshRun() {
    resetRunState();
    reset165Controls();
    outputfile.absoluteTime();
    outputfile.addTrack(15);
    tpq = 480;
    outputfile.setTicksPerQuarterNote(tpq);
    iptempo = 60.0;
}

// One hole at 1.0 s for 0.25 s: ticks 480 to 600.
const int on1 = 480;
const int off1 = 600;

class Xlate165 : public ::testing::Test {
  protected:
    void SetUp() override { freshRun(); }

    static void hole(int number, double start = 1.0, double length = 0.25) {
        xlate165(start, length, number);
    }
};

// ---------------------------------------------------------------------------
// The scale, hole by hole

// Velocities given to the sources for the walk over the scale, each its own
// value, so that every note shows which source it was taken from.
const int wGeneral = 40, wA7 = 11, wC2 = 12, wGsharp2 = 13, wGsharp7 = 14, wA2 = 15, wG7 = 16,
          wD2orf2 = 17, wG2 = 18, wPercussion = 19;

void setWalkVelocities() {
    generalvel = wGeneral;
    a7vel = wA7;
    c2vel = wC2;
    gsharp2vel = wGsharp2;
    gsharp7vel = wGsharp7;
    a2vel = wA2;
    g7vel = wG7;
    d2orf2vel = wD2orf2;
    g2vel = wG2;
    percussionvel = wPercussion;
}

struct Expected {
    std::vector<Placed> notes;
    bool counted;
};

// What each hole places at 1.0 s for 0.25 s, from the sections of the 165
// scale, and whether it is in the required set.
Expected expectedFor(int hole) {
    static const int bassNotes[] = {36, 38, 40, 41, 43, 45};                   // 35..40
    static const int accompNotes[] = {55, 57, 58, 59, 60, 61, 62, 64, 65, 66};  // 42..51
    Expected e;
    if (hole >= 35 && hole <= 40) {
        int k = bassNotes[hole - 35];
        e.notes = {{1, k, wGeneral, on1, off1}, {2, k, wA7, on1, off1}};
    } else if (hole == 41) {
        e.notes = {{1, 45, 5, 1440, 1560}};  // two seconds late
    } else if (hole >= 42 && hole <= 51) {
        int k = accompNotes[hole - 42];
        e.notes = {{3, k, wGeneral, on1, off1}, {4, k, wC2, on1, off1}};
    } else if (hole >= 53 && hole <= 74) {
        int k = hole <= 72 ? hole + 14 : (hole == 73 ? 88 : 89);
        e.notes = {{5, k, wGsharp2, on1, off1},
                   {6, k, wGsharp7, on1, off1},
                   {7, k, wA2, on1, off1},
                   {9, k, wG7, on1, off1},
                   {12, k, wD2orf2, on1, off1}};
    } else if (hole >= 76 && hole <= 89) {
        int k = hole <= 85 ? hole - 23 : hole - 22;
        e.notes = {{13, k, wGeneral, on1, off1}, {14, k, wG2, on1, off1}};
    } else {
        int k = 0;
        switch (hole) {
            case 27: k = 81; break;  // Open Triangle
            case 30: k = 57; break;  // Crash Cymbal 2
            case 34: k = 38; break;  // Acoustic Snare
            case 90: k = 35; break;  // Acoustic Bass Drum
            case 95: k = 85; break;  // Castanets
            case 96: k = 40; break;  // Electric Snare
            case 97: k = 64; break;  // Low Conga
        }
        if (k != 0) {
            e.notes = {{10, k, wPercussion, on1, off1}};
        }
    }
    e.counted = (hole >= 78 && hole <= 87) || hole == 89 || hole == 90 || hole == 91 ||
                (hole >= 94 && hole <= 98);
    return e;
}

TEST(Xlate165Scale, EveryHolePlacesItsSectionsNotesAndCountsAsRequired) {
    int requiredHoles = 0;
    for (int number = 24; number <= 98; ++number) {
        SCOPED_TRACE("hole " + std::to_string(number));
        freshRun();
        setWalkVelocities();
        xlate165(1.0, 0.25, number);
        Expected e = expectedFor(number);
        EXPECT_EQ(placedNotes(), e.notes);
        EXPECT_EQ(requirednotecount, e.counted ? 1 : 0);
        EXPECT_EQ(outofrangecount, 0);
        requiredHoles += e.counted ? 1 : 0;
    }
    EXPECT_EQ(requiredHoles, 18);
}

// The register that each register hole switches on.
struct RegisterHole {
    int hole;
    const char* reg;
};

const RegisterHole registerHoles[] = {
    {24, "c2"}, {25, "g2"},      {26, "d2orf2"},  {29, "d2orf2"}, {31, "g2"},
    {32, "gsharp2"}, {33, "a2"}, {91, "g7"},      {92, "gsharp7"}, {93, "a7"},
};

TEST(Xlate165Scale, EachRegisterHoleSwitchesOnItsOwnRegisterOnly) {
    for (const RegisterHole& rh : registerHoles) {
        SCOPED_TRACE("hole " + std::to_string(rh.hole));
        freshRun();
        xlate165(3.0, 0.25, rh.hole);
        for (const RegisterVars& r : allRegisters) {
            SCOPED_TRACE(r.name);
            if (std::strcmp(r.name, rh.reg) == 0) {
                EXPECT_TRUE(r.open);
                EXPECT_EQ(r.opentime, 3.0);
                EXPECT_EQ(r.vel, std::strcmp(r.name, "d2orf2") == 0 ? 65 : 40);
            } else {
                EXPECT_FALSE(r.open);
                EXPECT_EQ(r.vel, 0);
            }
        }
        EXPECT_FALSE(shutteropen);
        EXPECT_EQ(generalvel, 40);
        EXPECT_TRUE(placedNotes().empty());
    }
}

TEST_F(Xlate165, HolesOutsideTheScaleAreOnlyCounted) {
    hole(94, 0.0);  // some state that must not change
    hole(24, 0.0);
    for (int number : {23, 99, 0, -1, 127, 1000, INT_MIN, INT_MAX}) {
        hole(number, 5.0);
    }
    EXPECT_EQ(outofrangecount, 8);
    EXPECT_EQ(requirednotecount, 1);  // hole 94
    EXPECT_TRUE(placedNotes().empty());
    EXPECT_TRUE(shutteropen);
    EXPECT_EQ(generalvel, 65);
    EXPECT_TRUE(c2open);
    EXPECT_EQ(c2vel, 65);
}

TEST_F(Xlate165, CountersGrowWithEveryRequiredHole) {
    hole(78);
    hole(78);
    hole(98);
    hole(94);
    hole(52);
    hole(88);
    EXPECT_EQ(requirednotecount, 4);
    EXPECT_EQ(outofrangecount, 0);
}

TEST_F(Xlate165, HolesFiftyTwoAndNinetyEightPlaceNothing) {
    hole(52);
    EXPECT_EQ(requirednotecount, 0);
    hole(98);
    EXPECT_EQ(requirednotecount, 1);
    EXPECT_TRUE(placedNotes().empty());
}

TEST_F(Xlate165, ShortRequiredHolePlacesNothingButCounts) {
    hole(90, 1.0, 0.005);
    hole(80, 1.0, 0.005);
    EXPECT_TRUE(placedNotes().empty());
    EXPECT_EQ(requirednotecount, 2);
}

// ---------------------------------------------------------------------------
// Hole 41, the soft delayed note

TEST_F(Xlate165, SoftDelayedNoteStartsTwoSecondsLateAtVelocityFive) {
    hole(41, 10.0, 0.5);
    std::vector<Placed> expected = {{1, 45, 5, 5760, 6000}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate165, SoftDelayedNoteIgnoresRegistersAndShutter) {
    hole(94, 0.0);  // shutter open
    hole(93, 0.0);  // a7, the bass register
    hole(41, 1.0);
    std::vector<Placed> expected = {{1, 45, 5, 1440, 1560}};
    EXPECT_EQ(placedNotes(), expected);
}

// ---------------------------------------------------------------------------
// Sections against the register state

TEST_F(Xlate165, AtStartOnlyTheGeneralVoicesSoundSoftly) {
    hole(35);  // bass
    hole(42);  // accompaniment
    hole(53);  // melody: silent
    hole(76);  // trumpet
    std::vector<Placed> expected = {
        {1, 36, 40, on1, off1}, {3, 55, 40, on1, off1}, {13, 53, 40, on1, off1}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate165, BassWithA7OnSoundsOnBothVoices) {
    hole(93, 0.0);
    hole(35, 1.0, 0.5);
    std::vector<Placed> expected = {{1, 36, 40, 480, 720}, {2, 36, 40, 480, 720}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate165, MelodyWithAllFiveRegistersOnSoundsFiveVoices) {
    for (int number : {32, 92, 33, 91, 26}) {
        hole(number, 0.0);
    }
    hole(60);
    std::vector<Placed> expected = {{5, 74, 40, on1, off1},
                                    {6, 74, 40, on1, off1},
                                    {7, 74, 40, on1, off1},
                                    {9, 74, 40, on1, off1},
                                    {12, 74, 65, on1, off1}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate165, TrumpetRegisterG2DoublesTheTrumpets) {
    hole(31, 0.0);
    hole(94, 0.0);
    hole(89);
    std::vector<Placed> expected = {{13, 67, 65, on1, off1}, {14, 67, 65, on1, off1}};
    EXPECT_EQ(placedNotes(), expected);
}

// ---------------------------------------------------------------------------
// Register on, shutter open, shutter close

TEST_F(Xlate165, RegisterFollowsTheShutter) {
    hole(24, 0.0);
    EXPECT_EQ(c2vel, 40);
    hole(94, 1.0);
    EXPECT_EQ(c2vel, 65);
    EXPECT_EQ(generalvel, 65);
    hole(28, 2.0);
    EXPECT_EQ(c2vel, 40);
    EXPECT_EQ(generalvel, 40);
    EXPECT_TRUE(c2open);
}

TEST_F(Xlate165, RegisterSwitchedOnWhileShutterOpenSpeaksAt65) {
    hole(94, 0.0);
    hole(33, 1.0);
    EXPECT_TRUE(a2open);
    EXPECT_EQ(a2vel, 65);
}

TEST_F(Xlate165, D2orf2AlwaysSpeaksAt65) {
    hole(26, 0.0);
    EXPECT_EQ(d2orf2vel, 65);
    hole(94, 1.0);
    EXPECT_EQ(d2orf2vel, 65);
    hole(28, 2.0);
    EXPECT_EQ(d2orf2vel, 65);
    hole(29, 3.0);
    EXPECT_EQ(d2orf2vel, 65);
    EXPECT_EQ(d2orf2opentime, 3.0);
}

TEST_F(Xlate165, ShutterTouchesOnlyRegistersThatAreOn) {
    hole(93, 0.0);  // a7 on
    hole(94, 1.0);
    EXPECT_EQ(a7vel, 65);
    for (const RegisterVars& r : allRegisters) {
        if (std::strcmp(r.name, "a7") != 0) {
            EXPECT_FALSE(r.open) << r.name;
            EXPECT_EQ(r.vel, 0) << r.name;
        }
    }
    hole(28, 2.0);
    EXPECT_EQ(a7vel, 40);
    EXPECT_EQ(c2vel, 0);
}

TEST_F(Xlate165, ShutterOpenRecordsItsStartAndCloseKeepsIt) {
    hole(94, 1.5);
    EXPECT_TRUE(shutteropen);
    EXPECT_EQ(shutteropentime, 1.5);
    hole(28, 4.0);
    EXPECT_FALSE(shutteropen);
    EXPECT_EQ(shutteropentime, 1.5);
}

TEST_F(Xlate165, ShutterCloseOnClosedShutterStillLowersRegisters) {
    hole(94, 1.0);   // shutter open
    hole(33, 1.2);   // a2 on at 65
    hole(75, 1.25);  // closes the shutter, spares a2
    ASSERT_FALSE(shutteropen);
    ASSERT_EQ(a2vel, 65);
    hole(28, 2.0);
    EXPECT_EQ(a2vel, 40);
    EXPECT_EQ(generalvel, 40);
}

TEST_F(Xlate165, GeneralVoicesFollowTheShutter) {
    hole(94, 0.0);
    hole(35);
    hole(28, 1.5);
    hole(36, 2.0);
    std::vector<Placed> expected = {{1, 36, 65, 480, 600}, {1, 38, 40, 960, 1080}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate165, RepeatedRegisterOnMovesTheOpenTime) {
    hole(32, 1.0);
    hole(32, 2.0);
    EXPECT_EQ(gsharp2opentime, 2.0);
    hole(75, 2.05);  // within the grace period of the later hole
    EXPECT_TRUE(gsharp2open);
}

TEST_F(Xlate165, OpenTimeIsTheStartOfTheLatestTranslatedHoleEvenIfEarlier) {
    hole(32, 2.0);
    hole(32, 1.0);  // opened earlier, closed later
    EXPECT_EQ(gsharp2opentime, 1.0);
    hole(75, 1.5);
    EXPECT_FALSE(gsharp2open);
}

TEST_F(Xlate165, RegisterOnRederivesVelocityFromTheShutter) {
    hole(94, 0.0);
    hole(24, 1.0);
    ASSERT_EQ(c2vel, 65);
    hole(75, 1.05);  // closes the shutter, spares c2 at 65
    ASSERT_FALSE(shutteropen);
    ASSERT_EQ(c2vel, 65);
    hole(24, 2.0);
    EXPECT_EQ(c2vel, 40);
}

// ---------------------------------------------------------------------------
// Cancel and its grace period

TEST_F(Xlate165, CancelSparesRegisterSwitchedOnWithinGracePeriod) {
    hole(24, 1.0);
    hole(75, 1.05);
    EXPECT_TRUE(c2open);
    EXPECT_EQ(c2vel, 40);
}

TEST_F(Xlate165, CancelSwitchesOffRegisterAfterGracePeriod) {
    hole(24, 1.0);
    hole(75, 1.5);
    EXPECT_FALSE(c2open);
    EXPECT_EQ(c2vel, 0);
    hole(42, 2.0);
    std::vector<Placed> expected = {{3, 55, 40, 960, 1080}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate165, CancelExactlyAtEndOfGracePeriodSpares) {
    hole(32, 0.5);
    hole(75, 0.5 + deltatime);
    EXPECT_TRUE(gsharp2open);
    hole(75, std::nextafter(0.5 + deltatime, 1.0));
    EXPECT_FALSE(gsharp2open);
}

TEST_F(Xlate165, CancelSparesRegisterSwitchedOnAfterItsStart) {
    hole(91, 2.0);  // opened after the cancel hole, closed before it
    hole(75, 1.0);
    EXPECT_TRUE(g7open);
}

TEST_F(Xlate165, CancelClosesShutterOnlyAfterGracePeriod) {
    hole(94, 1.0);
    hole(75, 1.05);
    EXPECT_TRUE(shutteropen);
    EXPECT_EQ(generalvel, 65);
    hole(75, 1.5);
    EXPECT_FALSE(shutteropen);
    EXPECT_EQ(generalvel, 40);
}

TEST_F(Xlate165, CancelClosingShutterLeavesSparedRegisterLoud) {
    hole(94, 1.0);
    hole(33, 1.2);
    hole(75, 1.25);
    EXPECT_FALSE(shutteropen);
    EXPECT_EQ(generalvel, 40);
    EXPECT_TRUE(a2open);
    EXPECT_EQ(a2vel, 65);
}

TEST_F(Xlate165, CancelJudgesEveryRegisterByItsOwnOpenTime) {
    // Four registers switched on long before the cancel, four within its
    // grace period.
    const int early[] = {24, 26, 32, 91};  // c2, d2orf2, gsharp2, g7
    const int late[] = {25, 33, 92, 93};   // g2, a2, gsharp7, a7
    for (int number : early) hole(number, 0.0);
    for (int number : late) hole(number, 0.98);
    hole(75, 1.0);
    EXPECT_FALSE(c2open);
    EXPECT_FALSE(d2orf2open);
    EXPECT_FALSE(gsharp2open);
    EXPECT_FALSE(g7open);
    EXPECT_EQ(c2vel + d2orf2vel + gsharp2vel + g7vel, 0);
    EXPECT_TRUE(g2open);
    EXPECT_TRUE(a2open);
    EXPECT_TRUE(gsharp7open);
    EXPECT_TRUE(a7open);
    EXPECT_EQ(g2vel, 40);
    EXPECT_EQ(a7vel, 40);
}

TEST_F(Xlate165, CancelSwitchesOffEveryRegister) {
    for (const RegisterHole& rh : registerHoles) {
        hole(rh.hole, 0.0);
    }
    hole(94, 0.0);
    hole(75, 1.0);
    for (const RegisterVars& r : allRegisters) {
        EXPECT_FALSE(r.open) << r.name;
        EXPECT_EQ(r.vel, 0) << r.name;
    }
    EXPECT_FALSE(shutteropen);
    EXPECT_EQ(generalvel, 40);
}

TEST_F(Xlate165, CancelWithNothingOnChangesNothing) {
    hole(75, 5.0);
    for (const RegisterVars& r : allRegisters) {
        EXPECT_FALSE(r.open) << r.name;
        EXPECT_EQ(r.vel, 0) << r.name;
        EXPECT_EQ(r.opentime, 0.0) << r.name;
    }
    EXPECT_FALSE(shutteropen);
    EXPECT_EQ(generalvel, 40);
    EXPECT_TRUE(placedNotes().empty());
    EXPECT_EQ(requirednotecount, 0);
}

TEST_F(Xlate165, PercussionIgnoresShutterAndCancel) {
    hole(27, 0.0);
    hole(94, 0.5);
    hole(30, 1.0);
    hole(75, 1.5);
    hole(34, 2.0);
    EXPECT_EQ(percussionvel, 65);
    std::vector<Placed> expected = {
        {10, 81, 65, 0, 120}, {10, 57, 65, 480, 600}, {10, 38, 65, 960, 1080}};
    EXPECT_EQ(placedNotes(), expected);
}

// ---------------------------------------------------------------------------
// Holes arrive in the order they close

TEST_F(Xlate165, ControlActsOnHolesTranslatedAfterItEvenIfTheyBeganEarlier) {
    hole(53, 0.0, 2.0);  // closes before the register hole: silent
    hole(32, 0.5, 1.0);  // gsharp2 on
    hole(54, 0.25, 1.5);  // began before the register hole, closes after it
    std::vector<Placed> expected = {{5, 68, 40, 120, 840}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate165, NotesAlreadyPlacedKeepTheirVelocity) {
    hole(24, 0.0);
    hole(42, 0.5);
    hole(94, 1.0);
    hole(43, 1.5);
    std::vector<Placed> expected = {{3, 55, 40, 240, 360},
                                    {3, 57, 65, 720, 840},
                                    {4, 55, 40, 240, 360},
                                    {4, 57, 65, 720, 840}};
    EXPECT_EQ(placedNotes(), expected);
}

TEST_F(Xlate165, RegisterHoleClosingAfterCancelSurvivesIt) {
    hole(75, 1.0);  // cancel, translated first
    hole(33, 0.9);  // opened 0.1 s before the cancel, closed after it
    EXPECT_TRUE(a2open);
    EXPECT_EQ(a2vel, 40);
}

}  // namespace

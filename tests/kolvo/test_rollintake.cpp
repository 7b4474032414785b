// Rolls taken in as people have them: a conductor track joined to the note
// track byte for byte, holes shifted, and the files refused that cannot be
// made one roll.

#include <gtest/gtest.h>

#include "organs.h"
#include "roll.h"
#include "rollbytes.h"
#include "rollintake.h"

namespace {

// A tempo (60 beats per minute) and a title on the conductor track; a
// hole on the note track.
const std::string conductor = "00 FF 51 03 0F 42 40 00 FF 03 01 54";
const std::string notes = "00 90 3C 40 10 80 3C 00";

struct Taken {
    bool ok;
    std::string bytes;
    std::string rule;
    std::string refusal;
};

Taken taken(const std::string& file, RollIntake intake) {
    RollFile roll{"r.mid", file};
    const char* rule = nullptr;
    std::string refusal;
    const bool ok = takeIn(roll, intake, rule, refusal);
    return {ok, roll.bytes, rule != nullptr ? rule : "", refusal};
}

std::string formatTwo(std::string file) {
    file[9] = 2;
    return file;
}

}  // namespace

TEST(RollIntake, FilesAreJoinedShiftedOrRefused) {
    const std::string joined = midiFile(96, {conductor + " " + notes});
    const std::string withSysex = midiFile(96, {conductor + " 00 F0 03 7E 7F F7", notes});
    const std::string twoChannels =
        midiFile(96, {conductor, notes + " 00 92 3E 40 10 82 3E 00"});
    const std::string twoNotes = midiFile(96, {conductor + " " + notes, "00 90 3E 40 10 80 3E 00"});
    const struct {
        const char* name;
        std::string file;
        RollIntake intake;
        Taken expected;
    } cases[] = {
        {"a roll stays as it is", joined, {}, {true, joined, "", ""}},
        {"a conductor track is joined", midiFile(96, {conductor, notes}), {},
         {true, joined, "", ""}},
        {"system exclusive is left out", withSysex, {}, {true, joined, "", ""}},
        {"an octave down", joined, {-12, false},
         {true, midiFile(96, {conductor + " 00 90 30 40 10 80 30 00"}), "", ""}},
        {"joined and shifted", midiFile(96, {conductor, notes}), {24, false},
         {true, midiFile(96, {conductor + " 00 90 54 40 10 80 54 00"}), "", ""}},
        {"off the tracker bar", joined, {-61, false},
         {false, joined, "shift", "--shift -61 moves hole 60 off the tracker bar (0 to 127)"}},
        {"to its last key", joined, {67, false},
         {true, midiFile(96, {conductor + " 00 90 7F 40 10 80 7F 00"}), "", ""}},
        {"one key past it", joined, {68, false},
         {false, joined, "shift", "--shift 68 moves hole 60 off the tracker bar (0 to 127)"}},
        {"notes on two tracks", twoNotes, {},
         {false, twoNotes, "tracks",
          "notes on 2 tracks (track 0 \"T\" and track 1), a roll has them on one: --join joins "
          "them"}},
        {"notes on two channels", twoChannels, {},
         {false, twoChannels, "tracks",
          "notes on 2 channels (1 and 3), a roll has them on one: --join joins them"}},
        {"notes on two channels joined", twoChannels, {0, true},
         {true, midiFile(96, {conductor + " " + notes + " 00 92 3E 40 10 82 3E 00"}), "", ""}},
        {"notes on two tracks joined", twoNotes, {0, true},
         {true,
          midiFile(96, {conductor + " 00 90 3C 40 00 90 3E 40 10 80 3C 00 00 80 3E 00"}), "",
          ""}},
        {"format 2 is the reader's to refuse", formatTwo(midiFile(96, {conductor, notes})),
         {0, true}, {true, formatTwo(midiFile(96, {conductor, notes})), "", ""}},
        {"no MIDI file is left for the arrangement", "hello", {12, true},
         {true, "hello", "", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Taken t = taken(c.file, c.intake);
        EXPECT_EQ(t.ok, c.expected.ok);
        EXPECT_EQ(t.bytes, c.expected.bytes);
        EXPECT_EQ(t.rule, c.expected.rule);
        EXPECT_EQ(t.refusal, c.expected.refusal);
    }
}

// The end of the joined track is where the longest track ended: here the
// conductor's, 0x60 ticks in, 0x50 after the last note.
TEST(RollIntake, TheJoinedTrackEndsWhereTheLongestEnded) {
    std::string file = midiFile(96, {conductor, notes});
    const std::string end = hexBytes("00 FF 2F 00");
    file.replace(file.find(end), end.size(), hexBytes("60 FF 2F 00"));
    const Taken t = taken(file, {});
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.bytes.substr(t.bytes.size() - 4), hexBytes("50 FF 2F 00"));
}

// The joined roll plays as the one-track roll it stands for: the same
// arrangement, byte for byte, on every organ; and a shifted roll shifted
// back plays as the original.  The 150's stop is switched on by a hole
// that opens and closes on one tick: sorting note-offs before note-ons
// there would lose it, and the melody hole 45 would sound without it.
TEST(RollIntake, AJoinedOrShiftedRollArrangesAsTheOriginal) {
    const std::string holes =
        " 00 90 1A 40 00 80 1A 00" + holesHex({77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 24, 45, 27});
    const std::string oneTrack = midiFile(100, {conductor + holes});
    const std::string twoTracks = midiFile(100, {conductor, holes});
    const std::string shifted =
        midiFile(100, {conductor + " 00 90 26 40 00 80 26 00" +
                       holesHex({89, 89, 89, 89, 89, 89, 89, 89, 89, 89, 36, 57, 39})});
    for (const Organ* organ : organs()) {
        SCOPED_TRACE(organ->name);
        RollFile joined{"j.mid", twoTracks};
        RollFile unshifted{"s.mid", shifted};
        const char* rule = nullptr;
        std::string refusal;
        ASSERT_TRUE(takeIn(joined, {}, rule, refusal));
        ASSERT_TRUE(takeIn(unshifted, {-12, false}, rule, refusal));
        const Arrangement original = arrangeFor(*organ, RollFile{"o.mid", oneTrack}, "");
        ASSERT_FALSE(original.file.empty());
        EXPECT_EQ(arrangeFor(*organ, joined, "").file, original.file);
        EXPECT_EQ(arrangeFor(*organ, unshifted, "").file, original.file);
    }
}

// What plays a refused roll: the other organ as it is, else a shift of
// whole octaves that puts every hole on a scale, the smallest first.
TEST(RollIntake, ARefusalSaysWhatWouldPlayTheRoll) {
    const RollFile roll150{"r.mid",
                           midiFile(100, {holesHex({77, 77, 77, 77, 77, 77, 77, 77, 77, 77})})};
    // Two octaves above the 150's silent hole 77: one octave above the
    // 165's hole 89.
    const RollFile up24{
        "u.mid", midiFile(100, {holesHex({101, 101, 101, 101, 101, 101, 101, 101, 101, 101})})};
    const RollFile wide{"w.mid", midiFile(100, {holesHex({10, 11, 12, 100})})};
    const struct {
        const char* name;
        const Organ* organ;
        const RollFile& roll;
        std::string text;
    } cases[] = {
        {"every hole outside, below and above", findOrgan("150"), wide,
         "4 holes outside the Wurlitzer 150 scale 24 to 77, at most 2 allowed"},
        {"the other organ", findOrgan("165"), roll150,
         "0 of the Wurlitzer 165's required holes, at least 10 needed; it plays as a Wurlitzer "
         "150 roll: --organ 150, or kolvo150"},
        {"octaves off, either organ", nullptr, up24,
         "fits neither organ: 10 holes outside the Wurlitzer 165 scale 24 to 98, at most 2 "
         "allowed; 10 holes outside the Wurlitzer 150 scale 24 to 77, at most 2 allowed; the "
         "holes lie 12 keys above the Wurlitzer 165 scale: --shift -12 plays it; the holes lie "
         "24 keys above the Wurlitzer 150 scale: --shift -24 plays it"},
        {"octaves off, an organ named", findOrgan("165"), up24,
         "10 holes outside the Wurlitzer 165 scale 24 to 98, at most 2 allowed; the holes lie "
         "12 keys above the Wurlitzer 165 scale: --shift -12 plays it; the holes lie 24 keys "
         "above the Wurlitzer 150 scale: --organ 150 --shift -24 plays it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(refusalText(arrangeForOrgan(c.organ, c.roll, "")), c.text);
    }
    // Shifted by an octave too many: back to the file as it is.
    RollFile down{"d.mid", roll150.bytes};
    const char* rule = nullptr;
    std::string refusal;
    ASSERT_TRUE(takeIn(down, {-12, false}, rule, refusal));
    EXPECT_EQ(refusalText(arrangeForOrgan(findOrgan("150"), down, "")),
              "0 of the Wurlitzer 150's required holes, at least 10 needed; the holes fit the "
              "Wurlitzer 150 scale unshifted: leave out --shift");
    const Arrangement a = arrangeForOrgan(nullptr, up24, "");
    ASSERT_EQ(a.advice.size(), 2u);
    EXPECT_EQ(a.advice[1].organ, findOrgan("150"));
    EXPECT_EQ(a.advice[1].shift, -24);
}

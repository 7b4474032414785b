// Tempo map, timing queries and the text dump.

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "MidiFile.h"
#include "eventbytes.h"
#include "testbytes.h"

namespace {

// A tempo event of that many microseconds per quarter note.
std::string tempoHex(int micro) {
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "FF 51 03 %02X %02X %02X", (micro >> 16) & 0xFF,
                  (micro >> 8) & 0xFF, micro & 0xFF);
    return buffer;
}

// Lets a test look at the tempo map itself.
class MapProbe : public MidiFile {
  public:
    std::vector<int> ticks() {
        std::vector<int> out;
        for (int i = 0; i < timemap.getSize(); i++) {
            out.push_back(timemap[i].tick);
        }
        return out;
    }
};

// Division 480, no tempo event, events at 0, 480 and 960: the map
// (0, 0.0), (480, 0.5), (960, 1.0).
void plainFile(MidiFile& midifile) {
    midifile.absoluteTime();
    midifile.setTicksPerQuarterNote(480);
    add(midifile, 0, 0, "90 3C 40");
    add(midifile, 0, 480, "80 3C 00");
    add(midifile, 0, 960, "FF 2F 00");
}

// Division 480, a tempo change to 250000 microseconds at 480, events at
// 480 and 960.
void fasterAt480(MidiFile& midifile) {
    midifile.absoluteTime();
    midifile.setTicksPerQuarterNote(480);
    add(midifile, 0, 480, tempoHex(250000));
    add(midifile, 0, 480, "90 3C 40");
    add(midifile, 0, 960, "80 3C 00");
}

}  // namespace

// ---------------------------------------------------------------- seconds at a tick

TEST(TimeInSeconds, DefaultTempoIs120) {
    MidiFile midifile;
    plainFile(midifile);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(0), 0.0);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(480), 0.5);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(960), 1.0);
}

TEST(TimeInSeconds, TempoAtTickZero) {
    MidiFile midifile;
    midifile.absoluteTime();
    midifile.setTicksPerQuarterNote(480);
    add(midifile, 0, 0, "FF 51 03 0F 42 40");
    add(midifile, 0, 480, "90 3C 40");
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(480), 1.0);
}

TEST(TimeInSeconds, TempoChangeAppliesFromItsTick) {
    MidiFile midifile;
    fasterAt480(midifile);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(480), 0.5);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(960), 0.75);
}

TEST(TimeInSeconds, TempoEventsOfAllTracksCount) {
    MidiFile midifile;
    midifile.absoluteTime();
    midifile.setTicksPerQuarterNote(480);
    midifile.addTrack();
    add(midifile, 0, 480, tempoHex(250000));
    add(midifile, 1, 0, "90 3C 40");
    add(midifile, 1, 960, "80 3C 00");
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(960), 0.75);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(1, 1), 0.75);
}

TEST(TimeInSeconds, BetweenPointsIsInterpolated) {
    MidiFile midifile;
    fasterAt480(midifile);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(720), 0.625);
}

TEST(TimeInSeconds, BeforeFirstPointRunsFromZero) {
    MidiFile midifile;
    fasterAt480(midifile);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(240), 0.25);
}

TEST(TimeInSeconds, AfterLastPointUsesTempoInForce) {
    MidiFile midifile;
    fasterAt480(midifile);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(1440), 1.0);

    // A tempo event at the last point applies beyond it.
    MidiFile slower;
    slower.absoluteTime();
    slower.setTicksPerQuarterNote(480);
    add(slower, 0, 0, "90 3C 40");
    add(slower, 0, 480, "FF 51 03 0F 42 40");
    EXPECT_DOUBLE_EQ(slower.getTimeInSeconds(480), 0.5);
    EXPECT_DOUBLE_EQ(slower.getTimeInSeconds(960), 1.5);
}

TEST(TimeInSeconds, TicksFarApartAcrossTheRangeOfInt) {
    MidiFile midifile;
    midifile.absoluteTime();
    midifile.setTicksPerQuarterNote(480);
    add(midifile, 0, -2, "90 3C 40");
    add(midifile, 0, 2147483647, "80 3C 00");
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(2147483647), 2147483647 / 960.0);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(958), 958 / 960.0);
    EXPECT_EQ(midifile.getAbsoluteTickTime(1.0), 960);
}

TEST(TimeInSeconds, EmptyFileUsesDefaultTempo) {
    MidiFile midifile;
    midifile.setTicksPerQuarterNote(480);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(0), 0.0);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(480), 0.5);
}

TEST(TimeInSeconds, NegativeTickIsMinusOne) {
    MidiFile midifile;
    plainFile(midifile);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(-1), -1.0);
}

TEST(TimeInSeconds, AddedTempoEventRebuildsMap) {
    MidiFile midifile;
    plainFile(midifile);
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(960), 1.0);
    std::string micro = hexBytes("0F 42 40");
    Array<unsigned char> data(3);
    for (int i = 0; i < 3; i++) {
        data[i] = static_cast<unsigned char>(micro[i]);
    }
    midifile.addMetaEvent(0, 0, 0x51, data);
    midifile.sortTracks();
    EXPECT_DOUBLE_EQ(midifile.getTimeInSeconds(960), 2.0);
}

// ---------------------------------------------------------------- the map

TEST(TimeMap, OnePointPerTick) {
    MapProbe midifile;
    midifile.absoluteTime();
    add(midifile, 0, 0, "90 3C 40");
    add(midifile, 0, 0, "90 3E 40");
    add(midifile, 0, 10, "80 3C 00");
    add(midifile, 0, 10, "80 3E 00");
    add(midifile, 0, 10, "FF 2F 00");
    midifile.doTimeInSecondsAnalysis();
    EXPECT_EQ(midifile.ticks(), (std::vector<int>{0, 10}));
}

TEST(TimeMap, FileKeepsItsStatesAndTracksComeBackSorted) {
    MidiFile midifile;
    midifile.addTrack();
    add(midifile, 1, 10, "90 3C 40");
    add(midifile, 1, -10, "80 3D 00");  // at tick 0: out of order
    midifile.doTimeInSecondsAnalysis();
    EXPECT_EQ(midifile.getTimeState(), 0);
    EXPECT_EQ(midifile.getTrackState(), 0);
    ASSERT_EQ(midifile.getTrackCount(), 2);
    ASSERT_EQ(midifile.getNumEvents(1), 2);
    EXPECT_EQ(midifile.getEvent(1, 0).data[0], 0x80);
    EXPECT_EQ(midifile.getEvent(1, 0).time, 0);
    EXPECT_EQ(midifile.getEvent(1, 1).time, 10);
}

// ---------------------------------------------------------------- tick at a second

TEST(AbsoluteTickTime, InterpolatesAndFindsPoints) {
    MidiFile midifile;
    plainFile(midifile);
    EXPECT_EQ(midifile.getAbsoluteTickTime(0.25), 240);
    EXPECT_EQ(midifile.getAbsoluteTickTime(0.75), 720);
    EXPECT_EQ(midifile.getAbsoluteTickTime(0.5), 480);
    EXPECT_EQ(midifile.getAbsoluteTickTime(1.0), 960);
    EXPECT_EQ(midifile.getAbsoluteTickTime(0.0), 0);
}

TEST(AbsoluteTickTime, OutsideMapIsMinusOne) {
    MidiFile midifile;
    plainFile(midifile);
    EXPECT_EQ(midifile.getAbsoluteTickTime(1.5), -1);
    EXPECT_EQ(midifile.getAbsoluteTickTime(-0.5), -1);
}

TEST(AbsoluteTickTime, BeforeFirstPointIsMinusOne) {
    MidiFile early;
    early.absoluteTime();
    early.setTicksPerQuarterNote(480);
    add(early, 0, 480, "90 3C 40");
    add(early, 0, 960, "80 3C 00");
    EXPECT_EQ(early.getAbsoluteTickTime(0.25), -1);  // searched from the start

    MidiFile late;
    late.absoluteTime();
    late.setTicksPerQuarterNote(480);
    add(late, 0, 960, "90 3C 40");
    add(late, 0, 1000, "80 3C 00");
    EXPECT_EQ(late.getAbsoluteTickTime(0.9), -1);  // searched from the end
}

TEST(AbsoluteTickTime, FollowsTempoChanges) {
    MidiFile midifile;
    fasterAt480(midifile);
    EXPECT_EQ(midifile.getAbsoluteTickTime(0.625), 720);
}

// ---------------------------------------------------------------- text dump

TEST(Dump, WholeFile) {
    MidiFile midifile;
    midifile.absoluteTime();
    midifile.setTicksPerQuarterNote(480);
    midifile.addTrack();
    midifile.addMetaEvent(0, 0, 3, "Bass");
    add(midifile, 0, 0, "FF 51 03 07 A1 20");
    add(midifile, 1, 0, "90 3C 40");
    add(midifile, 1, 480, "80 3C 00");
    add(midifile, 1, 480, "F0");

    std::ostringstream out;
    out << midifile;
    std::string expected = std::string(64, '+') + "\n" +
                           "Number of Tracks: 2\n"
                           "Time method: 1 (Absolute timing)\n"
                           "Divisions per Quarter Note: 480\n"
                           "\nTrack 0   " + std::string(51, '+') + "\n\n" +
                           "0\t0xff TRACK [Bass]\n"
                           "0\t0xff 81 3 7 161 32 \n"
                           "\nTrack 1   " + std::string(51, '+') + "\n\n" +
                           "0\t0x90 60 64 \n"
                           "480\t0x80 60 0 \n"
                           "480\t0xf0 \n" +
                           std::string(63, '+') + "\n\n";
    EXPECT_EQ(out.str(), expected);
}

TEST(Dump, DeltaMethodAndUnchangedFile) {
    MidiFile midifile;
    add(midifile, 0, 7, "C0 05");
    std::ostringstream out;
    out << midifile;
    EXPECT_NE(out.str().find("Time method: 0 (Delta timing)\n"), std::string::npos);
    EXPECT_NE(out.str().find("\n7\t0xc0 5 \n"), std::string::npos);
    EXPECT_EQ(midifile.getTimeState(), 0);
    EXPECT_EQ(midifile.getNumEvents(0), 1);
}

TEST(Dump, TextLabels) {
    MidiFile midifile;
    midifile.addMetaEvent(0, 0, 1, "t");
    midifile.addMetaEvent(0, 0, 2, "c");
    midifile.addMetaEvent(0, 0, 4, "i");
    midifile.addMetaEvent(0, 0, 5, "l");
    midifile.addMetaEvent(0, 0, 6, "m");
    std::ostringstream out;
    out << midifile;
    std::string text = out.str();
    EXPECT_NE(text.find("0\t0xff TEXT [t]\n"), std::string::npos);
    EXPECT_NE(text.find("0\t0xff COPY [c]\n"), std::string::npos);
    EXPECT_NE(text.find("0\t0xff INSTR [i]\n"), std::string::npos);
    EXPECT_NE(text.find("0\t0xff LYRIC [l]\n"), std::string::npos);
    EXPECT_NE(text.find("0\t0xff 6 1 109 \n"), std::string::npos);
}

TEST(Dump, FormatDoesNotDependOnStreamFlags) {
    MidiFile midifile;
    add(midifile, 0, 7, "9A 3C 40");
    std::ostringstream plain;
    plain << midifile;
    std::ostringstream styled;
    styled << std::uppercase << std::showbase << std::showpos << std::hex;
    styled << midifile;
    EXPECT_EQ(styled.str(), plain.str());
    EXPECT_NE(plain.str().find("\n7\t0x9a 60 64 \n"), std::string::npos);
    // The caller's settings are back afterwards.
    EXPECT_TRUE(styled.flags() & std::ios_base::uppercase);
    EXPECT_TRUE(styled.flags() & std::ios_base::hex);
}

TEST(Dump, LongTextWithoutLengthBytes) {
    MidiFile midifile;
    std::string text(200, 'a');
    text[199] = 'z';
    midifile.addMetaEvent(0, 0, 1, text.c_str());
    std::ostringstream out;
    out << midifile;
    EXPECT_NE(out.str().find("\n0\t0xff TEXT [" + text + "]\n"), std::string::npos);
}

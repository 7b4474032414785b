// Unit tests of the run driver's steps: banner, command line, roll checks,
// the metadata pass, the tempo rules, the pairing of holes, the validity
// test, the playing time and the playback buffer, and a whole roll arranged
// in memory with the 165 translator.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "arrangement.h"
#include "driver.h"
#include "runroll.h"
#include "playbuffer.h"
#include "rolltext.h"
#include "runstate.h"
#include "testbytes.h"
#include "xlate165.h"

using namespace w165;

namespace {

// --- building rolls in memory ---------------------------------------------

// An empty one-track roll in absolute time.
void startRoll(MidiFile& roll, int ticksPerQuarter = 192) {
    roll.absoluteTime();
    roll.setTicksPerQuarterNote(ticksPerQuarter);
}

void addBytes(MidiFile& roll, int tick, const std::string& bytes) {
    Array<unsigned char> data(static_cast<int>(bytes.size()));
    for (size_t i = 0; i < bytes.size(); i++) {
        data[static_cast<int>(i)] = static_cast<unsigned char>(bytes[i]);
    }
    roll.addEvent(0, tick, data);
}

void addNote(MidiFile& roll, int tick, int status, int key, int velocity) {
    addBytes(roll, tick, std::string{static_cast<char>(status), static_cast<char>(key),
                                     static_cast<char>(velocity)});
}

// A meta event as the reader stores it: FF, type, length, payload.
void addMeta(MidiFile& roll, int tick, int type, const std::string& payload) {
    std::string bytes{'\xFF', static_cast<char>(type)};
    const size_t length = payload.size();
    if (length >= 128) {
        bytes += static_cast<char>(0x80 | (length >> 7));
    }
    bytes += static_cast<char>(length & 0x7F);
    addBytes(roll, tick, bytes + payload);
}

void addTempo(MidiFile& roll, int tick, long micro) {
    addMeta(roll, tick, 0x51,
            std::string{static_cast<char>(micro >> 16), static_cast<char>(micro >> 8),
                        static_cast<char>(micro)});
}

// --- looking at events ------------------------------------------------------

std::string bytesOf(const MFEvent& e) {
    std::string bytes;
    for (long i = 0; i < e.data.getSize(); i++) {
        bytes += static_cast<char>(e.data[static_cast<int>(i)]);
    }
    return bytes;
}

// The events of a track as "tick: HEX".
std::vector<std::string> eventsOf(MidiFile& file, int track) {
    std::vector<std::string> list;
    for (int i = 0; i < file.getNumEvents(track); i++) {
        MFEvent& e = file.getEvent(track, i);
        list.push_back(std::to_string(e.time) + ": " + toHex(bytesOf(e)));
    }
    return list;
}

std::string metaHex(int type, const std::string& text) {
    std::string bytes{'\xFF', static_cast<char>(type), static_cast<char>(text.size())};
    return toHex(bytes + text);
}

// --- a translator that only records ---------------------------------------

struct Hole {
    double start;
    double duration;
    int key;
};

std::vector<Hole> recordedHoles;

void recordHole(double start, double duration, int key) {
    recordedHoles.push_back({start, duration, key});
}

using Lines = std::vector<std::string>;

Lines linesOf(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

class Driver165 : public testing::Test {
  protected:
    void SetUp() override {
        resetRunState();
        reset165Controls();
        result = "w165k-v";
        recordedHoles.clear();
        recorder = organ165;
        recorder.translate = recordHole;
    }

    // Lays out outputfile and runs the metadata pass over `roll`; returns
    // what it printed.
    std::string metadataOf(MidiFile& roll) {
        layOutArrangement(organ165, roll.getTicksPerQuarterNote());
        std::ostringstream out;
        metadataPass(roll, out);
        return out.str();
    }

    Organ recorder{};
};

// --- banner and command line ------------------------------------------------

TEST_F(Driver165, BannerIsFramedByEmptyLines) {
    std::ostringstream out;
    printBanner(organ165, out);
    EXPECT_EQ(linesOf(out.str()),
              (Lines{"", "Play Wurlitzer 165 e-roll, v2.01", organ165.creditLine, ""}));
    EXPECT_NE(std::string(organ165.creditLine).find("kolvo165"), std::string::npos);
}

TEST_F(Driver165, OutputTempoLimitsAreInclusive) {
    EXPECT_TRUE(acceptOutputTempo("10.0"));
    EXPECT_TRUE(acceptOutputTempo("200"));
    EXPECT_TRUE(acceptOutputTempo("85.5"));
    EXPECT_DOUBLE_EQ(specifiedtempo, 85.5);
    EXPECT_TRUE(optempovalid);
    EXPECT_FALSE(acceptOutputTempo("9.99"));
    EXPECT_FALSE(acceptOutputTempo("200.01"));
    EXPECT_FALSE(acceptOutputTempo("-120"));
}

TEST_F(Driver165, OutputTempoIsReadFromTheStartOfTheArgument) {
    EXPECT_TRUE(acceptOutputTempo("120bpm"));
    EXPECT_DOUBLE_EQ(specifiedtempo, 120.0);
    EXPECT_FALSE(acceptOutputTempo("fast"));
    EXPECT_DOUBLE_EQ(specifiedtempo, 0.0);
    EXPECT_FALSE(acceptOutputTempo(""));
}

TEST_F(Driver165, OutputTempoIsReadAsADecimalNumber) {
    // A hexadecimal tempo reads as its leading 0 and is refused.
    EXPECT_FALSE(acceptOutputTempo("0x64"));
    EXPECT_DOUBLE_EQ(specifiedtempo, 0.0);
    EXPECT_FALSE(acceptOutputTempo(" -0X1p6"));
    EXPECT_DOUBLE_EQ(specifiedtempo, 0.0);
    EXPECT_FALSE(acceptOutputTempo("0x"));
    // Decimal forms are all read.
    EXPECT_TRUE(acceptOutputTempo("1e2"));
    EXPECT_DOUBLE_EQ(specifiedtempo, 100.0);
    EXPECT_TRUE(acceptOutputTempo("0100"));
    EXPECT_DOUBLE_EQ(specifiedtempo, 100.0);
    EXPECT_TRUE(acceptOutputTempo("+95.5x"));
    EXPECT_DOUBLE_EQ(specifiedtempo, 95.5);
    EXPECT_TRUE(acceptOutputTempo("100e"));
    EXPECT_DOUBLE_EQ(specifiedtempo, 100.0);
}

TEST_F(Driver165, TempoChecksLeaveTheRunStateAlone) {
    specifiedtempo = 42.0;
    EXPECT_DOUBLE_EQ(tempoArgument("120bpm"), 120.0);
    EXPECT_DOUBLE_EQ(tempoArgument("0x64"), 0.0);
    EXPECT_TRUE(tempoInRange(lowestTempo));
    EXPECT_TRUE(tempoInRange(highestTempo));
    EXPECT_FALSE(tempoInRange(std::nextafter(lowestTempo, 0.0)));
    EXPECT_FALSE(tempoInRange(std::nextafter(highestTempo, 1e9)));
    EXPECT_FALSE(tempoInRange(std::nan("")));
    EXPECT_DOUBLE_EQ(specifiedtempo, 42.0);
    EXPECT_FALSE(optempovalid);
}

TEST_F(Driver165, OutputTempoThatIsNoFiniteNumberIsRefused) {
    EXPECT_FALSE(acceptOutputTempo("nan"));
    EXPECT_FALSE(acceptOutputTempo("NAN"));
    EXPECT_FALSE(acceptOutputTempo("inf"));
    EXPECT_FALSE(acceptOutputTempo("-infinity"));
    EXPECT_FALSE(acceptOutputTempo("1e999"));
}

// runRoll's refusals before the synthesizer starts, with stdout captured.
class Driver165Run : public Driver165 {
  protected:
    int run(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(&arg[0]);
        }
        argv.push_back(nullptr);
        std::ostringstream captured;
        std::streambuf* old = std::cout.rdbuf(captured.rdbuf());
        const int status = runRoll(organ165, static_cast<int>(args.size()), argv.data());
        std::cout.rdbuf(old);
        printed = linesOf(captured.str());
        return status;
    }

    Lines banner() { return {"", "Play Wurlitzer 165 e-roll, v2.01", organ165.creditLine, ""}; }

    Lines printed;
};

TEST_F(Driver165Run, UsageWithoutArguments) {
    EXPECT_EQ(run({"./kolvo165"}), 1);
    Lines expected = banner();
    expected.push_back("Usage: ./kolvo165  w165e-roll.mid [optempo]");
    EXPECT_EQ(printed, expected);
}

TEST_F(Driver165Run, UsageWithThreeArguments) {
    EXPECT_EQ(run({"kolvo165", "a.mid", "100", "x"}), 1);
    EXPECT_EQ(printed.back(), "Usage: kolvo165  w165e-roll.mid [optempo]");
    EXPECT_EQ(printed.size(), 5u);
}

TEST_F(Driver165Run, MissingFileIsReportedBeforeTheTempo) {
    EXPECT_EQ(run({"kolvo165", scratchDir() + "/no-such-roll.mid", "500"}), 1);
    Lines expected = banner();
    expected.push_back("Input file does not exist");
    EXPECT_EQ(printed, expected);
}

TEST_F(Driver165Run, TempoOutOfRangeOrNotANumber) {
    const std::string path = writeScratchFile("exists.mid", "MThd");
    for (const char* tempo : {"9.99", "200.01", "abc", "nan", "inf"}) {
        EXPECT_EQ(run({"kolvo165", path, tempo}), 1) << tempo;
        EXPECT_EQ(printed.back(), "Output tempo must be between 10.0 and 200.0") << tempo;
        EXPECT_EQ(printed.size(), 5u) << tempo;
    }
}

// --- roll checks ------------------------------------------------------------

TEST_F(Driver165, OneTrackRollWithTicksIsAccepted) {
    MidiFile roll;
    startRoll(roll);
    EXPECT_EQ(rollRefusal(roll), "");
    EXPECT_EQ(numtracks, 1);
}

TEST_F(Driver165, RollWithTwoTracksIsRefused) {
    MidiFile roll;
    startRoll(roll);
    roll.addTrack();
    EXPECT_EQ(rollRefusal(roll), "Invalid e-roll, 2 tracks");
    EXPECT_EQ(numtracks, 2);
}

TEST_F(Driver165, RollWithoutTicksPerQuarterNoteIsRefused) {
    MidiFile roll;
    startRoll(roll, 0);
    EXPECT_EQ(rollRefusal(roll), "Invalid e-roll, 0 ticks per quarter note");
    roll.setTicksPerQuarterNote(-896);
    EXPECT_EQ(rollRefusal(roll), "Invalid e-roll, -896 ticks per quarter note");
}

TEST_F(Driver165, SmpteRollWithZeroTicksPerFrameIsRefused) {
    // Division E7 00: 25 frames per second, 0 ticks per frame.
    const std::string path = writeScratchFile(
        "smpte0.mid", hexBytes("4D 54 68 64 00 00 00 06 00 00 00 01 E7 00"
                               "4D 54 72 6B 00 00 00 04 00 FF 2F 00"));
    // Keep the reader's SMPTE lines out of the test's output.
    std::ostringstream quiet;
    std::streambuf* oldOut = std::cout.rdbuf(quiet.rdbuf());
    std::streambuf* oldErr = std::cerr.rdbuf(quiet.rdbuf());
    MidiFile roll(path.c_str());
    std::cout.rdbuf(oldOut);
    std::cerr.rdbuf(oldErr);
    EXPECT_EQ(rollRefusal(roll), "Invalid e-roll, 0 ticks per quarter note");
}

// --- metadata pass -----------------------------------------------------------

TEST_F(Driver165, TextsArePrintedAndCopiedInTheRollsOrder) {
    MidiFile roll;
    startRoll(roll);
    addMeta(roll, 0, 0x02, "(c) 1925 Wurlitzer");
    addMeta(roll, 0, 0x03, "Blue Danube");
    addMeta(roll, 0, 0x01, "first text");
    addMeta(roll, 10, 0x01, "second text");
    EXPECT_EQ(linesOf(metadataOf(roll)),
              (Lines{"Copyright: (c) 1925 Wurlitzer", "Title: Blue Danube", "first text",
                     "second text"}));

    const int track0 = outputfile.getNumEvents(0);
    ASSERT_EQ(track0, 2);
    EXPECT_EQ(toHex(bytesOf(outputfile.getEvent(0, 0))), metaHex(0x02, "(c) 1925 Wurlitzer"));
    EXPECT_EQ(toHex(bytesOf(outputfile.getEvent(0, 1))), metaHex(0x03, "Blue Danube"));
    Lines track1 = eventsOf(outputfile, 1);
    ASSERT_EQ(track1.size(), 6u);
    EXPECT_EQ(track1[3], "0: " + metaHex(0x01, "w165k-v"));
    EXPECT_EQ(track1[4], "0: " + metaHex(0x01, "first text"));
    EXPECT_EQ(track1[5], "0: " + metaHex(0x01, "second text"));
    EXPECT_TRUE(copyright.empty());
    EXPECT_TRUE(title.empty());
    EXPECT_TRUE(description.empty());
}

TEST_F(Driver165, TextWithZeroByteIsPrintedWholeAndCopiedUpToIt) {
    MidiFile roll;
    startRoll(roll);
    addMeta(roll, 0, 0x01, std::string("ab\0cd", 5));
    EXPECT_EQ(linesOf(metadataOf(roll)), (Lines{"ab?cd"}));
    EXPECT_EQ(eventsOf(outputfile, 1).back(), "0: " + metaHex(0x01, "ab"));
}

TEST_F(Driver165, ControlBytesOfTextsArePrintedAsQuestionMarks) {
    MidiFile roll;
    startRoll(roll);
    const std::string raw = "a\tb\x1b[2Jc\rd\ne\x7f" "f\xc3\xa9";
    addMeta(roll, 0, 0x03, raw);
    EXPECT_EQ(metadataOf(roll), "Title: a\tb?[2Jc?d?e?f\xc3\xa9\n");
    // The arrangement keeps the text as the roll has it.
    EXPECT_EQ(toHex(bytesOf(outputfile.getEvent(0, 0))), metaHex(0x03, raw));
}

TEST_F(Driver165, PrintableTextKeepsTabAndHighBytes) {
    EXPECT_EQ(printableText(std::string("\x00\x01\x08\x09\x0a\x1f\x20\x7e\x7f\x80\xff", 11)),
              std::string("???\t?? ~?\x80\xff"));
}

TEST_F(Driver165, LongTitleIsPrintedAndCopiedWhole) {
    MidiFile roll;
    startRoll(roll);
    std::string longTitle;
    for (int i = 0; i < 200; i++) {
        longTitle += static_cast<char>('A' + i % 26);
    }
    addMeta(roll, 0, 0x03, longTitle);
    ASSERT_EQ(roll.getEvent(0, 0).data.getSize(), 204);
    EXPECT_EQ(roll.getEvent(0, 0).data[2], 0x81);
    EXPECT_EQ(roll.getEvent(0, 0).data[3], 0x48);
    EXPECT_EQ(metadataOf(roll), "Title: " + longTitle + "\n");
    EXPECT_EQ(bytesOf(outputfile.getEvent(0, 0)), hexBytes("FF 03 81 48") + longTitle);
}

TEST_F(Driver165, TextsWithoutPayloadAreNeitherPrintedNorCopied) {
    MidiFile roll;
    startRoll(roll);
    addMeta(roll, 0, 0x01, "");
    addMeta(roll, 0, 0x02, "");
    addMeta(roll, 0, 0x03, "");
    EXPECT_EQ(metadataOf(roll), "");
    EXPECT_EQ(outputfile.getNumEvents(0), 0);
    EXPECT_EQ(outputfile.getNumEvents(1), 4);  // name, bank, program, marker
}

TEST_F(Driver165, OtherMetaEventsAreNotPrinted) {
    MidiFile roll;
    startRoll(roll);
    addMeta(roll, 0, 0x04, "instrument");
    addMeta(roll, 0, 0x05, "lyric");
    addNote(roll, 0, 0x90, 60, 64);
    EXPECT_EQ(metadataOf(roll), "");
}

TEST_F(Driver165, InputTempoIsPrintedWithSixSignificantDigits) {
    MidiFile roll;
    startRoll(roll);
    addTempo(roll, 0, 1000000);
    addTempo(roll, 0, 640000);
    addTempo(roll, 0, 500000);
    EXPECT_EQ(linesOf(metadataOf(roll)),
              (Lines{"Input tempo: 60", "Input tempo: 93.75", "Input tempo: 120"}));
    EXPECT_DOUBLE_EQ(iptempo, 120.0);
    EXPECT_TRUE(iptempovalid);
}

TEST_F(Driver165, SlowRollTempoIsKeptButNotUsed) {
    MidiFile roll;
    startRoll(roll);
    addTempo(roll, 0, 7000000);
    EXPECT_EQ(linesOf(metadataOf(roll)),
              (Lines{"Input tempo: 8.57143", "out of range iptempo, not used"}));
    EXPECT_NEAR(iptempo, 60.0 / 7.0, 1e-12);
    EXPECT_FALSE(iptempovalid);
}

TEST_F(Driver165, TheLastRollTempoDecides) {
    MidiFile roll;
    startRoll(roll);
    addTempo(roll, 0, 500000);
    addTempo(roll, 100, 200000);  // 300 beats per minute
    metadataOf(roll);
    EXPECT_DOUBLE_EQ(iptempo, 300.0);
    EXPECT_FALSE(iptempovalid);

    resetRunState();
    MidiFile again;
    startRoll(again);
    addTempo(again, 0, 200000);
    addTempo(again, 100, 600000);
    metadataOf(again);
    EXPECT_DOUBLE_EQ(iptempo, 100.0);
    EXPECT_TRUE(iptempovalid);
}

TEST_F(Driver165, ZeroMicrosecondTempoLeavesTheInputTempo) {
    MidiFile roll;
    startRoll(roll);
    addTempo(roll, 0, 500000);
    addTempo(roll, 0, 0);
    EXPECT_EQ(linesOf(metadataOf(roll)),
              (Lines{"Input tempo: 120", "Input tempo: inf", "out of range iptempo, not used"}));
    EXPECT_DOUBLE_EQ(iptempo, 120.0);
    EXPECT_FALSE(iptempovalid);
    chooseOutputTempo();
    EXPECT_DOUBLE_EQ(optempo, 85.0);
}

// --- tempo rules ------------------------------------------------------------

TEST_F(Driver165, DefaultTempoWithoutRollOrCommandLineTempo) {
    chooseOutputTempo();
    EXPECT_DOUBLE_EQ(optempo, 85.0);
    EXPECT_DOUBLE_EQ(iptempo, 85.0);
}

TEST_F(Driver165, RollTempoInRangeBecomesTheOutputTempo) {
    iptempo = 120.0;
    iptempovalid = true;
    chooseOutputTempo();
    EXPECT_DOUBLE_EQ(optempo, 120.0);
}

TEST_F(Driver165, CommandLineTempoWinsOverTheRoll) {
    iptempo = 120.0;
    iptempovalid = true;
    ASSERT_TRUE(acceptOutputTempo("90"));
    chooseOutputTempo();
    EXPECT_DOUBLE_EQ(optempo, 90.0);
}

TEST_F(Driver165, RollTempoOutOfRangeFallsBackToTheDefault) {
    iptempo = 8.5;
    iptempovalid = false;
    chooseOutputTempo();
    EXPECT_DOUBLE_EQ(optempo, 85.0);
}

// --- pairing of holes -------------------------------------------------------

TEST_F(Driver165, HoleIsHandedOverInSecondsOfRollTime) {
    MidiFile roll;
    startRoll(roll, 192);
    iptempo = 120.0;
    addNote(roll, 384, 0x90, 80, 100);
    addNote(roll, 576, 0x80, 80, 64);
    EXPECT_DOUBLE_EQ(notePass(recorder, roll), 1.5);
    ASSERT_EQ(recordedHoles.size(), 1u);
    EXPECT_DOUBLE_EQ(recordedHoles[0].start, 1.0);
    EXPECT_DOUBLE_EQ(recordedHoles[0].duration, 0.5);
    EXPECT_EQ(recordedHoles[0].key, 80);
    EXPECT_DOUBLE_EQ(duration, 0.5);
}

TEST_F(Driver165, NoteOnWithVelocityZeroClosesTheHole) {
    MidiFile roll;
    startRoll(roll, 100);
    iptempo = 60.0;
    addNote(roll, 100, 0x90, 78, 1);
    addNote(roll, 250, 0x90, 78, 0);
    EXPECT_DOUBLE_EQ(notePass(recorder, roll), 2.5);
    ASSERT_EQ(recordedHoles.size(), 1u);
    EXPECT_DOUBLE_EQ(recordedHoles[0].start, 1.0);
    EXPECT_DOUBLE_EQ(recordedHoles[0].duration, 1.5);
}

TEST_F(Driver165, SecondOpeningReplacesTheFirst) {
    MidiFile roll;
    startRoll(roll, 100);
    iptempo = 60.0;
    addNote(roll, 0, 0x90, 60, 64);
    addNote(roll, 100, 0x90, 60, 64);
    addNote(roll, 300, 0x80, 60, 0);
    addNote(roll, 400, 0x80, 60, 0);  // nothing left open at 60
    EXPECT_DOUBLE_EQ(notePass(recorder, roll), 3.0);
    ASSERT_EQ(recordedHoles.size(), 1u);
    EXPECT_DOUBLE_EQ(recordedHoles[0].start, 1.0);
    EXPECT_DOUBLE_EQ(recordedHoles[0].duration, 2.0);
}

TEST_F(Driver165, ChannelsAreIgnoredWhenPairing) {
    MidiFile roll;
    startRoll(roll, 100);
    iptempo = 60.0;
    addNote(roll, 0, 0x93, 45, 64);
    addNote(roll, 100, 0x8C, 45, 0);
    notePass(recorder, roll);
    ASSERT_EQ(recordedHoles.size(), 1u);
    EXPECT_EQ(recordedHoles[0].key, 45);
    EXPECT_DOUBLE_EQ(recordedHoles[0].duration, 1.0);
}

TEST_F(Driver165, ClosingWithoutOpeningIsPassedOver) {
    MidiFile roll;
    startRoll(roll, 100);
    iptempo = 60.0;
    addNote(roll, 0, 0x90, 80, 64);
    addNote(roll, 100, 0x80, 80, 0);
    addNote(roll, 200, 0x80, 81, 0);  // never opened
    addNote(roll, 300, 0x90, 82, 0);  // never opened
    EXPECT_DOUBLE_EQ(notePass(recorder, roll), 1.0);
    ASSERT_EQ(recordedHoles.size(), 1u);
    EXPECT_EQ(recordedHoles[0].key, 80);
    EXPECT_DOUBLE_EQ(duration, 1.0);
}

TEST_F(Driver165, ClosingWithoutOpeningIsNotCounted) {
    MidiFile roll;
    startRoll(roll, 100);
    for (int key : {10, 11, 12, 13}) {
        addNote(roll, 0, 0x80, key, 0);  // would be outside the scale
    }
    notePass(organ165, roll);
    EXPECT_EQ(outofrangecount, 0);
    EXPECT_EQ(requirednotecount, 0);
}

TEST_F(Driver165, HolesAreHandedOverInTheOrderTheyClose) {
    MidiFile roll;
    startRoll(roll, 100);
    iptempo = 60.0;
    addNote(roll, 0, 0x90, 50, 64);
    addNote(roll, 10, 0x90, 51, 64);
    addNote(roll, 20, 0x80, 51, 0);
    addNote(roll, 30, 0x80, 50, 0);
    EXPECT_DOUBLE_EQ(notePass(recorder, roll), 0.3);
    ASSERT_EQ(recordedHoles.size(), 2u);
    EXPECT_EQ(recordedHoles[0].key, 51);
    EXPECT_EQ(recordedHoles[1].key, 50);
    EXPECT_DOUBLE_EQ(duration, 0.3);
}

TEST_F(Driver165, HoleOpenAndClosedOnOneTickHasNoDuration) {
    MidiFile roll;
    startRoll(roll, 100);
    iptempo = 60.0;
    addNote(roll, 50, 0x90, 70, 64);
    addNote(roll, 50, 0x80, 70, 0);
    notePass(recorder, roll);
    ASSERT_EQ(recordedHoles.size(), 1u);
    EXPECT_DOUBLE_EQ(recordedHoles[0].start, 0.5);
    EXPECT_DOUBLE_EQ(recordedHoles[0].duration, 0.0);
}

TEST_F(Driver165, OtherEventsArePassedOver) {
    MidiFile roll;
    startRoll(roll, 100);
    addNote(roll, 0, 0xB0, 7, 100);
    addNote(roll, 0, 0xA0, 60, 10);
    addBytes(roll, 0, hexBytes("C0 05"));
    addMeta(roll, 0, 0x01, "text");
    EXPECT_DOUBLE_EQ(notePass(recorder, roll), 0.0);
    EXPECT_TRUE(recordedHoles.empty());
}

TEST_F(Driver165, RollTimeUsesTheInputTempoEvenWhenItIsNotUsed) {
    MidiFile roll;
    startRoll(roll, 192);
    iptempo = 8.0;  // refused as output tempo, still the scale of roll time
    addNote(roll, 192, 0x90, 80, 64);
    addNote(roll, 384, 0x80, 80, 0);
    notePass(recorder, roll);
    ASSERT_EQ(recordedHoles.size(), 1u);
    EXPECT_DOUBLE_EQ(recordedHoles[0].start, 7.5);
    EXPECT_DOUBLE_EQ(recordedHoles[0].duration, 7.5);
}

// --- validity test ----------------------------------------------------------

TEST_F(Driver165, ValidityThresholds) {
    outofrangecount = 2;
    requirednotecount = 10;
    EXPECT_TRUE(rollIsValid(organ165));
    outofrangecount = 3;
    EXPECT_FALSE(rollIsValid(organ165));
    outofrangecount = 0;
    requirednotecount = 9;
    EXPECT_FALSE(rollIsValid(organ165));
    requirednotecount = 0;
    EXPECT_FALSE(rollIsValid(organ165));
}

// A roll of another organ is refused at its third hole outside the scale:
// nothing after that hole is translated.
TEST_F(Driver165, NotePassStopsAtTheThirdHoleOutsideTheScale) {
    MidiFile roll;
    startRoll(roll, 192);
    int tick = 0;
    for (int key : {10, 78, 99, 120, 79}) {
        addNote(roll, tick, 0x90, key, 64);
        addNote(roll, tick + 96, 0x80, key, 0);
        tick += 192;
    }
    layOutArrangement(organ165, 192);
    notePass(organ165, roll);
    EXPECT_EQ(outofrangecount, 3);
    EXPECT_EQ(requirednotecount, 1);  // 78 only: 79 comes after the stop
}

// --- playing time and playback buffer --------------------------------------

TEST_F(Driver165, PlayingTimeInMinutesAndSeconds) {
    EXPECT_EQ(playingTimeLine(205.9), "Playing time: 3 minutes 25 seconds");
    EXPECT_EQ(playingTimeLine(0.0), "Playing time: 0 minutes 0 seconds");
    EXPECT_EQ(playingTimeLine(59.99), "Playing time: 0 minutes 59 seconds");
}

TEST_F(Driver165, PlayingAtTwiceTheRollTempoHalvesThePlayingTime) {
    iptempo = 85.0;
    optempo = 170.0;
    EXPECT_EQ(playingTimeLine(205.9), "Playing time: 1 minutes 42 seconds");
}

TEST_F(Driver165, PlaybackBufferIsPaddedToFourBytes) {
    EXPECT_EQ(paddedLength(1001), 1004);
    EXPECT_EQ(paddedLength(1000), 1000);
    EXPECT_EQ(paddedLength(1003), 1004);
    EXPECT_EQ(paddedLength(1002), 1004);

    const std::string file(1001, '\x5A');
    ASSERT_EQ(fillPlaybackBuffer(file), 1004);
    ASSERT_NE(op_buffer, nullptr);
    EXPECT_EQ(std::memcmp(op_buffer, file.data(), 1001), 0);
    EXPECT_EQ(op_buffer[1001], 0);
    EXPECT_EQ(op_buffer[1002], 0);
    EXPECT_EQ(op_buffer[1003], 0);
    delete[] op_buffer;

    ASSERT_EQ(fillPlaybackBuffer(std::string(1000, '\x01')), 1000);
    EXPECT_EQ(op_buffer[999], 1);
    delete[] op_buffer;
    op_buffer = nullptr;
}

// --- a whole roll, arranged in memory ---------------------------------------

// The events of every track of a written file, read back.
std::vector<Lines> readBack(const std::string& bytes, int& division) {
    const std::string path = writeScratchFile("arranged.mid", bytes);
    MidiFile file(path.c_str());
    division = file.getTicksPerQuarterNote();
    std::vector<Lines> tracks;
    for (int track = 0; track < file.getTrackCount(); track++) {
        tracks.push_back(eventsOf(file, track));
    }
    return tracks;
}

TEST_F(Driver165, ArrangedRollHoldsSkeletonTextsTempoAndNotes) {
    MidiFile roll;
    startRoll(roll, 192);
    addTempo(roll, 0, 500000);
    addMeta(roll, 0, 0x03, "Test roll");
    addMeta(roll, 0, 0x01, "hello");
    addNote(roll, 0, 0x90, 78, 64);    // trumpet hole: note 55 on track 13
    addNote(roll, 192, 0x80, 78, 0);
    addNote(roll, 192, 0x90, 27, 64);  // percussion hole: note 81 on track 10
    addNote(roll, 288, 0x90, 27, 0);
    addNote(roll, 400, 0x80, 80, 0);   // nothing open at 80
    // The roll is handed over in delta time, as a caller might have it.
    roll.deltaTime();

    std::ostringstream out;
    double lastEnd = -1.0;
    const std::string bytes = arrangeRoll(organ165, roll, out, &lastEnd);
    EXPECT_EQ(linesOf(out.str()), (Lines{"Input tempo: 120", "Title: Test roll", "hello"}));
    EXPECT_DOUBLE_EQ(lastEnd, 0.75);
    EXPECT_DOUBLE_EQ(optempo, 120.0);
    EXPECT_EQ(requirednotecount, 1);
    EXPECT_EQ(outofrangecount, 0);

    EXPECT_EQ(toHex(bytes.substr(0, 14)), "4D 54 68 64 00 00 00 06 00 01 00 10 00 C0");
    int division = 0;
    std::vector<Lines> tracks = readBack(bytes, division);
    EXPECT_EQ(division, 192);
    ASSERT_EQ(tracks.size(), 16u);
    EXPECT_EQ(tracks[0], (Lines{"0: " + metaHex(0x03, "Test roll"), "0: FF 51 03 07 A1 20",
                                "0: FF 2F 00"}));
    EXPECT_EQ(tracks[1], (Lines{"0: B0 00 03", "0: C0 3A", "0: " + metaHex(0x03, "Bass"),
                                "0: " + metaHex(0x01, "w165k-v"), "0: " + metaHex(0x01, "hello"),
                                "0: FF 2F 00"}));
    EXPECT_EQ(tracks[10], (Lines{"192: 99 51 41", "288: 89 51 41", "288: FF 2F 00"}));
    EXPECT_EQ(tracks[13], (Lines{"0: BC 00 03", "0: CC 44", "0: 9C 37 28",
                                 "0: " + metaHex(0x03, "Trumpet"), "192: 8C 37 28",
                                 "192: FF 2F 00"}));
    EXPECT_EQ(tracks[14], (Lines{"0: BD 00 03", "0: CD 38", "0: " + metaHex(0x03, "Trumpet"),
                                 "0: FF 2F 00"}));
    EXPECT_EQ(tracks[8], (Lines{"0: FF 2F 00"}));
    EXPECT_EQ(tracks[11], (Lines{"0: FF 2F 00"}));
    EXPECT_EQ(tracks[15], (Lines{"0: FF 2F 00"}));
}

TEST_F(Driver165, CommandLineTempoChangesOnlyTheTempoEvent) {
    auto build = [](MidiFile& roll) {
        startRoll(roll, 192);
        addTempo(roll, 0, 500000);
        addNote(roll, 0, 0x90, 78, 64);
        addNote(roll, 192, 0x80, 78, 0);
    };
    MidiFile roll;
    build(roll);
    std::ostringstream out;
    const std::string atRollTempo = arrangeRoll(organ165, roll, out);

    resetRunState();
    reset165Controls();
    ASSERT_TRUE(acceptOutputTempo("60"));
    MidiFile again;
    build(again);
    const std::string atSixty = arrangeRoll(organ165, again, out);

    ASSERT_EQ(atRollTempo.size(), atSixty.size());
    const size_t at = atRollTempo.find(hexBytes("FF 51 03"));
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(toHex(atRollTempo.substr(at, 6)), "FF 51 03 07 A1 20");
    EXPECT_EQ(toHex(atSixty.substr(at, 6)), "FF 51 03 0F 42 40");
    EXPECT_EQ(atRollTempo.substr(0, at), atSixty.substr(0, at));
    EXPECT_EQ(atRollTempo.substr(at + 6), atSixty.substr(at + 6));
}

// A pause longer than four bytes of delta time has no place in a MIDI file.
TEST_F(Driver165, ArrangementWithTooLongAPauseIsNotWritten) {
    MidiFile roll;
    startRoll(roll, 192);
    addNote(roll, 0, 0x90, 78, 64);
    addNote(roll, 192, 0x80, 78, 0);
    addNote(roll, 0x10000100, 0x90, 79, 64);
    addNote(roll, 0x10000200, 0x80, 79, 0);
    std::ostringstream out;
    EXPECT_EQ(arrangeRoll(organ165, roll, out), "");
}

TEST_F(Driver165, WrittenFileStaysInTheBuffer) {
    MidiFile roll;
    startRoll(roll, 96);
    std::ostringstream out;
    const std::string bytes = arrangeRoll(organ165, roll, out);
    EXPECT_EQ(os_buffer.str(), bytes);
    EXPECT_EQ(outputfile.getTimeState(), 1);
}

}  // namespace

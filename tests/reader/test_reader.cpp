// Tests of MidiFile::read: files built byte by byte, read back, and the
// events, division and messages compared with what the bytes mean.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "MidiFile.h"
#include "eventbytes.h"
#include "testbytes.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;
using Events = std::vector<std::string>;

namespace {

std::string bigEndian16(uint32_t value) {
    std::string out;
    out += static_cast<char>((value >> 8) & 0xff);
    out += static_cast<char>(value & 0xff);
    return out;
}

std::string bigEndian32(uint32_t value) {
    return bigEndian16(value >> 16) + bigEndian16(value & 0xffff);
}

// MThd chunk with the usual header length of 6.
std::string headerChunk(int type, int tracks, int division) {
    return hexBytes("4D 54 68 64 00 00 00 06") + bigEndian16(type) + bigEndian16(tracks) +
           bigEndian16(division);
}

// MTrk chunk whose length field says `declaredLength`, whatever the body.
std::string trackChunkDeclaring(uint32_t declaredLength, const std::string& hexBody) {
    return "MTrk" + bigEndian32(declaredLength) + hexBytes(hexBody);
}

// MTrk chunk with the right length.
std::string trackChunk(const std::string& hexBody) {
    return trackChunkDeclaring(static_cast<uint32_t>(hexBytes(hexBody).size()), hexBody);
}

// The events of a track as "tick: HEX BYTES" lines.
Events trackEvents(MidiFile& midifile, int aTrack) {
    Events out;
    for (int i = 0; i < midifile.getNumEvents(aTrack); i++) {
        MFEvent& event = midifile.getEvent(aTrack, i);
        std::string bytes(reinterpret_cast<const char*>(event.data.getBase()),
                          static_cast<size_t>(event.data.getSize()));
        out.push_back(std::to_string(event.time) + ": " + toHex(bytes));
    }
    return out;
}

// Gives the tests a look at the storage the reader reserved and at the
// time-map flag.
class ProbeMidiFile : public MidiFile {
  public:
    long reservedEvents(int aTrack) { return events[aTrack]->getAllocSize(); }
    int timeMapValid() { return timemapvalid; }
    void setTimeMapValid() { timemapvalid = 1; }
};

// For death tests: the reader's fatal messages go to standard output,
// which is sent to standard error here so that the death test sees them.
void readWithMessagesOnStderr(const std::string& path) {
    dup2(STDERR_FILENO, STDOUT_FILENO);
    MidiFile midifile;
    midifile.read(path.c_str());
}

// Reads a file with standard output captured; returns what was printed.
std::string readCapturingStdout(MidiFile& midifile, const std::string& path, int& result) {
    CaptureStdout();
    result = midifile.read(path.c_str());
    return GetCapturedStdout();
}

const std::string endOfTrack = "00 FF 2F 00";

}  // namespace

//////////////////////////////
// The file header

TEST(ReaderHeader, MissingFileReturnsZeroSilently) {
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, scratchDir() + "/no-such-file.mid", result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(midifile.getTrackCount(), 1);
}

TEST(ReaderHeader, WrongLastHeaderLetterIsNotMidi) {
    std::string bytes = headerChunk(1, 1, 96) + trackChunk(endOfTrack);
    bytes[3] = 'x';
    std::string path = writeScratchFile("mthx.mid", bytes);
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "File: " + path + " is not a MIDI file\n");
    ASSERT_EQ(midifile.getTrackCount(), 1);
    EXPECT_EQ(midifile.getNumEvents(0), 0);
}

TEST(ReaderHeader, WrongFirstLetterIsShown) {
    std::string path = writeScratchFile("riff.mid", "RIFF0000WAVEfmt ");
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "File: " + path + " is not a MIDI file\nChara data isR\n");
}

TEST(ReaderHeader, EmptyFileIsNotMidi) {
    std::string path = writeScratchFile("empty.mid", "");
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "File: " + path + " is not a MIDI file\n");
}

TEST(ReaderHeader, EndlessDeviceIsRefusedAfterItsFirstByte) {
    if (access("/dev/zero", R_OK) != 0) {
        GTEST_SKIP() << "no /dev/zero";
    }
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, "/dev/zero", result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, std::string("File: /dev/zero is not a MIDI file\nChara data is") + '\0' + "\n");
    EXPECT_EQ(midifile.getTrackCount(), 1);
}

TEST(ReaderHeader, HeaderCutShortIsNotMidi) {
    std::string path = writeScratchFile("short-header.mid", hexBytes("4D 54 68 64 00 00 00 06 00 01"));
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "File: " + path + " is not a MIDI file\n");
    EXPECT_EQ(midifile.getTrackCount(), 1);
    EXPECT_EQ(midifile.getTicksPerQuarterNote(), 48);
}

TEST(ReaderHeader, HeaderLengthOtherThanSixIsRefused) {
    std::string path = writeScratchFile(
        "header7.mid", hexBytes("4D 54 68 64 00 00 00 07 00 01 00 01 00 60 00") +
                           trackChunk(endOfTrack));
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "File: " + path +
                       " is not a MIDI 1.0 Standard MIDI file.\nThe header size is: 7\n");
}

TEST(ReaderHeader, TypeTwoIsRefused) {
    std::string path = writeScratchFile("type2.mid", headerChunk(2, 1, 96) + trackChunk(endOfTrack));
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "Error: cannot handle type 2 MIDI file\n");
}

TEST(ReaderHeader, TypeZeroWithTwoTracksIsRefused) {
    std::string path = writeScratchFile(
        "type0x2.mid", headerChunk(0, 2, 96) + trackChunk(endOfTrack) + trackChunk(endOfTrack));
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "Error: Type 0 MIDI file can only contain one track\n");
    EXPECT_EQ(midifile.getTrackCount(), 1);
}

TEST(ReaderHeader, RefusedFileKeepsPreviousContentButTakesItsName) {
    std::string good = writeScratchFile(
        "good.mid", headerChunk(1, 2, 120) + trackChunk("00 90 3C 40" + endOfTrack) +
                        trackChunk(endOfTrack));
    std::string bad = writeScratchFile("bad-type.mid", headerChunk(3, 1, 96));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(good.c_str()), 1);
    int result = -1;
    readCapturingStdout(midifile, bad, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(midifile.getTrackCount(), 2);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40", "0: FF 2F 00"}));
    EXPECT_EQ(midifile.getTicksPerQuarterNote(), 120);
    EXPECT_STREQ(midifile.getFilename(), "bad-type.mid");
}

TEST(ReaderHeader, TrackCountZeroReadsWithNoTracks) {
    std::string path = writeScratchFile("notracks.mid", headerChunk(1, 0, 96));
    MidiFile midifile;
    EXPECT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(midifile.getTrackCount(), 0);
    EXPECT_EQ(midifile.getTimeState(), 1);
    EXPECT_EQ(midifile.getTicksPerQuarterNote(), 96);
}

//////////////////////////////
// A successful read

TEST(ReaderResult, EventsGetAbsoluteTicksAndFileIsSplitAndAbsolute) {
    std::string path = writeScratchFile(
        "two-tracks.mid",
        headerChunk(1, 2, 480) + trackChunk("00 FF 51 03 07 A1 20" + endOfTrack) +
            trackChunk("00 90 3C 40 83 60 80 3C 40 60 90 3E 40" + endOfTrack));
    ProbeMidiFile midifile;
    midifile.setTimeMapValid();
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(midifile.getTicksPerQuarterNote(), 480);
    EXPECT_EQ(midifile.getTimeState(), 1);
    EXPECT_EQ(midifile.getTrackState(), 0);
    EXPECT_EQ(midifile.timeMapValid(), 0);
    ASSERT_EQ(midifile.getTrackCount(), 2);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: FF 51 03 07 A1 20", "0: FF 2F 00"}));
    EXPECT_EQ(trackEvents(midifile, 1), (Events{"0: 90 3C 40", "480: 80 3C 40", "576: 90 3E 40",
                                                "576: FF 2F 00"}));
    EXPECT_EQ(midifile.getTrack(1, 2), 1);
    EXPECT_EQ(midifile.getTempoMicro(0, 0), 500000);
}

TEST(ReaderResult, FilenameIsTheBaseName) {
    std::string path = writeScratchFile("roll.mid", headerChunk(0, 1, 96) + trackChunk(endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_STREQ(midifile.getFilename(), "roll.mid");
}

TEST(ReaderResult, ConstructorReadsTheFile) {
    std::string path = writeScratchFile("ctor.mid",
                                        headerChunk(0, 1, 96) + trackChunk("00 C0 05" + endOfTrack));
    MidiFile midifile(path.c_str());
    ASSERT_EQ(midifile.getTrackCount(), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: C0 05", "0: FF 2F 00"}));
}

TEST(ReaderResult, MemoryAndStreamReadLikeTheFile) {
    const std::string bytes = headerChunk(1, 2, 96) + trackChunk("00 90 3C 40 60 80 3C 00" + endOfTrack) +
                              hexBytes("4D 54 72 6B 00 00 00 00");
    MidiFile fromMemory;
    ASSERT_EQ(fromMemory.read(reinterpret_cast<const unsigned char*>(bytes.data()),
                              static_cast<long>(bytes.size()), "dir/memory.mid"),
              1);
    EXPECT_STREQ(fromMemory.getFilename(), "memory.mid");
    std::istringstream stream(bytes);
    MidiFile fromStream;
    ASSERT_EQ(fromStream.read(stream), 1);
    for (MidiFile* midifile : {&fromMemory, &fromStream}) {
        ASSERT_EQ(midifile->getTrackCount(), 2);
        EXPECT_EQ(trackEvents(*midifile, 0), (Events{"0: 90 3C 40", "96: 80 3C 00", "96: FF 2F 00"}));
        EXPECT_EQ(midifile->getNumEvents(1), 0);
    }
    CaptureStdout();
    EXPECT_EQ(fromMemory.read(reinterpret_cast<const unsigned char*>("MThx"), 4, "x.mid"), 0);
    EXPECT_EQ(GetCapturedStdout(), "File: x.mid is not a MIDI file\n");
}

TEST(ReaderResult, SecondReadReplacesTheFirst) {
    std::string first = writeScratchFile(
        "first.mid", headerChunk(1, 3, 96) + trackChunk(endOfTrack) + trackChunk(endOfTrack) +
                         trackChunk(endOfTrack));
    std::string second =
        writeScratchFile("second.mid", headerChunk(0, 1, 192) + trackChunk("00 C0 01" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(first.c_str()), 1);
    ASSERT_EQ(midifile.read(second.c_str()), 1);
    ASSERT_EQ(midifile.getTrackCount(), 1);
    EXPECT_EQ(midifile.getTicksPerQuarterNote(), 192);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: C0 01", "0: FF 2F 00"}));
}

//////////////////////////////
// Division

TEST(ReaderDivision, Smpte25FramesOf40TicksIsOneTickPerMillisecond) {
    std::string path = writeScratchFile("smpte25.mid", headerChunk(0, 1, 0xE728) + trackChunk(endOfTrack));
    MidiFile midifile;
    CaptureStderr();
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    std::string err = GetCapturedStderr();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(midifile.getTicksPerQuarterNote(), 1000);
    EXPECT_EQ(out,
              "SMPTE ticks: 1000 tpq\nSMPTE frames per second: 25\nSMPTE frame resolution: 40\n");
    EXPECT_EQ(err, "");
}

TEST(ReaderDivision, UnknownFrameRateWarnsAndUsesItsNegation) {
    std::string path = writeScratchFile("smpte26.mid", headerChunk(0, 1, 0xE600) + trackChunk(endOfTrack));
    MidiFile midifile;
    CaptureStderr();
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    std::string err = GetCapturedStderr();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(err, "Warning: unknown FPS: 230\nSetting FPS to 26\n");
    EXPECT_EQ(out, "SMPTE ticks: 0 tpq\nSMPTE frames per second: 26\nSMPTE frame resolution: 0\n");
    EXPECT_EQ(midifile.getTicksPerQuarterNote(), 0);
}

TEST(ReaderDivision, KnownFrameRates) {
    const std::vector<std::pair<int, int>> codes = {
        {0xE3, 29}, {0xE2, 30}, {0xE7, 25}, {0xE8, 24}};
    for (const auto& [code, fps] : codes) {
        std::string path = writeScratchFile(
            "smpte.mid", headerChunk(0, 1, (code << 8) | 10) + trackChunk(endOfTrack));
        MidiFile midifile;
        int result = -1;
        std::string out = readCapturingStdout(midifile, path, result);
        EXPECT_EQ(midifile.getTicksPerQuarterNote(), fps * 10) << "code " << code;
        EXPECT_NE(out.find("SMPTE frames per second: " + std::to_string(fps) + "\n"),
                  std::string::npos);
    }
}

TEST(ReaderDivision, ZeroIsTakenAsSmpte) {
    std::string path = writeScratchFile("div0.mid", headerChunk(0, 1, 0) + trackChunk(endOfTrack));
    MidiFile midifile;
    CaptureStderr();
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    std::string err = GetCapturedStderr();
    EXPECT_EQ(err, "Warning: unknown FPS: 0\nSetting FPS to 256\n");
    EXPECT_EQ(out, "SMPTE ticks: 0 tpq\nSMPTE frames per second: 256\nSMPTE frame resolution: 0\n");
    EXPECT_EQ(midifile.getTicksPerQuarterNote(), 0);
}

TEST(ReaderDivision, LargestPositiveDivisionIsTicksPerQuarter) {
    std::string path = writeScratchFile("div7fff.mid", headerChunk(0, 1, 0x7FFF) + trackChunk(endOfTrack));
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(out, "");
    EXPECT_EQ(midifile.getTicksPerQuarterNote(), 32767);
}

//////////////////////////////
// Running status

TEST(ReaderRunningStatus, NoteOnRepeatsAsThreeBytes) {
    std::string path = writeScratchFile(
        "rs-note.mid", headerChunk(0, 1, 96) + trackChunk("00 90 3C 40 10 3E 41 10 3C 00" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0),
              (Events{"0: 90 3C 40", "16: 90 3E 41", "32: 90 3C 00", "32: FF 2F 00"}));
}

TEST(ReaderRunningStatus, ProgramChangeRepeatsAsTwoBytes) {
    std::string path = writeScratchFile(
        "rs-program.mid", headerChunk(0, 1, 96) + trackChunk("00 C1 05 00 07 00 D1 30 00 31" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0),
              (Events{"0: C1 05", "0: C1 07", "0: D1 30", "0: D1 31", "0: FF 2F 00"}));
}

TEST(ReaderRunningStatus, CarriesAcrossTracks) {
    std::string path = writeScratchFile(
        "rs-tracks.mid", headerChunk(1, 2, 96) + trackChunk("00 B2 07 64" + endOfTrack) +
                             trackChunk("00 0A 40" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 1), (Events{"0: B2 0A 40", "0: FF 2F 00"}));
}

TEST(ReaderRunningStatus, MetaEventsLeaveItUnchanged) {
    std::string path = writeScratchFile(
        "rs-meta.mid",
        headerChunk(0, 1, 96) + trackChunk("00 90 3C 40 00 FF 01 01 41 00 3E 40" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0),
              (Events{"0: 90 3C 40", "0: FF 01 01 41", "0: 90 3E 40", "0: FF 2F 00"}));
}

TEST(ReaderRunningStatus, SystemExclusiveLeavesItUnchanged) {
    std::string path = writeScratchFile(
        "rs-sysex.mid",
        headerChunk(0, 1, 96) + trackChunk("00 80 3C 40 00 F0 02 43 F7 00 3E 40" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0),
              (Events{"0: 80 3C 40", "0: F0 02 43 F7", "0: 80 3E 40", "0: FF 2F 00"}));
}

TEST(ReaderRunningStatus, OtherSystemBytesAreSingleAndLeaveItUnchanged) {
    std::string path = writeScratchFile(
        "rs-clock.mid", headerChunk(0, 1, 96) + trackChunk("00 E0 00 40 00 F8 00 00 41" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0),
              (Events{"0: E0 00 40", "0: F8", "0: E0 00 41", "0: FF 2F 00"}));
}

TEST(ReaderRunningStatusDeathTest, DataByteWithNoStatusBeforeEndsTheProcess) {
    std::string path = writeScratchFile("rs-none.mid",
                                        headerChunk(0, 1, 96) + trackChunk("00 3C 40" + endOfTrack));
    EXPECT_EXIT(readWithMessagesOnStderr(path), testing::ExitedWithCode(1),
                "Error: running command with no previous command");
}

TEST(ReaderRunningStatusDeathTest, MetaEventIsNoStatusToRepeat) {
    std::string path = writeScratchFile(
        "rs-after-meta.mid", headerChunk(0, 1, 96) + trackChunk("00 FF 03 00 00 3C 40" + endOfTrack));
    EXPECT_EXIT(readWithMessagesOnStderr(path), testing::ExitedWithCode(1),
                "Error: running command with no previous command");
}

//////////////////////////////
// Variable-length quantities

TEST(ReaderVariableLength, FourByteDeltaTime) {
    std::string path = writeScratchFile(
        "vlq4.mid", headerChunk(0, 1, 96) + trackChunk("81 80 80 00 90 3C 40" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"2097152: 90 3C 40", "2097152: FF 2F 00"}));
}

TEST(ReaderVariableLength, BoundariesOfOneToFourBytes) {
    std::string path = writeScratchFile(
        "vlq-bounds.mid",
        headerChunk(0, 1, 96) + trackChunk("7F F8 81 00 F8 FF 7F F8 FF FF FF 7F F8" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    // 127, then + 128, + 16383 and + 268435455.
    EXPECT_EQ(trackEvents(midifile, 0),
              (Events{"127: F8", "255: F8", "16638: F8", "268452093: F8", "268452093: FF 2F 00"}));
}

TEST(ReaderVariableLength, FiveByteDeltaTimeIsAccepted) {
    std::string path = writeScratchFile(
        "vlq5.mid", headerChunk(0, 1, 96) + trackChunk("80 80 80 80 05 F8" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"5: F8", "5: FF 2F 00"}));
}

// Ticks add up to at most 2^31 - 1 (eight deltas of 0x0FFFFFFF and one of
// 7); one tick more and no time of the track can be told: the file is not
// read, and nothing with a wrapped time is left.
TEST(ReaderVariableLength, TicksBeyondTheRangeOfIntMakeTheFileUnreadable) {
    std::string deltas;
    for (int i = 0; i < 8; i++) {
        deltas += " FF FF FF 7F F8";
    }
    for (const char* last : {"07", "08"}) {
        const std::string bytes = headerChunk(1, 2, 96) + trackChunk(endOfTrack) +
                                  trackChunk(deltas + " " + last + " 90 3C 40" + endOfTrack);
        MidiFile midifile;
        CaptureStdout();
        const int result =
            midifile.read(reinterpret_cast<const unsigned char*>(bytes.data()),
                          static_cast<long>(bytes.size()), "dir/long.mid");
        const std::string out = GetCapturedStdout();
        if (std::string(last) == "07") {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(midifile.getEvent(1, 8).time, 0x7FFFFFFF);
            continue;
        }
        EXPECT_EQ(result, 0);
        EXPECT_EQ(out, "File: dir/long.mid is not a MIDI file\n");
        EXPECT_EQ(midifile.getTrackCount(), 1);
        EXPECT_EQ(midifile.getNumEvents(0), 0);
    }
}

TEST(ReaderVariableLengthDeathTest, FiveContinuationBytesEndTheProcess) {
    std::string path = writeScratchFile(
        "vlq-long.mid", headerChunk(0, 1, 96) + trackChunk("81 81 81 81 81 00 90 3C 40" + endOfTrack));
    EXPECT_EXIT(readWithMessagesOnStderr(path), testing::ExitedWithCode(1),
                "Error: VLV value was too long");
}

TEST(ReaderVariableLengthDeathTest, OverlongMetaLengthEndsTheProcess) {
    std::string path = writeScratchFile(
        "meta-long.mid", headerChunk(0, 1, 96) + trackChunk("00 FF 01 80 80 80 80 80 00" + endOfTrack));
    EXPECT_EXIT(readWithMessagesOnStderr(path), testing::ExitedWithCode(1),
                "Error: VLV value was too long");
}

//////////////////////////////
// Meta and system exclusive events

TEST(ReaderMessages, MetaEventsKeepTypeLengthAndPayload) {
    std::string path = writeScratchFile(
        "meta.mid", headerChunk(0, 1, 96) +
                        trackChunk("00 FF 03 05 50 69 61 6E 6F 00 FF 02 00" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0),
              (Events{"0: FF 03 05 50 69 61 6E 6F", "0: FF 02 00", "0: FF 2F 00"}));
}

TEST(ReaderMessages, SystemExclusiveIsKeptWholeAtItsStartTick) {
    std::string path = writeScratchFile(
        "sysex.mid", headerChunk(0, 1, 96) +
                         trackChunk("10 F0 05 7E 7F 09 01 F7 20 90 3C 40" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0),
              (Events{"16: F0 05 7E 7F 09 01 F7", "48: 90 3C 40", "48: FF 2F 00"}));
}

TEST(ReaderMessages, EscapedSystemExclusiveIsKeptWhole) {
    std::string path = writeScratchFile(
        "escaped.mid", headerChunk(0, 1, 96) + trackChunk("00 F0 03 43 12 00 05 F7 02 34 F7" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0),
              (Events{"0: F0 03 43 12 00", "5: F7 02 34 F7", "5: FF 2F 00"}));
}

TEST(ReaderMessages, LongSystemExclusiveHasATwoByteLength) {
    std::string payload;
    for (int i = 0; i < 128; i++) {
        payload += " 11";
    }
    std::string path = writeScratchFile(
        "sysex128.mid", headerChunk(0, 1, 96) + trackChunk("00 F0 81 00" + payload + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    ASSERT_EQ(midifile.getNumEvents(0), 2);
    MFEvent& sysex = midifile.getEvent(0, 0);
    ASSERT_EQ(sysex.data.getSize(), 131);
    EXPECT_EQ(sysex.data[1], 0x81);
    EXPECT_EQ(sysex.data[2], 0x00);
    EXPECT_EQ(sysex.data[130], 0x11);
}

//////////////////////////////
// Where a track ends

TEST(ReaderTrackEnd, TrackWithoutEndOfTrackStopsAtTheNextChunk) {
    std::string path = writeScratchFile(
        "no-eot.mid", headerChunk(1, 2, 96) + trackChunk("00 90 3C 40 10 80 3C 40") +
                          trackChunk("00 C0 05" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40", "16: 80 3C 40"}));
    EXPECT_EQ(trackEvents(midifile, 1), (Events{"0: C0 05", "0: FF 2F 00"}));
}

TEST(ReaderTrackEnd, LastTrackWithoutEndOfTrackKeepsItsEvents) {
    std::string path = writeScratchFile(
        "no-eot-last.mid", headerChunk(0, 1, 96) + trackChunk("00 90 3C 40 10 80 3C 40"));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40", "16: 80 3C 40"}));
}

TEST(ReaderTrackEnd, TooShortDeclaredLengthDoesNotCutTheTrack) {
    std::string path = writeScratchFile(
        "short-length.mid",
        headerChunk(1, 2, 96) + trackChunkDeclaring(4, "00 90 3C 40 10 80 3C 40" + endOfTrack) +
            trackChunk("00 C0 05" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40", "16: 80 3C 40", "16: FF 2F 00"}));
    EXPECT_EQ(trackEvents(midifile, 1), (Events{"0: C0 05", "0: FF 2F 00"}));
}

TEST(ReaderTrackEnd, TooLongDeclaredLengthFindsTheNextChunkAfterEndOfTrack) {
    std::string path = writeScratchFile(
        "long-length.mid",
        headerChunk(1, 2, 96) + trackChunkDeclaring(40, "00 90 3C 40" + endOfTrack) +
            trackChunk("00 C0 05" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 1), (Events{"0: C0 05", "0: FF 2F 00"}));
}

TEST(ReaderTrackEnd, PaddingAfterEndOfTrackIsSkipped) {
    std::string path = writeScratchFile(
        "padding.mid", headerChunk(1, 2, 96) + trackChunk("00 90 3C 40" + endOfTrack + " 00 00 00") +
                           trackChunk("00 C0 05" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40", "0: FF 2F 00"}));
    EXPECT_EQ(trackEvents(midifile, 1), (Events{"0: C0 05", "0: FF 2F 00"}));
}

TEST(ReaderTrackEnd, EventCutByEndOfFileIsDropped) {
    std::string path = writeScratchFile(
        "cut-eof.mid", headerChunk(0, 1, 96) + trackChunkDeclaring(12, "00 90 3C 40 10 90 3E"));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40"}));
}

TEST(ReaderTrackEnd, DeltaTimeCutByEndOfFileIsDropped) {
    std::string path = writeScratchFile(
        "cut-delta.mid", headerChunk(0, 1, 96) + trackChunkDeclaring(12, "00 90 3C 40 81 80"));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40"}));
}

TEST(ReaderTrackEnd, EventCutByTheChunkEndIsDropped) {
    // Without the chunk end, the note-on would take the 'M' of the next
    // chunk as its velocity.
    std::string path = writeScratchFile(
        "cut-chunk.mid", headerChunk(1, 2, 96) + trackChunk("00 90 3C 40 10 90 3E") +
                             trackChunk("00 3C 00" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40"}));
    EXPECT_EQ(trackEvents(midifile, 1), (Events{"0: 90 3C 00", "0: FF 2F 00"}));
}

TEST(ReaderTrackEnd, DroppedEventLeavesRunningStatusAsItWas) {
    // The program change cut off at the chunk end must not become the
    // status that the next track's first event repeats.
    std::string path = writeScratchFile(
        "cut-status.mid", headerChunk(1, 2, 96) + trackChunk("00 90 3C 40 00 C0") +
                              trackChunk("00 3C 00" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40"}));
    EXPECT_EQ(trackEvents(midifile, 1), (Events{"0: 90 3C 00", "0: FF 2F 00"}));
}

TEST(ReaderTrackEnd, MetaLongerThanTheFileEndsTheTrackAtOnce) {
    std::string path = writeScratchFile(
        "huge-meta.mid",
        headerChunk(0, 1, 96) + trackChunkDeclaring(0xFFFFFFFF, "00 90 3C 40 00 FF 01 8F FF FF FF 7F 41 42"));
    MidiFile midifile;
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40"}));
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 1000);
}

TEST(ReaderTrackEnd, SystemExclusiveLongerThanItsChunkIsDropped) {
    std::string path = writeScratchFile(
        "huge-sysex.mid", headerChunk(1, 2, 96) + trackChunk("00 90 3C 40 00 F0 10 01 02") +
                              trackChunk("00 C0 05" + endOfTrack));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40"}));
    EXPECT_EQ(trackEvents(midifile, 1), (Events{"0: C0 05", "0: FF 2F 00"}));
}

//////////////////////////////
// Bad track headers

TEST(ReaderTrackHeader, MissingTrackAtEndOfFileIsReported) {
    std::string path = writeScratchFile(
        "missing-track.mid", headerChunk(1, 2, 96) + trackChunk("00 90 3C 40" + endOfTrack));
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "File: " + path + " has bad track info\n"
                   "character 1 is: k(107): expecting 'M'\n"
                   "End of file reached\n");
    ASSERT_EQ(midifile.getTrackCount(), 2);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40", "0: FF 2F 00"}));
    EXPECT_EQ(midifile.getNumEvents(1), 0);
    EXPECT_EQ(midifile.getTimeState(), 0);
}

TEST(ReaderTrackHeader, FileEndingInsideATrackReportsTheNextOne) {
    std::string path = writeScratchFile(
        "truncated.mid", headerChunk(1, 2, 96) + trackChunkDeclaring(20, "00 90 3C 40 10 80"));
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "File: " + path + " has bad track info\n"
                   "character 1 is: k(107): expecting 'M'\n"
                   "End of file reached\n");
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40"}));
}

TEST(ReaderTrackHeader, WrongFirstLetterInsideTheFile) {
    std::string path = writeScratchFile(
        "xtrk.mid", headerChunk(1, 2, 96) + trackChunk(endOfTrack) + "XTrk" + bigEndian32(4) +
                        hexBytes(endOfTrack));
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "File: " + path + " has bad track info\ncharacter 1 is: X(88): expecting 'M'\n");
    EXPECT_EQ(midifile.getTrackCount(), 2);
}

TEST(ReaderTrackHeader, WrongLaterLettersAreGivenInDecimal) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"MXrk", "character 2 is: 88\n"},
        {"MTXk", "character 3 is: 88\n"},
        {"MTrX", "character 4 is: 88\n"},
    };
    for (const auto& [id, line] : cases) {
        std::string path = writeScratchFile(
            "bad-letter.mid", headerChunk(1, 1, 96) + id + bigEndian32(4) + hexBytes(endOfTrack));
        MidiFile midifile;
        int result = -1;
        std::string out = readCapturingStdout(midifile, path, result);
        EXPECT_EQ(result, 0) << id;
        EXPECT_EQ(out, "File: " + path + " has bad track info\n" + line);
    }
}

TEST(ReaderTrackHeader, FileEndingAfterTheHeaderReportsItsLastLetter) {
    std::string path = writeScratchFile("header-only.mid", headerChunk(0, 1, 96));
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "File: " + path + " has bad track info\n"
                   "character 1 is: d(100): expecting 'M'\n"
                   "End of file reached\n");
}

//////////////////////////////
// Storage reserved for declared sizes

TEST(ReaderStorage, HugeChunkLengthReservesNoMoreThanTheFileHolds) {
    std::string bytes = headerChunk(0, 1, 96) + trackChunkDeclaring(0xFFFFFFFF, "00 90 3C 40" + endOfTrack);
    std::string path = writeScratchFile("huge-length.mid", bytes);
    ProbeMidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(trackEvents(midifile, 0), (Events{"0: 90 3C 40", "0: FF 2F 00"}));
    EXPECT_LE(midifile.reservedEvents(0), static_cast<long>(bytes.size()));
}

TEST(ReaderStorage, HugeTrackCountInASmallFileReservesNothingForMissingTracks) {
    std::string path = writeScratchFile(
        "many-tracks.mid", headerChunk(1, 65535, 96) + trackChunk("00 90 3C 40" + endOfTrack));
    ProbeMidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(midifile.getTrackCount(), 65535);
    EXPECT_EQ(midifile.getNumEvents(0), 2);
    EXPECT_EQ(midifile.reservedEvents(1), 0);
    EXPECT_EQ(midifile.reservedEvents(65534), 0);
}

// A header that announces far more tracks than the file holds: every
// announced track is there, empty.
TEST(ReaderStorage, FifteenBytesAnnouncing61985Tracks) {
    std::string path = writeScratchFile("announces-61985.mid", headerChunk(1, 61985, 96) + "M");
    MidiFile midifile;
    int result = -1;
    std::string out = readCapturingStdout(midifile, path, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(out, "File: " + path + " has bad track info\ncharacter 2 is: 77\n");
    ASSERT_EQ(midifile.getTrackCount(), 61985);
    long events = 0;
    for (int i = 0; i < midifile.getTrackCount(); i++) {
        events += midifile.getNumEvents(i);
    }
    EXPECT_EQ(events, 0);
    EXPECT_EQ(midifile.getTimeState(), 0);
    EXPECT_EQ(midifile.getTicksPerQuarterNote(), 96);
}

// The tracks a failed read never reached are empty tracks, each its own:
// changing one leaves the others empty and without storage.
TEST(ReaderStorage, TracksNeverReachedChangeOneByOne) {
    const std::string path = writeScratchFile(
        "unreached.mid", headerChunk(1, 4, 96) + trackChunk("00 90 3C 40" + endOfTrack));
    const auto note = [](MidiFile& f, int track) { add(f, track, 0, "90 3C 40"); };
    struct Row {
        const char* change;
        std::function<void(MidiFile&)> apply;
        Events tracks;  // per track: events / reserved storage
    };
    const std::vector<Row> rows = {
        {"nothing", [](MidiFile&) {}, {"2/4", "0/0", "0/0", "0/0"}},
        {"addEvent", [&](MidiFile& f) { note(f, 2); }, {"2/4", "0/0", "1/8", "0/0"}},
        {"addEvent of an event",
         [](MidiFile& f) {
             MFEvent event(0, 3, 0x90, 0x3C, 0x40);
             f.addEvent(event);
         },
         {"2/4", "0/0", "0/0", "1/8"}},
        {"getEvent one past the end", [](MidiFile& f) { f.getEvent(1, 0); },
         {"2/4", "1/8", "0/0", "0/0"}},
        {"allocateEvents", [](MidiFile& f) { f.allocateEvents(3, 100); },
         {"2/4", "0/0", "0/0", "0/100"}},
        {"deleteTrack",
         [&](MidiFile& f) {
             note(f, 3);
             f.deleteTrack(1);
         },
         {"2/4", "0/0", "1/8"}},
        {"mergeTracks",
         [&](MidiFile& f) {
             note(f, 3);
             f.mergeTracks(1, 3);
             f.mergeTracks(1, 2);
         },
         {"2/4", "1/8"}},
        {"joinTracks", [](MidiFile& f) { f.joinTracks(); }, {"2/200000"}},
        {"erase", [](MidiFile& f) { f.erase(); }, {"0/0"}},
    };
    for (const Row& row : rows) {
        ProbeMidiFile midifile;
        int result = -1;
        readCapturingStdout(midifile, path, result);
        ASSERT_EQ(result, 0);
        row.apply(midifile);
        Events tracks;
        for (int i = 0; i < midifile.getTrackCount(); i++) {
            tracks.push_back(std::to_string(midifile.getNumEvents(i)) + "/" +
                             std::to_string(midifile.reservedEvents(i)));
        }
        EXPECT_EQ(tracks, row.tracks) << row.change;
    }
}

TEST(ReaderStorage, ManyEmptyTracksTogetherReserveNoMoreThanTheFileHolds) {
    std::string bytes = headerChunk(1, 2000, 96);
    for (int i = 0; i < 2000; i++) {
        bytes += trackChunk(endOfTrack);
    }
    std::string path = writeScratchFile("many-empty-tracks.mid", bytes);
    ProbeMidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    ASSERT_EQ(midifile.getTrackCount(), 2000);
    long reserved = 0;
    for (int i = 0; i < 2000; i++) {
        reserved += midifile.reservedEvents(i);
    }
    EXPECT_LE(reserved, static_cast<long>(bytes.size()));
}

TEST(ReaderStorage, TrackWithoutAUsableLengthGrowsAsItIsRead) {
    std::string body;
    for (int i = 0; i < 3000; i++) {
        body += " 00 90 3C 40";
    }
    body += endOfTrack;
    // The declared length is one byte short: the track goes on to its end.
    const uint32_t length = static_cast<uint32_t>(hexBytes(body).size()) - 1;
    std::string path =
        writeScratchFile("short-length.mid", headerChunk(0, 1, 96) + trackChunkDeclaring(length, body));
    ProbeMidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(midifile.getNumEvents(0), 3001);
}

TEST(ReaderStorage, LargeTrackReservesHalfItsLength) {
    std::string text;
    for (int i = 0; i < 30000; i++) {
        text += " 20";
    }
    // FF 01, a three-byte length for 30000, the text, end-of-track.
    std::string body = "00 FF 01 81 EA 30" + text + endOfTrack;
    const uint32_t length = static_cast<uint32_t>(hexBytes(body).size());
    std::string path = writeScratchFile("large-track.mid", headerChunk(0, 1, 96) + trackChunk(body));
    ProbeMidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    ASSERT_EQ(midifile.getNumEvents(0), 2);
    EXPECT_EQ(midifile.getEvent(0, 0).data.getSize(), 30005);
    EXPECT_EQ(midifile.reservedEvents(0), static_cast<long>(length / 2));
}

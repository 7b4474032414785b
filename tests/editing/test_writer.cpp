// The Standard MIDI File writer: header and track bytes, delta-time
// encoding, end-of-track rules, stream failures, and files read back.

#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "MidiFile.h"
#include "eventbytes.h"
#include "testbytes.h"

namespace {

std::string written(MidiFile& midifile) {
    std::ostringstream out;
    EXPECT_EQ(midifile.write(out), 1);
    return out.str();
}

// The bytes after the 14-byte header.
std::string tracksOf(MidiFile& midifile) {
    return written(midifile).substr(14);
}

std::string header(const char* typeCountDivision) {
    return hexBytes(std::string("4D 54 68 64 00 00 00 06 ") + typeCountDivision);
}

std::string chunk(const char* lengthAndData) {
    return hexBytes(std::string("4D 54 72 6B ") + lengthAndData);
}

std::vector<std::string> listing(MidiFile& midifile, int track) {
    std::vector<std::string> out;
    for (int i = 0; i < midifile.getNumEvents(track); i++) {
        MFEvent& event = midifile.getEvent(track, i);
        std::string bytes(reinterpret_cast<const char*>(event.data.getBase()),
                          static_cast<size_t>(event.data.getSize()));
        out.push_back(std::to_string(event.time) + ":" + toHex(bytes));
    }
    return out;
}

// A stream buffer that takes a limited number of bytes, like a full disk.
class FullBuffer : public std::streambuf {
  public:
    explicit FullBuffer(std::streamsize room) : room_(room) {}

  protected:
    int_type overflow(int_type ch) override {
        if (traits_type::eq_int_type(ch, traits_type::eof())) {
            return traits_type::not_eof(ch);
        }
        if (room_ <= 0) {
            return traits_type::eof();
        }
        room_--;
        return ch;
    }
    std::streamsize xsputn(const char*, std::streamsize count) override {
        std::streamsize taken = count < room_ ? count : room_;
        room_ -= taken;
        return taken;
    }

  private:
    std::streamsize room_;
};

}  // namespace

// ---------------------------------------------------------------- header

TEST(WriteHeader, OneEmptyTrack) {
    MidiFile midifile;
    EXPECT_EQ(toHex(written(midifile)),
              toHex(header("00 00 00 01 00 30") + chunk("00 00 00 04 00 FF 2F 00")));
}

TEST(WriteHeader, SeveralTracksAreTypeOne) {
    MidiFile midifile;
    midifile.addTrack(2);
    midifile.setTicksPerQuarterNote(480);
    std::string empty = chunk("00 00 00 04 00 FF 2F 00");
    EXPECT_EQ(toHex(written(midifile)),
              toHex(header("00 01 00 03 01 E0") + empty + empty + empty));
}

TEST(WriteHeader, MillisecondDivision) {
    MidiFile midifile;
    midifile.setMillisecondDelta();
    EXPECT_EQ(toHex(written(midifile).substr(12, 2)), "E7 28");
}

TEST(WriteHeader, DivisionKeepsLowSixteenBits) {
    MidiFile midifile;
    midifile.setTicksPerQuarterNote(0x12345);
    EXPECT_EQ(toHex(written(midifile).substr(12, 2)), "23 45");
}

// ---------------------------------------------------------------- track data

TEST(WriteTrack, DeltaTimesAtEncodingBoundaries) {
    struct Case {
        int delta;
        const char* encoded;
    };
    const Case cases[] = {
        {0, "00"},
        {0x7F, "7F"},
        {0x80, "81 00"},
        {0x3FFF, "FF 7F"},
        {0x4000, "81 80 00"},
        {0x1FFFFF, "FF FF 7F"},
        {0x200000, "81 80 80 00"},
        {0x0FFFFFFF, "FF FF FF 7F"},
    };
    for (const Case& c : cases) {
        MidiFile midifile;
        add(midifile, 0, c.delta, "FF 2F 00");
        std::string expected = hexBytes(c.encoded) + hexBytes("FF 2F 00");
        EXPECT_EQ(toHex(tracksOf(midifile).substr(8)), toHex(expected)) << c.delta;
    }
}

// A delta beyond four bytes, or a negative one of an unsorted track, has no
// place in a file: write() refuses the file and writes nothing of it.
TEST(WriteTrack, DeltaBeyondFourBytesIsRefusedAndNothingWritten) {
    const int deltas[][2] = {{0, 0x10000000}, {0, -1}, {0x10000000, 0}};
    for (const auto& pair : deltas) {
        MidiFile midifile;
        midifile.addTrack();
        add(midifile, 0, 5, "90 3C 40");
        add(midifile, 1, pair[0], "90 3C 40");
        add(midifile, 1, pair[1], "80 3C 40");
        std::ostringstream out;
        EXPECT_EQ(midifile.write(out), 0) << pair[0] << " " << pair[1];
        EXPECT_EQ(out.str().size(), 0u);
    }
    MidiFile unsorted;
    unsorted.absoluteTime();
    add(unsorted, 0, 10, "90 3C 40");
    add(unsorted, 0, 9, "80 3C 40");
    std::ostringstream out;
    EXPECT_EQ(unsorted.write(out), 0);
    EXPECT_EQ(unsorted.getEvent(0, 1).time, 9);  // the times stay as they were
}

TEST(WriteTrack, EventsWithStatusWrittenOut) {
    MidiFile midifile;
    add(midifile, 0, 0, "90 3C 40");
    add(midifile, 0, 10, "90 3E 40");
    add(midifile, 0, 0, "C0 05");
    add(midifile, 0, 0, "F0");
    EXPECT_EQ(toHex(tracksOf(midifile)),
              toHex(chunk("00 00 00 11 00 90 3C 40 0A 90 3E 40 00 C0 05 00 F0 "
                          "00 FF 2F 00")));
}

TEST(WriteTrack, AbsoluteTimesWrittenAsDeltasAndKept) {
    MidiFile midifile;
    midifile.absoluteTime();
    add(midifile, 0, 100, "90 3C 40");
    add(midifile, 0, 300, "80 3C 00");
    std::vector<std::string> before = listing(midifile, 0);
    EXPECT_EQ(toHex(tracksOf(midifile)),
              toHex(chunk("00 00 00 0D 64 90 3C 40 81 48 80 3C 00 00 FF 2F 00")));
    EXPECT_EQ(midifile.getTimeState(), 1);
    EXPECT_EQ(listing(midifile, 0), before);
}

TEST(WriteTrack, DeltaFileStaysDelta) {
    MidiFile midifile;
    add(midifile, 0, 100, "90 3C 40");
    add(midifile, 0, 200, "80 3C 00");
    written(midifile);
    EXPECT_EQ(midifile.getTimeState(), 0);
    EXPECT_EQ(listing(midifile, 0), (std::vector<std::string>{"100:90 3C 40", "200:80 3C 00"}));
}

// ---------------------------------------------------------------- end of track

TEST(WriteEndOfTrack, ExistingEndOfTrackIsNotRepeated) {
    MidiFile midifile;
    add(midifile, 0, 0, "90 3C 40");
    add(midifile, 0, 5, "FF 2F 00");
    EXPECT_EQ(toHex(tracksOf(midifile)),
              toHex(chunk("00 00 00 08 00 90 3C 40 05 FF 2F 00")));
}

TEST(WriteEndOfTrack, AddedAfterOtherMetaEvent) {
    MidiFile midifile;
    midifile.addMetaEvent(0, 0, 3, "A");
    EXPECT_EQ(toHex(tracksOf(midifile)),
              toHex(chunk("00 00 00 09 00 FF 03 01 41 00 FF 2F 00")));
}

TEST(WriteEndOfTrack, TextEndingInEndOfTrackBytesStillGetsOne) {
    MidiFile midifile;
    add(midifile, 0, 0, "FF 01 03 FF 2F 00");
    EXPECT_EQ(toHex(tracksOf(midifile)),
              toHex(chunk("00 00 00 0B 00 FF 01 03 FF 2F 00 00 FF 2F 00")));

    MidiFile other;
    add(other, 0, 0, "FF 01 02 FF 2F");
    EXPECT_EQ(toHex(tracksOf(other)),
              toHex(chunk("00 00 00 0A 00 FF 01 02 FF 2F 00 FF 2F 00")));
}

TEST(WriteEndOfTrack, EndOfTrackInsideTrackDoesNotCount) {
    MidiFile midifile;
    add(midifile, 0, 0, "FF 2F 00");
    add(midifile, 0, 0, "90 3C 40");
    EXPECT_EQ(toHex(tracksOf(midifile)),
              toHex(chunk("00 00 00 0C 00 FF 2F 00 00 90 3C 40 00 FF 2F 00")));
}

// ---------------------------------------------------------------- failures

TEST(WriteFailure, FullStreamIsReported) {
    MidiFile midifile;
    midifile.absoluteTime();
    add(midifile, 0, 100, "90 3C 40");
    FullBuffer buffer(20);
    std::ostream out(&buffer);
    EXPECT_EQ(midifile.write(out), 0);
    EXPECT_EQ(midifile.getTimeState(), 1);
    EXPECT_EQ(midifile.getEvent(0, 0).time, 100);
}

TEST(WriteFailure, FailedStreamIsReported) {
    MidiFile midifile;
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    EXPECT_EQ(midifile.write(out), 0);
}

TEST(WriteFailureDeathTest, UnwritableFileEndsProcess) {
    MidiFile midifile;
    std::string name = scratchDir() + "/no-such-folder/out.mid";
    EXPECT_EXIT(
        {
            dup2(2, 1);  // the message goes to standard output
            midifile.write(name.c_str());
        },
        testing::ExitedWithCode(1), "Error: could not write: .*no-such-folder/out.mid");
}

// ---------------------------------------------------------------- files

TEST(WriteFile, SameBytesAsStream) {
    MidiFile midifile;
    midifile.addTrack();
    add(midifile, 1, 3, "91 3C 40");
    std::string path = scratchDir() + "/write-file.mid";
    writeScratchFile("write-file.mid", "old content that is longer than the new file ....");
    EXPECT_EQ(midifile.write(path.c_str()), 1);
    EXPECT_EQ(toHex(readWholeFile(path)), toHex(written(midifile)));
}

TEST(WriteReadBack, AbsoluteEventsSurvive) {
    MidiFile midifile;
    midifile.absoluteTime();
    midifile.setTicksPerQuarterNote(480);
    midifile.addTrack(2);
    midifile.addMetaEvent(0, 0, 3, "Melody");
    midifile.addMetaEvent(0, 0, 0x51, "\x07\xA1\x20");
    add(midifile, 1, 0, "C1 05");
    add(midifile, 1, 0, "91 3C 40");
    add(midifile, 1, 200, "91 3C 00");
    add(midifile, 1, 200, "91 3E 40");
    add(midifile, 1, 100000, "81 3E 40");
    std::string text(200, 'x');
    midifile.addMetaEvent(2, 50, 1, text.c_str());
    add(midifile, 2, 70, "FF 2F 00");
    midifile.sortTracks();

    std::string path = scratchDir() + "/roundtrip.mid";
    ASSERT_EQ(midifile.write(path.c_str()), 1);

    MidiFile copy;
    ASSERT_EQ(copy.read(path.c_str()), 1);
    EXPECT_EQ(copy.getTicksPerQuarterNote(), 480);
    ASSERT_EQ(copy.getTrackCount(), 3);
    EXPECT_EQ(copy.getTimeState(), 1);
    for (int t = 0; t < 3; t++) {
        std::vector<std::string> expected = listing(midifile, t);
        int last = midifile.getNumEvents(t) - 1;
        if (t != 2) {
            expected.push_back(std::to_string(midifile.getEvent(t, last).time) +
                               ":FF 2F 00");
        }
        EXPECT_EQ(listing(copy, t), expected) << "track " << t;
    }
    // A second write of what was read gives the same bytes.
    EXPECT_EQ(toHex(written(copy)), toHex(readWholeFile(path)));
}

TEST(WriteReadBack, NoTracks) {
    std::string path =
        writeScratchFile("no-tracks.mid", header("00 01 00 00 00 60"));
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    ASSERT_EQ(midifile.getTrackCount(), 0);
    EXPECT_EQ(toHex(written(midifile)), toHex(header("00 01 00 00 00 60")));
}

namespace {

TEST(WriteReadBack, SystemExclusiveAndMetaEventsSurviveByteForByte) {
    // A sysex, an escaped sysex, a 130-byte text (two length bytes) and a
    // note-off in running status, which the copy writes with its status.
    std::string text;
    for (int i = 0; i < 130; i++) {
        text += " 41";
    }
    auto track = [](const std::string& hexBody) {
        const std::string body = hexBytes(hexBody);
        const std::string length(1, static_cast<char>(body.size()));
        return hexBytes("4D 54 72 6B 00 00 00") + length + body;
    };
    const std::string events = "00 F0 05 7E 7F 09 01 F7  10 F7 02 F3 01  00 FF 01 81 02" + text;
    const std::string original =
        header("00 00 00 01 00 60") + track(events + " 00 90 3C 40  10 3C 00  00 FF 2F 00");
    std::string path = writeScratchFile("sysex-roundtrip.mid", original);
    MidiFile midifile;
    ASSERT_EQ(midifile.read(path.c_str()), 1);
    EXPECT_EQ(listing(midifile, 0)[0], "0:F0 05 7E 7F 09 01 F7");
    EXPECT_EQ(listing(midifile, 0)[1], "16:F7 02 F3 01");

    const std::string expected =
        header("00 00 00 01 00 60") + track(events + " 00 90 3C 40  10 90 3C 00  00 FF 2F 00");
    EXPECT_EQ(toHex(written(midifile)), toHex(expected));
}

}  // namespace

// The growable arrays, the event record and the core of MidiFile.

#include <gtest/gtest.h>

#include <string>

#include "MidiFile.h"

namespace {

using testing::ExitedWithCode;

// --- SigCollection and Array ---------------------------------------------

TEST(ArrayTest, DefaultArrayHasFourZeroElementsAndNoGrowth) {
    Array<unsigned char> bytes;
    EXPECT_EQ(bytes.getSize(), 4);
    EXPECT_EQ(bytes.getAllocSize(), 4);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(bytes[i], 0);
    }
    EXPECT_EXIT(bytes[4], ExitedWithCode(1),
                "Error: accessing invalid array location 4 Maximum is 3");
}

TEST(ArrayTest, IndexGrowthAppendsOnlyOnePastTheEnd) {
    SigCollection<int> numbers;
    numbers.allowGrowth(1);
    numbers[0] = 7;
    numbers[1] = 9;
    EXPECT_EQ(numbers.getSize(), 2);
    EXPECT_EQ(numbers.getAllocSize(), 8);  // default growth amount
    EXPECT_EQ(numbers[1], 9);
    EXPECT_EXIT(numbers[3], ExitedWithCode(1),
                "Error: accessing invalid array location 3 Maximum is 1");
    EXPECT_EXIT(numbers[-1], ExitedWithCode(1),
                "Error: accessing invalid array location -1 Maximum is 1");
}

TEST(ArrayTest, AppendWorksWithoutIndexGrowthAndGrowsByGrowthAmount) {
    SigCollection<int> numbers;
    for (int i = 0; i < 9; i++) {
        numbers.append(i);
    }
    EXPECT_EQ(numbers.getSize(), 9);
    EXPECT_EQ(numbers.getAllocSize(), 16);
    numbers.setGrowth(100);
    for (int i = 9; i < 17; i++) {
        numbers.append(i);
    }
    EXPECT_EQ(numbers.getAllocSize(), 116);
    for (int i = 0; i < 17; i++) {
        EXPECT_EQ(numbers[i], i);
    }
}

TEST(ArrayTest, SetSizeKeepsStorageAndSetAllocSizeIsExact) {
    Array<int> numbers(10);
    numbers.setSize(2);
    EXPECT_EQ(numbers.getAllocSize(), 10);
    numbers.setAllocSize(5);
    EXPECT_EQ(numbers.getAllocSize(), 5);
    numbers.setAllocSize(12);
    EXPECT_EQ(numbers.getAllocSize(), 12);
    EXPECT_EQ(numbers.getSize(), 2);
    EXPECT_EXIT(numbers.setAllocSize(1), ExitedWithCode(1),
                "Error: cannot set allocated size smaller than actual size.");
}

TEST(ArrayTest, AssignmentCopiesElementsAndReplacesSmallStorage) {
    Array<int> source(6);
    for (int i = 0; i < 6; i++) {
        source[i] = i * 10;
    }
    Array<int> target;  // storage of 4
    target = source;
    ASSERT_EQ(target.getSize(), 6);
    EXPECT_EQ(target.getAllocSize(), 6);
    EXPECT_EQ(target[5], 50);
    source[5] = 1;
    EXPECT_EQ(target[5], 50);  // a copy, not shared storage

    Array<int> small(2);
    Array<int> big(8);
    big = small;
    EXPECT_EQ(big.getSize(), 2);
    EXPECT_EQ(big.getAllocSize(), 8);
}

// --- MFEvent --------------------------------------------------------------

MFEvent tempoEvent(int b3, int b4, int b5) {
    Array<unsigned char> bytes(6);
    const int values[6] = {0xFF, 0x51, 0x03, b3, b4, b5};
    for (int i = 0; i < 6; i++) {
        bytes[i] = static_cast<unsigned char>(values[i]);
    }
    return MFEvent(0, 0, bytes);
}

TEST(MFEventTest, ConstructorsFillTimeTrackAndBytes) {
    MFEvent empty;
    EXPECT_EQ(empty.time, 0);
    EXPECT_EQ(empty.track, 0);
    EXPECT_EQ(empty.data.getSize(), 0);
    EXPECT_EQ(empty.getCommandNibble(), -1);
    EXPECT_EQ(empty.getChannelNibble(), -1);

    MFEvent full(120, 3, 0x93, 60, 100);
    EXPECT_EQ(full.time, 120);
    EXPECT_EQ(full.track, 3);
    ASSERT_EQ(full.data.getSize(), 3);
    EXPECT_EQ(full.getCommandNibble(), 0x90);
    EXPECT_EQ(full.getChannelNibble(), 3);
    EXPECT_EQ(full.data[2], 100);

    MFEvent twoBytes(0xC2, 11);
    EXPECT_EQ(twoBytes.data.getSize(), 2);
    EXPECT_TRUE(twoBytes.isTimbre());
}

TEST(MFEventTest, CopiesOwnTheirBytes) {
    MFEvent original(10, 1, 0x90, 60, 64);
    MFEvent copy(original);
    MFEvent assigned;
    assigned = original;
    original.data[1] = 61;
    EXPECT_EQ(copy.data[1], 60);
    EXPECT_EQ(assigned.data[1], 60);
    EXPECT_EQ(assigned.time, 10);
    EXPECT_EQ(assigned.track, 1);
    assigned = assigned;
    EXPECT_EQ(assigned.data.getSize(), 3);
}

TEST(MFEventTest, NoteOnWithVelocityZeroIsANoteOff) {
    EXPECT_TRUE(MFEvent(0x90, 60, 1).isNoteOn());
    EXPECT_FALSE(MFEvent(0x90, 60, 1).isNoteOff());
    EXPECT_TRUE(MFEvent(0x90, 60, 0).isNoteOff());
    EXPECT_FALSE(MFEvent(0x90, 60, 0).isNoteOn());
    EXPECT_TRUE(MFEvent(0x8F, 60, 64).isNoteOff());
    EXPECT_FALSE(MFEvent(0x90, 60).isNoteOn());
    EXPECT_FALSE(MFEvent(0x90, 60).isNoteOff());
}

TEST(MFEventTest, TempoGettersOfATempoEvent) {
    MFEvent tempo = tempoEvent(0x07, 0xA1, 0x20);
    EXPECT_TRUE(tempo.isMeta());
    EXPECT_TRUE(tempo.isTempo());
    EXPECT_EQ(tempo.getTempoMicro(), 500000);
    EXPECT_EQ(tempo.getTempoMicroseconds(), 500000);
    EXPECT_DOUBLE_EQ(tempo.getTempoBPM(), 120.0);
    EXPECT_DOUBLE_EQ(tempo.getTempoSeconds(), 0.5);
    EXPECT_DOUBLE_EQ(tempo.getTempoTPS(480), 960.0);
    EXPECT_DOUBLE_EQ(tempo.getTempoSPT(480), 1.0 / 960.0);
}

TEST(MFEventTest, TempoOfOtherLengthIsNotATempo) {
    Array<unsigned char> bytes(5);
    const int values[5] = {0xFF, 0x51, 0x02, 0x07, 0xA1};
    for (int i = 0; i < 5; i++) {
        bytes[i] = static_cast<unsigned char>(values[i]);
    }
    MFEvent shortTempo(0, 0, bytes);
    EXPECT_TRUE(shortTempo.isMeta());
    EXPECT_FALSE(shortTempo.isTempo());
    EXPECT_EQ(shortTempo.getTempoMicro(), -1);
    EXPECT_DOUBLE_EQ(shortTempo.getTempoBPM(), -1.0);
    EXPECT_DOUBLE_EQ(MFEvent(0x90, 60, 64).getTempoSeconds(), -1.0);
}

TEST(MFEventTest, MetaTestOnEmptyGrowableEventAppendsAByte) {
    MFEvent empty;
    EXPECT_FALSE(empty.isMeta());
    EXPECT_EQ(empty.data.getSize(), 1);
}

// --- MidiFile core -----------------------------------------------------------

TEST(MidiFileCoreTest, NewFileHasOneEmptyTrackSplitAndDelta) {
    MidiFile file;
    EXPECT_EQ(file.getTrackCount(), 1);
    EXPECT_EQ(file.getNumTracks(), 1);
    EXPECT_EQ(file.getNumEvents(0), 0);
    EXPECT_EQ(file.getTicksPerQuarterNote(), 48);
    EXPECT_EQ(file.getTrackState(), 0);
    EXPECT_EQ(file.getTimeState(), 0);
    EXPECT_STREQ(file.getFilename(), "");
}

TEST(MidiFileCoreTest, AddTrackReturnsIndicesAndCounts) {
    MidiFile file;
    EXPECT_EQ(file.addTrack(), 1);
    EXPECT_EQ(file.addTrack(0), 1);
    EXPECT_EQ(file.addTrack(14), 15);
    EXPECT_EQ(file.getTrackCount(), 16);
    EXPECT_EQ(file.getNumEvents(15), 0);
}

TEST(MidiFileCoreTest, AddEventCopiesBytesAndReturnsIndex) {
    MidiFile file;
    file.addTrack(2);
    Array<unsigned char> bytes;
    bytes.setSize(3);
    bytes[0] = 0x91;
    bytes[1] = 62;
    bytes[2] = 80;
    EXPECT_EQ(file.addEvent(2, 30, bytes), 0);
    bytes[1] = 63;
    EXPECT_EQ(file.addEvent(2, 40, bytes), 1);
    EXPECT_EQ(file.getNumEvents(2), 2);
    EXPECT_EQ(file.getEvent(2, 0).data[1], 62);
    EXPECT_EQ(file.getEvent(2, 0).track, 2);
    EXPECT_EQ(file.getEvent(2, 1).time, 40);
    EXPECT_TRUE(file.isNoteOn(2, 1));
    EXPECT_EQ(file.getChannelNibble(2, 1), 1);
}

TEST(MidiFileCoreTest, AddEventRecordGoesToItsTrack) {
    MidiFile file;
    file.addTrack(3);
    MFEvent note(5, 3, 0x92, 60, 64);
    EXPECT_EQ(file.addEvent(note), 0);
    EXPECT_EQ(file.getNumEvents(3), 1);
    EXPECT_EQ(file.getTrack(3, 0), 3);
}

TEST(MidiFileCoreTest, GetEventOnePastTheEndAppendsADefaultEvent) {
    MidiFile file;
    MFEvent& added = file.getEvent(0, file.getNumEvents(0));
    EXPECT_EQ(file.getNumEvents(0), 1);
    EXPECT_EQ(added.time, 0);
    EXPECT_EQ(added.track, 0);
    EXPECT_EQ(added.data.getSize(), 0);
}

TEST(MidiFileCoreTest, BadIndicesEndTheProcess) {
    MidiFile file;
    EXPECT_EXIT(file.getEvent(0, -1), ExitedWithCode(1),
                "Error: accessing invalid array location -1 Maximum is -1");
    EXPECT_EXIT(file.getNumEvents(file.getTrackCount()), ExitedWithCode(1),
                "Error: accessing invalid array location 1 Maximum is 0");
}

TEST(MidiFileCoreTest, FatalErrorsEndInTheInstalledHandler) {
    struct Fatal {};
    const FatalHandler previous = setFatalHandler([] { throw Fatal(); });
    MidiFile file;
    testing::internal::CaptureStderr();
    EXPECT_THROW(file.getEvent(0, 5), Fatal);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: accessing invalid array location 5 Maximum is -1\n");
    setFatalHandler(previous);
    // A handler that returns does not keep the process alive.
    EXPECT_EXIT(
        {
            setFatalHandler([] {});
            file.getEvent(0, -1);
        },
        ExitedWithCode(1), "invalid array location -1");
}

TEST(MidiFileCoreTest, AbsoluteThenDeltaRestoresDeltaTimes) {
    MidiFile file;
    file.addTrack();
    const int deltas[2][4] = {{5, 10, 0, 7}, {0, 3, 3, 100}};
    for (int track = 0; track < 2; track++) {
        for (int i = 0; i < 4; i++) {
            MFEvent note(deltas[track][i], track, 0x90, 60 + i, 64);
            file.addEvent(note);
        }
    }
    file.absoluteTime();
    EXPECT_EQ(file.getTimeState(), 1);
    EXPECT_EQ(file.getEvent(0, 3).time, 22);
    EXPECT_EQ(file.getEvent(1, 3).time, 106);
    file.absoluteTime();  // already absolute: nothing changes
    EXPECT_EQ(file.getEvent(0, 3).time, 22);
    file.deltaTime();
    EXPECT_EQ(file.getTimeState(), 0);
    for (int track = 0; track < 2; track++) {
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(file.getEvent(track, i).time, deltas[track][i]);
        }
    }
}

TEST(MidiFileCoreTest, TimesBeyondIntWrapAndConvertBack) {
    MidiFile file;
    MFEvent first(0x7FFFFFFF, 0, 0x90, 60, 64);
    MFEvent second(0x7FFFFFFF, 0, 0x80, 60, 0);
    file.addEvent(first);
    file.addEvent(second);
    file.absoluteTime();
    EXPECT_EQ(file.getEvent(0, 0).time, 0x7FFFFFFF);
    EXPECT_EQ(file.getEvent(0, 1).time, -2);  // 0xFFFFFFFE
    file.deltaTime();
    EXPECT_EQ(file.getEvent(0, 0).time, 0x7FFFFFFF);
    EXPECT_EQ(file.getEvent(0, 1).time, 0x7FFFFFFF);
}

TEST(MidiFileCoreTest, SetFilenameKeepsTheBaseName) {
    MidiFile file;
    file.setFilename("/home/organ/rolls/roll.mid");
    EXPECT_STREQ(file.getFilename(), "roll.mid");
    file.setFilename("c:\\rolls\\roll.mid");
    EXPECT_STREQ(file.getFilename(), "c:\\rolls\\roll.mid");
    file.setFilename("plain.mid");
    EXPECT_STREQ(file.getFilename(), "plain.mid");
}

TEST(MidiFileCoreTest, EraseLeavesOneEmptyTrackAndKeepsDivisionAndName) {
    MidiFile file;
    file.addTrack(3);
    file.setTicksPerQuarterNote(240);
    file.setFilename("a/b.mid");
    MFEvent note(0, 2, 0x90, 60, 64);
    file.addEvent(note);
    file.absoluteTime();
    file.erase();
    EXPECT_EQ(file.getTrackCount(), 1);
    EXPECT_EQ(file.getNumEvents(0), 0);
    EXPECT_EQ(file.getTicksPerQuarterNote(), 240);
    EXPECT_STREQ(file.getFilename(), "b.mid");
    EXPECT_EQ(file.getTimeState(), 1);
    file.clear();
    EXPECT_EQ(file.getTrackCount(), 1);
}

TEST(MidiFileCoreTest, MillisecondDeltaIsTheSmpteCodeForOneTickPerMillisecond) {
    MidiFile file;
    file.setMillisecondDelta();
    EXPECT_EQ(file.getTicksPerQuarterNote(), 0xE728);
}

TEST(MidiFileCoreTest, TracksHoldManyEventsBeyondTheirReservedStorage) {
    MidiFile file;
    file.addTrack();
    Array<unsigned char> bytes;
    bytes.setSize(3);
    bytes[0] = 0x90;
    bytes[1] = 60;
    bytes[2] = 64;
    for (int i = 0; i < 10020; i++) {
        bytes[1] = static_cast<unsigned char>(i % 128);
        file.addEvent(1, i, bytes);
    }
    EXPECT_EQ(file.getNumEvents(1), 10020);
    EXPECT_EQ(file.getEvent(1, 10019).time, 10019);
    EXPECT_EQ(file.getEvent(1, 10019).data[1], 10019 % 128);
}

}  // namespace

// Track editing: meta events, pitch bends, the event order and its sort,
// joining, splitting, merging and deleting tracks.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "MidiFile.h"
#include "eventbytes.h"
#include "testbytes.h"

namespace {

std::string bytesOf(MFEvent& event) {
    return std::string(reinterpret_cast<const char*>(event.data.getBase()),
                       static_cast<size_t>(event.data.getSize()));
}

// The events of a track as "time:HEX" strings.
std::vector<std::string> listing(MidiFile& midifile, int track) {
    std::vector<std::string> out;
    for (int i = 0; i < midifile.getNumEvents(track); i++) {
        MFEvent& event = midifile.getEvent(track, i);
        out.push_back(std::to_string(event.time) + ":" + toHex(bytesOf(event)));
    }
    return out;
}

std::vector<int> trackFields(MidiFile& midifile, int track) {
    std::vector<int> out;
    for (int i = 0; i < midifile.getNumEvents(track); i++) {
        out.push_back(midifile.getEvent(track, i).track);
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------- meta events

TEST(AddMetaEvent, TrackNameBytesAndIndex) {
    MidiFile midifile;
    EXPECT_EQ(midifile.addMetaEvent(0, 0, 3, "Bass"), 0);
    EXPECT_EQ(midifile.addMetaEvent(0, 5, 1, "x"), 1);
    EXPECT_EQ(toHex(bytesOf(midifile.getEvent(0, 0))), "FF 03 04 42 61 73 73");
    EXPECT_EQ(midifile.getEvent(0, 1).time, 5);
    EXPECT_EQ(midifile.getEvent(0, 1).track, 0);
}

TEST(AddMetaEvent, TypeKeepsOnlySevenBits) {
    MidiFile midifile;
    midifile.addMetaEvent(0, 0, 0x83, "A");
    EXPECT_EQ(toHex(bytesOf(midifile.getEvent(0, 0))), "FF 03 01 41");
}

TEST(AddMetaEvent, EmptyText) {
    MidiFile midifile;
    midifile.addMetaEvent(0, 0, 1, "");
    EXPECT_EQ(toHex(bytesOf(midifile.getEvent(0, 0))), "FF 01 00");
}

TEST(AddMetaEvent, ArrayFormCopiesBytes) {
    MidiFile midifile;
    Array<unsigned char> tempo = arrayOf(hexBytes("07 A1 20"));
    midifile.addMetaEvent(0, 0, 0x51, tempo);
    EXPECT_EQ(toHex(bytesOf(midifile.getEvent(0, 0))), "FF 51 03 07 A1 20");
    EXPECT_EQ(midifile.getTempoMicro(0, 0), 500000);
}

TEST(AddMetaEvent, LengthIsVariableLengthQuantity) {
    struct Case {
        int length;
        const char* encoded;
    };
    const Case cases[] = {
        {127, "FF 01 7F"},       {128, "FF 01 81 00"},    {200, "FF 01 81 48"},
        {16383, "FF 01 FF 7F"},  {16384, "FF 01 81 80 00"},
    };
    for (const Case& c : cases) {
        MidiFile midifile;
        Array<unsigned char> payload(c.length);
        payload.zero();
        midifile.addMetaEvent(0, 0, 1, payload);
        MFEvent& event = midifile.getEvent(0, 0);
        std::string head = hexBytes(c.encoded);
        ASSERT_EQ(static_cast<size_t>(event.data.getSize()), head.size() + c.length)
            << "length " << c.length;
        EXPECT_EQ(toHex(bytesOf(event).substr(0, head.size())), toHex(head))
            << "length " << c.length;
    }
}

TEST(AddMetaEventDeathTest, PayloadTooLongEndsProcess) {
    MidiFile midifile;
    EXPECT_EXIT(
        {
            dup2(2, 1);  // the message goes to standard output
            Array<unsigned char> huge(0x10000000);
            midifile.addMetaEvent(0, 0, 1, huge);
        },
        testing::ExitedWithCode(1), "Error: number too large to handle");
}

// ---------------------------------------------------------------- pitch bends

TEST(AddPitchBend, AmountsAndClamping) {
    struct Case {
        double amount;
        const char* bytes;
    };
    const Case cases[] = {
        {0.0, "E0 00 40"},  {1.0, "E0 7F 7F"}, {-1.0, "E0 00 00"},
        {-2.0, "E0 00 00"}, {5.0, "E0 7F 7F"}, {0.5, "E0 00 60"},
    };
    for (const Case& c : cases) {
        MidiFile midifile;
        EXPECT_EQ(midifile.addPitchBend(0, 7, 0, c.amount), 0);
        EXPECT_EQ(toHex(bytesOf(midifile.getEvent(0, 0))), c.bytes) << c.amount;
        EXPECT_EQ(midifile.getEvent(0, 0).time, 7);
    }
}

TEST(AddPitchBend, ChannelIsClamped) {
    MidiFile midifile;
    midifile.addPitchBend(0, 0, 20, 0.0);
    midifile.addPitchBend(0, 0, -3, 0.0);
    midifile.addPitchBend(0, 0, 9, 0.0);
    EXPECT_EQ(midifile.getEvent(0, 0).data[0], 0xEF);
    EXPECT_EQ(midifile.getEvent(0, 1).data[0], 0xE0);
    EXPECT_EQ(midifile.getEvent(0, 2).data[0], 0xE9);
}

// ---------------------------------------------------------------- event order

TEST(EventCompare, EarlierTimeFirst) {
    MFEvent a(5, 0, 0xFF, 0x2F, 0x00);
    MFEvent b(6, 0, 0x90, 60, 64);
    EXPECT_EQ(eventcompare(&a, &b), -1);
    EXPECT_EQ(eventcompare(&b, &a), 1);
}

TEST(EventCompare, RulesAtEqualTime) {
    MFEvent noteOn(0, 0, 0x90, 60, 64);
    MFEvent silentOn(0, 0, 0x90, 60, 0);
    MFEvent noteOff(0, 0, 0x80, 60, 0);
    MFEvent bend(0, 0, 0xE0, 0, 64);
    MFEvent control(0, 0, 0xB0, 7, 100);
    MFEvent tempo(0, 0, 0xFF, 0x51, 0x03);
    MFEvent text(0, 0, 0xFF, 0x01, 0x00);
    MFEvent eot(0, 0, 0xFF, 0x2F, 0x00);

    EXPECT_EQ(eventcompare(&tempo, &noteOn), 1);
    EXPECT_EQ(eventcompare(&noteOn, &tempo), -1);
    EXPECT_EQ(eventcompare(&eot, &text), 1);
    EXPECT_EQ(eventcompare(&text, &eot), -1);
    EXPECT_EQ(eventcompare(&eot, &eot), -1);
    EXPECT_EQ(eventcompare(&tempo, &text), 0);
    EXPECT_EQ(eventcompare(&bend, &noteOn), -1);
    EXPECT_EQ(eventcompare(&noteOn, &bend), 1);
    EXPECT_EQ(eventcompare(&noteOff, &noteOn), -1);
    EXPECT_EQ(eventcompare(&noteOn, &noteOff), 1);
    // Only the status nibble counts: velocity 0 is still a note-on here.
    EXPECT_EQ(eventcompare(&noteOff, &silentOn), -1);
    EXPECT_EQ(eventcompare(&control, &noteOn), 0);
    EXPECT_EQ(eventcompare(&bend, &noteOff), 0);
}

TEST(SortTracks, PlayingOrderAtOneTick) {
    MidiFile midifile;
    midifile.absoluteTime();
    add(midifile, 0, 0, "FF 2F 00");
    add(midifile, 0, 0, "FF 51 03 07 A1 20");
    add(midifile, 0, 0, "90 3C 40");
    add(midifile, 0, 0, "80 3E 00");
    add(midifile, 0, 0, "E0 00 40");
    add(midifile, 0, 0, "FF 01 01 41");
    midifile.sortTracks();
    std::vector<std::string> expected = {
        "0:80 3E 00", "0:E0 00 40", "0:90 3C 40",
        "0:FF 51 03 07 A1 20", "0:FF 01 01 41", "0:FF 2F 00",
    };
    EXPECT_EQ(listing(midifile, 0), expected);
}

TEST(SortTracks, SetupMessagesStayBeforeFirstNote) {
    MidiFile midifile;
    midifile.absoluteTime();
    midifile.addTrack();
    add(midifile, 1, 0, "FF 03 04 42 61 73 73");
    add(midifile, 1, 0, "B1 00 03");
    add(midifile, 1, 0, "C1 05");
    add(midifile, 1, 0, "91 3C 40");
    add(midifile, 1, 10, "81 3C 00");
    add(midifile, 1, 0, "B1 07 64");
    midifile.sortTracks();
    std::vector<std::string> expected = {
        "0:B1 00 03", "0:C1 05", "0:91 3C 40", "0:B1 07 64",
        "0:FF 03 04 42 61 73 73", "10:81 3C 00",
    };
    EXPECT_EQ(listing(midifile, 1), expected);
}

TEST(SortTracks, OrderedInputIsUnchanged) {
    MidiFile midifile;
    midifile.absoluteTime();
    add(midifile, 0, 0, "C0 01");
    add(midifile, 0, 0, "90 3C 40");
    add(midifile, 0, 0, "91 3C 40");
    add(midifile, 0, 4, "80 3C 00");
    std::vector<std::string> before = listing(midifile, 0);
    midifile.sortTracks();
    EXPECT_EQ(listing(midifile, 0), before);
}

namespace {

// Rank of an event within one tick, for a set of events on which the order
// is consistent: bends and note-offs, then note-ons, then meta events, then
// the end of the track.
int rankOf(const std::string& bytes) {
    unsigned char status = static_cast<unsigned char>(bytes[0]);
    if (status == 0xFF) {
        return static_cast<unsigned char>(bytes[1]) == 0x2F ? 3 : 2;
    }
    return (status & 0xF0) == 0x90 ? 1 : 0;
}

struct Tagged {
    int time;
    std::string bytes;  // the tag is in the last byte
};

// Ticks are ten values apart by `spacing` from `offset`: many events share a
// tick, and wide spacings and negative offsets reach every digit of a tick.
std::vector<Tagged> randomEvents(std::mt19937& rng, int count, bool withOthers, int spacing = 1,
                                 int offset = 0) {
    std::vector<std::string> kinds = {"E0 00", "80 3C", "90 3C", "90 3D",
                                      "FF 01 01", "FF 51 03 07 A1", "FF 2F 01"};
    if (withOthers) {
        kinds.push_back("B0 07");
        kinds.push_back("C0");
        kinds.push_back("D0");
    }
    std::uniform_int_distribution<int> kind(0, static_cast<int>(kinds.size()) - 1);
    std::uniform_int_distribution<int> tick(0, 9);
    std::vector<Tagged> out;
    for (int i = 0; i < count; i++) {
        std::string bytes = hexBytes(kinds[kind(rng)]);
        bytes += static_cast<char>(i % 128);
        out.push_back({offset + tick(rng) * spacing, bytes});
    }
    return out;
}

void fill(MidiFile& midifile, const std::vector<Tagged>& list) {
    for (const Tagged& t : list) {
        Array<unsigned char> data = arrayOf(t.bytes);
        midifile.addEvent(0, t.time, data);
    }
}

}  // namespace

TEST(SortTracks, RandomTracksMatchStableOrder) {
    std::mt19937 rng(20240611);
    const int spacings[] = {1, 4099, 1 << 27};
    for (int round = 0; round < 20; round++) {
        std::vector<Tagged> list =
            randomEvents(rng, 300, false, spacings[round % 3], round % 2 ? -(1 << 30) : 0);
        MidiFile midifile;
        midifile.absoluteTime();
        fill(midifile, list);
        midifile.sortTracks();

        std::vector<Tagged> expected = list;
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Tagged& a, const Tagged& b) {
                             if (a.time != b.time) {
                                 return a.time < b.time;
                             }
                             return rankOf(a.bytes) < rankOf(b.bytes);
                         });
        ASSERT_EQ(midifile.getNumEvents(0), static_cast<int>(expected.size()));
        for (size_t i = 0; i < expected.size(); i++) {
            MFEvent& event = midifile.getEvent(0, static_cast<int>(i));
            ASSERT_EQ(event.time, expected[i].time) << "round " << round << " index " << i;
            ASSERT_EQ(toHex(bytesOf(event)), toHex(expected[i].bytes))
                << "round " << round << " index " << i;
        }
    }
}

TEST(SortTracks, RandomTracksWithOtherMessagesAreOrdered) {
    std::mt19937 rng(77);
    for (int round = 0; round < 20; round++) {
        std::vector<Tagged> list = randomEvents(rng, 300, true);
        MidiFile midifile;
        midifile.absoluteTime();
        fill(midifile, list);
        midifile.sortTracks();

        std::vector<std::string> before;
        std::vector<std::string> after;
        for (const Tagged& t : list) {
            before.push_back(std::to_string(t.time) + ":" + toHex(t.bytes));
        }
        after = listing(midifile, 0);
        std::sort(before.begin(), before.end());
        std::vector<std::string> sortedAfter = after;
        std::sort(sortedAfter.begin(), sortedAfter.end());
        ASSERT_EQ(sortedAfter, before) << "not a permutation, round " << round;

        // Time first, then messages before meta events, the end of track
        // after the other meta events.
        for (int i = 1; i < midifile.getNumEvents(0); i++) {
            MFEvent& a = midifile.getEvent(0, i - 1);
            MFEvent& b = midifile.getEvent(0, i);
            ASSERT_LE(a.time, b.time);
            if (a.time == b.time) {
                int ra = a.data[0] == 0xFF ? (a.data[1] == 0x2F ? 2 : 1) : 0;
                int rb = b.data[0] == 0xFF ? (b.data[1] == 0x2F ? 2 : 1) : 0;
                ASSERT_LE(ra, rb) << "round " << round << " index " << i;
            }
        }
    }
}

// ---------------------------------------------------------------- join and split

namespace {

// Three tracks in delta time, each in playing order.
void threeTracks(MidiFile& midifile) {
    midifile.addTrack(2);
    add(midifile, 0, 0, "FF 51 03 07 A1 20");
    add(midifile, 0, 100, "FF 2F 00");
    add(midifile, 1, 10, "90 3C 40");
    add(midifile, 1, 20, "80 3C 00");
    add(midifile, 2, 0, "91 40 40");
    add(midifile, 2, 30, "81 40 00");
}

}  // namespace

TEST(JoinTracks, OneTrackIsLeftAlone) {
    MidiFile midifile;
    add(midifile, 0, 5, "90 3C 40");
    midifile.joinTracks();
    EXPECT_EQ(midifile.getTrackState(), 0);
    EXPECT_EQ(midifile.getNumEvents(0), 1);
}

TEST(JoinTracks, MovesAllEventsIntoSortedTrackZero) {
    MidiFile midifile;
    threeTracks(midifile);
    midifile.joinTracks();
    EXPECT_EQ(midifile.getTrackState(), 1);
    EXPECT_EQ(midifile.getTimeState(), 0);
    ASSERT_EQ(midifile.getTrackCount(), 1);
    midifile.absoluteTime();
    std::vector<std::string> expected = {
        "0:91 40 40", "0:FF 51 03 07 A1 20", "10:90 3C 40",
        "30:80 3C 00", "30:81 40 00", "100:FF 2F 00",
    };
    EXPECT_EQ(listing(midifile, 0), expected);
    EXPECT_EQ(trackFields(midifile, 0), (std::vector<int>{2, 0, 1, 1, 2, 0}));
    EXPECT_EQ(midifile.getTrackCountAsType1(), 3);
}

TEST(JoinTracks, JoinedEmptyFileCountsOneTrack) {
    MidiFile midifile;
    midifile.addTrack();
    midifile.joinTracks();
    EXPECT_EQ(midifile.getTrackState(), 1);
    EXPECT_EQ(midifile.getTrackCountAsType1(), 1);
}

TEST(SplitTracks, RestoresTracksAndDeltaTimes) {
    MidiFile midifile;
    threeTracks(midifile);
    std::vector<std::vector<std::string>> before;
    for (int t = 0; t < 3; t++) {
        before.push_back(listing(midifile, t));
    }
    midifile.joinTracks();
    midifile.splitTracks();
    EXPECT_EQ(midifile.getTrackState(), 0);
    EXPECT_EQ(midifile.getTimeState(), 0);
    ASSERT_EQ(midifile.getTrackCount(), 3);
    for (int t = 0; t < 3; t++) {
        EXPECT_EQ(listing(midifile, t), before[t]) << "track " << t;
    }
}

TEST(SplitTracks, SortsEachTrack) {
    MidiFile midifile;
    midifile.absoluteTime();
    midifile.addTrack();
    add(midifile, 1, 50, "80 3C 00");
    add(midifile, 1, 0, "90 3C 40");
    midifile.joinTracks();
    midifile.splitTracks();
    EXPECT_EQ(listing(midifile, 1), (std::vector<std::string>{"0:90 3C 40", "50:80 3C 00"}));
}

TEST(SplitTracks, MakesTracksUpToLargestNumber) {
    MidiFile midifile;
    midifile.absoluteTime();
    midifile.addTrack();
    add(midifile, 0, 0, "90 3C 40");
    add(midifile, 1, 5, "90 3D 40");
    midifile.joinTracks();
    midifile.getEvent(0, 1).track = 2;
    MFEvent late(9, 5, 0x95, 60, 64);
    midifile.addEvent(late);
    EXPECT_EQ(midifile.getTrackCountAsType1(), 6);

    midifile.splitTracks();
    ASSERT_EQ(midifile.getTrackCount(), 6);
    std::vector<int> sizes;
    for (int t = 0; t < 6; t++) {
        sizes.push_back(midifile.getNumEvents(t));
    }
    EXPECT_EQ(sizes, (std::vector<int>{1, 0, 1, 0, 0, 1}));
    EXPECT_EQ(midifile.getEvent(5, 0).time, 9);
}

TEST(SplitTracks, SplitFileIsLeftAlone) {
    MidiFile midifile;
    threeTracks(midifile);
    midifile.splitTracks();
    EXPECT_EQ(midifile.getTrackCount(), 3);
    EXPECT_EQ(midifile.getTrackCountAsType1(), 3);
}

// ---------------------------------------------------------------- merge and delete

TEST(MergeTracks, MergesSortsAndRemovesSecond) {
    MidiFile midifile;
    threeTracks(midifile);
    midifile.mergeTracks(0, 1);
    ASSERT_EQ(midifile.getTrackCount(), 2);
    EXPECT_EQ(midifile.getTimeState(), 0);
    midifile.absoluteTime();
    EXPECT_EQ(listing(midifile, 0),
              (std::vector<std::string>{"0:FF 51 03 07 A1 20", "10:90 3C 40",
                                        "30:80 3C 00", "100:FF 2F 00"}));
    EXPECT_EQ(trackFields(midifile, 0), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(listing(midifile, 1), (std::vector<std::string>{"0:91 40 40", "30:81 40 00"}));
}

TEST(MergeTracks, SameOrMissingTrackChangesNothing) {
    MidiFile midifile;
    threeTracks(midifile);
    midifile.mergeTracks(1, 1);
    midifile.mergeTracks(0, 3);
    midifile.mergeTracks(-1, 0);
    ASSERT_EQ(midifile.getTrackCount(), 3);
    EXPECT_EQ(midifile.getNumEvents(0), 2);
    EXPECT_EQ(midifile.getNumEvents(1), 2);
    EXPECT_EQ(midifile.getNumEvents(2), 2);
}

TEST(MergeTracks, LaterTrackIntoEarlierSlot) {
    MidiFile midifile;
    threeTracks(midifile);
    midifile.mergeTracks(2, 0);
    ASSERT_EQ(midifile.getTrackCount(), 2);
    EXPECT_EQ(midifile.getNumEvents(0), 2);  // former track 1
    EXPECT_EQ(midifile.getNumEvents(1), 4);  // merged track, now at index 1
    EXPECT_EQ(trackFields(midifile, 1), (std::vector<int>{2, 2, 2, 2}));
}

TEST(DeleteTrack, LastTrackStays) {
    MidiFile midifile;
    add(midifile, 0, 0, "90 3C 40");
    midifile.deleteTrack(0);
    EXPECT_EQ(midifile.getTrackCount(), 1);
    EXPECT_EQ(midifile.getNumEvents(0), 1);
}

TEST(DeleteTrack, LaterTracksMoveDownUnrenumbered) {
    MidiFile midifile;
    threeTracks(midifile);
    midifile.deleteTrack(0);
    ASSERT_EQ(midifile.getTrackCount(), 2);
    EXPECT_EQ(listing(midifile, 1), (std::vector<std::string>{"0:91 40 40", "30:81 40 00"}));
    EXPECT_EQ(trackFields(midifile, 1), (std::vector<int>{2, 2}));
}

TEST(DeleteTrack, OutOfRangeChangesNothing) {
    MidiFile midifile;
    threeTracks(midifile);
    midifile.deleteTrack(-1);
    midifile.deleteTrack(3);
    EXPECT_EQ(midifile.getTrackCount(), 3);
}

// ---------------------------------------------------------------- storage of new track lists

namespace {

// Gives the tests a look at the storage of each track list.
class StorageProbe : public MidiFile {
  public:
    long reserved(int aTrack) { return events[aTrack]->getAllocSize(); }
};

}  // namespace

TEST(TrackStorage, AddedTracksReserveTenThousandEvents) {
    StorageProbe midifile;
    EXPECT_EQ(midifile.reserved(0), 0);
    midifile.addTrack();
    EXPECT_EQ(midifile.reserved(1), 10000);
    midifile.erase();
    EXPECT_EQ(midifile.reserved(0), 0);
}

TEST(TrackStorage, JoinedTrackReservesTwoHundredThousandEvents) {
    StorageProbe midifile;
    threeTracks(midifile);
    midifile.joinTracks();
    EXPECT_EQ(midifile.reserved(0), 200000);
}

TEST(TrackStorage, SplitTracksStartEmptyAndGrowByEight) {
    StorageProbe midifile;
    threeTracks(midifile);
    midifile.joinTracks();
    midifile.splitTracks();
    for (int t = 0; t < 3; t++) {
        EXPECT_EQ(midifile.reserved(t), 8) << "track " << t;
    }
    // Growth is on: one past the end appends an event.
    midifile.getEvent(1, 2);
    EXPECT_EQ(midifile.getNumEvents(1), 3);
}

TEST(TrackStorage, MergedTrackStartsEmptyAndGrowsByEight) {
    StorageProbe midifile;
    threeTracks(midifile);
    midifile.mergeTracks(0, 1);
    EXPECT_EQ(midifile.reserved(0), 8);  // 4 events, grown 8 at a time

    StorageProbe larger;
    larger.addTrack();
    for (int i = 0; i < 9; i++) {
        add(larger, 0, i, "90 3C 40");
    }
    add(larger, 1, 0, "90 3E 40");
    larger.mergeTracks(0, 1);
    EXPECT_EQ(larger.getNumEvents(0), 10);
    EXPECT_EQ(larger.reserved(0), 16);
}

TEST(TrackStorageDeathTest, MergedTrackHasNoIndexGrowth) {
    StorageProbe midifile;
    threeTracks(midifile);
    midifile.mergeTracks(0, 1);
    EXPECT_EXIT(midifile.getEvent(0, 4), testing::ExitedWithCode(1),
                "Error: accessing invalid array location 4 Maximum is 3");
}

// MidiFile track editing: meta events and pitch bends, the event order and
// the sorts that use it, joining, splitting, merging and deleting tracks.

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "MidiFile.h"

namespace {

// Events of a joined track are reserved at once so that joining the tracks
// of a typical file does not reallocate.
const long JOINED_TRACK_RESERVE = 200000;

// Tracks grow by this many events once their reserved storage is used.
const long TRACK_GROWTH = 8;

// The storage a track list ends with when `count` events are appended to
// it one by one, starting from `reserved` events of storage and growing
// TRACK_GROWTH events at a time.  Reserving it at once gives the same track
// without copying it at every growth.
long storageAfterAppending(long reserved, long count) {
    if (count <= reserved) {
        return reserved;
    }
    long beyond = count - reserved;
    return reserved + (beyond + TRACK_GROWTH - 1) / TRACK_GROWTH * TRACK_GROWTH;
}

// Stable bottom-up merge sort of the event indices in order.  Only ever
// compares pairs with eventcompare, and takes the right-hand element first
// only when eventcompare says the left one must come after it, so events
// that compare equal keep their relative order.
void mergeSortIndices(MFEvent* base, std::vector<int>& order) {
    const size_t count = order.size();
    std::vector<int> scratch(count);
    for (size_t width = 1; width < count; width *= 2) {
        for (size_t lo = 0; lo < count; lo += 2 * width) {
            size_t mid = lo + width;
            if (mid >= count) {
                for (size_t k = lo; k < count; k++) {
                    scratch[k] = order[k];
                }
                continue;
            }
            size_t hi = mid + width < count ? mid + width : count;
            size_t left = lo;
            size_t right = mid;
            size_t out = lo;
            while (left < mid && right < hi) {
                if (eventcompare(&base[order[left]], &base[order[right]]) > 0) {
                    scratch[out++] = order[right++];
                } else {
                    scratch[out++] = order[left++];
                }
            }
            while (left < mid) {
                scratch[out++] = order[left++];
            }
            while (right < hi) {
                scratch[out++] = order[right++];
            }
        }
        order.swap(scratch);
    }
}

}  // namespace

//////////////////////////////
//
// eventcompare -- the playing order of two events: by time; at equal times
//     non-meta messages before meta events, the end-of-track event after
//     every other meta event, pitch bends and note-offs before note-ons.
//     Anything else compares equal.
//

int eventcompare(const void* a, const void* b) {
    MFEvent& aevent = *static_cast<MFEvent*>(const_cast<void*>(a));
    MFEvent& bevent = *static_cast<MFEvent*>(const_cast<void*>(b));

    if (aevent.time < bevent.time) {
        return -1;
    }
    if (aevent.time > bevent.time) {
        return 1;
    }

    int astatus = aevent.data[0];
    int bstatus = bevent.data[0];

    if (astatus == 0xFF && bstatus != 0xFF) {
        return 1;
    }
    if (astatus != 0xFF && bstatus == 0xFF) {
        return -1;
    }
    if (astatus == 0xFF && bstatus == 0xFF) {
        if (bevent.data[1] == 0x2F) {
            return -1;
        }
        if (aevent.data[1] == 0x2F) {
            return 1;
        }
    }

    int acommand = astatus & 0xF0;
    int bcommand = bstatus & 0xF0;

    if (acommand == 0xE0 && bcommand == 0x90) {
        return -1;
    }
    if (acommand == 0x90 && bcommand == 0xE0) {
        return 1;
    }
    if (acommand == 0x90 && bcommand == 0x80) {
        return 1;
    }
    if (acommand == 0x80 && bcommand == 0x90) {
        return -1;
    }
    return 0;
}

//////////////////////////////
//
// MidiFile::addMetaEvent -- appends the meta event FF, type, length as a
//     variable-length quantity, data.  Returns the event's index in the
//     track.
//

int MidiFile::addMetaEvent(int aTrack, int aTime, int aType,
                           Array<unsigned char>& metaData) {
    timemapvalid = 0;
    int count = static_cast<int>(metaData.getSize());
    unsigned char lengthBytes[4];
    int lengthCount = makeVLV(lengthBytes, count);

    Array<unsigned char> fulldata(2 + lengthCount + count);
    unsigned char* out = fulldata.getBase();
    out[0] = 0xFF;
    out[1] = static_cast<unsigned char>(aType & 0x7F);
    for (int i = 0; i < lengthCount; i++) {
        out[2 + i] = lengthBytes[i];
    }
    const unsigned char* in = metaData.getBase();
    for (int i = 0; i < count; i++) {
        out[2 + lengthCount + i] = in[i];
    }
    return addEvent(aTrack, aTime, fulldata);
}

int MidiFile::addMetaEvent(int aTrack, int aTime, int aType, const char* metaData) {
    int length = metaData != nullptr ? static_cast<int>(std::strlen(metaData)) : 0;
    Array<unsigned char> buffer(length);
    unsigned char* out = buffer.getBase();
    for (int i = 0; i < length; i++) {
        out[i] = static_cast<unsigned char>(metaData[i]);
    }
    return addMetaEvent(aTrack, aTime, aType, buffer);
}

//////////////////////////////
//
// MidiFile::addPitchBend -- appends a pitch bend on the channel; amount
//     runs from -1.0 (lowest) through 0.0 (none) to +1.0 (highest).
//

int MidiFile::addPitchBend(int aTrack, int aTime, int aChannel, double amount) {
    timemapvalid = 0;
    double raw = (amount + 1.0) * 8192.0 + 0.5;

    int lsb;
    int msb;
    if (std::isnan(raw)) {
        // No meaningful amount: leave the bend at its centre.
        lsb = 0;
        msb = 64;
    } else if (raw >= 16384.0) {
        lsb = 127;
        msb = 127;
    } else if (raw <= -1.0) {
        lsb = 0;
        msb = 0;
    } else {
        int value = static_cast<int>(raw);
        lsb = value & 0x7F;
        msb = value >> 7;
    }

    if (aChannel < 0) {
        aChannel = 0;
    } else if (aChannel > 15) {
        aChannel = 15;
    }

    Array<unsigned char> mididata(3);
    mididata[0] = static_cast<unsigned char>(0xE0 | aChannel);
    mididata[1] = static_cast<unsigned char>(lsb);
    mididata[2] = static_cast<unsigned char>(msb);
    return addEvent(aTrack, aTime, mididata);
}

//////////////////////////////
//
// MidiFile::sortTrack -- puts the events of one track into eventcompare
//     order.  The sort is stable.
//

void MidiFile::sortTrack(SigCollection<MFEvent>& trackData) {
    int count = static_cast<int>(trackData.getSize());
    if (count < 2) {
        return;
    }
    MFEvent* base = trackData.getBase();

    std::vector<int> order(count);
    for (int i = 0; i < count; i++) {
        order[i] = i;
    }
    mergeSortIndices(base, order);

    bool moved = false;
    for (int i = 0; i < count; i++) {
        if (order[i] != i) {
            moved = true;
            break;
        }
    }
    if (!moved) {
        return;
    }

    std::vector<MFEvent> sorted;
    sorted.reserve(count);
    for (int i = 0; i < count; i++) {
        sorted.push_back(base[order[i]]);
    }
    for (int i = 0; i < count; i++) {
        base[i] = sorted[i];
    }
}

void MidiFile::sortTracks() {
    int tracks = getTrackCount();
    for (int i = 0; i < tracks; i++) {
        sortTrack(*events[i]);
    }
}

//////////////////////////////
//
// MidiFile::joinTracks -- moves the events of all tracks into track 0, in
//     playing order.  Each event keeps its track number, so that
//     splitTracks can put it back.
//

void MidiFile::joinTracks() {
    if (theTrackState == 1) {
        return;
    }
    int tracks = getTrackCount();
    if (tracks <= 1) {
        return;
    }

    long total = 0;
    for (int i = 0; i < tracks; i++) {
        total += getNumEvents(i);
    }

    SigCollection<MFEvent>* joined =
        newTrack(static_cast<int>(storageAfterAppending(JOINED_TRACK_RESERVE, total)));
    joined->allowGrowth(0);

    int oldTimeState = getTimeState();
    if (oldTimeState == 0) {
        absoluteTime();
    }

    for (int i = 0; i < tracks; i++) {
        SigCollection<MFEvent>& track = *events[i];
        int count = static_cast<int>(track.getSize());
        for (int j = 0; j < count; j++) {
            joined->append(track[j]);
        }
    }

    erase();
    delete events[0];
    events[0] = joined;

    sortTrack(*events[0]);
    theTrackState = 1;

    if (oldTimeState == 0) {
        deltaTime();
    }
}

//////////////////////////////
//
// MidiFile::splitTracks -- hands the events of the joined track 0 back to
//     the tracks named by their track numbers.  Makes as many tracks as
//     the largest track number + 1.
//

void MidiFile::splitTracks() {
    if (theTrackState == 0) {
        return;
    }
    int oldTimeState = getTimeState();
    if (oldTimeState == 0) {
        absoluteTime();
    }

    SigCollection<MFEvent>* olddata = events[0];
    int count = static_cast<int>(olddata->getSize());
    int maxTrack = 0;
    for (int i = 0; i < count; i++) {
        if ((*olddata)[i].track > maxTrack) {
            maxTrack = (*olddata)[i].track;
        }
    }
    int trackCount = maxTrack + 1;

    events[0] = nullptr;
    events.setSize(trackCount);
    for (int i = 0; i < trackCount; i++) {
        events[i] = newTrack(0);
    }

    for (int i = 0; i < count; i++) {
        MFEvent& event = (*olddata)[i];
        appendToTrack(*events[event.track], event);
    }
    delete olddata;

    theTrackState = 0;

    if (oldTimeState == 0) {
        deltaTime();
    }
}

//////////////////////////////
//
// MidiFile::mergeTracks -- moves the events of aTrack2 into aTrack1, in
//     playing order, and removes aTrack2.  Equal or nonexistent track
//     numbers change nothing.
//

void MidiFile::mergeTracks(int aTrack1, int aTrack2) {
    int tracks = getTrackCount();
    if (aTrack1 == aTrack2 || aTrack1 < 0 || aTrack2 < 0 ||
        aTrack1 >= tracks || aTrack2 >= tracks) {
        return;
    }

    int oldTimeState = getTimeState();
    if (oldTimeState == 0) {
        absoluteTime();
    }

    SigCollection<MFEvent>& first = *events[aTrack1];
    SigCollection<MFEvent>& second = *events[aTrack2];
    int count1 = static_cast<int>(first.getSize());
    int count2 = static_cast<int>(second.getSize());

    // A merged list has no reserved storage and grows 8 events at a time;
    // the storage it ends with is taken at once.
    SigCollection<MFEvent>* merged =
        newTrack(static_cast<int>(storageAfterAppending(0, count1 + count2)));
    merged->allowGrowth(0);
    for (int i = 0; i < count1; i++) {
        merged->append(first[i]);
    }
    for (int i = 0; i < count2; i++) {
        second[i].track = aTrack1;
        merged->append(second[i]);
    }
    sortTrack(*merged);

    delete events[aTrack1];
    events[aTrack1] = merged;

    delete events[aTrack2];
    for (int i = aTrack2; i < tracks - 1; i++) {
        events[i] = events[i + 1];
    }
    events[tracks - 1] = nullptr;
    events.setSize(tracks - 1);

    if (oldTimeState == 0) {
        deltaTime();
    }
}

//////////////////////////////
//
// MidiFile::getTrackCountAsType1 -- the number of tracks the file has, or
//     would have after splitTracks when it is joined.
//

int MidiFile::getTrackCountAsType1() {
    if (theTrackState == 0) {
        return getTrackCount();
    }
    SigCollection<MFEvent>& track = *events[0];
    int count = static_cast<int>(track.getSize());
    int maxTrack = 0;
    for (int i = 0; i < count; i++) {
        if (track[i].track > maxTrack) {
            maxTrack = track[i].track;
        }
    }
    return maxTrack + 1;
}

//////////////////////////////
//
// MidiFile::deleteTrack -- removes a track with its events; the later
//     tracks move down by one.  The last remaining track is never removed.
//

void MidiFile::deleteTrack(int aTrack) {
    int tracks = getTrackCount();
    if (aTrack < 0 || aTrack >= tracks || tracks == 1) {
        return;
    }
    delete events[aTrack];
    for (int i = aTrack; i < tracks - 1; i++) {
        events[i] = events[i + 1];
    }
    events[tracks - 1] = nullptr;
    events.setSize(tracks - 1);
}

//////////////////////////////
//
// MidiFile::makeVLV -- writes number as a variable-length quantity of up to
//     four bytes into buffer; returns the number of bytes.
//

int MidiFile::makeVLV(unsigned char* buffer, int number) {
    unsigned long value = static_cast<unsigned int>(number);
    if (value > 0x0FFFFFFFUL) {
        std::cout << "Error: number too large to handle" << std::endl;
        fatalExit();
    }

    unsigned char groups[4];
    groups[0] = static_cast<unsigned char>((value >> 21) & 0x7F);
    groups[1] = static_cast<unsigned char>((value >> 14) & 0x7F);
    groups[2] = static_cast<unsigned char>((value >> 7) & 0x7F);
    groups[3] = static_cast<unsigned char>(value & 0x7F);

    int start = 0;
    while (start < 3 && groups[start] == 0) {
        start++;
    }
    int length = 0;
    for (int i = start; i < 3; i++) {
        buffer[length++] = groups[i] | 0x80;
    }
    buffer[length++] = groups[3];
    return length;
}

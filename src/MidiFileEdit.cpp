// MidiFile track editing: meta events and pitch bends, the event order and
// the sorts that use it, joining, splitting, merging and deleting tracks.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <new>
#include <utility>
#include <vector>

#include "MidiFile.h"
#include "Vlq.h"

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

// Groups of at most this many events that share a tick are put in order
// by insertion, larger ones by merging.
const int INSERTION_MAX = 32;

// Bits of a tick sorted in one pass of the radix sort.
const int RADIX_BITS = 11;

// Whether event a must come after event b: eventcompare, with the times,
// which decide almost every pair, compared first.
inline bool after(MFEvent& a, MFEvent& b) {
    if (a.time != b.time) {
        return a.time > b.time;
    }
    return eventcompare(&a, &b) > 0;
}

// Stable sort of the event indices order[0] to order[count - 1] by
// eventcompare.  Only ever compares pairs, and moves an element before
// another only when eventcompare says the other must come after it, so
// that events that compare equal keep their relative order, and any
// comparison result, consistent or not, gives some order of the same
// events.
void sortIndicesByComparing(MFEvent* base, int* order, size_t count, std::vector<int>& scratch) {
    if (count <= static_cast<size_t>(INSERTION_MAX)) {
        for (size_t i = 1; i < count; i++) {
            const int moving = order[i];
            size_t j = i;
            while (j > 0 && after(base[order[j - 1]], base[moving])) {
                order[j] = order[j - 1];
                j--;
            }
            order[j] = moving;
        }
        return;
    }
    scratch.resize(std::max(scratch.size(), count));
    int* from = order;
    int* to = scratch.data();
    for (size_t width = 1; width < count; width *= 2) {
        for (size_t lo = 0; lo < count; lo += 2 * width) {
            const size_t mid = std::min(lo + width, count);
            const size_t hi = std::min(lo + 2 * width, count);
            size_t left = lo;
            size_t right = mid;
            size_t out = lo;
            while (left < mid && right < hi) {
                if (after(base[from[left]], base[from[right]])) {
                    to[out++] = from[right++];
                } else {
                    to[out++] = from[left++];
                }
            }
            while (left < mid) {
                to[out++] = from[left++];
            }
            while (right < hi) {
                to[out++] = from[right++];
            }
        }
        std::swap(from, to);
    }
    if (from != order) {
        std::copy(from, from + count, order);
    }
}

// Stable sort of the indices 0 to count - 1 by the events' times: a radix
// sort, linear in the number of events.
void sortIndicesByTime(const MFEvent* base, std::vector<int>& order) {
    const size_t count = order.size();
    std::vector<uint32_t> keys(count);
    uint32_t lowest = UINT32_MAX;
    uint32_t highest = 0;
    for (size_t i = 0; i < count; i++) {
        // Signed ticks in unsigned order.
        keys[i] = static_cast<uint32_t>(base[i].time) ^ 0x80000000u;
        lowest = std::min(lowest, keys[i]);
        highest = std::max(highest, keys[i]);
    }
    int bits = 0;
    while (bits < 32 && ((highest - lowest) >> bits) != 0) {
        bits++;
    }
    std::vector<int> scratch(count);
    std::vector<size_t> starts((size_t{1} << RADIX_BITS) + 1);
    const uint32_t mask = (1u << RADIX_BITS) - 1;
    for (int shift = 0; shift < bits; shift += RADIX_BITS) {
        std::fill(starts.begin(), starts.end(), 0);
        for (size_t i = 0; i < count; i++) {
            starts[(((keys[order[i]] - lowest) >> shift) & mask) + 1]++;
        }
        for (size_t d = 1; d < starts.size(); d++) {
            starts[d] += starts[d - 1];
        }
        for (size_t i = 0; i < count; i++) {
            scratch[starts[((keys[order[i]] - lowest) >> shift) & mask]++] = order[i];
        }
        order.swap(scratch);
    }
}

// Moves every event to its place: position k receives the event that was
// at order[k].  Each event moves once, with its bytes; order is used up.
void moveIntoOrder(MFEvent* base, std::vector<int>& order) {
    const int count = static_cast<int>(order.size());
    for (int k = 0; k < count; k++) {
        if (order[k] == k) {
            continue;
        }
        MFEvent held(std::move(base[k]));
        int j = k;
        while (order[j] != k) {
            const int from = order[j];
            base[j].~MFEvent();
            new (&base[j]) MFEvent(std::move(base[from]));
            order[j] = j;
            j = from;
        }
        base[j].~MFEvent();
        new (&base[j]) MFEvent(std::move(held));
        order[j] = j;
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
//     order.  The sort is stable and linear in the number of events: a
//     track already in order costs one pass, any other a radix sort by tick
//     and then a sort of each group of events that share a tick.
//

void MidiFile::sortTrack(SigCollection<MFEvent>& trackData) {
    const int count = static_cast<int>(trackData.getSize());
    MFEvent* base = trackData.getBase();
    int firstOutOfOrder = 1;
    while (firstOutOfOrder < count && !after(base[firstOutOfOrder - 1], base[firstOutOfOrder])) {
        firstOutOfOrder++;
    }
    if (firstOutOfOrder >= count) {
        return;  // in order already: one pass
    }

    std::vector<int> order(static_cast<size_t>(count));
    for (int i = 0; i < count; i++) {
        order[static_cast<size_t>(i)] = i;
    }
    std::vector<int> scratch;
    if (count <= INSERTION_MAX) {
        sortIndicesByComparing(base, order.data(), order.size(), scratch);
    } else {
        // By time first; then each group of events at one tick by the rest
        // of eventcompare.
        sortIndicesByTime(base, order);
        for (int first = 0; first < count;) {
            int end = first + 1;
            while (end < count && base[order[end]].time == base[order[first]].time) {
                end++;
            }
            if (end - first > 1) {
                sortIndicesByComparing(base, order.data() + first,
                                       static_cast<size_t>(end - first), scratch);
            }
            first = end;
        }
    }
    moveIntoOrder(base, order);
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
    releaseTrack(olddata);

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

    releaseTrack(events[aTrack1]);
    events[aTrack1] = merged;

    releaseTrack(events[aTrack2]);
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
    releaseTrack(events[aTrack]);
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
    const int length = vlq::encode(static_cast<uint32_t>(number), buffer);
    if (length == 0) {
        std::cout << "Error: number too large to handle" << std::endl;
        fatalExit();
    }
    return length;
}

// The notes that translators placed in outputfile, for the translator
// tests of both organs.

#ifndef KOLVO_PLACED_NOTES_H
#define KOLVO_PLACED_NOTES_H

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "runstate.h"

// One note as placed in outputfile: its note-on and note-off.
struct Placed {
    int track;
    int note;
    int vel;
    int onTick;
    int offTick;
};

inline bool operator==(const Placed& a, const Placed& b) {
    return a.track == b.track && a.note == b.note && a.vel == b.vel && a.onTick == b.onTick &&
           a.offTick == b.offTick;
}

inline std::ostream& operator<<(std::ostream& out, const Placed& p) {
    return out << "{track " << p.track << ", note " << p.note << ", vel " << p.vel << ", ticks "
               << p.onTick << ".." << p.offTick << "}";
}

// Every note in outputfile, track by track in the order placed.  Each
// note-on must be followed by its note-off on the channel of the track's
// number, with the same key and velocity.
inline std::vector<Placed> placedNotes() {
    std::vector<Placed> notes;
    for (int track = 0; track < outputfile.getTrackCount(); ++track) {
        int count = outputfile.getNumEvents(track);
        EXPECT_EQ(count % 2, 0) << "unpaired event on track " << track;
        for (int i = 0; i + 1 < count; i += 2) {
            MFEvent& on = outputfile.getEvent(track, i);
            MFEvent& off = outputfile.getEvent(track, i + 1);
            EXPECT_EQ(on.data.getSize(), 3);
            EXPECT_EQ(off.data.getSize(), 3);
            int channelBits = (track - 1) & 0x0F;
            EXPECT_EQ(on.data[0], 0x90 | channelBits) << "track " << track;
            EXPECT_EQ(off.data[0], 0x80 | channelBits) << "track " << track;
            EXPECT_EQ(off.data[1], on.data[1]);
            EXPECT_EQ(off.data[2], on.data[2]);
            notes.push_back({track, on.data[1], on.data[2], on.time, off.time});
        }
    }
    return notes;
}

#endif

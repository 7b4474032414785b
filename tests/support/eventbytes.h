// Events written as hex for the library's tests: byte arrays from byte
// strings, and adding an event given as hex to a track.

#ifndef KOLVO_EVENTBYTES_H
#define KOLVO_EVENTBYTES_H

#include <string>

#include "MidiFile.h"
#include "testbytes.h"

inline Array<unsigned char> arrayOf(const std::string& bytes) {
    Array<unsigned char> data(static_cast<int>(bytes.size()));
    for (size_t i = 0; i < bytes.size(); i++) {
        data[static_cast<int>(i)] = static_cast<unsigned char>(bytes[i]);
    }
    return data;
}

// Adds the event "90 3C 40" (say) at `time` to `track`; returns its index.
inline int add(MidiFile& midifile, int track, int time, const std::string& hex) {
    Array<unsigned char> data = arrayOf(hexBytes(hex));
    return midifile.addEvent(track, time, data);
}

#endif

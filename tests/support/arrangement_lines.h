// The output arrangement as text, for the arrangement tests of both organs:
// the events of a track of outputfile as "tick: HEX" lines.

#ifndef KOLVO_ARRANGEMENT_LINES_H
#define KOLVO_ARRANGEMENT_LINES_H

#include <string>
#include <vector>

#include "runstate.h"
#include "testbytes.h"

using Lines = std::vector<std::string>;

// The events of a track of outputfile as "tick: HEX", in the order added.
inline Lines eventsOf(int track) {
    Lines list;
    for (int i = 0; i < outputfile.getNumEvents(track); i++) {
        MFEvent& e = outputfile.getEvent(track, i);
        std::string bytes;
        for (long b = 0; b < e.data.getSize(); b++) {
            bytes += static_cast<char>(e.data[static_cast<int>(b)]);
        }
        list.push_back(std::to_string(e.time) + ": " + toHex(bytes));
    }
    return list;
}

// The line of a meta event at tick 0 with a text shorter than 128 bytes.
inline std::string meta(int type, const std::string& text) {
    std::string bytes{'\xFF', static_cast<char>(type), static_cast<char>(text.size())};
    return "0: " + toHex(bytes + text);
}

#endif

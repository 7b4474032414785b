// One-track rolls built byte by byte for kolvo's unit tests.

#ifndef KOLVO_TEST_ROLLBYTES_H
#define KOLVO_TEST_ROLLBYTES_H

#include <string>
#include <vector>

#include "testbytes.h"

// A Standard MIDI File of one chunk per track, each given as the hex of
// its events (delta times and messages); the end of each track is added.
inline std::string midiFile(int ticksPerQuarter, const std::vector<std::string>& tracks) {
    std::string file = hexBytes("4D 54 68 64 00 00 00 06");
    file += static_cast<char>(0);
    file += static_cast<char>(tracks.size() == 1 ? 0 : 1);
    file += static_cast<char>(0);
    file += static_cast<char>(tracks.size());
    file += static_cast<char>(ticksPerQuarter >> 8);
    file += static_cast<char>(ticksPerQuarter & 0xFF);
    for (const std::string& events : tracks) {
        const std::string data = hexBytes(events + " 00 FF 2F 00");
        file += "MTrk";
        for (int shift = 24; shift >= 0; shift -= 8) {
            file += static_cast<char>((data.size() >> shift) & 0xFF);
        }
        file += data;
    }
    return file;
}

// Holes one after another, 100 ticks apart, each open for 50 ticks.
inline std::string holesHex(const std::vector<int>& keys) {
    static const char* digits = "0123456789ABCDEF";
    std::string hex;
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string key = {digits[keys[i] >> 4], digits[keys[i] & 15]};
        hex += (i == 0 ? " 00" : " 32") + std::string(" 90 ") + key + " 40 32 80 " + key + " 00";
    }
    return hex;
}

#endif

// Reads the notes back out of a written Standard MIDI File, with a reader
// of its own (not the library's), and checks that every note the player
// starts is also stopped: FluidSynth's player does not finish while a voice
// still sounds, so a note-on without a later note-off would keep the
// program waiting for ever.  Shared by the arrangement tests of both
// organs, the fuzz targets and their corpus replay; no test framework.

#ifndef KOLVO_WRITTEN_FILE_H
#define KOLVO_WRITTEN_FILE_H

#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

// One channel message as written: track, absolute tick, status and data.
struct WrittenMessage {
    int track;
    long tick;
    int status;
    int data1;
    int data2;
};

// A written file taken apart, or the reason why it could not be.
struct WrittenFile {
    int tracks = 0;
    int division = 0;
    std::vector<WrittenMessage> messages;  // track by track, in file order
    std::string error;                     // empty when the file was read
};

namespace writtennotes {

inline bool readVlq(const std::string& bytes, size_t& at, size_t end, long& value) {
    value = 0;
    for (int count = 0; count < 4; count++) {
        if (at >= end) {
            return false;
        }
        const unsigned char byte = static_cast<unsigned char>(bytes[at++]);
        value = (value << 7) | (byte & 0x7F);
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;  // more than four bytes: no Standard MIDI File number
}

inline long bigEndian(const std::string& bytes, size_t at, int count) {
    long value = 0;
    for (int i = 0; i < count; i++) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

}  // namespace writtennotes

// Reads the file strictly: header, track chunks, variable-length delta
// times of at most four bytes, running status, data bytes below 0x80,
// every track closed by its end-of-track event and nothing after it.
inline WrittenFile readWrittenFile(const std::string& bytes) {
    using namespace writtennotes;
    WrittenFile file;
    std::ostringstream why;
    if (bytes.size() < 14 || bytes.compare(0, 8, std::string("MThd\0\0\0\x06", 8)) != 0) {
        file.error = "no MThd header of six bytes";
        return file;
    }
    file.tracks = static_cast<int>(bigEndian(bytes, 10, 2));
    file.division = static_cast<int>(bigEndian(bytes, 12, 2));
    size_t at = 14;
    for (int track = 0; track < file.tracks; track++) {
        if (at + 8 > bytes.size() || bytes.compare(at, 4, "MTrk") != 0) {
            why << "track " << track << ": no MTrk chunk";
            file.error = why.str();
            return file;
        }
        const size_t end = at + 8 + static_cast<size_t>(bigEndian(bytes, at + 4, 4));
        at += 8;
        if (end > bytes.size()) {
            why << "track " << track << ": chunk longer than the file";
            file.error = why.str();
            return file;
        }
        long tick = 0;
        int running = 0;
        bool ended = false;
        while (at < end && !ended) {
            long delta = 0;
            const size_t deltaAt = at;
            if (!readVlq(bytes, at, end, delta) || at >= end) {
                why << "track " << track << ": bad delta time after tick " << tick
                    << (at - deltaAt == 4 && at < end ? " (longer than four bytes)" : "");
                file.error = why.str();
                return file;
            }
            tick += delta;
            int status = static_cast<unsigned char>(bytes[at]);
            if (status & 0x80) {
                at++;
            } else if (running != 0) {
                status = running;
            } else {
                why << "track " << track << ": data byte without status at tick " << tick;
                file.error = why.str();
                return file;
            }
            if (status == 0xFF || status == 0xF0 || status == 0xF7) {
                int type = -1;
                if (status == 0xFF) {
                    type = at < end ? static_cast<unsigned char>(bytes[at++]) : -1;
                }
                long length = 0;
                if (!readVlq(bytes, at, end, length) || at + length > end) {
                    why << "track " << track << ": bad meta or sysex length";
                    file.error = why.str();
                    return file;
                }
                at += static_cast<size_t>(length);
                ended = type == 0x2F;
                running = 0;
                continue;
            }
            const int command = status & 0xF0;
            const int size = (command == 0xC0 || command == 0xD0) ? 1 : 2;
            if (at + size > end) {
                why << "track " << track << ": message cut short";
                file.error = why.str();
                return file;
            }
            int data[2] = {0, 0};
            for (int i = 0; i < size; i++) {
                data[i] = static_cast<unsigned char>(bytes[at++]);
                if (data[i] & 0x80) {
                    why << "track " << track << ": data byte " << data[i] << " at tick " << tick;
                    file.error = why.str();
                    return file;
                }
            }
            running = status;
            file.messages.push_back({track, tick, status, data[0], data[1]});
        }
        if (!ended || at != end) {
            why << "track " << track << ": not closed by its end-of-track event";
            file.error = why.str();
            return file;
        }
    }
    return file;
}

// The notes of the file that are started and never stopped: for every
// note-on, a note-off of the same track, channel and key must follow it at
// a later tick.  Also every note must lie on the channel of its track's
// number.  Returns one line per fault, empty when there is none.
inline std::vector<std::string> unstoppedNotes(const WrittenFile& file) {
    std::vector<std::string> faults;
    // Latest note-off tick of (track, status low nibble, key) among the
    // messages after the one under inspection.
    std::map<std::tuple<int, int, int>, long> latestOff;
    for (auto it = file.messages.rbegin(); it != file.messages.rend(); ++it) {
        const WrittenMessage& m = *it;
        const int command = m.status & 0xF0;
        if (command != 0x80 && command != 0x90) {
            continue;
        }
        const int channel = m.status & 0x0F;
        std::ostringstream where;
        where << "track " << m.track << ", tick " << m.tick << ", channel " << channel + 1
              << ", key " << m.data1;
        if (channel != ((m.track - 1) & 0x0F)) {
            faults.push_back(where.str() + ": note on another channel than its track");
        }
        const auto key = std::make_tuple(m.track, channel, m.data1);
        if (command == 0x80 || m.data2 == 0) {
            auto found = latestOff.find(key);
            if (found == latestOff.end() || found->second < m.tick) {
                latestOff[key] = m.tick;
            }
        } else {
            auto found = latestOff.find(key);
            if (found == latestOff.end() || found->second <= m.tick) {
                faults.push_back(where.str() + ": note-on without a later note-off");
            }
        }
    }
    return faults;
}

#endif

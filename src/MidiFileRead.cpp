// MidiFile: reading a Standard MIDI File.
//
// The whole file is read into memory and decoded from there with a byte
// cursor.  No declared length is trusted before its bytes exist: a track
// chunk's length only tells where the next chunk should start, and storage
// is reserved for no more events than the file has bytes.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

#include "MidiFile.h"

// The bytes of the file being read and the position in them.  Reads stop
// at `limit` (the end of the file, or the end of the track chunk being
// read when the next chunk is known to start there).  A read that finds
// no byte leaves its variable unchanged and sets `ranOut`.
struct MidiFile::ReadCursor {
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    size_t pos = 0;
    size_t limit = 0;
    bool ranOut = false;

    bool get(unsigned char& value) {
        if (pos >= limit) {
            ranOut = true;
            return false;
        }
        value = bytes[pos++];
        return true;
    }

    size_t remaining() const { return pos < limit ? limit - pos : 0; }

    // An unsigned big-endian number of `count` bytes; false when the bytes
    // ran out (the cursor is then at the limit).
    bool getBigEndian(int count, uint32_t& value) {
        uint32_t result = 0;
        for (int i = 0; i < count; i++) {
            unsigned char byte;
            if (!get(byte)) {
                return false;
            }
            result = (result << 8) | byte;
        }
        value = result;
        return true;
    }

    // The bytes of a variable-length quantity, at most five: stops after
    // a byte with bit 7 clear, after the fifth byte, or when the bytes run
    // out.  Unread places of `buffer` stay 0.  Returns the number read.
    int getVlqBytes(unsigned char buffer[5]) {
        std::memset(buffer, 0, 5);
        int count = 0;
        while (count < 5) {
            unsigned char byte;
            if (!get(byte)) {
                break;
            }
            buffer[count++] = byte;
            if ((byte & 0x80) == 0) {
                break;
            }
        }
        return count;
    }

    // Whether a track chunk may start at `at`: the letters MTrk stand
    // there, or the file ends there.
    bool chunkBoundaryAt(size_t at) const {
        if (at == size) {
            return true;
        }
        return at <= size && size - at >= 4 && std::memcmp(bytes + at, "MTrk", 4) == 0;
    }
};

namespace {

// Appends to `content` up to `count` more bytes of an open stream, or all
// that are left when count is negative.
void readBytes(FileIO& input, std::vector<unsigned char>& content, long count) {
    char buffer[65536];
    while (count != 0) {
        std::streamsize want = sizeof(buffer);
        if (count > 0 && count < want) {
            want = static_cast<std::streamsize>(count);
        }
        input.read(buffer, want);
        const std::streamsize got = input.gcount();
        if (got <= 0) {
            break;
        }
        content.insert(content.end(), buffer, buffer + got);
        if (count > 0) {
            count -= static_cast<long>(got);
        }
    }
}

// The content of an open stream.  The rest is read only after the first
// four bytes have turned out to be "MThd", so that a device without end
// (such as /dev/zero) is refused like any other file that is not MIDI.
std::vector<unsigned char> readFileBytes(FileIO& input) {
    std::vector<unsigned char> content;
    readBytes(input, content, 4);
    if (content.size() == 4 && std::memcmp(content.data(), "MThd", 4) == 0) {
        readBytes(input, content, -1);
    }
    return content;
}

}  // namespace

int MidiFile::read(const char* aFile) {
    timemapvalid = 0;
    if (aFile == nullptr) {
        return 0;
    }
    setFilename(aFile);

    FileIO inputfile(aFile, std::ios::in | std::ios::binary);
    if (!inputfile.is_open()) {
        return 0;
    }
    const std::vector<unsigned char> content = readFileBytes(inputfile);
    inputfile.close();
    return decode(content.data(), content.size(), aFile);
}

int MidiFile::read(const unsigned char* someBytes, long aSize, const char* aName) {
    timemapvalid = 0;
    if (aName != nullptr) {
        setFilename(aName);
    }
    if (someBytes == nullptr || aSize < 0) {
        aSize = 0;
    }
    return decode(someBytes, static_cast<size_t>(aSize), aName != nullptr ? aName : "");
}

int MidiFile::read(std::istream& anInput, const char* aName) {
    std::vector<unsigned char> content;
    char buffer[65536];
    while (anInput.read(buffer, sizeof(buffer)) || anInput.gcount() > 0) {
        content.insert(content.end(), buffer, buffer + anInput.gcount());
    }
    return read(content.data(), static_cast<long>(content.size()), aName);
}

int MidiFile::decode(const unsigned char* bytes, size_t size, const char* aFile) {
    ReadCursor input;
    input.bytes = bytes;
    input.size = size;
    input.limit = input.size;

    // The last letter read by a chunk header check.  A read at the end of
    // the file leaves it as it was, so a missing track header is reported
    // with the last letter of the header before it.
    unsigned char letter = 0;

    // header chunk: MThd
    static const char headerId[] = "MThd";
    for (int i = 0; i < 4; i++) {
        bool gotByte = input.get(letter);
        if (letter != static_cast<unsigned char>(headerId[i])) {
            std::cout << "File: " << aFile << " is not a MIDI file" << std::endl;
            if (i == 0 && gotByte) {
                std::cout << "Chara data is" << letter << std::endl;
            }
            return 0;
        }
    }
    if (input.size < 14) {
        std::cout << "File: " << aFile << " is not a MIDI file" << std::endl;
        return 0;
    }

    uint32_t headerSize = 0;
    input.getBigEndian(4, headerSize);
    if (headerSize != 6) {
        std::cout << "File: " << aFile << " is not a MIDI 1.0 Standard MIDI file." << std::endl;
        std::cout << "The header size is: " << headerSize << std::endl;
        return 0;
    }

    uint32_t type = 0;
    input.getBigEndian(2, type);
    if (type != 0 && type != 1) {
        std::cout << "Error: cannot handle type " << type << " MIDI file" << std::endl;
        return 0;
    }

    uint32_t tracks = 0;
    input.getBigEndian(2, tracks);
    if (type == 0 && tracks != 1) {
        std::cout << "Error: Type 0 MIDI file can only contain one track" << std::endl;
        return 0;
    }

    // From here on the old content is replaced.  The track lists start
    // without storage; each reserves when its chunk header tells its size.
    erase();
    for (long t = 0; t < events.getSize(); t++) {
        delete events[static_cast<int>(t)];
    }
    events.setSize(0);
    events.setAllocSize(static_cast<long>(tracks));
    for (uint32_t t = 0; t < tracks; t++) {
        events.append(newTrack(0));
    }

    uint32_t divisionBits = 0;
    input.getBigEndian(2, divisionBits);
    const int16_t division = static_cast<int16_t>(divisionBits);
    if (division > 0) {
        ticksPerQuarterNote = division;
    } else {
        const int smpteCode = (divisionBits >> 8) & 0xff;
        const int frameResolution = divisionBits & 0xff;
        int framesPerSecond;
        switch (smpteCode) {
            case 0xE3: framesPerSecond = 29; break;
            case 0xE2: framesPerSecond = 30; break;
            case 0xE7: framesPerSecond = 25; break;
            case 0xE8: framesPerSecond = 24; break;
            default:
                std::cerr << "Warning: unknown FPS: " << smpteCode << std::endl;
                std::cerr << "Setting FPS to " << 256 - smpteCode << std::endl;
                framesPerSecond = 256 - smpteCode;
                break;
        }
        const int16_t ticks = static_cast<int16_t>(frameResolution * framesPerSecond);
        std::cout << "SMPTE ticks: " << ticks << " tpq" << std::endl;
        std::cout << "SMPTE frames per second: " << framesPerSecond << std::endl;
        std::cout << "SMPTE frame resolution: " << frameResolution << std::endl;
        ticksPerQuarterNote = ticks;
    }

    // Running status is kept over the whole file, across track chunks.
    unsigned char runningCommand = 0;
    MFEvent event;

    static const char trackId[] = "MTrk";
    for (uint32_t i = 0; i < tracks; i++) {
        const int trackIndex = static_cast<int>(i);
        input.limit = input.size;

        // track chunk header: MTrk
        for (int c = 0; c < 4; c++) {
            input.get(letter);
            if (letter == static_cast<unsigned char>(trackId[c])) {
                continue;
            }
            std::cout << "File: " << aFile << " has bad track info" << std::endl;
            if (c == 0) {
                std::cout << "character 1 is: " << letter << "(" << static_cast<int>(letter)
                          << "): expecting 'M'" << std::endl;
                if (!input.get(letter)) {
                    std::cout << "End of file reached" << std::endl;
                }
            } else {
                std::cout << "character " << c + 1 << " is: " << static_cast<int>(letter)
                          << std::endl;
            }
            return 0;
        }

        uint32_t chunkSize = 0;
        if (!input.getBigEndian(4, chunkSize)) {
            // The file ends inside the chunk header: an empty track.
            continue;
        }
        const uint64_t declaredEnd = static_cast<uint64_t>(input.pos) + chunkSize;

        // When the next chunk starts where this one says it ends, the
        // track's bytes end there, whether or not its last event is an
        // end-of-track.  Otherwise the declared length cannot be right, and
        // the track goes on to its end-of-track or the end of the file.
        const bool chunkEndIsBoundary =
            declaredEnd <= input.size && input.chunkBoundaryAt(static_cast<size_t>(declaredEnd));
        if (chunkEndIsBoundary) {
            input.limit = static_cast<size_t>(declaredEnd);
            // Every event takes at least two bytes (a delta time and a status
            // or data byte), so such a chunk holds at most half its length
            // in events.  Other tracks grow as they are read.  Either way
            // the tracks together never reserve more than the file's bytes
            // can fill.
            const long reserve = static_cast<long>(chunkSize / 2);
            if (events[trackIndex]->getAllocSize() < reserve) {
                events[trackIndex]->setAllocSize(reserve);
            }
        }

        long long tick = 0;
        while (input.pos < input.limit) {
            const unsigned char runningBefore = runningCommand;
            input.ranOut = false;
            unsigned long delta = extractVlvTime(input);
            int complete = !input.ranOut && extractMidiData(input, event.data, runningCommand);
            if (!complete) {
                // An event cut short ends the track and is dropped.
                runningCommand = runningBefore;
                input.pos = input.limit;
                break;
            }
            tick += delta;
            event.time = static_cast<int>(tick);
            event.track = trackIndex;
            appendToTrack(*events[trackIndex], event);

            if (event.data[0] == 0xff && event.data.getSize() >= 2 && event.data[1] == 0x2f) {
                // Bytes left between the end-of-track and the declared end
                // of the chunk are padding when the next chunk starts there.
                if (!input.chunkBoundaryAt(input.pos) && chunkEndIsBoundary &&
                    declaredEnd > input.pos) {
                    input.pos = static_cast<size_t>(declaredEnd);
                }
                break;
            }
        }
    }

    theTimeState = 1;
    return 1;
}

unsigned long MidiFile::extractVlvTime(ReadCursor& input) {
    unsigned char bytes[5];
    input.getVlqBytes(bytes);
    return unpackVLV(bytes[0], bytes[1], bytes[2], bytes[3], bytes[4]);
}

unsigned long MidiFile::unpackVLV(unsigned char a, unsigned char b, unsigned char c,
                                  unsigned char d, unsigned char e) {
    if (e & 0x80) {
        std::cout << "Error: VLV value was too long" << std::endl;
        fatalExit();
    }
    const unsigned char bytes[5] = {a, b, c, d, e};
    int count = 5;
    for (int i = 0; i < 4; i++) {
        if ((bytes[i] & 0x80) == 0) {
            count = i + 1;
            break;
        }
    }
    uint32_t value = 0;
    for (int i = 0; i < count; i++) {
        value = (value << 7) | (bytes[i] & 0x7f);
    }
    return value;
}

int MidiFile::extractMidiData(ReadCursor& input, Array<unsigned char>& array,
                              unsigned char& runningCommand) {
    array.setSize(0);
    array.allowGrowth(1);

    unsigned char byte = 0;
    if (!input.get(byte)) {
        return 0;
    }

    if ((byte & 0x80) == 0) {
        // A data byte: the message repeats the last channel status.
        if (runningCommand == 0) {
            std::cout << "Error: running command with no previous command" << std::endl;
            fatalExit();
        }
        array.append(runningCommand);
        array.append(byte);
        switch (runningCommand & 0xf0) {
            case 0x80:
            case 0x90:
            case 0xA0:
            case 0xB0:
            case 0xE0:
                if (!input.get(byte)) {
                    return 0;
                }
                array.append(byte);
                return 1;
            default:
                return 1;
        }
    }

    const unsigned char command = byte;
    array.append(command);
    switch (command & 0xf0) {
        case 0x80:
        case 0x90:
        case 0xA0:
        case 0xB0:
        case 0xE0:
            runningCommand = command;
            for (int i = 0; i < 2; i++) {
                if (!input.get(byte)) {
                    return 0;
                }
                array.append(byte);
            }
            return 1;
        case 0xC0:
        case 0xD0:
            runningCommand = command;
            if (!input.get(byte)) {
                return 0;
            }
            array.append(byte);
            return 1;
        case 0xF0:
            break;
        default:
            std::cout << "Error reading midifile" << std::endl;
            std::cout << "Command byte was " << static_cast<int>(command) << std::endl;
            fatalExit();
    }

    // System messages leave the running status alone.
    if (command != 0xff && command != 0xf0 && command != 0xf7) {
        return 1;
    }
    if (command == 0xff) {
        if (!input.get(byte)) {
            return 0;
        }
        array.append(byte);  // meta type
    }

    // Meta and system exclusive events: a length, then that many bytes.
    unsigned char lengthBytes[5];
    const int lengthCount = input.getVlqBytes(lengthBytes);
    for (int i = 0; i < lengthCount; i++) {
        array.append(lengthBytes[i]);
    }
    if (lengthCount == 0 || (lengthCount < 5 && (lengthBytes[lengthCount - 1] & 0x80))) {
        return 0;
    }
    const unsigned long length = unpackVLV(lengthBytes[0], lengthBytes[1], lengthBytes[2],
                                           lengthBytes[3], lengthBytes[4]);
    if (length > input.remaining()) {
        input.pos = input.limit;
        input.ranOut = true;
        return 0;
    }
    const long start = array.getSize();
    array.setSize(start + static_cast<long>(length));
    if (length > 0) {
        std::memcpy(array.getBase() + start, input.bytes + input.pos, length);
    }
    input.pos += length;
    return 1;
}

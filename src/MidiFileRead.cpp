// MidiFile: reading a Standard MIDI File.
//
// The whole file is read into memory and decoded from there with a byte
// cursor.  No declared length is trusted before its bytes exist: a track
// chunk's length only tells where the next chunk should start, and storage
// is reserved for no more events than the file has bytes.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <utility>
#include <vector>

#include "ElementStorage.h"
#include "MidiFile.h"
#include "Vlq.h"

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

[[noreturn]] void vlqTooLong() {
    std::cout << "Error: VLV value was too long" << std::endl;
    fatalExit();
}

// The bytes of a whole file, in element storage (huge pages for a big one).
struct FileBytes {
    struct Release {
        void operator()(unsigned char* block) const { releaseElements(block); }
    };
    using Block = std::unique_ptr<unsigned char[], Release>;

    Block data;
    size_t size = 0;
    size_t capacity = 0;

    static Block allocate(size_t bytes) {
        return Block(static_cast<unsigned char*>(allocateElements(bytes)));
    }
    // Storage for at least `wanted` bytes, keeping those held.
    void reserve(size_t wanted) {
        if (wanted > capacity) {
            Block larger = allocate(wanted);
            if (size > 0) {
                std::memcpy(larger.get(), data.get(), size);
            }
            data = std::move(larger);
            capacity = wanted;
        }
    }
    void append(const char* more, size_t count) {
        if (count == 0) {
            return;
        }
        reserve(std::max(size + count, 2 * capacity));
        std::memcpy(data.get() + size, more, count);
        size += count;
    }
};

// The content of an open file.  The rest is read only after the first four
// bytes have turned out to be "MThd", so that a device without end (such as
// /dev/zero) is refused like any other file that is not MIDI.  A regular
// file is read in one piece into storage of its size; anything else is read
// as it comes.
FileBytes readFileBytes(FileIO& input) {
    FileBytes content;
    char head[4];
    input.read(head, 4);
    content.append(head, static_cast<size_t>(input.gcount()));
    if (content.size < 4 || std::memcmp(content.data.get(), "MThd", 4) != 0) {
        return content;
    }
    input.seekg(0, std::ios::end);
    const std::streamoff end = input.tellg();
    input.seekg(4, std::ios::beg);
    if (input && end > 4) {
        content.reserve(static_cast<size_t>(end));
        input.read(reinterpret_cast<char*>(content.data.get()) + 4,
                   static_cast<std::streamsize>(end - 4));
        content.size += static_cast<size_t>(input.gcount());
    } else {
        input.clear();
    }
    char buffer[65536];
    while (input.read(buffer, sizeof buffer) || input.gcount() > 0) {
        content.append(buffer, static_cast<size_t>(input.gcount()));
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
    const FileBytes content = readFileBytes(inputfile);
    inputfile.close();
    return decode(content.data.get(), content.size, aFile);
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

    // From here on the old content is replaced.  Every announced track is
    // empty until the reader reaches its chunk, and gets a list of its own
    // only then: a header may announce far more tracks than the file holds.
    // A track list reserves storage when its chunk header tells its size.
    erase();
    releaseTracks();
    events.setAllocSize(static_cast<long>(tracks));
    events.setSize(static_cast<long>(tracks));
    std::fill_n(events.getBase(), events.getSize(), &unreachedTrack);

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
            SigCollection<MFEvent>& list = ownTrack(trackIndex);
            if (list.getAllocSize() < reserve) {
                list.setAllocSize(reserve);
            }
        }

        if (!decodeTrack(input, trackIndex, runningCommand, chunkEndIsBoundary,
                         static_cast<size_t>(declaredEnd))) {
            // Ticks beyond the range of int: no time of such a track can be
            // told, so the file is not taken at all.
            std::cout << "File: " << aFile << " is not a MIDI file" << std::endl;
            erase();
            return 0;
        }
    }

    theTimeState = 1;
    return 1;
}

// Inline: the reader calls it for every event.
inline unsigned long MidiFile::extractVlvTime(ReadCursor& input) {
    uint32_t value = 0;
    const int count = vlq::decode(input.bytes + input.pos, input.remaining(), value);
    if (count == vlq::tooLong) {
        vlqTooLong();
    }
    if (count == vlq::ranOut) {
        input.ranOut = true;
        input.pos = input.limit;
        return 0;
    }
    input.pos += static_cast<size_t>(count);
    return value;
}

unsigned long MidiFile::unpackVLV(unsigned char a, unsigned char b, unsigned char c,
                                  unsigned char d, unsigned char e) {
    if (e & 0x80) {
        vlqTooLong();
    }
    const unsigned char bytes[vlq::longestRead] = {a, b, c, d, e};
    uint32_t value = 0;
    vlq::decode(bytes, sizeof bytes, value);
    return value;
}

namespace {

// Bytes of a channel message with this status, the status byte included.
int channelMessageLength(unsigned char status) {
    const int nibble = status & 0xf0;
    return nibble == 0xC0 || nibble == 0xD0 ? 2 : 3;
}

}  // namespace

// Inline: the reader calls it for every event.
inline int MidiFile::extractMidiData(ReadCursor& input, Array<unsigned char>& array,
                                     unsigned char& runningCommand) {
    array.allowGrowth(1);
    const size_t start = input.pos;
    unsigned char byte = 0;
    if (!input.get(byte)) {
        array.setSize(0);
        return 0;
    }

    if (byte < 0x80) {
        // A data byte: the message repeats the last channel status.
        if (runningCommand == 0) {
            std::cout << "Error: running command with no previous command" << std::endl;
            fatalExit();
        }
        const int length = channelMessageLength(runningCommand);
        if (static_cast<size_t>(length - 2) > input.remaining()) {
            input.pos = input.limit;
            return 0;
        }
        array.setSize(length);
        unsigned char* out = array.getBase();
        out[0] = runningCommand;
        out[1] = byte;
        if (length == 3) {
            out[2] = input.bytes[input.pos++];
        }
        return 1;
    }

    if (byte < 0xf0) {
        const int length = channelMessageLength(byte);
        runningCommand = byte;
        if (static_cast<size_t>(length - 1) > input.remaining()) {
            input.pos = input.limit;
            return 0;
        }
        array.setSize(length);
        unsigned char* out = array.getBase();
        out[0] = byte;
        out[1] = input.bytes[input.pos++];
        if (length == 3) {
            out[2] = input.bytes[input.pos++];
        }
        return 1;
    }

    // System messages leave the running status alone.  Meta events (FF,
    // type, length, payload) and system exclusive messages (F0 or F7,
    // length, payload) are stored whole; any other is its status byte.
    if (byte != 0xff && byte != 0xf0 && byte != 0xf7) {
        array.setSize(1);
        array.getBase()[0] = byte;
        return 1;
    }
    if (byte == 0xff && !input.get(byte)) {
        return 0;
    }
    uint32_t length = 0;
    const int lengthCount = vlq::decode(input.bytes + input.pos, input.remaining(), length);
    if (lengthCount == vlq::tooLong) {
        vlqTooLong();
    }
    if (lengthCount == vlq::ranOut ||
        length > input.remaining() - static_cast<size_t>(lengthCount)) {
        input.pos = input.limit;
        input.ranOut = true;
        return 0;
    }
    const size_t total = input.pos - start + static_cast<size_t>(lengthCount) + length;
    array.setSize(static_cast<long>(total));
    std::memcpy(array.getBase(), input.bytes + start, total);
    input.pos = start + total;
    return 1;
}

int MidiFile::decodeTrack(ReadCursor& input, int aTrack, unsigned char& runningCommand,
                          bool chunkEndIsBoundary, size_t declaredEnd) {
    SigCollection<MFEvent>& list = ownTrack(aTrack);
    long long tick = 0;
    while (input.pos < input.limit) {
        const unsigned char runningBefore = runningCommand;
        input.ranOut = false;
        const unsigned long delta = extractVlvTime(input);
        MFEvent& event = newEvent(list);
        if (input.ranOut || !extractMidiData(input, event.data, runningCommand)) {
            // An event cut short ends the track and is dropped.
            list.setSize(list.getSize() - 1);
            runningCommand = runningBefore;
            input.pos = input.limit;
            break;
        }
        tick += delta;
        if (tick > INT_MAX) {
            return 0;
        }
        event.time = static_cast<int>(tick);
        event.track = aTrack;

        const unsigned char* bytes = event.data.getBase();
        if (bytes[0] == 0xff && event.data.getSize() >= 2 && bytes[1] == 0x2f) {
            // Bytes left between the end-of-track and the declared end of
            // the chunk are padding when the next chunk starts there.
            if (!input.chunkBoundaryAt(input.pos) && chunkEndIsBoundary &&
                declaredEnd > input.pos) {
                input.pos = declaredEnd;
            }
            break;
        }
    }
    return 1;
}

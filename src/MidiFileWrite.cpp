// MidiFile writer: the file as a Standard MIDI File, into any output stream
// or into a named file.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <vector>

#include "MidiFile.h"
#include "Vlq.h"

namespace {

void writeByte(std::ostream& out, int value) {
    out.put(static_cast<char>(value & 0xFF));
}

void writeBigEndian16(std::ostream& out, unsigned long value) {
    writeByte(out, static_cast<int>((value >> 8) & 0xFF));
    writeByte(out, static_cast<int>(value & 0xFF));
}

void writeBigEndian32(std::ostream& out, unsigned long value) {
    writeByte(out, static_cast<int>((value >> 24) & 0xFF));
    writeByte(out, static_cast<int>((value >> 16) & 0xFF));
    writeByte(out, static_cast<int>((value >> 8) & 0xFF));
    writeByte(out, static_cast<int>(value & 0xFF));
}

void writeTag(std::ostream& out, const char* tag) {
    for (int i = 0; i < 4; i++) {
        writeByte(out, tag[i]);
    }
}

// True when the event is the end-of-track meta event FF 2F 00.
bool isEndOfTrack(const MFEvent& event) {
    if (event.data.getSize() != 3) {
        return false;
    }
    const unsigned char* bytes = event.data.getBase();
    return bytes[0] == 0xFF && bytes[1] == 0x2F && bytes[2] == 0x00;
}

// The delta times of a track, whether the file keeps delta or absolute
// times: in absolute time each is the difference to the event before,
// modulo 2^32, as deltaTime() would make it.
class Deltas {
  public:
    Deltas(const SigCollection<MFEvent>& aTrack, int aTimeState)
        : events(aTrack.getBase()), absolute(aTimeState == 1) {}
    uint32_t at(long index) const {
        const uint32_t time = static_cast<uint32_t>(events[index].time);
        if (!absolute || index == 0) {
            return time;
        }
        return time - static_cast<uint32_t>(events[index - 1].time);
    }

  private:
    const MFEvent* events;
    bool absolute;
};

// Track bytes on their way to the stream, in pieces of a fixed size.
class TrackWriter {
  public:
    explicit TrackWriter(std::ostream& anOutput) : output(anOutput) {}
    ~TrackWriter() { flush(); }
    void put(const unsigned char* bytes, size_t count) {
        if (used + count > sizeof buffer) {
            flush();
            if (count > sizeof buffer) {
                output.write(reinterpret_cast<const char*>(bytes),
                             static_cast<std::streamsize>(count));
                return;
            }
        }
        std::memcpy(buffer + used, bytes, count);
        used += count;
    }
    void flush() {
        output.write(reinterpret_cast<const char*>(buffer), static_cast<std::streamsize>(used));
        used = 0;
    }

  private:
    std::ostream& output;
    unsigned char buffer[65536];
    size_t used = 0;
};

const unsigned char endOfTrackBytes[4] = {0x00, 0xFF, 0x2F, 0x00};

}  // namespace

//////////////////////////////
//
// MidiFile::write -- writes the file to the stream: type 0 for a single
//     track, else type 1; every message with its status byte; an
//     end-of-track event added to every track that does not end with one.
//     Returns 1; 0 when the stream has failed, and 0 without writing
//     anything when a delta time does not fit the four bytes of a
//     variable-length quantity (a pause too long for a MIDI file, or a
//     negative delta of an unsorted track).
//

int MidiFile::write(std::ostream& outputfile) {
    const int tracks = getTrackCount();

    // Each track's byte count, which its chunk header gives before its
    // events; and no delta too large for the file.
    std::vector<unsigned long> trackBytes(static_cast<size_t>(tracks));
    for (int i = 0; i < tracks; i++) {
        const SigCollection<MFEvent>& track = *events[i];
        const MFEvent* list = track.getBase();
        const Deltas deltas(track, theTimeState);
        const long count = track.getSize();
        unsigned long length = 0;
        for (long j = 0; j < count; j++) {
            const int deltaLength = vlq::encodedLength(deltas.at(j));
            if (deltaLength == 0) {
                return 0;
            }
            length += static_cast<unsigned long>(deltaLength) +
                      static_cast<unsigned long>(list[j].data.getSize());
        }
        if (count == 0 || !isEndOfTrack(list[count - 1])) {
            length += sizeof endOfTrackBytes;
        }
        trackBytes[static_cast<size_t>(i)] = length;
    }

    writeTag(outputfile, "MThd");
    writeBigEndian32(outputfile, 6);
    writeBigEndian16(outputfile, tracks == 1 ? 0 : 1);
    writeBigEndian16(outputfile, static_cast<unsigned long>(tracks));
    writeBigEndian16(outputfile, static_cast<unsigned int>(ticksPerQuarterNote));

    for (int i = 0; i < tracks; i++) {
        const SigCollection<MFEvent>& track = *events[i];
        const MFEvent* list = track.getBase();
        const Deltas deltas(track, theTimeState);
        const long count = track.getSize();
        writeTag(outputfile, "MTrk");
        writeBigEndian32(outputfile, trackBytes[static_cast<size_t>(i)]);
        TrackWriter out(outputfile);
        for (long j = 0; j < count; j++) {
            unsigned char delta[vlq::longestWritten];
            out.put(delta, static_cast<size_t>(vlq::encode(deltas.at(j), delta)));
            const Array<unsigned char>& data = list[j].data;
            if (data.getSize() > 0) {
                out.put(data.getBase(), static_cast<size_t>(data.getSize()));
            }
        }
        if (count == 0 || !isEndOfTrack(list[count - 1])) {
            out.put(endOfTrackBytes, sizeof endOfTrackBytes);
        }
    }

    return outputfile.fail() ? 0 : 1;
}

//////////////////////////////
//
// MidiFile::write -- writes the file to a named file, replacing an
//     existing one.  A file that cannot be created ends the process.
//

int MidiFile::write(const char* aFile) {
    const char* name = aFile != nullptr ? aFile : "";
    std::ofstream outputfile(name, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!outputfile.is_open()) {
        std::cout << "Error: could not write: " << name << std::endl;
        fatalExit();
    }
    int status = write(outputfile);
    outputfile.close();
    if (outputfile.fail()) {
        status = 0;
    }
    return status;
}

//////////////////////////////
//
// MidiFile::writeVLValue -- appends aValue, taken as an unsigned 32-bit
//     number, as a variable-length quantity of one to four bytes; nothing
//     for a value above the largest quantity a file can hold, which write()
//     refuses before it writes anything.
//

void MidiFile::writeVLValue(long aValue, Array<unsigned char>& outdata) {
    unsigned char bytes[vlq::longestWritten];
    const int count = vlq::encode(static_cast<uint32_t>(aValue), bytes);
    for (int i = 0; i < count; i++) {
        outdata.append(bytes[i]);
    }
}

// MidiFile writer: the file as a Standard MIDI File, into any output stream
// or into a named file.

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>

#include "MidiFile.h"

namespace {

// Track data is collected in one array of this many bytes, grown by the
// same amount when a track needs more.
const int TRACK_BUFFER_SIZE = 1000000;

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

}  // namespace

//////////////////////////////
//
// MidiFile::write -- writes the file to the stream: type 0 for a single
//     track, else type 1; every message with its status byte; an
//     end-of-track event added to every track that does not end with one.
//     Returns 1, or 0 when the stream has failed.
//

int MidiFile::write(std::ostream& outputfile) {
    int oldTimeState = getTimeState();
    if (oldTimeState == 1) {
        deltaTime();
    }

    int tracks = getTrackCount();

    writeTag(outputfile, "MThd");
    writeBigEndian32(outputfile, 6);
    writeBigEndian16(outputfile, tracks == 1 ? 0 : 1);
    writeBigEndian16(outputfile, static_cast<unsigned long>(tracks));
    writeBigEndian16(outputfile, static_cast<unsigned int>(ticksPerQuarterNote));

    Array<unsigned char> trackdata(TRACK_BUFFER_SIZE);
    trackdata.setGrowth(TRACK_BUFFER_SIZE);

    for (int i = 0; i < tracks; i++) {
        trackdata.setSize(0);
        SigCollection<MFEvent>& track = *events[i];
        int count = static_cast<int>(track.getSize());
        for (int j = 0; j < count; j++) {
            MFEvent& event = track[j];
            writeVLValue(event.time, trackdata);
            int size = static_cast<int>(event.data.getSize());
            const unsigned char* bytes = event.data.getBase();
            for (int k = 0; k < size; k++) {
                trackdata.append(bytes[k]);
            }
        }

        if (count == 0 || !isEndOfTrack(track[count - 1])) {
            static const unsigned char endOfTrack[4] = {0x00, 0xFF, 0x2F, 0x00};
            for (unsigned char byte : endOfTrack) {
                trackdata.append(byte);
            }
        }

        writeTag(outputfile, "MTrk");
        writeBigEndian32(outputfile, static_cast<unsigned long>(trackdata.getSize()));
        outputfile.write(reinterpret_cast<const char*>(trackdata.getBase()),
                         static_cast<std::streamsize>(trackdata.getSize()));
    }

    if (oldTimeState == 1) {
        absoluteTime();
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
//     number, as a variable-length quantity of one to five bytes.
//

void MidiFile::writeVLValue(long aValue, Array<unsigned char>& outdata) {
    uint32_t value = static_cast<uint32_t>(aValue);
    unsigned char groups[5];
    groups[0] = static_cast<unsigned char>((value >> 28) & 0x0F);
    groups[1] = static_cast<unsigned char>((value >> 21) & 0x7F);
    groups[2] = static_cast<unsigned char>((value >> 14) & 0x7F);
    groups[3] = static_cast<unsigned char>((value >> 7) & 0x7F);
    groups[4] = static_cast<unsigned char>(value & 0x7F);

    int start = 0;
    while (start < 4 && groups[start] == 0) {
        start++;
    }
    for (int i = start; i < 4; i++) {
        unsigned char byte = groups[i] | 0x80;
        outdata.append(byte);
    }
    outdata.append(groups[4]);
}

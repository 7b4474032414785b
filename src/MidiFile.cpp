// The event record MFEvent and the core of MidiFile: construction, the
// accessors, adding tracks and events, and delta/absolute time conversion.

#include "MidiFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

//////////////////////////////
// MFEvent

MFEvent::MFEvent(int command) : time(0), track(0) {
    data.setSize(1);
    data[0] = static_cast<unsigned char>(command);
    data.allowGrowth(1);
}

MFEvent::MFEvent(int command, int param1) : time(0), track(0) {
    data.setSize(2);
    data[0] = static_cast<unsigned char>(command);
    data[1] = static_cast<unsigned char>(param1);
    data.allowGrowth(1);
}

MFEvent::MFEvent(int command, int param1, int param2) : time(0), track(0) {
    data.setSize(3);
    data[0] = static_cast<unsigned char>(command);
    data[1] = static_cast<unsigned char>(param1);
    data[2] = static_cast<unsigned char>(param2);
    data.allowGrowth(1);
}

MFEvent::MFEvent(int aTrack, int command, int param1, int param2)
    : MFEvent(command, param1, param2) {
    track = aTrack;
}

MFEvent::MFEvent(int aTime, int aTrack, int command, int param1, int param2)
    : MFEvent(command, param1, param2) {
    time = aTime;
    track = aTrack;
}

MFEvent::MFEvent(int aTime, int aTrack, const Array<unsigned char>& someData)
    : time(aTime), track(aTrack) {
    data = someData;
    data.allowGrowth(0);
}

MFEvent::MFEvent(const MFEvent& mfevent) : time(mfevent.time), track(mfevent.track) {
    data = mfevent.data;
    data.allowGrowth(0);
}

MFEvent::MFEvent(MFEvent&& mfevent) noexcept
    : time(mfevent.time), track(mfevent.track), data(std::move(mfevent.data)) {}

MFEvent::~MFEvent() {
    time = -1;
    track = -1;
    data.setSize(0);
}

MFEvent& MFEvent::operator=(const MFEvent& mfevent) {
    if (this == &mfevent) {
        return *this;
    }
    time = mfevent.time;
    track = mfevent.track;
    data.setSize(mfevent.data.getSize());
    const long count = mfevent.data.getSize();
    if (count > 0) {
        std::memcpy(data.getBase(), mfevent.data.getBase(), static_cast<size_t>(count));
    }
    return *this;
}

int MFEvent::getCommandNibble() const {
    if (data.getSize() < 1) {
        return -1;
    }
    return data[0] & 0xF0;
}

int MFEvent::getChannelNibble() const {
    if (data.getSize() < 1) {
        return -1;
    }
    return data[0] & 0x0F;
}

// These tests index through operator[], so on an empty event with
// index-growth on they append a byte before looking at it.
int MFEvent::isMeta() {
    return data[0] == 0xFF && data.getSize() > 2;
}

int MFEvent::isTempo() {
    return data[0] == 0xFF && data.getSize() > 2 && data[1] == 0x51 && data.getSize() == 6;
}

int MFEvent::isNoteOff() const {
    if (data.getSize() != 3) {
        return 0;
    }
    if ((data[0] & 0xF0) == 0x80) {
        return 1;
    }
    return (data[0] & 0xF0) == 0x90 && data[2] == 0;
}

int MFEvent::isNoteOn() const {
    if (data.getSize() != 3) {
        return 0;
    }
    return (data[0] & 0xF0) == 0x90 && data[2] != 0;
}

int MFEvent::isTimbre() {
    return (data[0] & 0xF0) == 0xC0 && data.getSize() == 2;
}

int MFEvent::getTempoMicro() {
    if (!isTempo()) {
        return -1;
    }
    return (data[3] << 16) + (data[4] << 8) + data[5];
}

int MFEvent::getTempoMicroseconds() {
    return getTempoMicro();
}

double MFEvent::getTempoSeconds() {
    int micro = getTempoMicro();
    if (micro < 0) {
        return -1.0;
    }
    return micro / 1000000.0;
}

double MFEvent::getTempoBPM() {
    int micro = getTempoMicro();
    if (micro < 0) {
        return -1.0;
    }
    return 60000000.0 / micro;
}

double MFEvent::getTempoTPS(int tpq) {
    int micro = getTempoMicro();
    if (micro < 0) {
        return -1.0;
    }
    return (1000000.0 / micro) * tpq;
}

double MFEvent::getTempoSPT(int tpq) {
    int micro = getTempoMicro();
    if (micro < 0) {
        return -1.0;
    }
    return (micro / 1000000.0) / tpq;
}

//////////////////////////////
// MidiFile core

// A new empty track list with index-growth on and storage for `reserve`
// events.  Past that storage the track grows 8 events at a time.
SigCollection<MFEvent>* MidiFile::newTrack(int reserve) {
    auto* track = new SigCollection<MFEvent>;
    if (reserve > 0) {
        track->setAllocSize(reserve);  // storage only: events are made as they come
    }
    track->allowGrowth(1);
    return track;
}

void MidiFile::appendToTrack(SigCollection<MFEvent>& track, const MFEvent& anEvent) {
    if (track.getSize() == track.getAllocSize()) {
        const MFEvent copy(anEvent);  // anEvent may move with the track's storage
        newEvent(track) = copy;
    } else {
        newEvent(track) = anEvent;
    }
}

MidiFile::MidiFile()
    : ticksPerQuarterNote(48), trackCount(1), theTrackState(0), theTimeState(0),
      timemapvalid(0), timemapFinalSecondsPerTick(0.0) {
    events.setSize(1);
    events[0] = newTrack(0);
    readFileName.setSize(1);
    readFileName[0] = '\0';
    readFileName.allowGrowth(1);
    timemap.setSize(0);
}

MidiFile::MidiFile(const char* aFile) : MidiFile() {
    read(aFile);
}

MidiFile::~MidiFile() {
    readFileName.setSize(1);
    readFileName[0] = '\0';
    erase();
    releaseTracks();
    timemap.setSize(0);
}

void MidiFile::releaseTracks() {
    SigCollection<MFEvent>** tracks = events.getBase();
    for (long i = 0; i < events.getSize(); i++) {
        releaseTrack(tracks[i]);
        tracks[i] = nullptr;
    }
    events.setSize(0);
}

void MidiFile::erase() {
    releaseTracks();
    events.setSize(1);
    events[0] = newTrack(0);
    timemap.setSize(0);
    timemapvalid = 0;
}

void MidiFile::clear() {
    erase();
}

void MidiFile::setFilename(const char* aname) {
    if (aname == nullptr) {
        return;
    }
    const char* slash = std::strrchr(aname, '/');
    const char* base = slash ? slash + 1 : aname;
    const long length = static_cast<long>(std::strlen(base));
    readFileName.setSize(length + 1);
    std::memcpy(readFileName.getBase(), base, static_cast<size_t>(length) + 1);
}

const char* MidiFile::getFilename() {
    return readFileName.getBase();
}

int MidiFile::getTrackCount() {
    return static_cast<int>(events.getSize());
}

int MidiFile::getNumTracks() {
    return getTrackCount();
}

int MidiFile::getTicksPerQuarterNote() {
    return ticksPerQuarterNote;
}

void MidiFile::setTicksPerQuarterNote(int ticks) {
    ticksPerQuarterNote = ticks;
}

// 25 frames per second, 40 ticks per frame: one tick per millisecond.
void MidiFile::setMillisecondDelta() {
    ticksPerQuarterNote = 0xE728;
}

int MidiFile::getTimeState() {
    return theTimeState;
}

int MidiFile::getTrackState() {
    return theTrackState;
}

int MidiFile::addTrack() {
    const int index = getTrackCount();
    events.setSize(index + 1);
    events[index] = newTrack(10000);
    return index;
}

int MidiFile::addTrack(int count) {
    for (int i = 0; i < count; i++) {
        addTrack();
    }
    return getTrackCount() - 1;
}

void MidiFile::allocateEvents(int track, int aSize) {
    SigCollection<MFEvent>& list = ownTrack(track);
    if (list.getSize() < aSize && list.getAllocSize() < aSize) {
        list.setAllocSize(aSize);
    }
}

int MidiFile::addEvent(int aTrack, int aTime, Array<unsigned char>& midiData) {
    timemapvalid = 0;
    SigCollection<MFEvent>& list = ownTrack(aTrack);
    auto append = [&](const Array<unsigned char>& bytes) {
        MFEvent& added = newEvent(list);
        added.time = aTime;
        added.track = aTrack;
        const long count = bytes.getSize();
        added.data.setSize(count);
        if (count > 0) {
            std::memcpy(added.data.getBase(), bytes.getBase(), static_cast<size_t>(count));
        }
        return static_cast<int>(list.getSize()) - 1;
    };
    if (list.getSize() == list.getAllocSize()) {
        // The bytes may belong to an event of this track, which moves when
        // the track's storage grows.
        const Array<unsigned char> copy(midiData);
        return append(copy);
    }
    return append(midiData);
}

int MidiFile::addEvent(MFEvent& mfevent) {
    const int target = theTrackState == 1 ? 0 : mfevent.track;
    appendToTrack(ownTrack(target), mfevent);
    return static_cast<int>(events[target]->getSize()) - 1;
}

void MidiFile::absoluteTime() {
    if (theTimeState == 1) {
        return;
    }
    for (int i = 0; i < getTrackCount(); i++) {
        SigCollection<MFEvent>& list = *events[i];
        if (list.getSize() == 0) {
            continue;
        }
        // Ticks are summed modulo 2^32, so that times beyond the range of
        // int wrap around as they do in a file, and deltaTime undoes them.
        unsigned int sum = static_cast<unsigned int>(list[0].time);
        for (int j = 1; j < list.getSize(); j++) {
            sum += static_cast<unsigned int>(list[j].time);
            list[j].time = static_cast<int>(sum);
        }
    }
    theTimeState = 1;
}

void MidiFile::deltaTime() {
    if (theTimeState == 0) {
        return;
    }
    for (int i = 0; i < getTrackCount(); i++) {
        SigCollection<MFEvent>& list = *events[i];
        if (list.getSize() == 0) {
            continue;
        }
        // Differences modulo 2^32, the inverse of absoluteTime's sums.
        unsigned int previous = static_cast<unsigned int>(list[0].time);
        for (int j = 1; j < list.getSize(); j++) {
            const unsigned int current = static_cast<unsigned int>(list[j].time);
            list[j].time = static_cast<int>(current - previous);
            previous = current;
        }
    }
    theTimeState = 0;
}

int MidiFile::getTrack(int track, int index) {
    return getEvent(track, index).track;
}

int MidiFile::getCommandNibble(int track, int index) {
    return getEvent(track, index).getCommandNibble();
}

int MidiFile::getChannelNibble(int track, int index) {
    return getEvent(track, index).getChannelNibble();
}

int MidiFile::isMeta(int track, int index) {
    return getEvent(track, index).isMeta();
}

int MidiFile::isTempo(int track, int index) {
    return getEvent(track, index).isTempo();
}

int MidiFile::isNoteOn(int track, int index) {
    return getEvent(track, index).isNoteOn();
}

int MidiFile::isNoteOff(int track, int index) {
    return getEvent(track, index).isNoteOff();
}

int MidiFile::isTimbre(int track, int index) {
    return getEvent(track, index).isTimbre();
}

int MidiFile::getTempoMicro(int track, int index) {
    return getEvent(track, index).getTempoMicro();
}

int MidiFile::getTempoMicroseconds(int track, int index) {
    return getEvent(track, index).getTempoMicroseconds();
}

double MidiFile::getTempoSeconds(int track, int index) {
    return getEvent(track, index).getTempoSeconds();
}

double MidiFile::getTempoBPM(int track, int index) {
    return getEvent(track, index).getTempoBPM();
}

double MidiFile::getTempoTPS(int track, int index) {
    return getEvent(track, index).getTempoTPS(ticksPerQuarterNote);
}

double MidiFile::getTempoSPT(int track, int index) {
    return getEvent(track, index).getTempoSPT(ticksPerQuarterNote);
}

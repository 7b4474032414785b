// MidiFile: a Standard MIDI File kept in memory as tracks of MFEvent.
//
// The file reads and writes Standard MIDI Files (types 0 and 1), keeps its
// events either in delta or in absolute ticks, joins, splits, merges and
// sorts tracks, answers timing questions through a tempo map, and dumps
// itself as text.  Operations return 1 or 0, a count or an index; nothing
// throws.  Fatal errors print one message and end the process with status 1.

#ifndef MIDIFILE_H
#define MIDIFILE_H

#include <cstddef>
#include <cstdint>
#include <iostream>

#include "Array.h"
#include "FileIO.h"

// One MIDI event: tick time, owning track and the message bytes, status
// byte first (a meta event is FF, type, length, payload).
class MFEvent {
  public:
    MFEvent() : time(0), track(0) {
        data.setSize(0);
        data.allowGrowth(1);
    }
    explicit MFEvent(int command);
    MFEvent(int command, int param1);
    MFEvent(int command, int param1, int param2);
    MFEvent(int aTrack, int command, int param1, int param2);
    MFEvent(int aTime, int aTrack, int command, int param1, int param2);
    MFEvent(int aTime, int aTrack, const Array<unsigned char>& someData);
    MFEvent(const MFEvent& mfevent);
    // Moves the event as it is, bytes and their storage: what a track does
    // with its events when its storage grows.
    MFEvent(MFEvent&& mfevent) noexcept;
    ~MFEvent();

    MFEvent& operator=(const MFEvent& mfevent);

    int getCommandNibble() const;
    int getChannelNibble() const;
    int isMeta();
    int isTempo();
    int isNoteOff() const;
    int isNoteOn() const;
    int isTimbre();
    int getTempoMicro();
    int getTempoMicroseconds();
    double getTempoSeconds();
    double getTempoBPM();
    double getTempoTPS(int tpq);
    double getTempoSPT(int tpq);

    int time;
    int track;
    Array<unsigned char> data;
};

// Events are stored by the million: keep them small.
static_assert(sizeof(MFEvent) <= 32, "an event takes at most 32 bytes");

// One point of the tempo map.
struct _TickTime {
    int tick;
    double seconds;
};

class MidiFile {
  public:
    MidiFile();
    explicit MidiFile(const char* aFile);
    MidiFile(const MidiFile&) = delete;
    MidiFile& operator=(const MidiFile&) = delete;
    ~MidiFile();

    // core
    void erase();
    void clear();
    void setFilename(const char* aname);
    const char* getFilename();
    int getTrackCount();
    int getNumTracks();
    int getNumEvents(int aTrack) { return static_cast<int>(events[aTrack]->getSize()); }
    MFEvent& getEvent(int aTrack, int anIndex) { return ownTrack(aTrack)[anIndex]; }
    int getTicksPerQuarterNote();
    void setTicksPerQuarterNote(int ticks);
    void setMillisecondDelta();
    int getTimeState();
    int getTrackState();
    int addTrack();
    int addTrack(int count);
    void allocateEvents(int track, int aSize);
    int addEvent(int aTrack, int aTime, Array<unsigned char>& midiData);
    int addEvent(MFEvent& mfevent);
    void absoluteTime();
    void deltaTime();
    int getTrack(int track, int index);
    int getCommandNibble(int track, int index);
    int getChannelNibble(int track, int index);
    int isMeta(int track, int index);
    int isTempo(int track, int index);
    int isNoteOn(int track, int index);
    int isNoteOff(int track, int index);
    int isTimbre(int track, int index);
    int getTempoMicro(int track, int index);
    int getTempoMicroseconds(int track, int index);
    double getTempoSeconds(int track, int index);
    double getTempoBPM(int track, int index);
    double getTempoTPS(int track, int index);
    double getTempoSPT(int track, int index);

    // reading: from a named file, or from the bytes of a whole file in
    // memory or in a stream (aName, when given, is the name the reader's
    // messages show and becomes the file name).
    int read(const char* aFile);
    int read(const unsigned char* someBytes, long aSize, const char* aName = nullptr);
    int read(std::istream& anInput, const char* aName = nullptr);

    // track editing
    int addMetaEvent(int aTrack, int aTime, int aType, Array<unsigned char>& metaData);
    int addMetaEvent(int aTrack, int aTime, int aType, const char* metaData);
    int addPitchBend(int aTrack, int aTime, int aChannel, double amount);
    void sortTrack(SigCollection<MFEvent>& trackData);
    void sortTracks();
    void joinTracks();
    void splitTracks();
    void mergeTracks(int aTrack1, int aTrack2);
    int getTrackCountAsType1();
    void deleteTrack(int aTrack);

    // writing
    int write(std::ostream& outputfile);
    int write(const char* aFile);

    // tempo map and timing queries
    void doTimeInSecondsAnalysis();
    double getTimeInSeconds(int tickvalue);
    double getTimeInSeconds(int aTrack, int anIndex);
    int getAbsoluteTickTime(double starttime);

    friend std::ostream& operator<<(std::ostream& out, MidiFile& aMidiFile);

  protected:
    SigCollection<SigCollection<MFEvent>*> events;
    int ticksPerQuarterNote;
    int trackCount;
    int theTrackState;
    int theTimeState;
    Array<char> readFileName;
    int timemapvalid;
    Array<_TickTime> timemap;
    // Seconds per tick in force after the last point of the tempo map, for
    // times asked beyond it.
    double timemapFinalSecondsPerTick;

  private:
    // reading: the file's bytes are read into memory first and decoded from
    // there, so that no declared length is trusted before its bytes exist.
    struct ReadCursor;  // defined by the reader
    int decode(const unsigned char* bytes, size_t size, const char* aName);
    // Decodes the events of one track chunk straight into track aTrack;
    // returns 0 when its ticks add up past the range of int.
    int decodeTrack(ReadCursor& input, int aTrack, unsigned char& runningCommand,
                    bool chunkEndIsBoundary, size_t declaredEnd);
    unsigned long extractVlvTime(ReadCursor& input);
    unsigned long unpackVLV(unsigned char a, unsigned char b, unsigned char c,
                            unsigned char d, unsigned char e);
    // Reads one message; returns 1 when it is complete, 0 when the bytes
    // ran out before its end.
    int extractMidiData(ReadCursor& input, Array<unsigned char>& array,
                        unsigned char& runningCommand);
    // track editing
    int makeVLV(unsigned char* buffer, int number);
    // writing
    void writeVLValue(long aValue, Array<unsigned char>& outdata);
    // tempo map
    void buildTimeMap();
    int linearTickInterpolationAtSecond(double seconds);
    static int ticksearch(const void* A, const void* B);
    static int secondsearch(const void* A, const void* B);
    // construction helpers
    static SigCollection<MFEvent>* newTrack(int reserve);
    // Stands for each track that a header announced and the reader never
    // reached: an empty list without storage, shared, so that a 15-byte
    // file announcing 65535 tracks costs one pointer per track and not a
    // list each.  Nothing is ever added to it: a track gets a list of its
    // own (ownTrack) before anything may change it, and releaseTrack leaves
    // it alone.
    SigCollection<MFEvent> unreachedTrack;
    SigCollection<MFEvent>& ownTrack(int aTrack) {
        SigCollection<MFEvent>*& track = events[aTrack];
        if (track == &unreachedTrack) {
            track = newTrack(0);
        }
        return *track;
    }
    void releaseTrack(SigCollection<MFEvent>* track) {
        if (track != &unreachedTrack) {
            delete track;
        }
    }
    // Releases every track list and leaves none.
    void releaseTracks();
    // A new last event of the track, as a default event would be if the
    // slot was never used; a full track doubles its storage (at least by
    // its growth amount), so filling a track of any length moves each event
    // only a few times.  The caller fills in time, track and bytes.
    static MFEvent& newEvent(SigCollection<MFEvent>& track) {
        if (track.getSize() == track.getAllocSize()) {
            track.grow(track.getGrowth() > track.getSize() ? track.getGrowth() : track.getSize());
        }
        return track.increase(1);
    }
    // Appends a copy of the event (time, track and bytes) to the track.
    static void appendToTrack(SigCollection<MFEvent>& track, const MFEvent& anEvent);
};

// The event order used by every sort of the library, as a qsort-style
// comparison of two MFEvent records.
int eventcompare(const void* a, const void* b);

std::ostream& operator<<(std::ostream& out, MidiFile& aMidiFile);

#endif

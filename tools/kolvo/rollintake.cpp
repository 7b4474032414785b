// Joining the tracks of a roll and shifting its holes.

#include "rollintake.h"

#include <algorithm>
#include <set>
#include <sstream>
#include <vector>

#include "arrangement.h"
#include "organs.h"
#include "rolltext.h"

namespace {

RollIntake current;

bool isNote(const MFEvent& e) {
    return e.data.getSize() == 3 && (e.data[0] & 0xE0) == 0x80;
}

bool isEndOfTrack(const MFEvent& e) {
    return e.data.getSize() >= 2 && e.data[0] == 0xFF && e.data[1] == 0x2F;
}

// The library keeps a system-exclusive message as its status byte alone,
// which cannot be written back; no translator reads one.
bool isSystemExclusive(const MFEvent& e) {
    return e.data.getSize() > 0 && (e.data[0] == 0xF0 || e.data[0] == 0xF7);
}

// Track 2 "Bass", or track 2 when it has no name.
std::string trackName(MidiFile& midi, int track) {
    std::string name;
    for (int index = 0; index < midi.getNumEvents(track) && name.empty(); index++) {
        const MFEvent& e = midi.getEvent(track, index);
        if (isMetaOfType(e, metaTrackName)) {
            appendMetaPayload(e, name);
        }
    }
    const std::string number = "track " + std::to_string(track);
    return name.empty() ? number : number + " \"" + printableText(name) + "\"";
}

// Where the notes of a file lie: the tracks that have any, named, and
// their channels, 1 to 16.
struct NotePlaces {
    std::vector<std::string> tracks;
    std::set<std::string> channels;
};

NotePlaces notePlaces(MidiFile& midi) {
    NotePlaces places;
    for (int track = 0; track < midi.getTrackCount(); track++) {
        bool notes = false;
        for (int index = 0; index < midi.getNumEvents(track); index++) {
            const MFEvent& e = midi.getEvent(track, index);
            if (isNote(e)) {
                notes = true;
                places.channels.insert(std::to_string((e.data[0] & 0x0F) + 1));
            }
        }
        if (notes) {
            places.tracks.push_back(trackName(midi, track));
        }
    }
    return places;
}

// Why the notes of the file cannot be joined without --join: they lie on
// several tracks, or on several channels; empty when they can.
std::string scatteredNotes(MidiFile& midi) {
    const NotePlaces places = notePlaces(midi);
    const std::vector<std::string> channels(places.channels.begin(), places.channels.end());
    const size_t tracks = places.tracks.size();
    if (tracks <= 1 && channels.size() <= 1) {
        return "";
    }
    return "notes on " +
           (tracks > 1 ? std::to_string(tracks) + " tracks (" + joinedList(places.tracks, " and ")
                       : std::to_string(channels.size()) + " channels (" +
                             joinedList(channels, " and ")) +
           "), a roll has them on one: --join joins them";
}

}  // namespace

bool takeIn(RollFile& roll, const RollIntake& intake, const char*& rule,
            std::string& refusal) {
    MidiFile midi;
    std::string unread;
    if (!readMidiFile(roll, midi, unread)) {
        return true;  // the arrangement says why no organ reads it
    }
    const int trackCount = midi.getTrackCount();
    roll.tracks = trackCount;
    if (midi.getTicksPerQuarterNote() <= 0) {
        return true;  // so does it for a file timed in SMPTE frames
    }
    if (trackCount == 1 && intake.shift == 0) {
        return true;
    }
    if (trackCount > 1 && !intake.join) {
        refusal = scatteredNotes(midi);
        if (!refusal.empty()) {
            rule = refusalRule::tracks;
            return false;
        }
    }

    midi.absoluteTime();
    std::vector<const MFEvent*> events;
    int lastTick = 0;
    for (int track = 0; track < trackCount; track++) {
        for (int index = 0; index < midi.getNumEvents(track); index++) {
            const MFEvent& e = midi.getEvent(track, index);
            lastTick = std::max(lastTick, e.time);
            if (!isEndOfTrack(e) && !isSystemExclusive(e)) {
                events.push_back(&e);
            }
        }
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const MFEvent* a, const MFEvent* b) { return a->time < b->time; });

    MidiFile joined;
    joined.setTicksPerQuarterNote(midi.getTicksPerQuarterNote());
    joined.absoluteTime();
    for (const MFEvent* e : events) {
        Array<unsigned char> data = e->data;
        if (isNote(*e)) {
            const int key = data[1] + intake.shift;
            if (key < 0 || key > 127) {
                rule = refusalRule::shift;
                refusal = "--shift " + std::to_string(intake.shift) + " moves hole " +
                          std::to_string(data[1]) + " off the tracker bar (0 to 127)";
                return false;
            }
            data[1] = static_cast<unsigned char>(key);
        }
        joined.addEvent(0, e->time, data);
    }
    Array<unsigned char> end;
    end.setSize(3);
    end[0] = 0xFF;
    end[1] = 0x2F;
    end[2] = 0x00;
    joined.addEvent(0, lastTick, end);  // where the longest track ended
    std::ostringstream bytes;
    joined.write(bytes);
    roll.bytes = bytes.str();
    roll.shift = intake.shift;
    return true;
}

void setRollIntake(const RollIntake& intake) {
    current = intake;
}

const RollIntake& rollIntake() {
    return current;
}

// Joining the tracks of a roll and shifting its holes.

#include "rollintake.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "arrangement.h"
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

std::string tracksWithNotes(MidiFile& midi, std::vector<int>& tracks) {
    std::vector<std::string> names;
    for (int track = 0; track < midi.getTrackCount(); track++) {
        for (int index = 0; index < midi.getNumEvents(track); index++) {
            if (isNote(midi.getEvent(track, index))) {
                tracks.push_back(track);
                names.push_back(trackName(midi, track));
                break;
            }
        }
    }
    std::string list;
    for (size_t i = 0; i < names.size(); i++) {
        list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    }
    return list;
}

}  // namespace

bool takeIn(RollFile& roll, const RollIntake& intake, const char*& rule,
            std::string& refusal) {
    MidiFile midi;
    std::string unread;
    if (!readMidiFile(roll, midi, unread) || midi.getTicksPerQuarterNote() <= 0) {
        return true;  // the arrangement says why no organ reads it
    }
    const int trackCount = midi.getTrackCount();
    roll.tracks = trackCount;
    if (trackCount == 1 && intake.shift == 0) {
        return true;
    }
    std::vector<int> noteTracks;
    const std::string names = tracksWithNotes(midi, noteTracks);
    if (noteTracks.size() > 1 && !intake.join) {
        rule = refusalRule::tracks;
        refusal = "notes on " + std::to_string(noteTracks.size()) + " tracks (" + names +
                  "), a roll has them on one: --join joins them";
        return false;
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

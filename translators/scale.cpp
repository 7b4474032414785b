// Translating and describing a hole of any organ's scale, and the names of
// notes and drums.

#include "scale.h"

#include "playnote.h"
#include "runstate.h"

namespace scale {

void translateHole(const Scale& scale, double start, double duration, int hole) {
    if (hole < scale.lowestHole || hole > scale.highestHole) {
        ++outofrangecount;
        return;
    }
    const HoleRow& row = scale.rows[hole - scale.lowestHole];
    const Action& action = *row.action;
    if (action.work != nullptr) {
        action.work(start);
    }
    for (int i = 0; i < action.voiceCount; ++i) {
        const Voice& v = action.voices[i];
        if (v.onlyWhile == nullptr || *v.onlyWhile) {
            playnote(start + v.delay, duration, row.note, v.vel, v.track, v.track);
        }
    }
    if (row.counted) {
        ++requirednotecount;
    }
}

HoleInfo describeHole(const Scale& scale, int hole) {
    const HoleRow& row = scale.rows[hole - scale.lowestHole];
    const Action& action = *row.action;
    HoleInfo info{hole, action.kind, action.word, row.note, row.counted, {}};
    if (action.control >= 0) {
        info.label = scale.controls[action.control].label + info.label;
    } else if (action.kind == HoleKind::Percussion) {
        info.label = drumName(row.note);
    } else if (action.voiceCount > 0) {
        info.label += " " + noteName(row.note);
    }
    for (int i = 0; i < action.voiceCount; ++i) {
        info.tracks.push_back(action.voices[i].track);
    }
    return info;
}

std::string noteName(int note) {
    static const char* const names[] = {"C", "C#", "D", "D#", "E", "F",
                                        "F#", "G", "G#", "A", "A#", "B"};
    return names[((note % 12) + 12) % 12] + std::to_string(note / 12 - 1);
}

std::string drumName(int note) {
    switch (note) {
        case 35: return "Bass drum";
        case 38: return "Snare drum";
        case 40: return "Electric snare";
        case 57: return "Crash cymbal";
        case 64: return "Low conga";
        case 81: return "Open triangle";
        case 85: return "Castanets";
        default: return "Drum " + std::to_string(note);
    }
}

}  // namespace scale

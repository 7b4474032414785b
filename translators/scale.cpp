// Names of notes and drums, as the hole descriptions give them.

#include "scale.h"

namespace scale {

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

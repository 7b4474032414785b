// What kolvo info tells of a roll: the plain report and the JSON one.

#include "report.h"

#include <cmath>
#include <iomanip>
#include <map>
#include <ostream>
#include <sstream>

#include "arrangement.h"
#include "json.h"

namespace {

// The sections in which holes are counted, by what the organ does with
// them.
const char* const sectionNames[] = {"bass",       "accompaniment", "melody", "trumpet",
                                    "percussion", "control",       "silent"};

int sectionOf(HoleKind kind) {
    switch (kind) {
        case HoleKind::Bass: return 0;
        case HoleKind::Accompaniment: return 1;
        case HoleKind::Melody: return 2;
        case HoleKind::Trumpet: return 3;
        case HoleKind::Percussion: return 4;
        case HoleKind::Register:
        case HoleKind::Shutter:
        case HoleKind::Cancel: return 5;
        case HoleKind::Nothing: return 6;
    }
    return 6;
}

struct ControlCount {
    int hole;
    std::string label;
    int count;
};

struct HoleCounts {
    int sections[7] = {};
    int outsideScale = 0;
    std::vector<ControlCount> controls;  // every control hole of the scale
};

HoleCounts countHoles(const Arrangement& a) {
    HoleCounts counts;
    const Organ& organ = *a.organ;
    std::map<int, int> perHole;
    for (const RollHole& h : a.holes) {
        if (h.hole < organ.lowestHole || h.hole > organ.highestHole) {
            counts.outsideScale++;
        } else {
            perHole[h.hole]++;
        }
    }
    for (int hole = organ.lowestHole; hole <= organ.highestHole; hole++) {
        const HoleInfo info = organ.describeHole(hole);
        const int section = sectionOf(info.kind);
        counts.sections[section] += perHole[hole];
        if (section == 5) {
            counts.controls.push_back({hole, info.label, perHole[hole]});
        }
    }
    return counts;
}

const char* textLabel(int type) {
    return type == metaCopyright ? "Copyright" : type == metaTrackName ? "Title" : "Text";
}

const char* jsonTextKey(int type) {
    return type == metaCopyright ? "copyright" : type == metaTrackName ? "title" : "text";
}

std::string tempoText(double tempo) {
    std::ostringstream text;
    text << tempo;  // as the players print it
    return text.str();
}

void line(std::ostream& out, const std::string& label, const std::string& value) {
    out << "  " << label << ": " << value << "\n";
}

// The organ's controls, and every change of their state at its time in
// seconds of playing time (to the millisecond).
void printJsonTimeline(const Arrangement& a, std::ostream& out) {
    const Rows<OrganControl>& controls = a.organ->controls;
    out << ", \"controls\": [";
    for (const OrganControl& c : controls) {
        out << (&c == controls.begin() ? "" : ", ") << "{\"name\": " << jsonString(c.name)
            << ", \"label\": " << jsonString(c.label) << "}";
    }
    out << "], \"timeline\": [";
    for (const ControlChange& c : a.controlChanges) {
        const double seconds = std::round(a.playedSeconds(c.rollSeconds) * 1000.0) / 1000.0;
        out << (&c == &a.controlChanges.front() ? "" : ", ") << "{\"time\": " << jsonNumber(seconds)
            << ", \"control\": " << jsonString(controls[c.control].name)
            << ", \"on\": " << (c.on ? "true" : "false") << "}";
    }
    out << "]";
}

}  // namespace

void printReport(const Arrangement& a, const std::string& path, std::ostream& out) {
    out << path << "\n";
    line(out, "Organ", a.organ != nullptr ? std::string("Wurlitzer ") + a.organ->name
                                          : "neither: " + a.refusal);
    line(out, "Ticks per quarter note", std::to_string(a.ticksPerQuarterNote));
    if (!a.readable) {
        for (const RollText& t : a.texts) {
            line(out, textLabel(t.type), t.text);
        }
        return;
    }
    if (!a.rollHasTempo) {
        line(out, "Input tempo", "none");
    } else {
        line(out, "Input tempo",
             tempoText(a.inputTempo) + (a.inputTempoUsed ? "" : " (out of range, not used)"));
    }
    line(out, "Output tempo", tempoText(a.outputTempo));
    for (const RollText& t : a.texts) {
        line(out, textLabel(t.type), t.text);
    }
    if (a.organ == nullptr) {
        return;
    }
    out << "  " << a.playingTime << "\n";
    const HoleCounts counts = countHoles(a);
    std::ostringstream sections;
    for (int s = 0; s < 7; s++) {
        sections << (s == 0 ? "" : ", ") << sectionNames[s] << " " << counts.sections[s];
    }
    sections << ", outside the scale " << counts.outsideScale;
    line(out, "Holes", sections.str());
    out << "  Control holes:\n";
    for (const ControlCount& c : counts.controls) {
        out << "    " << std::right << std::setw(3) << c.hole << "  " << std::left
            << std::setw(22) << c.label << std::right << std::setw(6) << c.count << "\n";
    }
}

void printJson(const Arrangement& a, const std::vector<Arrangement>& tried,
               const std::string& path, std::ostream& out) {
    out << "{\"file\": " << jsonString(path);
    out << ", \"organ\": " << (a.organ != nullptr ? jsonString(a.organ->name) : "null");
    if (!a.refusal.empty()) {
        out << ", \"refusal\": " << jsonString(a.refusal);
    }
    out << ", \"ticks_per_quarter_note\": " << a.ticksPerQuarterNote;
    out << ", \"one_track_roll\": " << (a.readable ? "true" : "false");
    for (int type : {metaCopyright, metaTrackName, metaText}) {
        out << ", \"" << jsonTextKey(type) << "\": [";
        const char* separator = "";
        for (const RollText& t : a.texts) {
            if (t.type == type) {
                out << separator << jsonString(t.text);
                separator = ", ";
            }
        }
        out << "]";
    }
    if (a.readable) {
        out << ", \"input_tempo\": " << (a.rollHasTempo ? jsonNumber(a.inputTempo) : "null");
        out << ", \"input_tempo_used\": " << (a.inputTempoUsed ? "true" : "false");
        out << ", \"output_tempo\": " << jsonNumber(a.outputTempo);
    }
    out << ", \"organs\": {";
    const char* separator = "";
    for (const Arrangement& attempt : tried) {
        if (!attempt.readable) {
            continue;
        }
        out << separator << jsonString(attempt.organ->name)
            << ": {\"fits\": " << (attempt.playable() ? "true" : "false")
            << ", \"holes_outside_scale\": " << attempt.holesOutsideScale
            << ", \"required_holes\": " << attempt.requiredHoles << "}";
        separator = ", ";
    }
    out << "}";
    if (a.organ != nullptr) {
        out << ", \"playing_seconds\": " << a.playingSeconds;
        const HoleCounts counts = countHoles(a);
        out << ", \"holes\": {";
        for (int s = 0; s < 7; s++) {
            out << "\"" << sectionNames[s] << "\": " << counts.sections[s] << ", ";
        }
        out << "\"outside_scale\": " << counts.outsideScale << "}";
        out << ", \"control_holes\": [";
        for (const ControlCount& c : counts.controls) {
            out << (&c == &counts.controls.front() ? "" : ", ") << "{\"hole\": " << c.hole
                << ", \"label\": " << jsonString(c.label) << ", \"count\": " << c.count << "}";
        }
        out << "]";
        printJsonTimeline(a, out);
    }
    out << "}";
}

void printJsonError(const std::string& path, const std::string& error, std::ostream& out) {
    out << "{\"file\": " << jsonString(path) << ", \"error\": " << jsonString(error) << "}";
}

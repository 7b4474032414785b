// What kolvo info tells of a roll: the plain report and the JSON one.

#include "report.h"

#include <cmath>
#include <iomanip>
#include <map>
#include <ostream>
#include <sstream>

#include "arrangement.h"
#include "json.h"
#include "organs.h"

namespace {

// The object's keys in their order, each written by the caller after key().
class JsonObject {
  public:
    explicit JsonObject(std::ostream& out) : out_(out) { out_ << "{"; }
    ~JsonObject() { out_ << "}"; }
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;
    std::ostream& key(const char* name) {
        out_ << (first_ ? "\"" : ", \"") << name << "\": ";
        first_ = false;
        return out_;
    }

  private:
    std::ostream& out_;
    bool first_ = true;
};

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
void printJsonTimeline(const Arrangement& a, JsonObject& object) {
    const Rows<OrganControl>& controls = a.organ->controls;
    std::ostream& out = object.key("controls");
    out << "[";
    for (const OrganControl& c : controls) {
        out << (&c == controls.begin() ? "" : ", ") << "{\"name\": " << jsonString(c.name)
            << ", \"label\": " << jsonString(c.label) << "}";
    }
    out << "]";
    object.key("timeline") << "[";
    for (const ControlChange& c : a.controlChanges) {
        const double seconds = std::round(a.playedSeconds(c.rollSeconds) * 1000.0) / 1000.0;
        out << (&c == &a.controlChanges.front() ? "" : ", ") << "{\"time\": " << jsonNumber(seconds)
            << ", \"control\": " << jsonString(controls[c.control].name)
            << ", \"on\": " << (c.on ? "true" : "false") << "}";
    }
    out << "]";
}

}  // namespace

void printReport(const Arrangement& a, const RollFile& roll, std::ostream& out) {
    out << roll.path << "\n";
    line(out, "Organ", a.organ != nullptr ? std::string("Wurlitzer ") + a.organ->name
                                          : "neither: " + a.refusal);
    for (const RollAdvice& advice : a.advice) {
        line(out, "Advice", advice.message);
    }
    if (roll.tracks > 1) {
        line(out, "Tracks", std::to_string(roll.tracks) + (a.readable ? ", joined into one" : ""));
    }
    if (roll.shift != 0) {
        line(out, "Shift", std::to_string(roll.shift) + " keys");
    }
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

namespace {

std::string organNumber(const Organ* organ) {
    return organ != nullptr ? organ->name : "null";
}

std::string hundredths(double value) {
    return jsonNumber(std::round(value * 100.0) / 100.0);
}

std::string jsonBool(bool value) {
    return value ? "true" : "false";
}

void printRefusal(const char* rule, const std::string& message, std::ostream& out) {
    if (rule == nullptr) {
        out << "null";
    } else {
        out << "{\"rule\": " << jsonString(rule) << ", \"message\": " << jsonString(message)
            << "}";
    }
}

// The organs' keys, null where no organ translated the roll.
void printOrgans(const std::vector<Arrangement>& tried, std::ostream& out) {
    out << "{";
    for (const Organ* organ : organs()) {
        const Arrangement* attempt = nullptr;
        for (const Arrangement& a : tried) {
            attempt = a.organ == organ && a.readable ? &a : attempt;
        }
        out << (organ == organs()[0] ? "" : ", ") << jsonString(organ->name) << ": {\"fits\": "
            << (attempt ? jsonBool(attempt->playable()) : "null")
            << ", \"holes_outside_scale\": "
            << (attempt ? std::to_string(attempt->holesOutsideScale) : "null")
            << ", \"required_holes\": "
            << (attempt && attempt->translatedWhole ? std::to_string(attempt->requiredHoles)
                                                    : "null")
            << "}";
    }
    out << "}";
}

void printStrings(const Arrangement& a, int type, std::ostream& out) {
    out << "[";
    const char* separator = "";
    for (const RollText& t : a.texts) {
        if (t.type == type) {
            out << separator << jsonString(t.text);
            separator = ", ";
        }
    }
    out << "]";
}

void printHoles(const Arrangement& a, JsonObject& object) {
    if (a.organ == nullptr) {
        for (const char* key : {"holes", "control_holes", "controls", "timeline"}) {
            object.key(key) << "null";
        }
        return;
    }
    const HoleCounts counts = countHoles(a);
    std::ostream& out = object.key("holes");
    out << "{";
    for (int s = 0; s < 7; s++) {
        out << "\"" << sectionNames[s] << "\": " << counts.sections[s] << ", ";
    }
    out << "\"outside_scale\": " << counts.outsideScale << "}";
    object.key("control_holes") << "[";
    for (const ControlCount& c : counts.controls) {
        out << (&c == &counts.controls.front() ? "" : ", ") << "{\"hole\": " << c.hole
            << ", \"label\": " << jsonString(c.label) << ", \"count\": " << c.count << "}";
    }
    out << "]";
    printJsonTimeline(a, object);
}

}  // namespace

void printJson(const Arrangement& a, const std::vector<Arrangement>& tried,
               const RollFile& roll, std::ostream& out) {
    JsonObject object(out);
    object.key("file") << jsonString(roll.path);
    object.key("organ") << organNumber(a.organ);
    printRefusal(a.playable() ? nullptr : a.rule, a.refusal, object.key("refusal"));
    object.key("advice") << "[";
    for (const RollAdvice& advice : a.advice) {
        out << (&advice == &a.advice.front() ? "" : ", ") << "{\"organ\": "
            << organNumber(advice.organ) << ", \"shift\": " << advice.shift
            << ", \"message\": " << jsonString(advice.message) << "}";
    }
    out << "]";
    object.key("tracks") << (a.midiFile ? std::to_string(roll.tracks) : "null");
    object.key("joined") << jsonBool(roll.tracks > 1 && a.readable);
    object.key("shift") << roll.shift;
    object.key("ticks_per_quarter_note")
        << (a.midiFile ? std::to_string(a.ticksPerQuarterNote) : "null");
    for (int type : {metaCopyright, metaTrackName, metaText}) {
        printStrings(a, type, object.key(jsonTextKey(type)));
    }
    object.key("input_tempo") << (a.readable && a.rollHasTempo ? hundredths(a.inputTempo) : "null");
    object.key("input_tempo_used") << (a.readable ? jsonBool(a.inputTempoUsed) : "null");
    object.key("output_tempo") << (a.readable ? hundredths(a.outputTempo) : "null");
    object.key("playing_seconds")
        << (a.organ != nullptr ? hundredths(a.playedSeconds(a.lastEnd)) : "null");
    printOrgans(tried, object.key("organs"));
    printHoles(a, object);
}

void printJsonError(const std::string& path, const char* rule, const std::string& error,
                    std::ostream& out) {
    Arrangement none;
    none.rule = rule;
    none.refusal = error;
    printJson(none, {}, RollFile{path, ""}, out);
}

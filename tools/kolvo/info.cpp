// kolvo info: which organ a roll is for, and what is on it.

#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "arrangement.h"
#include "child.h"
#include "cli.h"
#include "driver.h"
#include "json.h"
#include "librarymessages.h"
#include "organs.h"
#include "roll.h"
#include "subcommands.h"

namespace {

const char* const help =
    "Usage: kolvo info [--json] ROLL...\n"
    "\n"
    "For each roll: the organ it fits (165, 150 or neither, and why), its ticks\n"
    "per quarter note, input and output tempo, playing time, texts, the holes of\n"
    "each section and how often each control hole occurs.\n"
    "\n"
    "  --json      one JSON document for all rolls\n"
    "  -h, --help  this help\n"
    "\n"
    "Exit status: 0 when every roll was read (whatever organ it fits), 1 when a\n"
    "roll could not be read, 2 for a usage error.\n";

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

// --- the plain report ------------------------------------------------------

void line(std::ostream& out, const std::string& label, const std::string& value) {
    out << "  " << label << ": " << value << "\n";
}

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

// --- the JSON report -------------------------------------------------------

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
    }
    out << "}";
}

void printJsonError(const std::string& path, const std::string& error) {
    std::cout << "{\"file\": " << jsonString(path) << ", \"error\": " << jsonString(error) << "}";
}

// Within the child that handles a roll, when the library ends it: the
// error line, and in JSON the roll's object with the error.
bool jsonReport = false;

void reportFatal(const std::string& path, const std::string& message) {
    std::cerr << rollErrorLine(path, message) << std::endl;
    if (jsonReport) {
        printJsonError(path, message);
    }
}

// Handles one roll; runs in a child process of its own.
int reportRoll(const std::string& path) {
    setFatalReport(reportFatal);
    RollFile roll;
    std::string refusal;
    if (!loadRollFile(path, roll, refusal)) {
        std::cerr << rollErrorLine(path, refusal) << std::endl;
        if (jsonReport) {
            printJsonError(path, refusal);
        }
        return 1;
    }
    std::vector<Arrangement> tried;
    const Arrangement a = arrangeForEither(roll, "", &tried);
    if (!a.midiFile) {
        std::cerr << rollErrorLine(path, a.refusal) << std::endl;
        if (jsonReport) {
            printJsonError(path, a.refusal);
        }
        return 1;
    }
    if (jsonReport) {
        printJson(a, tried, path, std::cout);
    } else {
        printReport(a, path, std::cout);
    }
    return 0;
}

}  // namespace

int infoCommand(int argc, char** argv) {
    CommandLine args(argc, argv);
    std::vector<std::string> rolls;
    while (args.more()) {
        if (args.flag("-h", "--help")) {
            std::cout << help;
            return 0;
        } else if (args.flag("--json")) {
            jsonReport = true;
        } else {
            rolls.push_back(args.operand());
        }
    }
    if (rolls.empty()) {
        throw UsageError("info needs at least one roll");
    }

    int status = 0;
    if (jsonReport) {
        std::cout << "{\"rolls\": [";
    }
    for (size_t i = 0; i < rolls.size(); i++) {
        const ChildOutcome outcome = runInChild([&] { return reportRoll(rolls[i]); }, true);
        if (jsonReport) {
            std::cout << (i == 0 ? "\n  " : ",\n  ");
            if (outcome.output.empty()) {
                printJsonError(rolls[i], "the roll could not be examined");
            }
        } else if (i > 0 && !outcome.output.empty()) {
            std::cout << "\n";
        }
        std::cout << outcome.output;
        if (outcome.status > 128) {
            std::cerr << rollErrorLine(rolls[i], "examining it ended with signal " +
                                                     std::to_string(outcome.status - 128))
                      << std::endl;
        }
        if (outcome.status != 0) {
            status = 1;
        }
    }
    if (jsonReport) {
        std::cout << "\n]}\n";
    }
    return status;
}

// makeroll: punches a Wurlitzer band-organ e-roll from a readable score.
//
//   makeroll SCORE OUT.mid
//
// The score names the organ (by its name in the registry, organs.h), the
// roll's texts, tempo and meter, and then the music, part by part and bar
// by bar, in note names and note lengths; tools/scores/ holds the scores of
// the demo rolls and describes the notation.  Every pitch is looked up in
// the tracker-bar scale of the organ for its part; a pitch the part has no
// hole for is an error.  The roll is a type 0 Standard MIDI File: every hole
// is a note-on and note-off on channel 1 whose key is the hole's position
// on the tracker bar.
//
// Exit status 0 on success; 1 with a one-line message on any error.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "MidiFile.h"
#include "organs.h"

namespace {

// ---------------------------------------------------------------------------
// The organs' scales, read from their hole tables through the registry.  Pitches are
// MIDI note numbers, middle C = 60 = C4.

// How a part's holes are cut from its written notes.
enum class Cut {
    Pipe,     // written length less a short bridge, so repeated notes stay apart
    Beater,   // a short hole: a drum is struck when its hole opens
    Control,  // exactly the written length
};

struct PitchHole {
    int note;
    int hole;
};

struct NamedHole {
    std::string name;
    int hole;
};

struct PartScale {
    std::string part;
    Cut cut;
    std::vector<PitchHole> pitches;
    std::vector<NamedHole> names;
};

struct ScoreOrgan {
    const char* name;
    std::vector<int> required;  // the holes an organ counts to accept a roll
    std::vector<PartScale> parts;
};

std::string lowerWithoutBlanks(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c != ' ') {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return out;
}

PartScale& partNamed(ScoreOrgan& organ, const std::string& name, Cut cut) {
    for (PartScale& part : organ.parts) {
        if (part.part == name) {
            return part;
        }
    }
    organ.parts.push_back({name, cut, {}, {}});
    return organ.parts.back();
}

// The parts of a score for an organ, and the names of its holes, made from
// what each hole does:
//   a pipe sounds in the part named by its label's first word (bass,
//   trombone, accomp, melody, trumpet), by its pitch; the soft delayed
//   note is "soft" in the part of its section;
//   a drum is in "drums", named by its label without blanks ("bassdrum",
//   "electricsnare");
//   a control hole is in "ctl", named by its label without "Register",
//   "on" and blanks ("c2", "bells", "shutteropen", "cancel"); a second
//   hole of the same name is that name, "@" and its number ("g2@31").
ScoreOrgan organFrom(const Organ& profile) {
    ScoreOrgan organ{profile.name, {}, {}};
    for (int hole = profile.lowestHole; hole <= profile.highestHole; hole++) {
        const HoleInfo info = profile.describeHole(hole);
        if (info.counted) {
            organ.required.push_back(hole);
        }
        const std::string& label = info.label;
        switch (info.kind) {
            case HoleKind::Bass:
            case HoleKind::Accompaniment:
            case HoleKind::Melody:
            case HoleKind::Trumpet: {
                if (label.rfind("Soft delayed", 0) == 0) {
                    partNamed(organ, "bass", Cut::Pipe).names.push_back({"soft", hole});
                } else {
                    partNamed(organ, lowerWithoutBlanks(label.substr(0, label.find(' '))),
                              Cut::Pipe)
                        .pitches.push_back({info.note, hole});
                }
                break;
            }
            case HoleKind::Percussion:
                partNamed(organ, "drums", Cut::Beater)
                    .names.push_back({lowerWithoutBlanks(label), hole});
                break;
            case HoleKind::Register:
            case HoleKind::Shutter:
            case HoleKind::Cancel: {
                std::string name = label;
                if (name.rfind("Register ", 0) == 0) {
                    name.erase(0, 9);
                }
                if (name.size() > 3 && name.compare(name.size() - 3, 3, " on") == 0) {
                    name.erase(name.size() - 3);
                }
                name = lowerWithoutBlanks(name);
                PartScale& controls = partNamed(organ, "ctl", Cut::Control);
                for (const NamedHole& named : controls.names) {
                    if (named.name == name) {
                        name += "@" + std::to_string(hole);
                        break;
                    }
                }
                controls.names.push_back({name, hole});
                break;
            }
            case HoleKind::Nothing:
                break;
        }
    }
    return organ;
}

// ---------------------------------------------------------------------------
// The score.

struct Hole {
    int start;  // ticks
    int end;    // ticks
    int key;
    int line;   // score line it was written on
};

struct Score {
    const ScoreOrgan* organ = nullptr;
    std::string title, text, copyright;
    double tempo = 0.0;  // quarter notes per minute
    int division = 0;    // ticks per quarter note
    int beats = 0;       // meter: beats per bar ...
    int beatUnit = 0;    // ... of this note value
    int pickup = 0;      // ticks of bar 0, before bar 1
    std::map<std::string, std::vector<int>> chords;
    std::vector<Hole> holes;
};

struct ScoreError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(int line, const std::string& message) {
    throw ScoreError(line > 0 ? "line " + std::to_string(line) + ": " + message
                              : message);
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> result;
    std::string word;
    while (in >> word) {
        result.push_back(word);
    }
    return result;
}

std::vector<std::string> splitOn(const std::string& text, char separator) {
    std::vector<std::string> result;
    std::string::size_type from = 0, at;
    while ((at = text.find(separator, from)) != std::string::npos) {
        result.push_back(text.substr(from, at - from));
        from = at + 1;
    }
    result.push_back(text.substr(from));
    return result;
}

int toInt(const std::string& text, int line) {
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 0 || value > 1000000) {
        fail(line, "'" + text + "' is not a number");
    }
    return static_cast<int>(value);
}

// "C4" is middle C, 60; "F#5" 78; "Bb3" 58.  Returns -1 for no pitch.
int pitchOf(const std::string& name) {
    static const std::string letters = "C D EF G A B";
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') {
        return -1;
    }
    int note = static_cast<int>(letters.find(name[0]));
    std::string::size_type at = 1;
    if (name[at] == '#') {
        note++, at++;
    } else if (name[at] == 'b') {
        note--, at++;
    }
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '8') {
        return -1;
    }
    return note + 12 * (name[at] - '0' + 1);
}

// A note length: 1 whole, 2 half, 4 quarter, 8, 16, 32, each with dots.
int lengthOf(const std::string& text, const Score& score, int line) {
    std::string::size_type dots = text.find('.');
    std::string value = text.substr(0, dots);
    int denominator = toInt(value, line);
    int whole = 4 * score.division;
    if (denominator <= 0 || whole % denominator != 0) {
        fail(line, "no note length '" + text + "' at " +
                       std::to_string(score.division) + " ticks per quarter");
    }
    int ticks = whole / denominator, added = ticks;
    for (std::string::size_type i = dots; i < text.size(); i++) {
        if (text[i] != '.' || added % 2 != 0) {
            fail(line, "no note length '" + text + "'");
        }
        added /= 2;
        ticks += added;
    }
    return ticks;
}

int barTicks(const Score& score) {
    return score.beats * 4 * score.division / score.beatUnit;
}

int barStart(const Score& score, int bar) {
    return bar == 0 ? 0 : score.pickup + (bar - 1) * barTicks(score);
}

// The holes of one item of a token: a pitch, a [chord] or a hole's name.
std::vector<int> holesOf(const std::string& item, const PartScale& part,
                         const Score& score, int line) {
    std::vector<int> pitches;
    if (item.size() > 2 && item.front() == '[' && item.back() == ']') {
        auto chord = score.chords.find(item.substr(1, item.size() - 2));
        if (chord == score.chords.end()) {
            fail(line, "no chord " + item + " is defined");
        }
        pitches = chord->second;
    } else {
        for (const NamedHole& named : part.names) {
            if (item == named.name) {
                return {named.hole};
            }
        }
        int pitch = pitchOf(item);
        if (pitch < 0) {
            fail(line, "'" + item + "' is neither a note nor a hole of the " +
                           part.part);
        }
        pitches.push_back(pitch);
    }
    std::vector<int> holes;
    for (int pitch : pitches) {
        auto found = std::find_if(part.pitches.begin(), part.pitches.end(),
                                  [pitch](const PitchHole& p) { return p.note == pitch; });
        if (found == part.pitches.end()) {
            fail(line, "the " + std::string(part.part) + " of the Wurlitzer " +
                           score.organ->name + " has no hole for " + item);
        }
        holes.push_back(found->hole);
    }
    return holes;
}

// One bar of one part: tokens NOTES:LENGTH, where NOTES is "-" (a rest) or
// items joined by '+', and a missing length repeats the previous one.  In
// the control part "@BEAT" moves to a beat of the bar instead, the bar need
// not be filled, and a hole may run on past the bar line.
void readBar(const std::vector<std::string>& tokens, int bar, const PartScale& part,
             Score& score, int line, int& length) {
    const int start = barStart(score, bar);
    const int end = bar == 0 ? score.pickup : start + barTicks(score);
    const int beat = 4 * score.division / score.beatUnit;
    const int bridge = score.division / 10;
    int at = start;
    for (const std::string& token : tokens) {
        if (part.cut == Cut::Control && token[0] == '@') {
            double position = std::atof(token.c_str() + 1);
            double ticks = (position - 1.0) * beat;
            if (position < 1.0 || ticks != std::floor(ticks) || start + ticks >= end) {
                fail(line, "no beat " + token.substr(1) + " in bar " + std::to_string(bar));
            }
            at = start + static_cast<int>(ticks);
            continue;
        }
        std::string::size_type colon = token.find(':');
        if (colon != std::string::npos) {
            length = lengthOf(token.substr(colon + 1), score, line);
        }
        std::string notes = token.substr(0, colon);
        if (notes != "-") {
            int punched = length;
            if (part.cut == Cut::Pipe) {
                punched = length - bridge;
            } else if (part.cut == Cut::Beater) {
                punched = std::min(length - bridge, score.division / 4);
            }
            if (punched < 5) {
                fail(line, token + " is too short to punch");
            }
            for (const std::string& item : splitOn(notes, '+')) {
                for (int key : holesOf(item, part, score, line)) {
                    score.holes.push_back({at, at + punched, key, line});
                }
            }
        }
        at += length;
    }
    if (part.cut != Cut::Control && at != end) {
        fail(line, "bar " + std::to_string(bar) + " of the " + part.part + " lasts " +
                       std::to_string(at - start) + " ticks, not " +
                       std::to_string(end - start));
    }
}

// "BARS PART bar | bar | ...", BARS a bar number or a range FIRST-LAST.
void readMusic(const std::vector<std::string>& fields, Score& score, int line) {
    if (!score.organ || score.division == 0 || score.beats == 0 || score.tempo == 0.0) {
        fail(line, "organ, tempo, division and meter must come before the music");
    }
    std::vector<std::string> range = splitOn(fields[0], '-');
    int first = toInt(range[0], line);
    int last = range.size() == 2 ? toInt(range[1], line) : first;
    if (range.size() > 2 || last < first || (first == 0 && score.pickup == 0)) {
        fail(line, "no bars " + fields[0]);
    }
    if (fields.size() < 2) {
        fail(line, "no part named");
    }
    const PartScale* part = nullptr;
    std::string known;
    for (const PartScale& p : score.organ->parts) {
        known += std::string(" ") + p.part;
        if (fields[1] == p.part) {
            part = &p;
        }
    }
    if (!part) {
        fail(line, "the Wurlitzer " + std::string(score.organ->name) +
                       " has no part '" + fields[1] + "' (parts:" + known + ")");
    }
    std::vector<std::vector<std::string>> bars(1);
    for (std::size_t i = 2; i < fields.size(); i++) {
        if (fields[i] == "|") {
            bars.emplace_back();
        } else {
            bars.back().push_back(fields[i]);
        }
    }
    if (bars.size() != static_cast<std::size_t>(last - first + 1)) {
        fail(line, std::to_string(bars.size()) + " bars written for bars " + fields[0]);
    }
    int length = score.division;  // a quarter until a length is written
    for (int bar = first; bar <= last; bar++) {
        readBar(bars[bar - first], bar, *part, score, line, length);
    }
}

void readHeader(const std::string& key, const std::string& value, Score& score, int line) {
    std::vector<std::string> fields = words(value);
    if (key == "organ") {
        // Each organ's parts, made when a score first names it.
        static std::map<std::string, ScoreOrgan> parts;
        const Organ* organ = findOrgan(value);
        if (organ == nullptr) {
            fail(line, "organ must be " + organNames(" or "));
        }
        auto made = parts.find(value);
        if (made == parts.end()) {
            made = parts.emplace(value, organFrom(*organ)).first;
        }
        score.organ = &made->second;
    } else if (key == "title") {
        score.title = value;
    } else if (key == "text") {
        score.text = value;
    } else if (key == "copyright") {
        score.copyright = value;
    } else if (key == "tempo") {
        score.tempo = std::atof(value.c_str());
        if (score.tempo < 10.0 || score.tempo > 200.0) {
            fail(line, "tempo must be 10 to 200 quarter notes a minute");
        }
    } else if (key == "division") {
        score.division = toInt(value, line);
        if (score.division < 10 || score.division > 0x7FFF) {
            fail(line, "division must be 10 to 32767 ticks per quarter");
        }
    } else if (key == "meter" || key == "pickup") {
        std::vector<std::string> parts = splitOn(value, '/');
        if (parts.size() != 2 || score.division == 0) {
            fail(line, key + " needs the form N/M, after the division");
        }
        int count = toInt(parts[0], line), unit = toInt(parts[1], line);
        if (count == 0 || unit == 0 || (4 * score.division) % unit != 0) {
            fail(line, "no " + key + " " + value);
        }
        if (key == "meter") {
            score.beats = count, score.beatUnit = unit;
        } else {
            score.pickup = count * 4 * score.division / unit;
        }
    } else if (key == "chord") {
        // chord NAME = NOTE NOTE ...
        if (fields.size() < 3 || fields[1] != "=") {
            fail(line, "a chord reads: chord NAME = NOTE NOTE ...");
        }
        std::vector<int>& pitches = score.chords[fields[0]];
        pitches.clear();
        for (std::size_t i = 2; i < fields.size(); i++) {
            int pitch = pitchOf(fields[i]);
            if (pitch < 0) {
                fail(line, "'" + fields[i] + "' is not a note");
            }
            pitches.push_back(pitch);
        }
    } else {
        fail(line, "unknown heading '" + key + "'");
    }
}

// A comment runs from a '#' that begins a word (not the sharp of F#4) to
// the end of the line.
std::string withoutComment(const std::string& text) {
    for (std::string::size_type i = 0; i < text.size(); i++) {
        if (text[i] == '#' && (i == 0 || std::isspace(static_cast<unsigned char>(text[i - 1])))) {
            return text.substr(0, i);
        }
    }
    return text;
}

Score readScore(const char* path) {
    std::ifstream in(path);
    if (!in) {
        fail(0, "cannot be read");
    }
    Score score;
    std::string text;
    for (int line = 1; std::getline(in, text); line++) {
        text = withoutComment(text);
        std::vector<std::string> fields = words(text);
        if (fields.empty()) {
            continue;
        }
        if (std::isdigit(static_cast<unsigned char>(fields[0][0]))) {
            readMusic(fields, score, line);
        } else {
            std::string::size_type at = text.find(fields[0]) + fields[0].size();
            std::string value = text.substr(at);
            value.erase(0, value.find_first_not_of(" \t"));
            value.erase(value.find_last_not_of(" \t\r") + 1);
            readHeader(fields[0], value, score, line);
        }
    }
    if (score.holes.empty() || score.title.empty()) {
        fail(0, "the score has no title or no music");
    }
    return score;
}

// Two holes at one position must leave the paper between them uncut, and the
// organ must find enough of the holes it counts.
void checkRoll(Score& score) {
    std::stable_sort(score.holes.begin(), score.holes.end(), [](const Hole& a, const Hole& b) {
        return a.key != b.key ? a.key < b.key : a.start < b.start;
    });
    for (std::size_t i = 1; i < score.holes.size(); i++) {
        const Hole& before = score.holes[i - 1];
        const Hole& hole = score.holes[i];
        if (hole.key == before.key && hole.start <= before.end) {
            fail(hole.line, "hole " + std::to_string(hole.key) + " overlaps its hole of line " +
                                std::to_string(before.line) +
                                "; a hole must close before it opens again");
        }
    }
    const std::vector<int>& required = score.organ->required;
    long counted = std::count_if(score.holes.begin(), score.holes.end(), [&](const Hole& h) {
        return std::find(required.begin(), required.end(), h.key) != required.end();
    });
    if (counted < 10) {
        fail(0, "only " + std::to_string(counted) +
                    " holes the organ counts; a roll needs at least 10");
    }
}

void addText(MidiFile& roll, int type, const std::string& text) {
    if (!text.empty()) {
        roll.addMetaEvent(0, 0, type, text.c_str());
    }
}

// The roll: texts and tempo at tick 0, then every hole's note-on and
// note-off.  Events are added in their final order (by tick; at one tick
// closing holes before opening ones, each by key), so that the bytes of the
// roll do not depend on how a sort orders events of equal rank.
void writeRoll(const Score& score, const char* path, int& last) {
    MidiFile roll;
    roll.setTicksPerQuarterNote(score.division);
    roll.absoluteTime();
    addText(roll, 0x02, score.copyright);
    addText(roll, 0x03, score.title);
    addText(roll, 0x01, score.text);
    long micro = std::lround(60000000.0 / score.tempo);
    Array<unsigned char> tempo(3);
    tempo[0] = (micro >> 16) & 0xFF, tempo[1] = (micro >> 8) & 0xFF, tempo[2] = micro & 0xFF;
    roll.addMetaEvent(0, 0, 0x51, tempo);

    struct Edge {
        int tick, opens, key;
    };
    std::vector<Edge> edges;
    for (const Hole& hole : score.holes) {
        edges.push_back({hole.start, 1, hole.key});
        edges.push_back({hole.end, 0, hole.key});
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) {
        if (a.tick != b.tick) return a.tick < b.tick;
        if (a.opens != b.opens) return a.opens < b.opens;
        return a.key < b.key;
    });
    Array<unsigned char> message(3);
    for (const Edge& edge : edges) {
        message[0] = edge.opens ? 0x90 : 0x80;
        message[1] = static_cast<unsigned char>(edge.key);
        message[2] = edge.opens ? 64 : 0;
        roll.addEvent(0, edge.tick, message);
    }
    last = edges.back().tick;
    Array<unsigned char> none(0);
    roll.addMetaEvent(0, last, 0x2F, none);
    roll.sortTracks();

    std::ofstream out(path, std::ios::binary);
    if (!out) {
        fail(0, "cannot write " + std::string(path));
    }
    roll.write(out);
    out.close();
    if (!out) {
        fail(0, "cannot write " + std::string(path));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: makeroll SCORE OUT.mid" << std::endl;
        return 1;
    }
    try {
        Score score = readScore(argv[1]);
        checkRoll(score);
        int last = 0;
        writeRoll(score, argv[2], last);
        std::cout << "makeroll: " << argv[2] << ": Wurlitzer " << score.organ->name
                  << ", " << score.holes.size() << " holes, "
                  << last * 60.0 / (score.tempo * score.division) << " s" << std::endl;
    } catch (const ScoreError& error) {
        std::cerr << "makeroll: " << argv[1] << ": " << error.what() << std::endl;
        return 1;
    }
    return 0;
}

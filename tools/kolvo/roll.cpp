// Reading a roll and arranging it with the players' driver.

#include "roll.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "arrangement.h"
#include "driver.h"
#include "librarymessages.h"
#include "messages.h"
#include "organs.h"
#include "outputs.h"
#include "rollintake.h"
#include "rolltext.h"
#include "runstate.h"

namespace {

// The organ whose translator the recorder stands in front of, where it
// records the holes and the changes of the controls, and the controls'
// state as last seen.
const Organ* recordedOrgan = nullptr;
std::vector<RollHole>* recordedHoles = nullptr;
std::vector<ControlChange>* recordedChanges = nullptr;
std::vector<bool> controlsSeen;

void recordControlChanges(double time) {
    for (int c = 0; c < recordedOrgan->controls.size(); c++) {
        const bool on = *recordedOrgan->controls[c].on;
        if (on != controlsSeen[c]) {
            controlsSeen[c] = on;
            recordedChanges->push_back({time, c, on});
        }
    }
}

void recordAndTranslate(double start, double duration, int hole) {
    recordedHoles->push_back({start, duration, hole});
    recordedOrgan->translate(start, duration, hole);
    recordControlChanges(start + duration);
}

void collectTexts(MidiFile& midi, Arrangement& a) {
    for (int index = 0; index < midi.getNumEvents(0); index++) {
        const MFEvent& e = midi.getEvent(0, index);
        for (int type : {metaCopyright, metaTrackName, metaText}) {
            if (isMetaOfType(e, type)) {
                std::string text;
                appendMetaPayload(e, text);
                a.texts.push_back({type, printableText(text)});
            }
        }
        a.rollHasTempo = a.rollHasTempo || isMetaOfType(e, metaTempo);
    }
}

int firstNoteTick() {
    outputfile.absoluteTime();
    int first = -1;
    for (int track = 0; track < outputfile.getTrackCount(); track++) {
        for (int index = 0; index < outputfile.getNumEvents(track); index++) {
            const MFEvent& e = outputfile.getEvent(track, index);
            if (e.data.getSize() == 3 && (e.data[0] & 0xF0) == 0x90 && e.data[2] != 0 &&
                (first < 0 || e.time < first)) {
                first = e.time;
            }
        }
    }
    return first;
}

// Every hole outside the organ's scale, paired as the driver pairs them:
// the translator's count stops at the first one too many.
int holesOutsideScale(MidiFile& roll, const Organ& organ) {
    bool open[128] = {};
    int outside = 0;
    for (int index = 0; index < roll.getNumEvents(0); index++) {
        const MFEvent& e = roll.getEvent(0, index);
        const int status = e.data.getSize() == 3 ? e.data[0] & 0xF0 : 0;
        if (status != 0x80 && status != 0x90) {
            continue;
        }
        const int key = e.data[1] & 0x7F;
        if (status == 0x90 && e.data[2] != 0) {
            open[key] = true;
        } else if (open[key]) {
            open[key] = false;
            outside += key < organ.lowestHole || key > organ.highestHole;
        }
    }
    return outside;
}

std::string organTitle(const Organ& organ) {
    return std::string("Wurlitzer ") + organ.name;
}

// Which of the organ's rules the roll fails, with the counts.
void explainCounts(const Organ& organ, Arrangement& a) {
    const ValidityRule& rule = organ.validity;
    if (a.holesOutsideScale > rule.mostHolesOutsideScale) {
        a.rule = refusalRule::scale;
        a.refusal = std::to_string(a.holesOutsideScale) + " holes outside the " +
                    organTitle(organ) + " scale " + std::to_string(organ.lowestHole) + " to " +
                    std::to_string(organ.highestHole) + ", at most " +
                    std::to_string(rule.mostHolesOutsideScale) + " allowed";
    } else {
        a.rule = refusalRule::required;
        a.refusal = std::to_string(a.requiredHoles) + " of the " + organTitle(organ) +
                    "'s required holes, at least " + std::to_string(rule.fewestRequiredHoles) +
                    " needed";
    }
}

// Why a MIDI file is no roll to translate: no ticks per quarter note (its
// time in SMPTE frames), or not one track.
void explainUnreadable(MidiFile& midi, Arrangement& a) {
    const int tracks = midi.getTrackCount();
    if (midi.getTicksPerQuarterNote() <= 0) {
        a.rule = refusalRule::division;
        a.refusal = std::to_string(midi.getTicksPerQuarterNote()) +
                    " ticks per quarter note, at least 1 needed";
    } else {
        a.rule = refusalRule::tracks;
        a.refusal = tracks == 0 ? std::string("no track, so no holes")
                                : std::to_string(tracks) + " tracks where a roll has one";
    }
}

std::string octaves(int keys) {
    return std::to_string(keys < 0 ? -keys : keys) + " keys " + (keys < 0 ? "above" : "below");
}

// The advice that `organ` plays the roll with its holes moved by `shift`
// keys in all (the roll was shifted by roll.shift already); `asked` is the
// organ that refused it, if one was named.
std::string adviceText(const Organ& organ, int shift, const RollFile& roll, const Organ* asked) {
    const std::string organOption =
        asked != nullptr && asked != &organ ? std::string("--organ ") + organ.name : "";
    if (shift == roll.shift) {
        return "it plays as a " + organTitle(organ) + " roll: " + organOption +
               (roll.tracks <= 1 && shift == 0 ? std::string(", or kolvo") + organ.name : "");
    }
    if (shift == 0) {
        return "the holes fit the " + organTitle(organ) + " scale unshifted: leave out --shift" +
               (organOption.empty() ? "" : " and give " + organOption);
    }
    return "the holes lie " + octaves(shift) + " the " + organTitle(organ) + " scale: " +
           (organOption.empty() ? "" : organOption + " ") + "--shift " + std::to_string(shift) +
           " plays it";
}

// What plays a refused roll: each other organ as it is, else the roll as
// its file has it (when it was shifted), else each organ with the holes
// moved by whole octaves onto its scale (every hole on it), the smallest
// shift first.  Once the roll plays as it is or as its file has it, a
// shift that also fits is chance.
std::vector<RollAdvice> adviceFor(const RollFile& roll, const Organ* asked,
                                  const std::string& tempo) {
    std::vector<RollAdvice> advice;
    const int shifts[] = {0, -roll.shift, adviceShifts[0], adviceShifts[1], adviceShifts[2],
                          adviceShifts[3]};
    for (const int& shift : shifts) {
        if (shift == 0 && &shift != &shifts[0]) {
            continue;  // tried first
        }
        const bool asItIs = std::any_of(advice.begin(), advice.end(), [&](const RollAdvice& a) {
            return a.shift == 0 || a.shift == roll.shift;
        });
        if (asItIs) {
            break;
        }
        RollFile shifted = roll;
        const char* rule = nullptr;
        std::string refusal;
        if (shift != 0 && !takeIn(shifted, RollIntake{shift, true}, rule, refusal)) {
            continue;
        }
        for (const Organ* organ : organs()) {
            const bool advised = std::any_of(advice.begin(), advice.end(),
                                             [&](const RollAdvice& a) { return a.organ == organ; });
            if (advised || (shift == 0 && (asked == nullptr || organ == asked))) {
                continue;
            }
            const Arrangement a = arrangeFor(*organ, shifted, tempo);
            if (a.playable() && (shift == 0 || a.holesOutsideScale == 0)) {
                const int total = roll.shift + shift;
                advice.push_back({organ, total, adviceText(*organ, total, roll, asked)});
            }
        }
    }
    return advice;
}

}  // namespace

bool loadRollFile(const std::string& path, RollFile& roll, std::string& refusal) {
    roll.path = path;
    struct stat status;
    if (stat(path.c_str(), &status) != 0) {
        refusal = errno == ENOENT || errno == ENOTDIR ? inputFileMissing : std::strerror(errno);
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        refusal = std::strerror(EISDIR);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        refusal = std::strerror(errno);
        return false;
    }
    roll.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        refusal = "cannot be read";
        return false;
    }
    return true;
}

bool readMidiFile(const RollFile& file, MidiFile& midi, std::string& refusal) {
    LibraryMessages messages(file.path);
    if (midi.read(reinterpret_cast<const unsigned char*>(file.bytes.data()),
                  static_cast<long>(file.bytes.size()), file.path.c_str())) {
        return true;
    }
    refusal = messages.firstLine();
    if (refusal.empty()) {
        refusal = "not a Standard MIDI File";
    }
    return false;
}

Arrangement arrangeFor(const Organ& organ, const RollFile& roll, const std::string& tempo) {
    Arrangement a;
    a.organ = &organ;
    LibraryMessages messages(roll.path);
    resetRunState();
    organ.resetControls();
    if (!tempo.empty()) {
        acceptOutputTempo(tempo.c_str());
    }

    MidiFile midi;
    if (!readMidiFile(roll, midi, a.refusal)) {
        a.rule = refusalRule::midi;
        return a;
    }
    a.midiFile = true;
    a.ticksPerQuarterNote = midi.getTicksPerQuarterNote();
    if (midi.getTrackCount() > 0) {
        collectTexts(midi, a);
    }
    if (!rollRefusal(midi).empty()) {
        explainUnreadable(midi, a);
        return a;
    }
    a.readable = true;

    Organ recorder = organ;
    recorder.translate = recordAndTranslate;
    recordedOrgan = &organ;
    recordedHoles = &a.holes;
    recordedChanges = &a.controlChanges;
    controlsSeen.assign(organ.controls.size(), false);
    recordControlChanges(0.0);
    std::ostringstream printed;  // the player's console lines, not wanted here
    a.file = arrangeRoll(recorder, midi, printed, &a.lastEnd);
    recordedHoles = nullptr;
    recordedChanges = nullptr;

    a.inputTempo = iptempo;
    a.inputTempoUsed = iptempovalid;
    a.outputTempo = optempo;
    a.playingSeconds = playingSeconds(a.lastEnd);
    a.playingTime = playingTimeLine(a.lastEnd);
    a.holesOutsideScale = outofrangecount;
    a.requiredHoles = requirednotecount;
    a.translatedWhole = outofrangecount <= organ.validity.mostHolesOutsideScale;
    if (!a.translatedWhole) {
        a.holesOutsideScale = holesOutsideScale(midi, organ);
    }
    a.firstNoteTick = firstNoteTick();
    if (!rollIsValid(organ)) {
        explainCounts(organ, a);
    }
    return a;
}

Arrangement arrangeForEither(const RollFile& roll, const std::string& tempo,
                             std::vector<Arrangement>* tried) {
    std::vector<Arrangement> attempts;
    for (const Organ* organ : organs()) {
        attempts.push_back(arrangeFor(*organ, roll, tempo));
        if (!attempts.back().readable) {
            break;  // no organ reads it otherwise
        }
    }
    Arrangement chosen = attempts.front();
    if (!chosen.readable) {
        chosen.organ = nullptr;
    }
    auto accepted = std::find_if(attempts.begin(), attempts.end(),
                                 [](const Arrangement& a) { return a.playable(); });
    if (accepted != attempts.end()) {
        chosen = *accepted;
    } else if (chosen.readable) {
        chosen.organ = nullptr;
        chosen.refusal = "fits neither organ: ";
        for (const Arrangement& a : attempts) {
            chosen.refusal += (&a == &attempts.front() ? "" : "; ") + a.refusal;
            if (std::string(a.rule) != chosen.rule) {
                chosen.rule = refusalRule::organs;
            }
        }
        chosen.file.clear();
        chosen.holes.clear();
        chosen.controlChanges.clear();
    }
    if (chosen.readable && !chosen.playable()) {
        chosen.advice = adviceFor(roll, nullptr, tempo);
    }
    if (tried != nullptr) {
        *tried = std::move(attempts);
    }
    return chosen;
}

Arrangement arrangeForOrgan(const Organ* organ, const RollFile& roll,
                            const std::string& tempo) {
    if (organ == nullptr) {
        return arrangeForEither(roll, tempo);
    }
    Arrangement a = arrangeFor(*organ, roll, tempo);
    if (a.readable && !a.playable()) {
        a.advice = adviceFor(roll, organ, tempo);
    }
    return a;
}

std::string refusalText(const Arrangement& arrangement) {
    std::string text = arrangement.refusal;
    for (const RollAdvice& advice : arrangement.advice) {
        text += "; " + advice.message;
    }
    return text;
}

namespace {

// takeIn() as this run asks, saying so when it joined tracks.
bool takeInAsAsked(RollFile& roll, const char*& rule, std::string& refusal) {
    if (!takeIn(roll, rollIntake(), rule, refusal)) {
        return false;
    }
    if (roll.tracks > 1) {
        std::cerr << rollErrorLine(roll.path, "joined " + std::to_string(roll.tracks) +
                                                  " tracks into one")
                  << std::endl;
    }
    return true;
}

}  // namespace

bool loadRoll(const std::string& path, RollFile& roll, const char*& rule,
              std::string& refusal) {
    if (!loadRollFile(path, roll, refusal)) {
        rule = refusalRule::file;
        return false;
    }
    return takeInAsAsked(roll, rule, refusal);
}

Arrangement examineRoll(RollFile& roll, std::vector<Arrangement>* tried) {
    const char* rule = nullptr;
    std::string refusal;
    if (takeInAsAsked(roll, rule, refusal)) {
        return arrangeForEither(roll, "", tried);
    }
    Arrangement a = arrangeForEither(roll, "", tried);  // its texts, as read
    a.rule = rule;
    a.refusal = refusal;
    a.organ = nullptr;
    a.readable = false;
    a.advice.clear();
    if (tried != nullptr) {
        tried->clear();
    }
    return a;
}

bool arrangePlayable(const std::string& path, const Organ* organ, const std::string& tempo,
                     Arrangement& arrangement) {
    RollFile roll;
    const char* rule = nullptr;
    std::string refusal;
    if (loadRoll(path, roll, rule, refusal)) {
        arrangement = arrangeForOrgan(organ, roll, tempo);
        refusal = refusalText(arrangement);
        // writeArrangement() gives no bytes when the arrangement cannot be
        // written as a MIDI file; the roll is refused then, as the players
        // refuse it.
        if (refusal.empty() && arrangement.file.empty()) {
            refusal = unwritableArrangement;
        }
    }
    if (!refusal.empty()) {
        std::cerr << rollErrorLine(path, refusal) << std::endl;
        return false;
    }
    return true;
}

std::string rollTitle(const Arrangement& arrangement, const std::string& path) {
    for (const RollText& t : arrangement.texts) {
        if (t.type == metaTrackName && !t.text.empty()) {
            return t.text;
        }
    }
    return fileNameOf(path);
}

std::string tooLongRefusal() {
    return "lasts longer than " + std::to_string(static_cast<int>(longestRollSeconds / 3600)) +
           " hours, the longest roll that is pictured or rendered";
}

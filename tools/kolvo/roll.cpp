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

// What the counters say against the organ's thresholds.  The note pass
// stops at the first hole outside the scale that is one too many, so then
// only that is known.
std::string countsRefusal(const Organ& organ) {
    std::ostringstream why;
    why << organ.invalidRoll << ": ";
    const ValidityRule& rule = organ.validity;
    if (outofrangecount > rule.mostHolesOutsideScale) {
        why << "more than " << rule.mostHolesOutsideScale << " holes outside the scale "
            << organ.lowestHole << " to " << organ.highestHole;
    } else {
        why << requirednotecount << " required holes (at least " << rule.fewestRequiredHoles
            << ")";
    }
    return why.str();
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
        return a;
    }
    a.midiFile = true;
    a.ticksPerQuarterNote = midi.getTicksPerQuarterNote();
    if (midi.getTrackCount() > 0) {
        collectTexts(midi, a);
    }
    a.refusal = rollRefusal(midi);
    if (!a.refusal.empty()) {
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
    a.firstNoteTick = firstNoteTick();
    if (!rollIsValid(organ)) {
        a.refusal = countsRefusal(organ);
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
        chosen.refusal = "fits neither organ (";
        for (const Arrangement& a : attempts) {
            chosen.refusal += (&a == &attempts.front() ? "" : "; ") + a.refusal;
        }
        chosen.refusal += ")";
        chosen.file.clear();
        chosen.holes.clear();
        chosen.controlChanges.clear();
    }
    if (tried != nullptr) {
        *tried = std::move(attempts);
    }
    return chosen;
}

Arrangement arrangeForOrgan(const Organ* organ, const RollFile& roll,
                            const std::string& tempo) {
    return organ != nullptr ? arrangeFor(*organ, roll, tempo) : arrangeForEither(roll, tempo);
}

bool arrangePlayable(const std::string& path, const Organ* organ, const std::string& tempo,
                     Arrangement& arrangement) {
    RollFile roll;
    std::string refusal;
    if (loadRollFile(path, roll, refusal)) {
        arrangement = arrangeForOrgan(organ, roll, tempo);
        refusal = arrangement.refusal;
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

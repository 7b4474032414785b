// The run driver: one run plays one e-roll from start to end.

#include "driver.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <limits>
#include <sstream>

#include "arrangement.h"
#include "rolltext.h"
#include "runstate.h"

namespace {

// Prints and copies one roll text, collected in `text`, then empties it.
void showRollText(const MFEvent& metaEvent, int metaType, std::string& text, const char* label,
                  std::ostream& out) {
    appendMetaPayload(metaEvent, text);
    addRollText(metaType, text);
    out << label << printableText(text) << std::endl;
    text.clear();
}

// A tempo event of the roll sets the input tempo, which also decides
// whether the roll's tempo may become the output tempo.
void readRollTempo(const MFEvent& tempoEvent, std::ostream& out) {
    if (tempoEvent.data.getSize() < 6) {
        return;  // no room for the three tempo bytes
    }
    const long micro = (static_cast<long>(tempoEvent.data[3]) << 16) +
                       (static_cast<long>(tempoEvent.data[4]) << 8) + tempoEvent.data[5];
    if (micro == 0) {
        // Zero microseconds per quarter note is no tempo at all; the scale
        // of roll time stays as it was.
        out << "Input tempo: " << std::numeric_limits<double>::infinity() << std::endl;
        out << "out of range iptempo, not used" << std::endl;
        iptempovalid = false;
        return;
    }
    iptempo = 1000000.0 / micro * 60.0;
    out << "Input tempo: " << iptempo << std::endl;
    iptempovalid = true;
    if (!tempoInRange(iptempo)) {
        out << "out of range iptempo, not used" << std::endl;
        iptempovalid = false;
    }
}

// The argument as far as it can be read as a decimal number.  strtod also
// reads hexadecimal numbers ("0x64" would be 100); a tempo is written in
// decimal, so of "0x64" only the leading 0 counts.
std::string decimalPart(const char* argument) {
    std::string text = argument;
    size_t at = text.find_first_not_of(" \t\n\v\f\r");
    if (at == std::string::npos) {
        return text;
    }
    if (text[at] == '+' || text[at] == '-') {
        at++;
    }
    if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        text.erase(at + 1);
    }
    return text;
}

}  // namespace

void printBanner(const Organ& organ, std::ostream& out) {
    out << std::endl;
    out << organ.bannerLine << std::endl;
    out << organ.creditLine << std::endl;
    out << std::endl;
}

double tempoArgument(const char* argument) {
    return std::strtod(decimalPart(argument).c_str(), nullptr);
}

bool tempoInRange(double beatsPerMinute) {
    return std::isfinite(beatsPerMinute) && beatsPerMinute >= lowestTempo &&
           beatsPerMinute <= highestTempo;
}

bool acceptOutputTempo(const char* argument) {
    optempovalid = true;
    specifiedtempo = tempoArgument(argument);
    return tempoInRange(specifiedtempo);
}

std::string rollRefusal(MidiFile& roll) {
    numtracks = roll.getTrackCount();
    std::ostringstream message;
    if (numtracks != 1) {
        message << "Invalid e-roll, " << numtracks << " tracks";
    } else if (roll.getTicksPerQuarterNote() <= 0) {
        message << "Invalid e-roll, " << roll.getTicksPerQuarterNote()
                << " ticks per quarter note";
    }
    return message.str();
}

void metadataPass(MidiFile& roll, std::ostream& out) {
    const int count = roll.getNumEvents(0);
    for (int index = 0; index < count; index++) {
        event = roll.getEvent(0, index);
        if (isMetaOfType(event, metaCopyright)) {
            showRollText(event, metaCopyright, copyright, "Copyright: ", out);
        } else if (isMetaOfType(event, metaTempo)) {
            readRollTempo(event, out);
        } else if (isMetaOfType(event, metaTrackName)) {
            showRollText(event, metaTrackName, title, "Title: ", out);
        } else if (isMetaOfType(event, metaText)) {
            showRollText(event, metaText, description, "", out);
        }
    }
}

void chooseOutputTempo() {
    if (iptempovalid) {
        optempo = iptempo;
    }
    if (optempovalid) {
        optempo = specifiedtempo;
    }
}

double notePass(const Organ& organ, MidiFile& roll) {
    // Start, in seconds of roll time, of the hole open at each key; -1.0
    // while none is.  A data byte can hold any value, so every byte value
    // has its entry.
    const int keys = 256;
    double pending[keys];
    for (double& start : pending) {
        start = -1.0;
    }
    double lastEnd = 0.0;
    const double rollTpq = roll.getTicksPerQuarterNote();

    const int count = roll.getNumEvents(0);
    for (int index = 0; index < count; index++) {
        const MFEvent& note = roll.getEvent(0, index);
        if (note.data.getSize() < 3) {
            continue;  // no note message
        }
        const int status = note.data[0] & 0xF0;
        const int key = note.data[1];
        const double tick = note.time;
        if (status == 0x90 && note.data[2] != 0) {
            pending[key] = tick * 60.0 / iptempo / rollTpq;
        } else if (status == 0x90 || status == 0x80) {
            if (pending[key] < 0.0) {
                continue;  // a closing without an opening is no hole
            }
            const double end = tick * 60.0 / rollTpq / iptempo;
            lastEnd = end;
            duration = end - pending[key];
            organ.translate(pending[key], duration, key);
            pending[key] = -1.0;
            if (outofrangecount > organ.validity.mostHolesOutsideScale) {
                break;  // a roll of another organ: refused without going on
            }
        }
    }
    return lastEnd;
}

bool rollIsValid(const Organ& organ) {
    const ValidityRule& rule = organ.validity;
    return !(outofrangecount > rule.mostHolesOutsideScale ||
             requirednotecount < rule.fewestRequiredHoles);
}

double translateRoll(const Organ& organ, MidiFile& roll, std::ostream& out) {
    roll.absoluteTime();
    layOutArrangement(organ, roll.getTicksPerQuarterNote());
    metadataPass(roll, out);
    chooseOutputTempo();
    addTempoEvent();
    return notePass(organ, roll);
}

std::string writeArrangement() {
    outputfile.sortTracks();
    if (!outputfile.write(os_buffer)) {
        return std::string();
    }
    return os_buffer.str();
}

std::string arrangeRoll(const Organ& organ, MidiFile& roll, std::ostream& out,
                        double* lastEnd) {
    result = organ.marker;
    const double end = translateRoll(organ, roll, out);
    if (lastEnd != nullptr) {
        *lastEnd = end;
    }
    return writeArrangement();
}

int playingSeconds(double lastEnd) {
    const double seconds = iptempo * lastEnd / optempo;
    return seconds < static_cast<double>(INT_MAX) ? static_cast<int>(seconds) : INT_MAX;
}

std::string playingTimeLine(double lastEnd) {
    const int whole = playingSeconds(lastEnd);
    std::ostringstream line;
    line << "Playing time: " << whole / 60 << " minutes " << whole % 60 << " seconds";
    return line.str();
}

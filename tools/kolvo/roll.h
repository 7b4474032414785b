// A roll as the companion program handles it: the bytes of its file, read
// once, and its arrangement for an organ, made by the players' own driver
// and translators.  Nothing here sounds.

#ifndef KOLVO_TOOL_ROLL_H
#define KOLVO_TOOL_ROLL_H

#include <string>
#include <vector>

#include "MidiFile.h"
#include "organ.h"

struct RollFile {
    std::string path;
    std::string bytes;
    int tracks = 0;  // of the file as read, joined into one; 0 when unknown
    int shift = 0;   // keys the holes were moved by
};

// Reads the file at `path`.  False, with the refusal text, when it does
// not exist, is a directory or cannot be read.
bool loadRollFile(const std::string& path, RollFile& roll, std::string& refusal);

// Reads the file's bytes as a MIDI file with the library.  False, with the
// refusal (the library's first message), when it is none.
bool readMidiFile(const RollFile& file, MidiFile& midi, std::string& refusal);

// A hole as the driver hands it to the translator: start and duration in
// seconds of roll time, and its position on the tracker bar.
struct RollHole {
    double start;
    double duration;
    int hole;
};

// A copyright, title or text of the roll (meta type 2, 3 or 1), as the
// players print it.
struct RollText {
    int type;
    std::string text;
};

// A control of the organ switched on or off (the shutter opened or closed)
// by a hole: at the end of that hole, when the translator handles it, in
// seconds of roll time; `control` indexes the organ's controls.
struct ControlChange {
    double rollSeconds;
    int control;
    bool on;
};

// What would play a refused roll: another organ, a shift of its holes by
// whole octaves, or both.
struct RollAdvice {
    const Organ* organ;
    int shift;
    std::string message;  // "the holes lie 12 keys above the Wurlitzer 165 scale: ..."
};

// The rules by which a roll is refused, as info --json names them.
namespace refusalRule {
inline constexpr char file[] = "file";            // missing or unreadable
inline constexpr char midi[] = "midi";            // no Standard MIDI File
inline constexpr char tracks[] = "tracks";        // notes on several tracks, or no track
inline constexpr char division[] = "division";    // no ticks per quarter note
inline constexpr char shift[] = "shift";          // --shift moves a hole off the tracker bar
inline constexpr char scale[] = "scale";          // too many holes outside the scale
inline constexpr char required[] = "required_holes";  // too few of the organ's required holes
inline constexpr char organs[] = "organs";        // the organs refuse it by different rules
inline constexpr char arrangement[] = "arrangement";  // the arrangement cannot be written
inline constexpr char failed[] = "failed";            // examining it failed
}  // namespace refusalRule

struct Arrangement {
    const Organ* organ = nullptr;  // null: no organ plays the roll
    std::string refusal;  // why the organ does not play the roll; empty when it does
    const char* rule = nullptr;  // the rule that refused it (refusalRule), else null
    std::vector<RollAdvice> advice;  // for a refused roll: what would play it
    bool midiFile = false;  // the library read it as a MIDI file
    bool readable = false;  // a one-track MIDI file with ticks per quarter note

    // Read from a MIDI file.
    int ticksPerQuarterNote = 0;
    std::vector<RollText> texts;  // of its first track

    // From here on only for a readable roll.
    bool rollHasTempo = false;
    double inputTempo = 0.0;      // the roll's own tempo, or the default
    bool inputTempoUsed = false;  // within the limits, so taken as the output tempo
    double outputTempo = 0.0;

    // From here on only when an organ translated the roll.
    std::string file;  // the arrangement as the player writes it, without padding
    std::vector<RollHole> holes;  // every completed hole, in the order translated
    // Every change of the organ's controls in the order it happened; those
    // on at the start come first, at time 0.  Before its first change a
    // control is off.
    std::vector<ControlChange> controlChanges;
    double lastEnd = 0.0;  // roll seconds at which the last hole closes
    int playingSeconds = 0;
    std::string playingTime;  // the players' line: "Playing time: M minutes S seconds"
    int holesOutsideScale = 0;  // all of them, also where the translator stopped early
    int requiredHoles = 0;
    bool translatedWhole = false;  // to its end: requiredHoles counts the whole roll
    int firstNoteTick = -1;  // of the arrangement's first note; -1 when it has none

    bool playable() const { return organ != nullptr && refusal.empty(); }

    // Seconds of playing time (at the output tempo) at a time of the roll.
    double playedSeconds(double rollSeconds) const {
        return rollSeconds * inputTempo / outputTempo;
    }
};

// The roll arranged for `organ` as its player would arrange it, at the
// output tempo `tempo` (a checked --tempo argument) or, when empty, at the
// roll's own.  The refusal says why the organ does not play it.
Arrangement arrangeFor(const Organ& organ, const RollFile& roll, const std::string& tempo);

// The roll tried on each organ in turn: the arrangement of the first
// whose translator accepts it.  When none does, an arrangement without an
// organ whose refusal says why, with advice; each attempt goes to `tried`
// when given.
Arrangement arrangeForEither(const RollFile& roll, const std::string& tempo,
                             std::vector<Arrangement>* tried = nullptr);

// The organ when given, else the one that accepts the roll; a refused
// roll's arrangement has the advice.
Arrangement arrangeForOrgan(const Organ* organ, const RollFile& roll,
                            const std::string& tempo);

// The roll's title (its first track name), else its file name.
std::string rollTitle(const Arrangement& arrangement, const std::string& path);

// The longest roll that is pictured or rendered, in seconds of playing
// time, and the refusal of a longer one.  (A WAV file holds less than
// seven hours.)
const double longestRollSeconds = 5 * 3600.0;
std::string tooLongRefusal();

// The roll, as read by loadRollFile, taken in as this run asks and
// arranged for the organ that accepts it, as info tells of it: refused
// when it cannot be taken in, else as arrangeForEither says.
Arrangement examineRoll(RollFile& roll, std::vector<Arrangement>* tried = nullptr);

// What a refused roll's error line says: the refusal and the advice.
std::string refusalText(const Arrangement& arrangement);

// Loads the file (loadRollFile) and takes it in as this run asks
// (rollintake.h), saying on standard error when it joined tracks.  False,
// with the rule and the refusal, when it cannot.
bool loadRoll(const std::string& path, RollFile& roll, const char*& rule,
              std::string& refusal);

// Loads the roll and arranges it for the organ (when given, else for the
// one that accepts it).  When it cannot be played, prints its error line
// on standard error and returns false.
bool arrangePlayable(const std::string& path, const Organ* organ, const std::string& tempo,
                     Arrangement& arrangement);

#endif

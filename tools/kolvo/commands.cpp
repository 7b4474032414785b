// The subcommands' options, operands and help texts.

#include "commands.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "driver.h"
#include "messages.h"
#include "organs.h"
#include "outputs.h"
#include "renderer.h"
#include "rollintake.h"
#include "rollpicture.h"

namespace {

// "kolvo165 and kolvo150", with `last` before the last.
std::string players(const char* last) {
    return listOrgans([](const Organ& organ) { return std::string("kolvo") + organ.name; },
                      last);
}

// How a roll's organ is found when --organ does not name it.
std::string tryingEvery() {
    return organs().size() == 2 ? "both" : "each";
}

// The options that several subcommands share.

Option organOption() {
    return {nullptr, "--organ", organNames("|", "|"),
            "the organ; found by trying " + tryingEvery() + " when not given", checkOrgan};
}

Option tempoOption() {
    return {nullptr, "--tempo", "BPM", "output tempo, 10.0 to 200.0; the roll's own by default",
            checkTempo};
}

Option shiftOption() {
    return {nullptr, "--shift", "N",
            "move every hole by N keys (-12: an octave down)\n"
            "before the organ reads it; info tells when it fits",
            checkShift};
}

Option joinOption() {
    return {nullptr, "--join", "", "join notes on several tracks into one roll"};
}

Option soundfontOption() {
    return {nullptr, "--soundfont", "SF2",
            "by default the players' own, else the band-organ\n"
            "soundfont installed with kolvo or, in the build\n"
            "folder, built there, else Debian's TimGM6mb"};
}

Option quietOption(const char* what) {
    return {"-q", "--quiet", "", std::string("no soundfont line and no ") + what};
}

Option jobsOption(const char* what) {
    return {"-j", "--jobs", "N", std::string(what) + " at once (default: the number of cores)",
            checkCount};
}

Option verboseOption() {
    return {"-v", "--verbose", "", "FluidSynth's own errors and warnings too"};
}

// A level in whole decibels: "-16".
std::string decibels(double level) {
    return std::to_string(static_cast<int>(level));
}

void checkLoudness(const std::string& name, const std::string& value) {
    char* end = nullptr;
    const double lufs = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(lufs >= quietestLoudness && lufs <= loudestLoudness)) {
        throw UsageError(name + " takes a loudness from " + decibels(quietestLoudness) + " to " +
                         decibels(loudestLoudness) + " LUFS, not \"" + value + "\"");
    }
}

void checkGain(const std::string& name, const std::string& value) {
    char* end = nullptr;
    const double gain = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(gain >= 0.0 && gain <= 10.0)) {
        throw UsageError(name + " takes a gain from 0.0 to 10.0, not \"" + value + "\"");
    }
}

// "wav (the default), flac or ogg; ...": the first format is the default.
std::string formatHelp() {
    const std::string first = audioFormats()[0].name;
    return first + " (the default)" + formatChoices(" or ", ", ").substr(first.size()) +
           ";\nfrom OUT's extension when not given";
}

std::vector<Command> makeCommands() {
    const std::string organChoice = "[--organ " + organNames("|", "|") + "]";
    return {
        {"info",
         "info [--json] ROLL...          which organ, tempo, texts, holes",
         "Usage: kolvo info [--json] ROLL... [--shift N] [--join]",
         "For each roll: the organ it fits (" + organNames(", ") +
             " or neither, why, and what would\n"
             "play it), its ticks per quarter note, input and output tempo, playing time,\n"
             "texts, the holes of each section and how often each control hole occurs.",
         {{nullptr, "--json", "", "one JSON document for all rolls"}, shiftOption(), joinOption()},
         14,
         "Exit status: 0 when every roll was read (whatever organ it fits), 1 when a\n"
         "roll could not be read, 2 for a usage error.\n",
         1, -1, "info needs at least one roll"},

        {"export",
         "export ROLL OUT.mid            the arrangement as a MIDI file",
         "Usage: kolvo export ROLL OUT.mid " + organChoice + " [--tempo BPM]\n"
         "                    [--shift N] [--join]",
         "Writes the arrangement that " + players(" or ") + " hands to the synthesizer\n"
             "(sixteen tracks, one voice each) as a Standard MIDI File, for a score\n"
             "editor or another synthesizer.  OUT.mid \"-\" writes to standard output.",
         {organOption(), tempoOption(), shiftOption(), joinOption()},
         19, "", 2, 2, "export takes a roll and an output file"},

        {"render",
         "render ROLL... [-o OUT]        audio files, faster than real time",
         "Usage: kolvo render ROLL... [-o OUT | --out-dir DIR] " + organChoice +
             "\n"
             "                    [--tempo BPM] [--soundfont SF2]\n"
             "                    [--format " +
             formatChoices("|", "|") +
             "]\n"
             "                    [--shift N] [--join] [--no-normalize | --loudness LUFS]\n"
             "                    [-j N] [-q] [-v]",
         "Renders each roll to an audio file, offline and faster than real time,\n"
         "from its first note until its last release has died away.  The file is\n"
         "named after the roll (demo165.mid gives demo165.wav) in the working\n"
         "directory, or in DIR; OUT's extension names its format.  Each file is\n"
         "brought to " + decibels(defaultLoudness) + " LUFS (ITU-R BS.1770) with no sample above " +
             decibels(peakCeiling) + " dBFS.\n"
         "Several rolls render in parallel, one process each.",
         {{"-o", "--out", "OUT", "the output file, for a single roll"},
          {nullptr, "--out-dir", "DIR", "where the files named after the rolls go"},
          organOption(),
          tempoOption(),
          shiftOption(),
          joinOption(),
          soundfontOption(),
          {nullptr, "--format", "FORMAT", formatHelp(),
           [](const std::string&, const std::string& value) { formatNamed(value); }},
          {nullptr, "--no-normalize", "", "the synthesizer's own level"},
          {nullptr, "--loudness", "LUFS",
           "the loudness to bring each file to, " + decibels(quietestLoudness) + " to " +
               decibels(loudestLoudness),
           checkLoudness},
          jobsOption("rolls rendered"),
          quietOption("progress bars"),
          verboseOption(),
          // A child of a parallel rendering reports its progress there.
          {nullptr, "--progress-fd", "FD", "", checkCount}},
         21, "", 1, -1, "render needs at least one roll"},

        {"play",
         "play ROLL...                   through the audio output, with progress",
         "Usage: kolvo play ROLL... " + organChoice +
             " [--tempo BPM] [--soundfont SF2]\n"
             "                  [--shift N] [--join] [--audio-driver NAME] [--device NAME]\n"
             "                  [--gain G] [--loop] [--shuffle] [-q] [-v]",
         "Plays the rolls one after another through the audio output, as " +
             players("\nand ") + " do, the organ found by trying " + tryingEvery() +
             ".  On a terminal it shows\n"
             "each title and the elapsed and total time; the keys n and p skip to the\n"
             "next and the previous roll, space pauses and resumes; Ctrl-C stops cleanly.",
         {organOption(), tempoOption(), shiftOption(), joinOption(), soundfontOption(),
          {nullptr, "--audio-driver", "NAME",
           "FluidSynth's audio driver (alsa, pulseaudio, jack,\n"
           "file, ...); \"help\" lists those it offers"},
          {nullptr, "--device", "NAME", "the driver's output device (ALSA: hw:1, ...)"},
          {nullptr, "--gain", "G", "the synthesizer's gain, 0.0 to 10.0 (default 0.5)",
           checkGain},
          {nullptr, "--loop", "", "the list over and over until stopped"},
          {nullptr, "--shuffle", "", "the rolls in a new order each time"},
          quietOption("progress"), verboseOption()},
         23,
         "Exit status: 0 played, 1 a roll refused or no audio output, 130 stopped.\n",
         0, -1, "play needs at least one roll"},

        {"page",
         "page ROLL... [-o OUT.html]     a web page that plays the roll as it passes",
         "Usage: kolvo page ROLL... [-o OUT.html | --out-dir DIR] " + organChoice +
             "\n"
             "                  [--tempo BPM] [--soundfont SF2] [--audio FILE]\n"
             "                  [--shift N] [--join] [-j N] [-q] [-v]",
         "Writes for each roll one self-contained HTML page that plays the roll, as\n"
         "kolvo render renders it, while the roll passes a fixed tracker bar: the\n"
         "holes under the bar light up as they sound, a lamp for each register, the\n"
         "stop, the bells and the shutter shows the organ's state.  Nothing is\n"
         "fetched from anywhere.  The page is named after the roll (demo165.mid\n"
         "gives demo165.html) in the working directory, or in DIR.",
         {{"-o", "--out", "OUT.html", "the page, for a single roll; \"-\" writes it to\n"
                                      "standard output"},
          {nullptr, "--out-dir", "DIR", "where the pages named after the rolls go"},
          organOption(),
          tempoOption(),
          shiftOption(),
          joinOption(),
          soundfontOption(),
          {nullptr, "--audio", "FILE",
           "link this audio file (the roll as kolvo render\n"
           "renders it) instead of embedding the audio: for\n"
           "very long rolls; for a single roll"},
          jobsOption("pages made"),
          quietOption("progress bars"),
          verboseOption()},
         22, "", 1, -1, "page needs at least one roll"},

        {"view",
         "view ROLL [-o OUT.svg]         a picture of the roll",
         "Usage: kolvo view ROLL [-o OUT.svg] " + organChoice +
             " [--shift N] [--join]\n"
             "                  [--seconds-per-strip S]",
         "Draws the roll as its organ sees it: time running along the roll in strips\n"
         "of half a minute, one lane per hole of the tracker bar labelled with what\n"
         "the hole does, each hole coloured by its kind (bass, accompaniment, melody,\n"
         "trumpet, percussion, register/stop/bells, shutter, cancel), a lane per\n"
         "register, stop, bells and shutter marked where it is on (open), and a\n"
         "seconds axis.  The picture is named after the roll (demo165.svg) in the\n"
         "working directory unless -o names it; \"-o -\" writes it to standard output.",
         {{"-o", "--out", "OUT.svg", "the picture's file"},
          organOption(),
          shiftOption(),
          joinOption(),
          {nullptr, "--seconds-per-strip", "S",
           "seconds of the roll in each strip, 1 to 3600\n"
           "(default 30): more shows more of the roll in the\n"
           "same width",
           checkStripSeconds}},
         25, "", 1, 1, "view takes one roll"},

        {"fix",
         "fix ROLL [OUT.mid]             the one-track e-roll the players take",
         "Usage: kolvo fix ROLL [OUT.mid] " + organChoice + " [--shift N] [--join]",
         "Writes the roll as the one-track e-roll that " + players(" or ") + " plays\n"
         "(its tracks joined, its holes shifted as asked) and tells which player\n"
         "plays it.  OUT.mid is the roll's name with -fixed.mid in the working\n"
         "directory unless given, never the roll itself; \"-\" writes to standard\n"
         "output.",
         {organOption(), shiftOption(), joinOption()},
         19, "", 1, 2, "fix takes a roll and maybe an output file"},

        {"dump",
         "dump FILE.mid                  the library's text dump of a MIDI file",
         "Usage: kolvo dump FILE.mid",
         "Prints the MIDI file as the MIDI file library sees it: its tracks, timing\n"
         "and every event with its absolute tick.  Any Standard MIDI File will do,\n"
         "a roll or an exported arrangement.",
         {},
         14, "", 1, 1, "dump takes one MIDI file"},
    };
}

}  // namespace

const std::vector<Command>& commands() {
    static const std::vector<Command> all = makeCommands();
    return all;
}

const Command* commandNamed(const std::string& name) {
    for (const Command& command : commands()) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

std::string programHelp() {
    std::string help =
        "Usage: kolvo SUBCOMMAND [OPTIONS] ...\n"
        "\n"
        "Companion of " + players(" and ") + ": renders Wurlitzer " + organNames(" and ") +
        " e-rolls\n"
        "to audio files, exports their arrangement, tells which organ a roll is\n"
        "for, pictures it and plays it with progress.\n"
        "\n"
        "Subcommands:\n";
    for (const Command& command : commands()) {
        help += "  kolvo " + command.summary + "\n";
    }
    return help +
           "\n"
           "kolvo SUBCOMMAND --help tells more; kolvo --version the version.\n"
           "Exit status: 0 done, 1 a roll refused or a failure, 2 a usage error.\n";
}

const Organ* chosenOrgan(const Arguments& args) {
    return args.has("--organ") ? findOrgan(args.value("--organ")) : nullptr;
}

void checkOrgan(const std::string& /*name*/, const std::string& value) {
    if (findOrgan(value) == nullptr) {
        throw UsageError("--organ takes " + organNames(" or ") + ", not \"" + value + "\"");
    }
}

void checkTempo(const std::string& /*name*/, const std::string& value) {
    if (!tempoInRange(tempoArgument(value.c_str()))) {
        throw UsageError(outputTempoOutOfRange);
    }
}

void checkCount(const std::string& name, const std::string& value) {
    char* end = nullptr;
    const long count = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || count < 1 || count > 1024) {
        throw UsageError(name + " takes a count from 1 to 1024, not \"" + value + "\"");
    }
}

void checkShift(const std::string& name, const std::string& value) {
    char* end = nullptr;
    const long keys = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || keys < -largestShift || keys > largestShift) {
        throw UsageError(name + " takes keys from -" + std::to_string(largestShift) + " to " +
                         std::to_string(largestShift) + ", not \"" + value + "\"");
    }
}

RollIntake intakeOf(const Command& command, const Arguments& args) {
    RollIntake intake;
    for (const Option& option : command.options) {
        const std::string name = option.longName != nullptr ? option.longName : "";
        if (name == "--shift" && args.has("--shift")) {
            intake.shift = countOf(args.value("--shift"));
        } else if (name == "--join") {
            intake.join = args.has("--join");
        }
    }
    return intake;
}

void checkStripSeconds(const std::string& name, const std::string& value) {
    char* end = nullptr;
    const double seconds = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !(seconds >= fewestStripSeconds) ||
        !(seconds <= mostStripSeconds)) {
        throw UsageError(name + " takes seconds from " + std::to_string(int(fewestStripSeconds)) +
                         " to " + std::to_string(int(mostStripSeconds)) + ", not \"" + value +
                         "\"");
    }
}

int countOf(const std::string& value) {
    return static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
}

int jobsOf(const Arguments& args) {
    return args.has("--jobs") ? countOf(args.value("--jobs"))
                              : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// kolvo play: rolls one after another through the audio output, with the
// title and elapsed / total time on a terminal.  Each roll plays in a
// child process of its own.

#include "fluidobjects.h"
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "arrangement.h"
#include "child.h"
#include "cli.h"
#include "librarymessages.h"
#include "messages.h"
#include "playback.h"
#include "progress.h"
#include "roll.h"
#include "subcommands.h"
#include "synthesis.h"

namespace {

const char* const help =
    "Usage: kolvo play ROLL... [--organ 165|150] [--tempo BPM] [--soundfont SF2]\n"
    "                  [-q] [-v]\n"
    "\n"
    "Plays the rolls one after another through the audio output, as kolvo165\n"
    "and kolvo150 do, the organ found by trying both.  On a terminal it shows\n"
    "the title and the elapsed and total time; Ctrl-C stops cleanly.\n"
    "\n"
    "  --organ 165|150    the organ; found by trying both when not given\n"
    "  --tempo BPM        output tempo, 10.0 to 200.0; the roll's own by default\n"
    "  --soundfont SF2    by default the players' own, else the band-organ\n"
    "                     soundfont installed with kolvo or, in the build\n"
    "                     folder, built there, else Debian's TimGM6mb\n"
    "  -q, --quiet        no soundfont line and no progress\n"
    "  -v, --verbose      FluidSynth's own errors and warnings too\n"
    "  -h, --help         this help\n"
    "\n"
    "Exit status: 0 played, 1 a roll refused or no audio output, 130 stopped.\n";

// A child's status when there is no audio output: no roll can be played.
const int noAudioStatus = 3;

struct Settings {
    const OrganProfile* organ = nullptr;
    std::string tempo;
    std::string soundfont;
    bool quiet = false;
    bool verbose = false;
};

// The default audio driver of the synthesizer.  The sound libraries below
// FluidSynth print their own lines on standard error when there is no
// audio output; they are heard only with --verbose, since the program says
// in one line what failed.
fluid_audio_driver_t* openAudioOutput(fluid_settings_t* settings, fluid_synth_t* synth,
                                      bool verbose) {
    if (verbose) {
        return new_fluid_audio_driver(settings, synth);
    }
    std::fflush(stderr);
    const int savedError = dup(STDERR_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY);
    if (savedError >= 0 && nowhere >= 0) {
        dup2(nowhere, STDERR_FILENO);
    }
    fluid_audio_driver_t* audio = new_fluid_audio_driver(settings, synth);
    if (savedError >= 0 && nowhere >= 0) {
        std::fflush(stderr);
        dup2(savedError, STDERR_FILENO);
    }
    for (int fd : {savedError, nowhere}) {
        if (fd >= 0) {
            close(fd);
        }
    }
    return audio;
}

// Plays one roll to its end, or until Ctrl-C.  Runs in a child process.
int playOne(const std::string& path, const Settings& settings) {
    Arrangement a;
    if (!arrangePlayable(path, settings.organ, settings.tempo, a)) {
        return 1;
    }
    FluidObjects s;
    s.settings = new_fluid_settings();
    fluid_settings_setnum(s.settings, "synth.gain", synthesizerGain);
    s.synth = new_fluid_synth(s.settings);
    s.player = s.synth != nullptr ? new_fluid_player(s.synth) : nullptr;
    if (s.player == nullptr) {
        std::cerr << "kolvo: cannot create the synthesizer" << std::endl;
        return 1;
    }
    s.audio = openAudioOutput(s.settings, s.synth, settings.verbose);
    if (s.audio == nullptr) {
        std::cerr << "kolvo: " << audioOutputMissing
                  << "; kolvo render ROLL writes the roll to an audio file instead" << std::endl;
        return noAudioStatus;
    }
    if (!fluid_is_soundfont(settings.soundfont.c_str()) ||
        fluid_synth_sfload(s.synth, settings.soundfont.c_str(), 1) == FLUID_FAILED) {
        std::cerr << "kolvo: cannot load the soundfont " << settings.soundfont << std::endl;
        return 1;
    }

    const double secondsPerTick =
        tempoMicroseconds(a.outputTempo) / 1e6 / a.ticksPerQuarterNote;
    const std::string total = minutesAndSeconds(a.playingSeconds);
    double elapsed = 0.0;
    ProgressBoard board(!settings.quiet && stderrIsTerminal());
    if (board.drawing()) {
        board.message("Playing " + rollTitle(a, path));
    }
    const int bar = board.add(fileNameOf(path));

    fluid_player_add_mem(s.player, a.file.data(), a.file.size());
    fluid_player_play(s.player);
    while (fluid_player_get_status(s.player) == FLUID_PLAYER_PLAYING && !interrupted) {
        // The player runs on while the last notes release.
        elapsed = std::min(fluid_player_get_current_tick(s.player) * secondsPerTick,
                           static_cast<double>(a.playingSeconds));
        board.set(bar, a.playingSeconds > 0 ? elapsed / a.playingSeconds : 1.0,
                  minutesAndSeconds(elapsed) + " / " + total);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (interrupted) {
        fluid_player_stop(s.player);
        fluid_synth_all_notes_off(s.synth, -1);
        board.finish(bar, fileNameOf(path) + "  stopped at " + minutesAndSeconds(elapsed) +
                              " / " + total);
        return interruptedStatus;
    }
    fluid_player_join(s.player);
    board.finish(bar, fileNameOf(path) + "  " + total + " / " + total);
    return 0;
}

}  // namespace

int playCommand(int argc, char** argv) {
    CommandLine args(argc, argv);
    std::vector<std::string> rolls;
    std::string soundfontGiven;
    Settings settings;
    while (args.more()) {
        if (args.flag("-h", "--help")) {
            std::cout << help;
            return 0;
        } else if (args.option("--organ")) {
            settings.organ = organNamed(args.value());
        } else if (args.option("--tempo")) {
            settings.tempo = checkedTempo(args.value());
        } else if (args.option("--soundfont")) {
            soundfontGiven = args.value();
        } else if (args.flag("-q", "--quiet")) {
            settings.quiet = true;
        } else if (args.flag("-v", "--verbose")) {
            settings.verbose = true;
        } else {
            rolls.push_back(args.operand());
        }
    }
    if (rolls.empty()) {
        throw UsageError("play needs at least one roll");
    }
    showSynthesizerMessages(settings.verbose);
    settings.soundfont = announceSoundfont("play", soundfontGiven, settings.quiet);
    if (settings.soundfont.empty()) {
        return 1;
    }

    catchInterrupt();

    int status = 0;
    for (const std::string& roll : rolls) {
        const int played = runInChild([&] { return playOne(roll, settings); }, false).status;
        if (played == interruptedStatus || interrupted) {
            return interruptedStatus;
        }
        if (played == noAudioStatus) {
            return 1;
        }
        if (played != 0) {
            status = 1;
        }
    }
    return status;
}

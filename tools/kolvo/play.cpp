// kolvo play: rolls one after another through the audio output, with the
// title and elapsed / total time on a terminal, once, or over and over,
// in the order given or shuffled anew each time.  Each roll plays in a
// child process of its own; on a terminal, keys skip to the next or the
// previous roll (Ctrl-C in the child) and pause it (SIGSTOP).

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <random>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "arrangement.h"
#include "child.h"
#include "commands.h"
#include "keys.h"
#include "librarymessages.h"
#include "messages.h"
#include "options.h"
#include "organs.h"
#include "outputs.h"
#include "progress.h"
#include "roll.h"
#include "subcommands.h"
#include "synthesis.h"
#include "synthesizer.h"

namespace {

// A child's status when there is no audio output: no roll can be played.
const int noAudioStatus = 3;

struct Settings {
    const Organ* organ = nullptr;
    std::string tempo;
    std::string soundfont;
    std::string audioDriver;
    std::string device;
    double gain = synthesizerGain;
    bool loop = false;
    bool shuffle = false;
    bool quiet = false;
    bool verbose = false;
};

// Plays one roll to its end, or until Ctrl-C.  Runs in a child process.
// `place` tells which roll of the list it is ("2/3").
int playOne(const std::string& path, const std::string& place, const Settings& settings) {
    Arrangement a;
    if (!arrangePlayable(path, settings.organ, settings.tempo, a)) {
        return 1;
    }
    SynthesizerSetup setup;
    setup.quietAudioDriver = !settings.verbose;
    setup.audioDriver = settings.audioDriver;
    setup.device = settings.device;
    setup.gain = settings.gain;
    // Paused, the child stops; the player must not run ahead meanwhile.
    setup.playerFollowsSamples = true;
    Synthesizer s(setup);
    if (s.failure() == SynthesizerFailure::AudioOutput) {
        std::cerr << "kolvo: " << audioOutputMissing
                  << "; kolvo render ROLL writes the roll to an audio file instead" << std::endl;
        return noAudioStatus;
    }
    if (s.failure() != SynthesizerFailure::None) {
        std::cerr << "kolvo: " << failureText(s.failure()) << std::endl;
        return 1;
    }
    if (!s.loadSoundfont(settings.soundfont.c_str())) {
        std::cerr << "kolvo: " << failureText(SynthesizerFailure::Soundfont) << " "
                  << settings.soundfont << std::endl;
        return 1;
    }

    const double secondsPerTick =
        tempoMicroseconds(a.outputTempo) / 1e6 / a.ticksPerQuarterNote;
    const std::string total = minutesAndSeconds(a.playingSeconds);
    double elapsed = 0.0;
    ProgressBoard board(!settings.quiet && stderrIsTerminal());
    if (board.drawing()) {
        board.message("Playing " + rollTitle(a, path) + " (" + place + ")");
    }
    const int bar = board.add(fileNameOf(path));

    s.queue(a.file.data(), a.file.size());
    s.play();
    while (s.playing() && !interrupted) {
        // The player runs on while the last notes release.
        elapsed = std::min(s.currentTick() * secondsPerTick,
                           static_cast<double>(a.playingSeconds));
        board.set(bar, a.playingSeconds > 0 ? elapsed / a.playingSeconds : 1.0,
                  minutesAndSeconds(elapsed) + " / " + total);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (interrupted) {
        s.stop();
        s.allNotesOff();
        board.finish(bar, fileNameOf(path) + "  stopped at " + minutesAndSeconds(elapsed) +
                              " / " + total);
        return interruptedStatus;
    }
    s.join();
    board.finish(bar, fileNameOf(path) + "  " + total + " / " + total);
    return 0;
}

// What a key asks of the roll playing.
enum class Skip { None, Next, Previous };

// Plays the roll at `path` in a child process while reading keys: n and p
// end it (Ctrl-C to the child) to go to the next or the previous roll,
// space pauses and resumes it.  Returns the child's exit status.
int playInChild(const std::string& path, const std::string& place, const Settings& settings,
                TerminalKeys& keys, Skip& skip) {
    const pid_t child = startInChild([&] { return playOne(path, place, settings); });
    skip = Skip::None;
    bool paused = false;
    int status;
    while ((status = reapChild(child, false)) < 0) {
        const int key = keys.next(100);
        if (interrupted && paused) {
            kill(child, SIGCONT);  // to take its Ctrl-C
            paused = false;
        }
        if (key == ' ' && skip == Skip::None) {
            paused = !paused;
            kill(child, paused ? SIGSTOP : SIGCONT);
        } else if ((key == 'n' || key == 'p') && skip == Skip::None) {
            skip = key == 'n' ? Skip::Next : Skip::Previous;
            kill(child, SIGINT);
            if (paused) {
                kill(child, SIGCONT);
                paused = false;
            }
        }
    }
    return status;
}

}  // namespace

int playCommand(const Arguments& args) {
    Settings settings;
    settings.organ = chosenOrgan(args);
    settings.tempo = args.value("--tempo");
    settings.audioDriver = args.value("--audio-driver");
    settings.device = args.value("--device");
    if (args.has("--gain")) {
        settings.gain = std::atof(args.value("--gain").c_str());
    }
    settings.loop = args.has("--loop");
    settings.shuffle = args.has("--shuffle");
    settings.quiet = args.has("--quiet");
    settings.verbose = args.has("--verbose");
    if (!settings.audioDriver.empty()) {
        const std::vector<std::string> drivers = settingChoices("audio.driver");
        if (settings.audioDriver == "help") {
            for (const std::string& driver : drivers) {
                std::cout << driver << "\n";
            }
            return 0;
        }
        if (std::find(drivers.begin(), drivers.end(), settings.audioDriver) == drivers.end()) {
            throw UsageError("--audio-driver takes " + joinedList(drivers, " or ", ", ") +
                             ", not \"" + settings.audioDriver + "\"");
        }
    }
    // Rolls are needed but for "--audio-driver help".
    if (args.operands().empty()) {
        throw UsageError(commandNamed("play")->operandsError);
    }
    showSynthesizerMessages(settings.verbose);
    settings.soundfont = announceSoundfont("play", args.value("--soundfont"), settings.quiet);
    if (settings.soundfont.empty()) {
        return 1;
    }

    catchInterrupt();
    TerminalKeys keys;

    std::vector<std::string> rolls = args.operands();
    std::mt19937 random(std::random_device{}());
    int status = 0;
    do {
        if (settings.shuffle) {
            const std::string last = rolls.back();
            std::shuffle(rolls.begin(), rolls.end(), random);
            // Not the same roll twice in a row from one pass to the next.
            if (rolls.size() > 1 && rolls.front() == last) {
                std::swap(rolls.front(), rolls.back());
            }
        }
        bool played = false;  // a roll of this pass played, or was skipped
        for (size_t i = 0; i < rolls.size();) {
            const std::string place = std::to_string(i + 1) + "/" + std::to_string(rolls.size());
            Skip skip = Skip::None;
            const int ended = playInChild(rolls[i], place, settings, keys, skip);
            if (interrupted) {
                return interruptedStatus;
            }
            if (ended == noAudioStatus) {
                return 1;
            }
            if (skip == Skip::Previous) {
                i = i > 0 ? i - 1 : 0;
                played = true;
                continue;
            }
            if (skip == Skip::None && ended != 0) {
                status = 1;
            } else {
                played = true;
            }
            ++i;
        }
        // Over and over only while some roll plays.
        if (!played) {
            break;
        }
    } while (settings.loop);
    return status;
}

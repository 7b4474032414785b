// kolvo play: rolls one after another through the audio output, with the
// title and elapsed / total time on a terminal.  Each roll plays in a
// child process of its own.

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
#include "commands.h"
#include "librarymessages.h"
#include "messages.h"
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
    bool quiet = false;
    bool verbose = false;
};

// Plays one roll to its end, or until Ctrl-C.  Runs in a child process.
int playOne(const std::string& path, const Settings& settings) {
    Arrangement a;
    if (!arrangePlayable(path, settings.organ, settings.tempo, a)) {
        return 1;
    }
    SynthesizerSetup setup;
    setup.quietAudioDriver = !settings.verbose;
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
        board.message("Playing " + rollTitle(a, path));
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

}  // namespace

int playCommand(const Arguments& args) {
    Settings settings;
    settings.organ = chosenOrgan(args);
    settings.tempo = args.value("--tempo");
    settings.quiet = args.has("--quiet");
    settings.verbose = args.has("--verbose");
    showSynthesizerMessages(settings.verbose);
    settings.soundfont = announceSoundfont("play", args.value("--soundfont"), settings.quiet);
    if (settings.soundfont.empty()) {
        return 1;
    }

    catchInterrupt();

    int status = 0;
    for (const std::string& roll : args.operands()) {
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

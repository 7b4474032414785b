// The players' synthesizer: start, play, stop.

#include "playback.h"

#include <cstdlib>
#include <iostream>

namespace {

// The synthesizer of the SynthesizerRun in force, for the fatal handler.
Synthesizer* running = nullptr;

[[noreturn]] void stopRunningAndExit() {
    if (running != nullptr) {
        stopSynthesizer(running);
        running = nullptr;
    }
    std::exit(1);
}

}  // namespace

Synthesizer* startSynthesizer(const char* fontPath) {
    Synthesizer* s = new Synthesizer(SynthesizerSetup{});
    const SynthesizerFailure failure = s->failure();
    if (failure != SynthesizerFailure::None) {
        // Nothing can be played without it: what has been created so far is
        // deleted and the process ends.
        stopSynthesizer(s);
        std::cerr << failureMessage(failure) << std::endl;
        std::exit(1);
    }
    if (!s->loadSoundfont(fontPath)) {
        std::cerr << "Warning: soundfont " << fontPath
                  << " not loaded; playing without sound" << std::endl;
    }
    return s;
}

void playToEnd(Synthesizer* s, const unsigned char* buffer, long length) {
    s->queue(buffer, static_cast<size_t>(length));
    s->play();
    s->join();
}

void stopSynthesizer(Synthesizer* s) {
    delete s;
}

SynthesizerRun::SynthesizerRun(const char* fontPath) {
    running = startSynthesizer(fontPath);
    previousHandler = setFatalHandler(stopRunningAndExit);
}

SynthesizerRun::~SynthesizerRun() {
    setFatalHandler(previousHandler);
    stopSynthesizer(running);
    running = nullptr;
}

void SynthesizerRun::playToEnd(const unsigned char* buffer, long length) {
    ::playToEnd(running, buffer, length);
}

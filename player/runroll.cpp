// The whole run of kolvo165 and kolvo150, the one step that sounds: the
// driver's steps around a synthesizer.

#include "runroll.h"

#include <cstdio>
#include <iostream>

#include "driver.h"
#include "messages.h"
#include "playback.h"
#include "playbuffer.h"
#include "runstate.h"

int runRoll(const Organ& organ, int argc, char** argv) {
    std::ostream& out = std::cout;
    result = organ.marker;

    printBanner(organ, out);
    if (argc != 2 && argc != 3) {
        out << "Usage: " << (argc > 0 && argv[0] != nullptr ? argv[0] : "") << organ.usageTail
            << std::endl;
        return 1;
    }
    const char* rollPath = argv[1];
    std::FILE* probe = std::fopen(rollPath, "r");
    if (probe == nullptr) {
        out << inputFileMissing << std::endl;
        return 1;
    }
    std::fclose(probe);
    if (argc == 3 && !acceptOutputTempo(argv[2])) {
        out << outputTempoOutOfRange << std::endl;
        return 1;
    }

    // The synthesizer runs from here on, until the run returns.
    SynthesizerRun synthesizer(font);

    MidiFile roll(rollPath);
    const std::string refusal = rollRefusal(roll);
    if (!refusal.empty()) {
        out << refusal << std::endl;
        return 1;
    }

    const double lastEnd = translateRoll(organ, roll, out);
    if (!rollIsValid(organ)) {
        out << organ.invalidRoll << std::endl;
        return 1;
    }

    const std::string writtenFile = writeArrangement();
    if (writtenFile.empty()) {
        std::cerr << unwritableArrangement << std::endl;
        return 1;
    }
    out << playingTimeLine(lastEnd) << std::endl;
    const long length = fillPlaybackBuffer(writtenFile);
    if (length < 0) {
        std::cerr << playBufferNotAllocated << std::endl;
        return 1;
    }
    synthesizer.playToEnd(op_buffer, length);
    return 0;
}

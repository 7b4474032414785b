// libFuzzer target: any bytes as an e-roll of either organ, translated and
// written as the players do it, without playback.  Every written
// arrangement must be a proper MIDI file in which every note ends.

#include <cstddef>
#include <cstdint>

#include "fuzz_checks.h"
#include "xlate150.h"
#include "xlate165.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static QuietConsole quiet;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    stopOnProblem(checkRollTranslation(organ165, data, size));
    stopOnProblem(checkRollTranslation(organ150, data, size));
    return 0;
}

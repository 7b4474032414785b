// libFuzzer target: any bytes as a MIDI file; what the reader accepts and
// the writer writes must read again and write again to the same bytes.

#include <cstddef>
#include <cstdint>

#include "fuzz_checks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static QuietConsole quiet;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    stopOnProblem(checkReadWriteRead(data, size));
    return 0;
}

// The fuzz targets' checks: reading, writing and reading again, and the
// whole translation of a roll into a written arrangement.

#include "fuzz_checks.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "FatalError.h"
#include "MidiFile.h"
#include "driver.h"
#include "runstate.h"
#include "written_file.h"

namespace {

struct FatalErrorRaised {};

[[noreturn]] void raiseFatalError() {
    throw FatalErrorRaised{};
}

// Turns the library's fatal errors into FatalErrorRaised for its lifetime.
class FatalErrorsThrow {
  public:
    FatalErrorsThrow() : previous(setFatalHandler(raiseFatalError)) {}
    ~FatalErrorsThrow() { setFatalHandler(previous); }
    FatalErrorsThrow(const FatalErrorsThrow&) = delete;
    FatalErrorsThrow& operator=(const FatalErrorsThrow&) = delete;

  private:
    FatalHandler previous;
};

// Why `written`, a file the library itself wrote, does not read back and
// write again to the same bytes; empty when it does.
std::string rereadProblem(const std::string& written) {
    MidiFile file;
    std::ostringstream again;
    try {
        if (!file.read(reinterpret_cast<const unsigned char*>(written.data()),
                       static_cast<long>(written.size()), "written")) {
            return "the reader refuses the file the writer wrote";
        }
        if (!file.write(again)) {
            return "the file read back cannot be written again";
        }
    } catch (const FatalErrorRaised&) {
        return "reading or writing the written file ends in a fatal error";
    }
    return again.str() == written ? "" : "the file read back writes other bytes";
}

// Why the events of a file just read do not stand at absolute times from 0
// on, in order; empty when they do.
std::string timeProblem(MidiFile& file) {
    for (int track = 0; track < file.getTrackCount(); track++) {
        int previous = 0;
        for (int index = 0; index < file.getNumEvents(track); index++) {
            const int time = file.getEvent(track, index).time;
            if (time < previous) {
                return "the reader puts an event of track " + std::to_string(track) +
                       " at tick " + std::to_string(time) + ", before tick " +
                       std::to_string(previous);
            }
            previous = time;
        }
    }
    return "";
}

}  // namespace

std::string checkReadWriteRead(const unsigned char* bytes, std::size_t size) {
    FatalErrorsThrow fatalErrorsThrow;
    std::string written;
    try {
        MidiFile file;
        if (!file.read(bytes, static_cast<long>(size), "input")) {
            return "";  // refused
        }
        const std::string problem = timeProblem(file);
        if (!problem.empty()) {
            return problem;
        }
        std::ostringstream out;
        if (!file.write(out)) {
            return "";  // a file that cannot be written: nothing to compare
        }
        written = out.str();
    } catch (const FatalErrorRaised&) {
        return "";  // refused with a fatal error
    }
    return rereadProblem(written);
}

std::string checkRollTranslation(const Organ& organ, const unsigned char* bytes,
                                 std::size_t size) {
    FatalErrorsThrow fatalErrorsThrow;
    resetRunState();
    organ.resetControls();
    result = organ.marker;

    MidiFile roll;
    try {
        roll.read(bytes, static_cast<long>(size), "roll");
    } catch (const FatalErrorRaised&) {
        return "";  // refused by the reader
    }
    if (!rollRefusal(roll).empty()) {
        return "";  // refused by the driver
    }

    // What writeArrangement() does, keeping the writer's answer.
    std::string written;
    try {
        std::ostream nowhere(nullptr);
        translateRoll(organ, roll, nowhere);
        outputfile.sortTracks();
        std::ostringstream out;
        if (!outputfile.write(out)) {
            return "";  // refused by the writer
        }
        written = out.str();
    } catch (const FatalErrorRaised&) {
        return "the translation or the writer ends in a fatal error";
    }

    const WrittenFile file = readWrittenFile(written);
    if (!file.error.empty()) {
        return "the written arrangement is no proper MIDI file: " + file.error;
    }
    const std::vector<std::string> stuck = unstoppedNotes(file);
    if (!stuck.empty()) {
        return "the written arrangement has a stuck note: " + stuck.front();
    }
    const std::string problem = rereadProblem(written);
    return problem.empty() ? "" : "the written arrangement: " + problem;
}

void stopOnProblem(const std::string& problem) {
    if (!problem.empty()) {
        std::fprintf(stderr, "FINDING: %s\n", problem.c_str());
        std::abort();
    }
}

QuietConsole::QuietConsole()
    : savedOut(std::cout.rdbuf(nullptr)), savedErr(std::cerr.rdbuf(nullptr)) {}

QuietConsole::~QuietConsole() {
    std::cout.rdbuf(savedOut);
    std::cerr.rdbuf(savedErr);
}

// The checks of the fuzz targets, shared by their libFuzzer entries and by
// the replay of the checked-in corpus in the test suite.  Each takes the
// bytes of one input file and returns an empty string when everything held,
// otherwise one line that says what went wrong.
//
// A fatal error of the MIDI file library (its message, then the end of the
// process) is an accepted answer to a file it cannot read: while a check
// runs it is turned into an exception, caught and counted as a refusal.

#ifndef KOLVO_FUZZ_CHECKS_H
#define KOLVO_FUZZ_CHECKS_H

#include <cstddef>
#include <streambuf>
#include <string>

#include "organ.h"

// Read the bytes; when the reader accepts them, every event stands at an
// absolute time from 0 on, in order, and when the writer writes the file,
// the written bytes read again and write again to the same bytes.
std::string checkReadWriteRead(const unsigned char* bytes, std::size_t size);

// Translate the bytes as a roll of `organ` from the initial run state,
// without playback, and write the arrangement (valid roll or not): every
// written file reads back, strictly and with the library, and writes again
// to the same bytes, and every note-on it holds has a later note-off on
// its channel and key.
std::string checkRollTranslation(const Organ& organ, const unsigned char* bytes,
                                 std::size_t size);

// For the libFuzzer entries: prints the problem and aborts, which libFuzzer
// records as a finding with its input; does nothing for an empty problem.
void stopOnProblem(const std::string& problem);

// Sends standard output and standard error of C++ streams nowhere while it
// lives (the reader reports every refused file there), then restores them.
class QuietConsole {
  public:
    QuietConsole();
    ~QuietConsole();
    QuietConsole(const QuietConsole&) = delete;
    QuietConsole& operator=(const QuietConsole&) = delete;

  private:
    std::streambuf* savedOut;
    std::streambuf* savedErr;
};

#endif

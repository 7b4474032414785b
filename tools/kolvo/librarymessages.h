// The MIDI file library prints its messages on standard output and
// standard error, and ends the process on a fatal error.  While the
// companion program reads or arranges a roll it keeps those messages
// instead, so that it can say in one line of its own what went wrong,
// and standard output stays free for what the program writes there.

#ifndef KOLVO_TOOL_LIBRARYMESSAGES_H
#define KOLVO_TOOL_LIBRARYMESSAGES_H

#include <iosfwd>
#include <sstream>
#include <string>

class LibraryMessages {
  public:
    // Keeps what the library prints from now on, for the roll at this path.
    explicit LibraryMessages(const std::string& rollPath);
    ~LibraryMessages();
    LibraryMessages(const LibraryMessages&) = delete;
    LibraryMessages& operator=(const LibraryMessages&) = delete;

    // The first line the library printed, empty when it printed nothing.
    std::string firstLine() const;
    const std::string& rollPath() const { return rollPath_; }

    // Gives the library's output back to the real streams (once).
    void restore();

  private:
    std::string rollPath_;
    std::stringbuf kept_;
    std::streambuf* savedOut_;
    std::streambuf* savedErr_;
    LibraryMessages* outer_;
    bool restored_ = false;
};

// The line by which the program refuses a roll: "kolvo: ROLL: TEXT", or
// "kolvo: TEXT" when the text names the roll already.
std::string rollErrorLine(const std::string& rollPath, const std::string& text);

// What the program does when the library ends the process while a roll is
// read or arranged: by default it prints the roll's error line, with the
// library's first message as the text, on standard error.  Afterwards the
// process ends with status 1.
using FatalReport = void (*)(const std::string& rollPath, const std::string& message);
void setFatalReport(FatalReport report);

// Puts the program's own handler at the end of the library's fatal errors.
void installFatalHandler();

#endif

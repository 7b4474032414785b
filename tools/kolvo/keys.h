// Single keys from the terminal on standard input, read without waiting
// for a line and without echo; Ctrl-C still interrupts.  The terminal's
// mode comes back when the object goes, on every way out of its scope.

#ifndef KOLVO_TOOL_KEYS_H
#define KOLVO_TOOL_KEYS_H

#include <termios.h>

class TerminalKeys {
  public:
    // Does nothing when standard input is no terminal, or one whose
    // foreground is another program.
    TerminalKeys();
    ~TerminalKeys();
    TerminalKeys(const TerminalKeys&) = delete;
    TerminalKeys& operator=(const TerminalKeys&) = delete;

    bool reading() const { return reading_; }
    // The next key pressed within `milliseconds`, or -1 (after the wait
    // also when standard input is no terminal).
    int next(int milliseconds);

  private:
    bool reading_ = false;
    struct termios saved_ {};
};

#endif

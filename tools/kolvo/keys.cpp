// Keys from the terminal.

#include "keys.h"

#include <poll.h>
#include <unistd.h>

TerminalKeys::TerminalKeys() {
    // Only in the terminal's foreground: a program started in the
    // background would be stopped for changing the terminal's mode.
    if (!isatty(STDIN_FILENO) || tcgetpgrp(STDIN_FILENO) != getpgrp() ||
        tcgetattr(STDIN_FILENO, &saved_) != 0) {
        return;
    }
    struct termios keys = saved_;
    keys.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    reading_ = tcsetattr(STDIN_FILENO, TCSANOW, &keys) == 0;
}

TerminalKeys::~TerminalKeys() {
    if (reading_) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
    }
}

int TerminalKeys::next(int milliseconds) {
    struct pollfd input = {STDIN_FILENO, POLLIN, 0};
    if (!reading_) {
        poll(nullptr, 0, milliseconds);
        return -1;
    }
    unsigned char key = 0;
    if (poll(&input, 1, milliseconds) == 1 && read(STDIN_FILENO, &key, 1) == 1) {
        return key;
    }
    return -1;
}

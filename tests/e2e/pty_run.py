"""Runs a program on a pseudo-terminal, typing keys when its output shows
given texts, and passes its exit status on.

    pty_run.py [--after TEXT COUNT KEYS]... -- PROGRAM ARGS...

Once TEXT has appeared COUNT times in the output, and a second after the
keys before, KEYS are typed (Python escapes: "\\x03" is Ctrl-C, which the
terminal turns into SIGINT); the output shows "[typed KEYS]" there.  All
output goes to standard output.  Exits 99 when the program leaves the
terminal without line editing or echo.
"""

import os
import pty
import select
import sys
import termios
import time


def main(argv):
    end = argv.index("--")
    steps = []
    at = 1
    while at < end:
        assert argv[at] == "--after", "expected --after TEXT COUNT KEYS"
        keys = argv[at + 3].encode().decode("unicode_escape").encode()
        steps.append([argv[at + 1].encode(), int(argv[at + 2]), keys])
        at += 4
    pid, master = pty.fork()
    if pid == 0:
        os.execvp(argv[end + 1], argv[end + 1:])
    output = b""
    typed = 0.0  # when keys were typed last
    while True:
        ready, _, _ = select.select([master], [], [], 1.0)
        if ready:
            try:
                chunk = os.read(master, 4096)
            except OSError:  # the program has ended and closed the terminal
                break
            if not chunk:
                break
            output += chunk
        waiting = [step for step in steps if step[2]]
        if waiting and output.count(waiting[0][0]) >= waiting[0][1] and time.time() > typed + 1:
            os.write(master, waiting[0][2])
            output += b"[typed %r]" % waiting[0][2]
            waiting[0][2] = b""
            typed = time.time()
    lflag = termios.tcgetattr(master)[3]
    _, status = os.waitpid(pid, 0)
    sys.stdout.buffer.write(output)
    if lflag & (termios.ICANON | termios.ECHO) != termios.ICANON | termios.ECHO:
        print("pty_run: the terminal was left without line editing or echo")
        return 99
    if os.WIFEXITED(status):
        return os.WEXITSTATUS(status)
    return 128 + os.WTERMSIG(status)


if __name__ == "__main__":
    sys.exit(main(sys.argv))

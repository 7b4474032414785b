"""Runs a program on a pseudo-terminal, typing keys when its output shows
given texts, and passes its exit status on.

    pty_run.py [--audio FIFO] [--gap SECONDS] [--after TEXT COUNT KEYS]...
               -- PROGRAM ARGS...

Once TEXT has appeared COUNT times in the output, and SECONDS (1 unless
given) after the keys before, KEYS are typed (Python escapes: "\\x03" is Ctrl-C, which the
terminal turns into SIGINT); the output shows "[typed KEYS]" there.  All
output goes to standard output.  Exits 99 when the program leaves the
terminal without line editing or echo.

With --audio, the program's sound output is the named pipe FIFO (16-bit
stereo at 44.1 kHz), drained here in real time: a device that takes
sound as fast as it comes would play a short roll to its end before a
key typed could reach the program.
"""

import os
import pty
import select
import sys
import termios
import threading
import time

BYTES_PER_SECOND = 44100 * 2 * 2


def drain(fifo):
    """Reads FIFO in real time, opening it anew for every roll played."""
    while True:
        with open(fifo, "rb", buffering=0) as sound:
            start, taken = time.time(), 0
            while True:
                data = sound.read(BYTES_PER_SECOND // 20)
                if not data:
                    break
                taken += len(data)
                time.sleep(max(0.0, start + taken / BYTES_PER_SECOND - time.time()))


def main(argv):
    end = argv.index("--")
    steps = []
    at = 1
    if argv[at] == "--audio":
        threading.Thread(target=drain, args=(argv[at + 1],), daemon=True).start()
        at += 2
    gap = 1.0
    if argv[at] == "--gap":
        gap = float(argv[at + 1])
        at += 2
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
        if waiting and output.count(waiting[0][0]) >= waiting[0][1] and time.time() > typed + gap:
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

// Work done in a child process of its own, so that a roll on which the
// MIDI file library ends the process (its fatal errors) ends only that
// child, and the program goes on with the next roll.

#ifndef KOLVO_TOOL_CHILD_H
#define KOLVO_TOOL_CHILD_H

#include <sys/types.h>

#include <csignal>
#include <functional>
#include <string>

struct ChildOutcome {
    int status;          // the exit status; 128 + the signal when one ended it
    std::string output;  // what the child wrote on standard output, when kept
};

// Forks; the child runs `work`, whose result is its exit status.  With
// `keepOutput` the child's standard output goes into a pipe and comes
// back in the outcome; otherwise the child shares the parent's.
ChildOutcome runInChild(const std::function<int()>& work, bool keepOutput);

// The exit status of a process from waitpid()'s status: 128 + the signal
// when one ended it.
int exitStatusOf(int waitStatus);

// The child that runInChild() is waiting for, 0 when none; a signal
// handler may pass a signal on to it.
pid_t runningChild();

// The exit status of a program stopped by Ctrl-C.
const int interruptedStatus = 130;

// Set once Ctrl-C (SIGINT) or SIGTERM has come, after catchInterrupt().
extern volatile std::sig_atomic_t interrupted;

// From now on Ctrl-C and SIGTERM set `interrupted` instead of ending the
// process, and pass the signal on to the child that runInChild() waits for
// (a Ctrl-C from the terminal has reached it already).
void catchInterrupt();

#endif

// Work done in a child process of its own, so that a roll on which the
// MIDI file library ends the process (its fatal errors) ends only that
// child, and the program goes on with the next roll.

#ifndef KOLVO_TOOL_CHILD_H
#define KOLVO_TOOL_CHILD_H

#include <sys/types.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

struct ChildOutcome {
    int status;          // the exit status; 128 + the signal when one ended it
    std::string output;  // what the child wrote on standard output, when kept
};

// Forks; the child runs `work`, whose result is its exit status.  With
// `keepOutput` the child's standard output goes into a pipe and comes
// back in the outcome; otherwise the child shares the parent's.
ChildOutcome runInChild(const std::function<int()>& work, bool keepOutput);

// Runs each piece of work in a child process of its own (sharing the
// parent's output), `parallel` at once, in order; after Ctrl-C no further
// one starts.  `done` hears of each as it ends, with its index and exit
// status.
void runInChildren(const std::vector<std::function<int()>>& works, int parallel,
                   const std::function<void(size_t index, int status)>& done);

// Forks; the child runs `work` and exits with its result (1 when it
// throws, saying why).  Until reapChild() has its status, it is the child
// that Ctrl-C and SIGTERM are passed on to.
pid_t startInChild(const std::function<int()>& work);

// The exit status of a child of startInChild() once it has ended, waiting
// for it when `wait`; -1 while it still runs.
int reapChild(pid_t child, bool wait);

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
// or the children of runInChildren() (a Ctrl-C from the terminal has
// reached them already).
void catchInterrupt();

#endif

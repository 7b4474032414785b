// Forking a child for one piece of work, and waiting for it.

#include "child.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>

namespace {

volatile pid_t waitingFor = 0;

// The children of runInChildren() that are running; 0 in a free place.
const int mostChildren = 1024;
volatile pid_t runningChildren[mostChildren] = {};

std::runtime_error systemError(const char* what) {
    return std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

// Forks, after flushing what the parent has buffered (it must not be
// written twice); 0 in the child.
pid_t forkChild() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        throw systemError("cannot start a child process");
    }
    return child;
}

// In the child: does the work and ends with its status.
[[noreturn]] void workAndExit(const std::function<int()>& work) {
    int status = 1;
    try {
        status = work();
    } catch (const std::exception& e) {
        std::cerr << "kolvo: " << e.what() << std::endl;
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    _exit(status);
}

}  // namespace

pid_t startInChild(const std::function<int()>& work) {
    const pid_t child = forkChild();
    if (child == 0) {
        workAndExit(work);
    }
    waitingFor = child;
    return child;
}

int reapChild(pid_t child, bool wait) {
    int waitStatus = 0;
    pid_t got;
    while ((got = waitpid(child, &waitStatus, wait ? 0 : WNOHANG)) < 0) {
        if (errno != EINTR) {
            waitingFor = 0;
            throw systemError("cannot wait for a child process");
        }
    }
    if (got == 0) {
        return -1;
    }
    waitingFor = 0;
    return exitStatusOf(waitStatus);
}

ChildOutcome runInChild(const std::function<int()>& work, bool keepOutput) {
    int channel[2] = {-1, -1};
    if (keepOutput && pipe(channel) != 0) {
        throw systemError("cannot make a pipe");
    }
    const pid_t child = forkChild();
    if (child == 0) {
        if (keepOutput) {
            dup2(channel[1], STDOUT_FILENO);
            close(channel[0]);
            close(channel[1]);
        }
        workAndExit(work);
    }

    waitingFor = child;
    ChildOutcome outcome{1, {}};
    if (keepOutput) {
        close(channel[1]);
        char buffer[65536];
        ssize_t got;
        while ((got = read(channel[0], buffer, sizeof buffer)) != 0) {
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                break;
            }
            outcome.output.append(buffer, static_cast<size_t>(got));
        }
        close(channel[0]);
    }
    outcome.status = reapChild(child, true);
    return outcome;
}

void runInChildren(const std::vector<std::function<int()>>& works, int parallel,
                   const std::function<void(size_t index, int status)>& done) {
    parallel = std::max(1, std::min(parallel, mostChildren));
    std::vector<size_t> workOf(mostChildren);  // the index of each place's work
    size_t next = 0;
    int running = 0;
    while ((next < works.size() && !interrupted) || running > 0) {
        for (int place = 0; place < parallel && next < works.size() && !interrupted; place++) {
            if (runningChildren[place] != 0) {
                continue;
            }
            const pid_t child = forkChild();
            if (child == 0) {
                workAndExit(works[next]);
            }
            runningChildren[place] = child;
            workOf[place] = next++;
            running++;
        }
        int waitStatus = 0;
        const pid_t ended = wait(&waitStatus);
        if (ended < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw systemError("cannot wait for a child process");
        }
        for (int place = 0; place < parallel; place++) {
            if (runningChildren[place] == ended) {
                runningChildren[place] = 0;
                running--;
                done(workOf[place], exitStatusOf(waitStatus));
            }
        }
    }
}

int exitStatusOf(int waitStatus) {
    if (WIFEXITED(waitStatus)) {
        return WEXITSTATUS(waitStatus);
    }
    if (WIFSIGNALED(waitStatus)) {
        return 128 + WTERMSIG(waitStatus);
    }
    return 1;
}

pid_t runningChild() {
    return waitingFor;
}

volatile std::sig_atomic_t interrupted = 0;

namespace {

void onInterrupt(int) {
    interrupted = 1;
    if (const pid_t child = runningChild()) {
        kill(child, SIGINT);
    }
    for (const volatile pid_t& child : runningChildren) {
        if (child != 0) {
            kill(child, SIGINT);
        }
    }
}

}  // namespace

void catchInterrupt() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

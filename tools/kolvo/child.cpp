// Forking a child for one piece of work, and waiting for it.

#include "child.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <stdexcept>

namespace {

volatile pid_t waitingFor = 0;

std::runtime_error systemError(const char* what) {
    return std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

}  // namespace

ChildOutcome runInChild(const std::function<int()>& work, bool keepOutput) {
    int channel[2] = {-1, -1};
    if (keepOutput && pipe(channel) != 0) {
        throw systemError("cannot make a pipe");
    }
    // What the parent has buffered must not be written twice.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);

    const pid_t child = fork();
    if (child < 0) {
        throw systemError("cannot start a child process");
    }
    if (child == 0) {
        if (keepOutput) {
            dup2(channel[1], STDOUT_FILENO);
            close(channel[0]);
            close(channel[1]);
        }
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
    int waitStatus = 0;
    while (waitpid(child, &waitStatus, 0) < 0) {
        if (errno != EINTR) {
            waitingFor = 0;
            throw systemError("cannot wait for a child process");
        }
    }
    waitingFor = 0;
    outcome.status = exitStatusOf(waitStatus);
    return outcome;
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

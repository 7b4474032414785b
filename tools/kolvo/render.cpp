// kolvo render: rolls to audio files, offline and faster than real time.
// One roll renders in this process; several render in child processes of
// their own, each a fresh run of this program with one roll, -j at once.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "audiofile.h"
#include "child.h"
#include "commands.h"
#include "librarymessages.h"
#include "options.h"
#include "outputs.h"
#include "progress.h"
#include "renderer.h"
#include "roll.h"
#include "rollintake.h"
#include "subcommands.h"
#include "synthesis.h"
#include "synthesizer.h"

namespace {

struct Settings {
    const Organ* organ = nullptr;
    std::string tempo;
    std::string soundfont;
    const AudioFormat* format = nullptr;
    bool normalize = true;
    std::string loudness;  // LUFS as given; empty for the default
    bool quiet = false;
    bool verbose = false;
};

// --- one roll, in this process ---------------------------------------------

// Renders one roll; reports progress to the board, or as lines "P
// fraction" and at the end "D seconds" on `progressFd` when it is a child
// of a parallel rendering.
int renderOne(const std::string& roll, const std::string& out, const Settings& settings,
              int progressFd) {
    Arrangement a;
    if (!arrangePlayable(roll, settings.organ, settings.tempo, a)) {
        return 1;
    }
    if (a.playingSeconds > longestRollSeconds) {
        std::cerr << rollErrorLine(roll, tooLongRefusal()) << std::endl;
        return 1;
    }
    ProgressBoard board(progressFd < 0 && !settings.quiet && stderrIsTerminal());
    const int bar = board.add(roll);
    FILE* report = progressFd >= 0 ? fdopen(progressFd, "w") : nullptr;
    auto progress = [&](double fraction) {
        if (report != nullptr) {
            std::fprintf(report, "P %.4f\n", fraction);
            std::fflush(report);
        } else {
            board.set(bar, fraction, std::to_string(static_cast<int>(fraction * 100)) + "%");
        }
    };
    std::string error;
    RenderRequest request{a.file, a.firstNoteTick, settings.soundfont, out,
                          settings.format->name};
    request.normalize = settings.normalize;
    if (!settings.loudness.empty()) {
        request.loudness = std::atof(settings.loudness.c_str());
    }
    double loudness = request.loudness;
    const double seconds = renderToFile(request, progress, interrupted, error, &loudness);
    if (seconds < 0.0) {
        board.finish(bar, "");
        if (interrupted) {
            return interruptedStatus;
        }
        std::cerr << "kolvo: " << error << std::endl;
        return 1;
    }
    if (request.normalize && loudness < request.loudness - 0.5) {
        char line[160];
        std::snprintf(line, sizeof line,
                      "%.1f LUFS, the loudest under the %.0f dBFS peak ceiling (asked for %g)",
                      loudness, peakCeiling, request.loudness);
        std::cerr << "kolvo: " << out << ": " << line << std::endl;
    }
    if (report != nullptr) {
        std::fprintf(report, "D %.3f\n", seconds);
        std::fclose(report);
    }
    board.finish(bar, roll + " -> " + out + " (" + minutesAndSeconds(seconds) + ")");
    return 0;
}

// --- several rolls, in child processes -------------------------------------

struct Job {
    std::string roll;
    std::string out;
    pid_t pid = -1;
    int progressFd = -1;  // "P fraction" and "D seconds" lines
    int errorFd = -1;     // the child's standard error
    std::string progressText;
    std::string errorText;
    double seconds = 0.0;
    int bar = -1;
};

std::vector<std::string> childArguments(const Job& job, const Settings& settings, int fd) {
    std::vector<std::string> args = {"kolvo", "render", "--progress-fd", std::to_string(fd),
                                     "-q", "--format", settings.format->name,
                                     "--soundfont", settings.soundfont, "-o", job.out};
    if (settings.organ != nullptr) {
        args.insert(args.end(), {"--organ", settings.organ->name});
    }
    if (!settings.tempo.empty()) {
        args.insert(args.end(), {"--tempo", settings.tempo});
    }
    if (rollIntake().shift != 0) {
        args.insert(args.end(), {"--shift", std::to_string(rollIntake().shift)});
    }
    if (rollIntake().join) {
        args.push_back("--join");
    }
    if (!settings.normalize) {
        args.push_back("--no-normalize");
    }
    if (!settings.loudness.empty()) {
        args.insert(args.end(), {"--loudness", settings.loudness});
    }
    if (settings.verbose) {
        args.push_back("-v");
    }
    args.insert(args.end(), {"--", job.roll});
    return args;
}

void startJob(Job& job, const Settings& settings) {
    int progress[2];
    int errors[2];
    if (pipe2(progress, O_CLOEXEC) != 0 || pipe2(errors, O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
    }
    const std::vector<std::string> args = childArguments(job, settings, progress[1]);
    std::cout.flush();
    std::cerr.flush();
    job.pid = fork();
    if (job.pid < 0) {
        throw std::runtime_error(std::string("cannot start a process: ") + std::strerror(errno));
    }
    if (job.pid == 0) {
        fcntl(progress[1], F_SETFD, 0);  // kept across exec
        dup2(errors[1], STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        std::fprintf(stderr, "kolvo: cannot run myself again: %s\n", std::strerror(errno));
        _exit(127);
    }
    close(progress[1]);
    close(errors[1]);
    job.progressFd = progress[0];
    job.errorFd = errors[0];
}

// Reads what is there; false at the end of the pipe (closed then).
bool drain(int& fd, std::string& text) {
    char buffer[4096];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
        text.append(buffer, static_cast<size_t>(got));
        return true;
    }
    if (got < 0 && errno == EINTR) {
        return true;
    }
    close(fd);
    fd = -1;
    return false;
}

// Complete lines taken from the front of `text`.
std::vector<std::string> takeLines(std::string& text) {
    std::vector<std::string> lines;
    size_t end;
    while ((end = text.find('\n')) != std::string::npos) {
        lines.push_back(text.substr(0, end));
        text.erase(0, end + 1);
    }
    return lines;
}

// Takes in what the job's pipes hold: progress for its bar, error lines
// for above the bars.
void readJob(Job& job, const std::vector<pollfd>& ready, ProgressBoard& board) {
    for (const pollfd& p : ready) {
        if (p.revents != 0 && p.fd == job.progressFd) {
            drain(job.progressFd, job.progressText);
        } else if (p.revents != 0 && p.fd == job.errorFd) {
            drain(job.errorFd, job.errorText);
        }
    }
    for (const std::string& line : takeLines(job.progressText)) {
        const double value = line.size() > 2 ? std::atof(line.c_str() + 2) : 0.0;
        if (line[0] == 'P') {
            board.set(job.bar, value, std::to_string(static_cast<int>(value * 100)) + "%");
        } else if (line[0] == 'D') {
            job.seconds = value;
        }
    }
    for (const std::string& line : takeLines(job.errorText)) {
        board.message(line);
    }
}

// Waits for the job's process, whose pipes have closed; returns its exit
// status.
int reapJob(Job& job, ProgressBoard& board) {
    int waitStatus = 0;
    while (waitpid(job.pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    const int status = exitStatusOf(waitStatus);
    if (!job.errorText.empty()) {
        board.message(job.errorText);  // a last line without its line end
    }
    if (status == 0) {
        board.finish(job.bar,
                     job.roll + " -> " + job.out + " (" + minutesAndSeconds(job.seconds) + ")");
        return 0;
    }
    board.finish(job.bar, "");
    if (status > 128 && status != interruptedStatus) {
        board.message(rollErrorLine(job.roll, "rendering ended with signal " +
                                                  std::to_string(status - 128)));
    }
    return status;
}

// Renders each job in a process of its own, `parallel` at once.  Ctrl-C
// reaches the children too; the rolls not started yet are left out.
int renderInChildren(std::vector<Job>& jobs, const Settings& settings, int parallel) {
    ProgressBoard board(!settings.quiet && stderrIsTerminal());
    size_t next = 0;
    int status = 0;
    bool passedOn = false;  // Ctrl-C passed on to the children
    std::vector<Job*> active;
    while (next < jobs.size() || !active.empty()) {
        while (!interrupted && static_cast<int>(active.size()) < parallel && next < jobs.size()) {
            Job& job = jobs[next++];
            startJob(job, settings);
            job.bar = board.add(job.roll);
            active.push_back(&job);
        }
        if (interrupted) {
            next = jobs.size();
            status = interruptedStatus;
            if (!passedOn) {
                for (Job* job : active) {
                    kill(job->pid, SIGINT);
                }
                passedOn = true;
            }
        }
        std::vector<pollfd> watched;
        for (Job* job : active) {
            for (int fd : {job->progressFd, job->errorFd}) {
                if (fd >= 0) {
                    watched.push_back({fd, POLLIN, 0});
                }
            }
        }
        poll(watched.data(), watched.size(), 200);
        for (auto it = active.begin(); it != active.end();) {
            Job& job = **it;
            readJob(job, watched, board);
            if (job.progressFd >= 0 || job.errorFd >= 0) {
                ++it;
                continue;
            }
            const int ended = reapJob(job, board);
            if (ended != 0 && status != interruptedStatus) {
                status = ended == interruptedStatus ? interruptedStatus : 1;
            }
            it = active.erase(it);
        }
    }
    return status;
}

}  // namespace

int renderCommand(const Arguments& args) {
    const std::vector<std::string>& rolls = args.operands();
    const std::string out = args.value("--out");
    Settings settings;
    settings.organ = chosenOrgan(args);
    settings.tempo = args.value("--tempo");
    settings.quiet = args.has("--quiet");
    settings.verbose = args.has("--verbose");
    settings.normalize = !args.has("--no-normalize");
    settings.loudness = args.value("--loudness");
    if (!settings.normalize && !settings.loudness.empty()) {
        throw UsageError("give either --loudness or --no-normalize");
    }
    settings.format = &chooseFormat(args.value("--format"), out, formatWritable);
    const int parallel = jobsOf(args);
    // A child of a parallel rendering.
    const int progressFd = args.has("--progress-fd") ? countOf(args.value("--progress-fd")) : -1;
    const std::string outDir = args.value("--out-dir");
    const std::vector<std::string> outputs = renderOutputs(rolls, out, outDir, *settings.format);
    std::vector<Job> jobs;
    for (size_t i = 0; i < rolls.size(); ++i) {
        Job job;
        job.roll = rolls[i];
        job.out = outputs[i];
        jobs.push_back(job);
    }

    showSynthesizerMessages(settings.verbose);
    settings.soundfont = announceSoundfont("render", args.value("--soundfont"), settings.quiet);
    if (settings.soundfont.empty()) {
        return 1;
    }

    if (!makeOutputFolder(outDir)) {
        return 1;
    }
    catchInterrupt();
    if (jobs.size() == 1) {
        return renderOne(jobs[0].roll, jobs[0].out, settings, progressFd);
    }
    return renderInChildren(jobs, settings, parallel);
}

// kolvo fix: the one-track e-roll that the players take, made from a roll
// as kolvo takes it in (tracks joined, holes shifted), and which player
// plays it.

#include <sys/stat.h>
#include <unistd.h>

#include <iostream>
#include <string>

#include "commands.h"
#include "librarymessages.h"
#include "outputs.h"
#include "roll.h"
#include "subcommands.h"

namespace {

// Whether the two paths name one existing file.
bool sameFile(const std::string& a, const std::string& b) {
    struct stat first;
    struct stat second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace

int fixCommand(const Arguments& args) {
    const std::string& path = args.operands()[0];
    const std::string out =
        args.operands().size() > 1 ? args.operands()[1] : stemOf(path) + "-fixed.mid";
    if (out == "-" && isatty(STDOUT_FILENO)) {
        throw UsageError("standard output is a terminal; a MIDI file goes to a file or a pipe");
    }
    if (out == path || sameFile(out, path)) {
        throw UsageError(out + " is the roll itself; name another output file");
    }
    RollFile roll;
    const char* rule = nullptr;
    std::string refusal;
    if (!loadRoll(path, roll, rule, refusal)) {
        std::cerr << rollErrorLine(path, refusal) << std::endl;
        return 1;
    }
    const Arrangement a = arrangeForOrgan(chosenOrgan(args), roll, "");
    if (!a.playable()) {
        std::cerr << rollErrorLine(path, refusalText(a)) << std::endl;
        return 1;
    }
    if (!writeOutput(out, roll.bytes)) {
        return 1;
    }
    (out == "-" ? std::cerr : std::cout)
        << out << ": a Wurlitzer " << a.organ->name << " roll; kolvo" << a.organ->name
        << " plays it" << std::endl;
    return 0;
}

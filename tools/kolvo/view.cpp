// kolvo view: a picture of a roll as its organ sees it, as SVG.

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"
#include "librarymessages.h"
#include "roll.h"
#include "rollpicture.h"
#include "subcommands.h"

namespace {

const char* const help =
    "Usage: kolvo view ROLL [-o OUT.svg] [--organ 165|150]\n"
    "\n"
    "Draws the roll as its organ sees it: time running along the roll in strips\n"
    "of half a minute, one lane per hole of the tracker bar labelled with what\n"
    "the hole does, each hole coloured by its kind (bass, accompaniment, melody,\n"
    "trumpet, percussion, register/stop/bells, shutter, cancel), with a seconds\n"
    "axis.  The picture is named after the roll (demo165.svg) in the working\n"
    "directory unless -o names it; \"-o -\" writes it to standard output.\n"
    "\n"
    "  -o, --out OUT.svg  the picture's file\n"
    "  --organ 165|150    the organ; found by trying both when not given\n"
    "  -h, --help         this help\n";

}  // namespace

int viewCommand(int argc, char** argv) {
    CommandLine args(argc, argv);
    std::vector<std::string> rolls;
    std::string out;
    const Organ* organ = nullptr;
    while (args.more()) {
        if (args.flag("-h", "--help")) {
            std::cout << help;
            return 0;
        } else if (args.option("-o", "--out")) {
            out = args.value();
        } else if (args.option("--organ")) {
            organ = organNamed(args.value());
        } else {
            rolls.push_back(args.operand());
        }
    }
    if (rolls.size() != 1) {
        throw UsageError("view takes one roll");
    }
    const std::string& path = rolls[0];
    if (out.empty()) {
        out = stemOf(path) + ".svg";
    }

    Arrangement a;
    if (!arrangePlayable(path, organ, "", a)) {
        return 1;
    }
    if (pictureSeconds(a) > longestRollSeconds) {
        std::cerr << rollErrorLine(path, tooLongRefusal()) << std::endl;
        return 1;
    }
    const std::string svg = rollPicture(a, rollTitle(a, path), fileNameOf(path));
    if (out == "-") {
        std::cout << svg;
        std::cout.flush();
        return std::cout ? 0 : 1;
    }
    std::ofstream file(out, std::ios::binary | std::ios::trunc);
    file << svg;
    file.close();
    if (!file) {
        std::cerr << "kolvo: " << out << ": cannot write: " << std::strerror(errno) << std::endl;
        return 1;
    }
    return 0;
}

// kolvo view: a picture of a roll as its organ sees it, as SVG.

#include <cstdlib>
#include <iostream>
#include <string>

#include "commands.h"
#include "librarymessages.h"
#include "outputs.h"
#include "roll.h"
#include "rollpicture.h"
#include "subcommands.h"

int viewCommand(const Arguments& args) {
    const std::string& path = args.operands()[0];
    std::string out = args.value("--out");
    if (out.empty()) {
        out = pictureOutput(path);
    }
    Arrangement a;
    if (!arrangePlayable(path, chosenOrgan(args), "", a)) {
        return 1;
    }
    if (pictureSeconds(a) > longestRollSeconds) {
        std::cerr << rollErrorLine(path, tooLongRefusal()) << std::endl;
        return 1;
    }
    const double stripSeconds = args.has("--seconds-per-strip")
                                    ? std::strtod(args.value("--seconds-per-strip").c_str(), nullptr)
                                    : defaultStripSeconds;
    return writeOutput(out, rollPicture(a, rollTitle(a, path), fileNameOf(path), stripSeconds))
               ? 0
               : 1;
}

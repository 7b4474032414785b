// kolvo export: the arrangement that the player hands to the synthesizer,
// as a MIDI file.

#include <unistd.h>

#include <iostream>
#include <string>

#include "commands.h"
#include "outputs.h"
#include "roll.h"
#include "subcommands.h"

int exportCommand(const Arguments& args) {
    const std::string& roll = args.operands()[0];
    const std::string& out = args.operands()[1];
    if (out == "-" && isatty(STDOUT_FILENO)) {
        throw UsageError("standard output is a terminal; a MIDI file goes to a file or a pipe");
    }
    Arrangement a;
    if (!arrangePlayable(roll, chosenOrgan(args), args.value("--tempo"), a)) {
        return 1;
    }
    return writeOutput(out, a.file) ? 0 : 1;
}

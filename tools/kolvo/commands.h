// kolvo's subcommands as their command lines see them: each one's options,
// operands and help.  This table is the one source of what each subcommand
// takes; the help is made from it, and so can anything else that lists the
// options (a manual page, shell completion).

#ifndef KOLVO_TOOL_COMMANDS_H
#define KOLVO_TOOL_COMMANDS_H

#include <string>
#include <vector>

#include "options.h"
#include "organ.h"
#include "rollintake.h"

// Every subcommand, in the order the program's help lists them.
const std::vector<Command>& commands();

// The subcommand of that name, nullptr when there is none.
const Command* commandNamed(const std::string& name);

// The program's own help: what it is, and a line per subcommand.
std::string programHelp();

// The organ that --organ names, nullptr when it was not given.
const Organ* chosenOrgan(const Arguments& args);

// The checks of option values, each throwing UsageError: an organ of the
// registry, a tempo by the players' own rule, a count from 1 to 1024, a
// shift of the holes by at most the whole tracker bar, the seconds of a
// picture's strip.
void checkOrgan(const std::string& name, const std::string& value);
void checkTempo(const std::string& name, const std::string& value);
void checkCount(const std::string& name, const std::string& value);
void checkShift(const std::string& name, const std::string& value);
void checkStripSeconds(const std::string& name, const std::string& value);

// What the command line asks of every roll read (--shift, --join), for a
// command that takes those options.
RollIntake intakeOf(const Command& command, const Arguments& args);

// A count that checkCount() accepts, or keys that checkShift() does, as a
// number.
int countOf(const std::string& value);

// How many rolls -j asks to handle at once; by default the number of cores.
int jobsOf(const Arguments& args);

#endif

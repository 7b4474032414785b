// The subcommands of kolvo.  Each takes its command line as read by its
// options (commands.h) and returns the exit status: 0 done, 1 a roll
// refused or a failure, 2 a usage error (thrown as UsageError).

#ifndef KOLVO_TOOL_SUBCOMMANDS_H
#define KOLVO_TOOL_SUBCOMMANDS_H

#include "options.h"

int infoCommand(const Arguments& args);
int exportCommand(const Arguments& args);
int renderCommand(const Arguments& args);
int playCommand(const Arguments& args);
int pageCommand(const Arguments& args);
int viewCommand(const Arguments& args);
int fixCommand(const Arguments& args);
int dumpCommand(const Arguments& args);

#endif

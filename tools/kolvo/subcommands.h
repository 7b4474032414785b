// The subcommands of kolvo.  Each takes the arguments after its name and
// returns the exit status: 0 done, 1 a roll refused or a failure, 2 a
// usage error (thrown as UsageError).

#ifndef KOLVO_TOOL_SUBCOMMANDS_H
#define KOLVO_TOOL_SUBCOMMANDS_H

int infoCommand(int argc, char** argv);
int exportCommand(int argc, char** argv);
int renderCommand(int argc, char** argv);
int playCommand(int argc, char** argv);
int viewCommand(int argc, char** argv);
int dumpCommand(int argc, char** argv);

#endif

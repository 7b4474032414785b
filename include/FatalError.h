// The end of every fatal error of the MIDI file library.  The error's
// message has been printed when fatalExit() is called; by default the
// process then ends with exit status 1.
//
// A program may put a handler of its own in that place.  The handler must
// not return (a test or a fuzz target throws, for instance); should it
// return all the same, the process still ends with status 1.

#ifndef FATALERROR_H
#define FATALERROR_H

using FatalHandler = void (*)();

// Installs aHandler (nullptr: the default) and returns the previous one.
FatalHandler setFatalHandler(FatalHandler aHandler);

[[noreturn]] void fatalExit();

#endif

// What rendering and playing a roll share: the choice of soundfont and the
// words for what the synthesizer could not do.

#ifndef KOLVO_TOOL_SYNTHESIS_H
#define KOLVO_TOOL_SYNTHESIS_H

#include <string>

#include "synthesizer.h"

// The soundfont to sound rolls with: `given` when not empty; else the
// first that exists of the players' fixed path (c:/kolvo/bandorgan.sf2 in
// the working directory unless the build gave another), the band-organ
// soundfont installed with the program (../share/kolvo/bandorgan.sf2 from
// the program's own folder), the one the build generated (only for the
// program in the build folder), Debian's General MIDI soundfont.  Empty
// when none exists.  `why` tells which.
std::string chooseSoundfont(const std::string& given, std::string& why);

// chooseSoundfont() for subcommand `command`, saying on standard error which
// soundfont it uses (unless `quiet`), or that there is none (then empty).
std::string announceSoundfont(const char* command, const std::string& given, bool quiet);

// A failure of the synthesizer as kolvo words it after its "kolvo: "
// prefix: the players' message, in lower case.
std::string failureText(SynthesizerFailure failure);

#endif

// What rendering and playing a roll share at the FluidSynth edge: the
// synthesizer's settings, the choice of soundfont, FluidSynth's messages,
// and the audio file types of the linked libfluidsynth.

#ifndef KOLVO_TOOL_SYNTHESIS_H
#define KOLVO_TOOL_SYNTHESIS_H

#include <string>
#include <vector>

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

// FluidSynth's own errors and warnings (a bank missing from the
// soundfont, for one) go to standard error only when `show`; otherwise the
// program says in its own words what failed.
void showSynthesizerMessages(bool show);

// The audio file types the linked libfluidsynth can write ("wav",
// "flac", "oga", ...).
std::vector<std::string> audioFileTypes();

#endif

// What kolvo info tells of a roll: which organ it fits (and why not), its
// ticks, tempos, playing time, texts, the holes of each section and the
// count of each control hole; as lines to read or as a JSON object.

#ifndef KOLVO_TOOL_REPORT_H
#define KOLVO_TOOL_REPORT_H

#include <iosfwd>
#include <string>
#include <vector>

#include "roll.h"

// The report of the roll at `path`, arranged as `a`.
void printReport(const Arrangement& a, const std::string& path, std::ostream& out);

// The JSON object of the roll at `path`, arranged as `a`; `tried` holds
// the roll's arrangement for each organ tried.
void printJson(const Arrangement& a, const std::vector<Arrangement>& tried,
               const std::string& path, std::ostream& out);

// The JSON object of a roll that could not be examined.
void printJsonError(const std::string& path, const std::string& error, std::ostream& out);

#endif

// What kolvo info tells of a roll: which organ it fits (and why not), its
// ticks, tempos, playing time, texts, the holes of each section and the
// count of each control hole; as lines to read or as a JSON object.

#ifndef KOLVO_TOOL_REPORT_H
#define KOLVO_TOOL_REPORT_H

#include <iosfwd>
#include <string>
#include <vector>

#include "roll.h"

// The version of the JSON report's keys and their meaning.
const int jsonReportVersion = 2;

// The report of `roll` (as taken in), arranged as `a`.
void printReport(const Arrangement& a, const RollFile& roll, std::ostream& out);

// The JSON object of `roll` (as taken in), arranged as `a`; `tried` holds
// the roll's arrangement for each organ tried.  Every roll's object has
// the same keys, null where a value is unknown.
void printJson(const Arrangement& a, const std::vector<Arrangement>& tried,
               const RollFile& roll, std::ostream& out);

// The JSON object of a roll that could not be examined: refused by `rule`.
void printJsonError(const std::string& path, const char* rule, const std::string& error,
                    std::ostream& out);

#endif

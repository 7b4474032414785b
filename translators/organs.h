// The registry of the organs: the one list of them that every program and
// tool iterates.  The players select theirs by name, kolvo finds a roll's
// organ by trying each in turn, the soundfont generator and makeroll read
// their ranks and holes, and help texts name them from here.

#ifndef KOLVO_ORGANS_H
#define KOLVO_ORGANS_H

#include <functional>
#include <string>
#include <vector>

#include "organ.h"

// Every organ, in the order in which a roll is tried on them.
Rows<const Organ*> organs();

// The organ named `name` ("165"), nullptr when there is none.
const Organ* findOrgan(const std::string& name);

// Items as a text for help and messages: joined by `separator` and, before
// the last, by `lastSeparator` ("165, 150 or 125").
std::string joinedList(const std::vector<std::string>& items, const char* lastSeparator,
                       const char* separator = ", ");

// The organs as such a text: `item` of each ("kolvo165 and kolvo150").
std::string listOrgans(const std::function<std::string(const Organ&)>& item,
                       const char* lastSeparator, const char* separator = ", ");

// Their names so joined: "165 or 150", "165|150".
std::string organNames(const char* lastSeparator, const char* separator = ", ");

#endif

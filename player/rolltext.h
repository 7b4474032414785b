// Texts of the roll's meta events: the payload after the length field, and
// the form in which it is shown on the console.

#ifndef KOLVO_ROLLTEXT_H
#define KOLVO_ROLLTEXT_H

#include <string>

#include "MidiFile.h"

// A meta event of the given type with a payload: FF, type, length, and at
// least one more byte.
bool isMetaOfType(const MFEvent& candidate, int metaType);

// Appends the payload of a meta event (FF, type, length, payload) to
// `text`: every byte after the variable-length length field, to the last.
void appendMetaPayload(const MFEvent& metaEvent, std::string& text);

// The text as it is printed: control bytes other than TAB (0x00 to 0x08,
// 0x0A to 0x1F and 0x7F) become '?', so that a roll text cannot break the
// line or drive the terminal.  Every other byte is kept.
std::string printableText(const std::string& text);

#endif

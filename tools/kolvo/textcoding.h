// Texts of rolls are bytes: UTF-8 in newer rolls, Latin-1 in older ones.
// Formats that need valid UTF-8 (JSON, SVG) get this form of them.

#ifndef KOLVO_TOOL_TEXTCODING_H
#define KOLVO_TOOL_TEXTCODING_H

#include <string>

// The text as valid UTF-8: valid UTF-8 sequences as they are, every other
// byte taken as the Latin-1 character of that value.
std::string asUtf8(const std::string& text);

// The text escaped for XML character data and attribute values.
std::string xmlEscaped(const std::string& text);

#endif

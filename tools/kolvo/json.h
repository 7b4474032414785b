// Writing JSON: strings and numbers.

#ifndef KOLVO_TOOL_JSON_H
#define KOLVO_TOOL_JSON_H

#include <string>

// A JSON string of the text (as UTF-8, see asUtf8), quoted.
std::string jsonString(const std::string& text);

// A JSON number: a whole number without a fraction, else up to twelve
// significant digits.
std::string jsonNumber(double value);

#endif

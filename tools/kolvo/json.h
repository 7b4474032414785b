// Writing JSON: strings and numbers.

#ifndef KOLVO_TOOL_JSON_H
#define KOLVO_TOOL_JSON_H

#include <string>

// Where a JSON text goes: a file of its own, or inside an HTML <script>
// element, where `<`, `>`, `&` and the line separators U+2028 and U+2029
// are escaped too, so that no text can end or change the element.
enum class JsonPlace { File, Script };

// A JSON string of the text (as UTF-8, see asUtf8), quoted.
std::string jsonString(const std::string& text, JsonPlace place = JsonPlace::File);

// A JSON number: a whole number without a fraction, else up to twelve
// significant digits.
std::string jsonNumber(double value);

#endif

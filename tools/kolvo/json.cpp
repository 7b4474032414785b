// JSON strings and numbers.

#include "json.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "textcoding.h"

std::string jsonString(const std::string& text, JsonPlace place) {
    const bool script = place == JsonPlace::Script;
    std::string quoted = "\"";
    char escape[8];
    const std::string utf8 = asUtf8(text);
    for (size_t at = 0; at < utf8.size(); at++) {
        const char c = utf8[at];
        const unsigned char byte = static_cast<unsigned char>(c);
        const bool separator = script && utf8.compare(at, 2, "\xE2\x80") == 0 &&
                               at + 2 < utf8.size() &&
                               (utf8[at + 2] == '\xA8' || utf8[at + 2] == '\xA9');
        if (separator) {
            quoted += utf8[at + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            at += 2;
        } else if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F || (script && (c == '<' || c == '>' || c == '&'))) {
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

std::string jsonNumber(double value) {
    if (!std::isfinite(value)) {
        return "null";
    }
    std::ostringstream number;
    number.precision(12);
    number << value;
    return number.str();
}

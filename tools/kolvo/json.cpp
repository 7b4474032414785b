// JSON strings and numbers.

#include "json.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "textcoding.h"

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    char escape[8];
    for (const char c : asUtf8(text)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F) {
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

// UTF-8 and XML escaping of roll texts.

#include "textcoding.h"

namespace {

// The length of the valid UTF-8 sequence of two to four bytes starting
// at `at`, 0 when there is none.
size_t utf8Length(const std::string& text, size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = 0;
    unsigned long lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    unsigned long code = lead & (0xFF >> (length + 1));
    for (size_t i = 1; i < length; i++) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (next & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code >= lowest && code <= 0x10FFFF && !surrogate ? length : 0;
}

}  // namespace

std::string asUtf8(const std::string& text) {
    std::string valid;
    for (size_t at = 0; at < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            valid += static_cast<char>(byte);
            at++;
        } else if (const size_t length = utf8Length(text, at)) {
            valid += text.substr(at, length);
            at += length;
        } else {
            valid += static_cast<char>(0xC0 | (byte >> 6));
            valid += static_cast<char>(0x80 | (byte & 0x3F));
            at++;
        }
    }
    return valid;
}

std::string xmlEscaped(const std::string& text) {
    std::string escaped;
    for (const char c : asUtf8(text)) {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default:
                // XML 1.0 has no place for control characters but TAB.
                escaped += byte < 0x20 && c != '\t' ? '?' : c;
        }
    }
    return escaped;
}

// Roll texts: payload of a meta event, and its printable form.

#include "rolltext.h"

#include <cstdint>

#include "Vlq.h"

bool isMetaOfType(const MFEvent& candidate, int metaType) {
    return candidate.data.getSize() > 3 && candidate.data[0] == 0xFF &&
           candidate.data[1] == metaType;
}

void appendMetaPayload(const MFEvent& metaEvent, std::string& text) {
    const long size = metaEvent.data.getSize();
    if (size <= 2) {
        return;
    }
    // The length field starts at the third byte.
    const unsigned char* bytes = metaEvent.data.getBase();
    uint32_t length = 0;
    const int lengthBytes = vlq::decode(bytes + 2, static_cast<size_t>(size - 2), length);
    if (lengthBytes <= 0) {
        return;  // no complete length field, so no payload
    }
    text.append(reinterpret_cast<const char*>(bytes) + 2 + lengthBytes,
                static_cast<size_t>(size - 2 - lengthBytes));
}

std::string printableText(const std::string& text) {
    std::string shown = text;
    for (char& c : shown) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
            c = '?';
        }
    }
    return shown;
}

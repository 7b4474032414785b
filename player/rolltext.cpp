// Roll texts: payload of a meta event, and its printable form.

#include "rolltext.h"

bool isMetaOfType(const MFEvent& candidate, int metaType) {
    return candidate.data.getSize() > 3 && candidate.data[0] == 0xFF &&
           candidate.data[1] == metaType;
}

void appendMetaPayload(const MFEvent& metaEvent, std::string& text) {
    const Array<unsigned char>& bytes = metaEvent.data;
    const long size = bytes.getSize();
    // The length field starts at the third byte; all its bytes but the last
    // have bit 7 set.
    long index = 2;
    while (index < size && (bytes[index] & 0x80) != 0) {
        index++;
    }
    index++;
    for (; index < size; index++) {
        text += static_cast<char>(bytes[index]);
    }
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

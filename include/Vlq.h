// Variable-length quantities of Standard MIDI Files: seven bits a byte,
// most significant group first, bit 7 set on every byte but the last.
// This is the one encoder and the one decoder of the library and of the
// programs built on it.

#ifndef VLQ_H
#define VLQ_H

#include <cstddef>
#include <cstdint>

namespace vlq {

// The largest quantity a file can hold: four bytes, FF FF FF 7F.
const uint32_t largest = 0x0FFFFFFF;
const int longestWritten = 4;

// The reader takes a fifth byte when the fourth has bit 7 set, as it
// always has; the high bits of such a fifth group are lost.
const int longestRead = 5;

// Writes `value` into `out` (room for longestWritten bytes) and returns the
// number of bytes, 1 to 4; returns 0 and writes nothing when the value
// exceeds `largest`.
inline int encode(uint32_t value, unsigned char* out) {
    if (value > largest) {
        return 0;
    }
    int count = 1;
    if (value > 0x1FFFFF) {
        count = 4;
    } else if (value > 0x3FFF) {
        count = 3;
    } else if (value > 0x7F) {
        count = 2;
    }
    for (int i = 0; i < count; i++) {
        const int shift = 7 * (count - 1 - i);
        out[i] = static_cast<unsigned char>(((value >> shift) & 0x7F) | (i + 1 < count ? 0x80 : 0));
    }
    return count;
}

// The number of bytes `encode` writes for `value` (0 above `largest`).
inline int encodedLength(uint32_t value) {
    unsigned char scratch[longestWritten];
    return encode(value, scratch);
}

// What `decode` found.
const int ranOut = 0;    // the bytes end before the quantity's last byte
const int tooLong = -1;  // longestRead bytes, all with bit 7 set

// Reads one quantity from the `available` bytes at `bytes`.  Returns the
// number of bytes it takes (1 to longestRead) with its value in `value`,
// or ranOut or tooLong, leaving `value` unchanged.
inline int decode(const unsigned char* bytes, size_t available, uint32_t& value) {
    uint32_t result = 0;
    for (int i = 0; i < longestRead; i++) {
        if (static_cast<size_t>(i) >= available) {
            return ranOut;
        }
        result = (result << 7) | (bytes[i] & 0x7Fu);
        if ((bytes[i] & 0x80) == 0) {
            value = result;
            return i + 1;
        }
    }
    return tooLong;
}

}  // namespace vlq

#endif

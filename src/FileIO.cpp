// FileIO: typed reads and writes of a fixed byte order on a file stream.
//
// long and unsigned long travel as 4 bytes on every platform, so that a
// file means the same thing whatever the width of long where it is read.

#include "FileIO.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool hostIsBigEndian = true;
#else
constexpr bool hostIsBigEndian = false;
#endif

// Whether a family's byte order differs from the platform's.
constexpr bool flipForBig = !hostIsBigEndian;
constexpr bool flipForLittle = hostIsBigEndian;
constexpr bool flipForMachine = false;
constexpr bool flipForNotMachine = true;

template <class T>
T reversed(T value) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    std::reverse(bytes, bytes + sizeof(T));
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

// Reads sizeof(Stored) bytes into aNumber, reversing them first when asked.
// The bytes are reversed as bytes, never carried reversed in a float.  A
// read that fails leaves the value it started from.
template <class Stored, class T>
void readValue(std::fstream& stream, T& aNumber, bool flip) {
    Stored value = static_cast<Stored>(aNumber);
    unsigned char bytes[sizeof(Stored)];
    std::memcpy(bytes, &value, sizeof(Stored));
    stream.read(reinterpret_cast<char*>(bytes), sizeof(Stored));
    if (flip) {
        std::reverse(bytes, bytes + sizeof(Stored));
    }
    std::memcpy(&value, bytes, sizeof(Stored));
    aNumber = static_cast<T>(value);
}

template <class Stored, class T>
void writeValue(std::fstream& stream, T aNumber, bool flip) {
    Stored value = static_cast<Stored>(aNumber);
    unsigned char bytes[sizeof(Stored)];
    std::memcpy(bytes, &value, sizeof(Stored));
    if (flip) {
        std::reverse(bytes, bytes + sizeof(Stored));
    }
    stream.write(reinterpret_cast<const char*>(bytes), sizeof(Stored));
}

}  // namespace

FileIO::FileIO() {}

FileIO::FileIO(const char* filename, std::ios::openmode state)
    : std::fstream(filename, state) {}

FileIO::~FileIO() {
    close();
}

// One family of reads and writes: each type with the width it travels in.
#define FILEIO_FAMILY(Family, flip)                                                       \
    void FileIO::read##Family(char& aNumber) { readValue<char>(*this, aNumber, flip); }   \
    void FileIO::read##Family(unsigned char& aNumber) {                                   \
        readValue<unsigned char>(*this, aNumber, flip);                                   \
    }                                                                                     \
    void FileIO::read##Family(short& aNumber) { readValue<int16_t>(*this, aNumber, flip); } \
    void FileIO::read##Family(unsigned short& aNumber) {                                  \
        readValue<uint16_t>(*this, aNumber, flip);                                        \
    }                                                                                     \
    void FileIO::read##Family(long& aNumber) { readValue<int32_t>(*this, aNumber, flip); } \
    void FileIO::read##Family(unsigned long& aNumber) {                                   \
        readValue<uint32_t>(*this, aNumber, flip);                                        \
    }                                                                                     \
    void FileIO::read##Family(int& aNumber) { readValue<int32_t>(*this, aNumber, flip); } \
    void FileIO::read##Family(unsigned int& aNumber) {                                    \
        readValue<uint32_t>(*this, aNumber, flip);                                        \
    }                                                                                     \
    void FileIO::read##Family(float& aNumber) { readValue<float>(*this, aNumber, flip); } \
    void FileIO::read##Family(double& aNumber) { readValue<double>(*this, aNumber, flip); } \
    void FileIO::write##Family(char aNumber) { writeValue<char>(*this, aNumber, flip); }  \
    void FileIO::write##Family(unsigned char aNumber) {                                   \
        writeValue<unsigned char>(*this, aNumber, flip);                                  \
    }                                                                                     \
    void FileIO::write##Family(short aNumber) { writeValue<int16_t>(*this, aNumber, flip); } \
    void FileIO::write##Family(unsigned short aNumber) {                                  \
        writeValue<uint16_t>(*this, aNumber, flip);                                       \
    }                                                                                     \
    void FileIO::write##Family(long aNumber) { writeValue<int32_t>(*this, aNumber, flip); } \
    void FileIO::write##Family(unsigned long aNumber) {                                   \
        writeValue<uint32_t>(*this, aNumber, flip);                                       \
    }                                                                                     \
    void FileIO::write##Family(int aNumber) { writeValue<int32_t>(*this, aNumber, flip); } \
    void FileIO::write##Family(unsigned int aNumber) {                                    \
        writeValue<uint32_t>(*this, aNumber, flip);                                       \
    }                                                                                     \
    void FileIO::write##Family(float aNumber) { writeValue<float>(*this, aNumber, flip); } \
    void FileIO::write##Family(double aNumber) { writeValue<double>(*this, aNumber, flip); }

FILEIO_FAMILY(BigEndian, flipForBig)
FILEIO_FAMILY(LittleEndian, flipForLittle)
FILEIO_FAMILY(MachineEndian, flipForMachine)
FILEIO_FAMILY(NotMachineEndian, flipForNotMachine)

#undef FILEIO_FAMILY

char FileIO::flipBytes(char aNumber) {
    return aNumber;
}

unsigned char FileIO::flipBytes(unsigned char aNumber) {
    return aNumber;
}

short FileIO::flipBytes(short aNumber) {
    return reversed(aNumber);
}

unsigned short FileIO::flipBytes(unsigned short aNumber) {
    return reversed(aNumber);
}

// long is reversed as the 4 bytes it travels in.
long FileIO::flipBytes(long aNumber) {
    return reversed(static_cast<int32_t>(aNumber));
}

unsigned long FileIO::flipBytes(unsigned long aNumber) {
    return reversed(static_cast<uint32_t>(aNumber));
}

int FileIO::flipBytes(int aNumber) {
    return reversed(aNumber);
}

unsigned int FileIO::flipBytes(unsigned int aNumber) {
    return reversed(aNumber);
}

float FileIO::flipBytes(float aNumber) {
    return reversed(aNumber);
}

double FileIO::flipBytes(double aNumber) {
    return reversed(aNumber);
}

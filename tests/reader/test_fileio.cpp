// Tests of FileIO: the bytes each family writes, and what each reads back.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FileIO.h"
#include "testbytes.h"

namespace {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
const bool hostIsBigEndian = true;
#else
const bool hostIsBigEndian = false;
#endif

std::string scratchPath(const std::string& name) {
    return scratchDir() + "/" + name;
}

// The bytes one write leaves in a fresh file.
template <class Write>
std::string bytesWrittenBy(Write write) {
    std::string path = scratchPath("fileio-out.bin");
    {
        FileIO out(path.c_str(), std::ios::out | std::ios::binary | std::ios::trunc);
        write(out);
    }
    return toHex(readWholeFile(path));
}

// A file holding the given bytes, for reading.
std::string inputFile(const std::string& hex) {
    return writeScratchFile("fileio-in.bin", hexBytes(hex));
}

}  // namespace

TEST(FileIOWrite, BigEndianPutsTheMostSignificantByteFirst) {
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeBigEndian(static_cast<short>(0x1234)); }), "12 34");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeBigEndian(static_cast<unsigned short>(0xABCD)); }),
              "AB CD");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeBigEndian(0x01020304); }), "01 02 03 04");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeBigEndian(0x8899AABBu); }), "88 99 AA BB");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeBigEndian(1.0f); }), "3F 80 00 00");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeBigEndian(1.0); }), "3F F0 00 00 00 00 00 00");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeBigEndian('A'); }), "41");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeBigEndian(static_cast<unsigned char>(0xFE)); }),
              "FE");
}

TEST(FileIOWrite, LittleEndianPutsTheLeastSignificantByteFirst) {
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeLittleEndian(static_cast<short>(0x1234)); }),
              "34 12");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeLittleEndian(0x01020304); }), "04 03 02 01");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeLittleEndian(1.0f); }), "00 00 80 3F");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeLittleEndian(1.0); }), "00 00 00 00 00 00 F0 3F");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeLittleEndian('A'); }), "41");
}

TEST(FileIOWrite, LongTravelsAsFourBytes) {
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeBigEndian(-2L); }), "FF FF FF FE");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeLittleEndian(0x01020304L); }), "04 03 02 01");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeBigEndian(0xFFFFFFFEUL); }), "FF FF FF FE");
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeNotMachineEndian(7L); }),
              hostIsBigEndian ? "07 00 00 00" : "00 00 00 07");
}

TEST(FileIOWrite, MachineOrderIsThePlatformsAndNotMachineItsReverse) {
    const std::string platform = hostIsBigEndian ? "01 02 03 04" : "04 03 02 01";
    const std::string other = hostIsBigEndian ? "04 03 02 01" : "01 02 03 04";
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeMachineEndian(0x01020304); }), platform);
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeNotMachineEndian(0x01020304); }), other);
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeMachineEndian(0x01020304L); }), platform);
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeNotMachineEndian(0x01020304u); }), other);
    EXPECT_EQ(bytesWrittenBy([](FileIO& f) { f.writeNotMachineEndian('A'); }), "41");
}

TEST(FileIORead, BigEndianReadsTheMostSignificantByteFirst) {
    FileIO in(inputFile("12 34 AB CD 01 02 03 04 88 99 AA BB 3F 80 00 00 3F F0 00 00 00 00 00 00").c_str(), std::ios::in | std::ios::binary);
    short s = 0;
    unsigned short us = 0;
    int i = 0;
    unsigned int ui = 0;
    float f = 0;
    double d = 0;
    in.readBigEndian(s);
    in.readBigEndian(us);
    in.readBigEndian(i);
    in.readBigEndian(ui);
    in.readBigEndian(f);
    in.readBigEndian(d);
    EXPECT_EQ(s, 0x1234);
    EXPECT_EQ(us, 0xABCD);
    EXPECT_EQ(i, 0x01020304);
    EXPECT_EQ(ui, 0x8899AABBu);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(d, 1.0);
}

TEST(FileIORead, LittleEndianReadsTheLeastSignificantByteFirst) {
    FileIO in(inputFile("34 12 04 03 02 01 00 00 80 3F 00 00 00 00 00 00 F0 3F").c_str(), std::ios::in | std::ios::binary);
    short s = 0;
    int i = 0;
    float f = 0;
    double d = 0;
    in.readLittleEndian(s);
    in.readLittleEndian(i);
    in.readLittleEndian(f);
    in.readLittleEndian(d);
    EXPECT_EQ(s, 0x1234);
    EXPECT_EQ(i, 0x01020304);
    EXPECT_EQ(f, 1.0f);
    EXPECT_EQ(d, 1.0);
}

TEST(FileIORead, LongTakesFourBytesAndKeepsTheSign) {
    FileIO in(inputFile("FF FF FF FE FF FF FF FE 02 00 00 00 7A").c_str(), std::ios::in | std::ios::binary);
    long l = 0;
    unsigned long ul = 0;
    long little = 0;
    char next = 0;
    in.readBigEndian(l);
    in.readBigEndian(ul);
    in.readLittleEndian(little);
    in.readBigEndian(next);
    EXPECT_EQ(l, -2L);
    EXPECT_EQ(ul, 0xFFFFFFFEUL);
    EXPECT_EQ(little, 2L);
    EXPECT_EQ(next, 'z');
}

TEST(FileIORead, NegativeShortKeepsTheSign) {
    FileIO in(inputFile("E7 28 FF 7F").c_str(), std::ios::in | std::ios::binary);
    short division = 0;
    short little = 0;
    in.readBigEndian(division);
    in.readLittleEndian(little);
    EXPECT_EQ(division, -6360);
    EXPECT_EQ(little, 0x7FFF);
}

TEST(FileIORead, MachineAndNotMachineOrders) {
    FileIO in(inputFile("01 02 03 04 01 02 03 04").c_str(), std::ios::in | std::ios::binary);
    unsigned int machine = 0;
    unsigned int notMachine = 0;
    in.readMachineEndian(machine);
    in.readNotMachineEndian(notMachine);
    EXPECT_EQ(machine, hostIsBigEndian ? 0x01020304u : 0x04030201u);
    EXPECT_EQ(notMachine, hostIsBigEndian ? 0x04030201u : 0x01020304u);
}

TEST(FileIO, EveryFamilyReadsBackWhatItWrote) {
    std::string path = scratchPath("fileio-roundtrip.bin");
    {
        FileIO out(path.c_str(), std::ios::out | std::ios::binary | std::ios::trunc);
        out.writeBigEndian(-123456789L);
        out.writeLittleEndian(3.25);
        out.writeMachineEndian(-1.5f);
        out.writeNotMachineEndian(static_cast<unsigned short>(0xBEEF));
        out.writeNotMachineEndian(-42);
    }
    FileIO in(path.c_str(), std::ios::in | std::ios::binary);
    long l = 0;
    double d = 0;
    float f = 0;
    unsigned short us = 0;
    int i = 0;
    in.readBigEndian(l);
    in.readLittleEndian(d);
    in.readMachineEndian(f);
    in.readNotMachineEndian(us);
    in.readNotMachineEndian(i);
    EXPECT_EQ(l, -123456789L);
    EXPECT_EQ(d, 3.25);
    EXPECT_EQ(f, -1.5f);
    EXPECT_EQ(us, 0xBEEF);
    EXPECT_EQ(i, -42);
    EXPECT_EQ(readWholeFile(path).size(), 4u + 8u + 4u + 2u + 4u);
}

TEST(FileIO, DefaultConstructedIsNotOpen) {
    FileIO file;
    EXPECT_FALSE(file.is_open());
}

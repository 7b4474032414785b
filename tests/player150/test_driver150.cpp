// Unit tests of the run driver as kolvo150 runs it: its texts, and a roll
// arranged in memory with the 150 translator.

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"
#include "runroll.h"
#include "runstate.h"
#include "testbytes.h"
#include "xlate150.h"

using namespace w150;

namespace {

using Lines = std::vector<std::string>;

Lines linesOf(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

void addBytes(MidiFile& roll, int tick, const std::string& bytes) {
    Array<unsigned char> data(static_cast<int>(bytes.size()));
    for (size_t i = 0; i < bytes.size(); i++) {
        data[static_cast<int>(i)] = static_cast<unsigned char>(bytes[i]);
    }
    roll.addEvent(0, tick, data);
}

// A hole at `key` from tick `on` to tick `off`.
void addHole(MidiFile& roll, int on, int off, int key) {
    addBytes(roll, on, std::string{'\x90', static_cast<char>(key), 64});
    addBytes(roll, off, std::string{'\x80', static_cast<char>(key), 0});
}

std::string hexOf(const MFEvent& e) {
    std::string bytes;
    for (long i = 0; i < e.data.getSize(); i++) {
        bytes += static_cast<char>(e.data[static_cast<int>(i)]);
    }
    return std::to_string(e.time) + ": " + toHex(bytes);
}

class Driver150 : public testing::Test {
  protected:
    void SetUp() override {
        resetRunState();
        reset150Controls();
    }
};

TEST_F(Driver150, BannerNamesTheOrgan) {
    std::ostringstream out;
    printBanner(organ150, out);
    EXPECT_EQ(linesOf(out.str()),
              (Lines{"", "Play Wurlitzer 150 e-roll, v2.01", organ150.creditLine, ""}));
    EXPECT_NE(std::string(organ150.creditLine).find("kolvo150"), std::string::npos);
}

TEST_F(Driver150, UsageLineNamesTheRollOfThisOrgan) {
    std::string name = "./kolvo150";
    char* argv[] = {&name[0], nullptr};
    std::ostringstream captured;
    std::streambuf* old = std::cout.rdbuf(captured.rdbuf());
    const int status = runRoll(organ150, 1, argv);
    std::cout.rdbuf(old);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(linesOf(captured.str()).back(), "Usage: ./kolvo150  w150e-roll.mid [optempo]");
}

TEST_F(Driver150, ArrangedRollPlaysTrumpetsAndDrumsOnTheirTracks) {
    MidiFile roll;
    roll.absoluteTime();
    roll.setTicksPerQuarterNote(100);
    addBytes(roll, 0, hexBytes("FF 51 03 0F 42 40"));  // 60 beats per minute
    addHole(roll, 0, 50, 70);     // trumpet C#5 on track 15
    addHole(roll, 100, 150, 76);  // bass drum on track 10
    addHole(roll, 200, 250, 10);  // outside the scale
    std::ostringstream out;
    double lastEnd = 0.0;
    arrangeRoll(organ150, roll, out, &lastEnd);
    EXPECT_EQ(out.str(), "Input tempo: 60\n");
    EXPECT_DOUBLE_EQ(lastEnd, 2.5);
    EXPECT_EQ(requirednotecount, 2);
    EXPECT_EQ(outofrangecount, 1);
    EXPECT_FALSE(rollIsValid(organ150));

    // outputfile stays sorted and absolute after writing.
    ASSERT_EQ(outputfile.getNumEvents(15), 5);
    EXPECT_EQ(hexOf(outputfile.getEvent(15, 2)), "0: 9E 49 28");
    EXPECT_EQ(hexOf(outputfile.getEvent(15, 4)), "50: 8E 49 28");
    ASSERT_EQ(outputfile.getNumEvents(10), 2);
    EXPECT_EQ(hexOf(outputfile.getEvent(10, 0)), "100: 99 23 41");
    EXPECT_EQ(hexOf(outputfile.getEvent(10, 1)), "150: 89 23 41");
    EXPECT_EQ(hexOf(outputfile.getEvent(1, 3)), "0: " + toHex(hexBytes("FF 01 07") + "w150k-v"));
    EXPECT_EQ(hexOf(outputfile.getEvent(0, 0)), "0: FF 51 03 0F 42 40");
}

TEST_F(Driver150, TenRequiredHolesAndTwoStraysMakeAValidRoll) {
    MidiFile roll;
    roll.absoluteTime();
    roll.setTicksPerQuarterNote(100);
    int tick = 0;
    for (int i = 0; i < 10; i++, tick += 20) {
        addHole(roll, tick, tick + 10, 69 + i % 9);
    }
    addHole(roll, tick, tick + 10, 23);
    addHole(roll, tick, tick + 10, 78);
    std::ostringstream out;
    arrangeRoll(organ150, roll, out);
    EXPECT_EQ(requirednotecount, 10);
    EXPECT_EQ(outofrangecount, 2);
    EXPECT_TRUE(rollIsValid(organ150));
}

}  // namespace

// The registry of the organs: each organ once, found by its name, with its
// player's texts, its scale and bank, controls that start off and that its
// own holes switch on, a layout on the arrangement's tracks, and an example
// roll that it plays and no organ before it does.

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

#include "driver.h"
#include "organs.h"
#include "runstate.h"
#include "xlate150.h"
#include "xlate165.h"

namespace {

struct Expected {
    const char* name;
    const char* bannerLine;
    const char* usageTail;
    const char* invalidRoll;
    const char* marker;
    int bank;
    int lowestHole;
    int highestHole;
    Translator translate;
    const char* exampleRoll;
};

const Expected expected[] = {
    {"165", "Play Wurlitzer 165 e-roll, v2.01", "  w165e-roll.mid [optempo]",
     "Invalid w165 e-roll", "w165k-v", 3, 24, 98, xlate165, "examples/demo165.mid"},
    {"150", "Play Wurlitzer 150 e-roll, v2.01", "  w150e-roll.mid [optempo]",
     "Invalid w150 e-roll", "w150k-v", 2, 24, 77, xlate150, "examples/demo150.mid"},
};

}  // namespace

TEST(Registry, ListsEachOrganOnceInTheOrderRollsAreTried) {
    ASSERT_EQ(organs().size(), 2);
    for (int i = 0; i < organs().size(); ++i) {
        EXPECT_STREQ(organs()[i]->name, expected[i].name);
        EXPECT_EQ(findOrgan(expected[i].name), organs()[i]);
    }
    EXPECT_EQ(findOrgan("125"), nullptr);
    EXPECT_EQ(findOrgan(""), nullptr);
    EXPECT_EQ(joinedList({}, " or "), "");
    EXPECT_EQ(joinedList({"a"}, " or "), "a");
    EXPECT_EQ(joinedList({"a", "b", "c", "d"}, " or "), "a, b, c or d");
    EXPECT_EQ(joinedList({"a", "b", "c"}, "|", "|"), "a|b|c");
    EXPECT_EQ(organNames(" or "), "165 or 150");
    EXPECT_EQ(organNames("|", "|"), "165|150");
    EXPECT_EQ(listOrgans([](const Organ& o) { return std::string("kolvo") + o.name; }, " and "),
              "kolvo165 and kolvo150");
}

TEST(Registry, EachOrganHasItsPlayersTextsScaleAndBank) {
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.name);
        const Organ& organ = *findOrgan(e.name);
        EXPECT_STREQ(organ.bannerLine, e.bannerLine);
        EXPECT_EQ(std::string(organ.creditLine).rfind(std::string("kolvo") + e.name + ", ", 0),
                  0u);
        EXPECT_STREQ(organ.usageTail, e.usageTail);
        EXPECT_STREQ(organ.invalidRoll, e.invalidRoll);
        EXPECT_STREQ(organ.marker, e.marker);
        EXPECT_EQ(organ.bank, e.bank);
        EXPECT_EQ(organ.lowestHole, e.lowestHole);
        EXPECT_EQ(organ.highestHole, e.highestHole);
        EXPECT_EQ(organ.translate, e.translate);
        EXPECT_STREQ(organ.exampleRoll, e.exampleRoll);
        EXPECT_EQ(organ.validity.mostHolesOutsideScale, 2);
        EXPECT_EQ(organ.validity.fewestRequiredHoles, 10);
    }
}

// Each control is off at the start, and the holes labelled with its label
// switch it, and nothing else, on.
TEST(Registry, ControlsStartOffAndTheirOwnHolesSwitchThemOn) {
    for (const Organ* organ : organs()) {
        std::set<std::string> names;
        for (const OrganControl& control : organ->controls) {
            SCOPED_TRACE(std::string(organ->name) + " " + control.name);
            EXPECT_TRUE(names.insert(control.name).second);
            int switching = 0;
            for (int hole = organ->lowestHole; hole <= organ->highestHole; ++hole) {
                const HoleInfo info = organ->describeHole(hole);
                const std::string onLabel = control.label + std::string(" on");
                if (info.label != onLabel && info.label != control.label + std::string(" open")) {
                    continue;
                }
                ++switching;
                resetRunState();
                organ->resetControls();
                EXPECT_FALSE(*control.on);
                organ->translate(1.0, 0.5, hole);
                for (const OrganControl& other : organ->controls) {
                    EXPECT_EQ(*other.on, &other == &control) << "hole " << hole << " " << other.name;
                }
            }
            EXPECT_GE(switching, 1);
        }
        organ->resetControls();
    }
    EXPECT_EQ(findOrgan("165")->controls.size(), 9);
    EXPECT_EQ(findOrgan("150")->controls.size(), 3);
}

TEST(Registry, LayoutNamesEachTrackOnceAndNeverThePercussionChannel) {
    for (const Organ* organ : organs()) {
        SCOPED_TRACE(organ->name);
        std::set<int> tracks;
        for (const TrackLayout& row : organ->layout) {
            EXPECT_TRUE(tracks.insert(row.track).second) << row.track;
            EXPECT_GE(row.track, 1);
            EXPECT_LE(row.track, 15);
            EXPECT_NE(row.track, 10);
            EXPECT_GE(row.program, 0);
            EXPECT_LE(row.program, 127);
        }
        EXPECT_FALSE(tracks.empty());
    }
}

// kolvo tries the organs in the registry's order: an organ's example roll
// is refused by every organ before it and played by its own.
TEST(Registry, ExampleRollIsPlayedByItsOrganAndNoneBefore) {
    for (int i = 0; i < organs().size(); ++i) {
        const std::string path = std::string(KOLVO_SOURCE_DIR) + "/" + organs()[i]->exampleRoll;
        for (int j = 0; j <= i; ++j) {
            const Organ& organ = *organs()[j];
            SCOPED_TRACE(path + " as " + organ.name);
            resetRunState();
            organ.resetControls();
            MidiFile roll(path.c_str());
            ASSERT_EQ(rollRefusal(roll), "");
            std::ostringstream printed;
            EXPECT_FALSE(arrangeRoll(organ, roll, printed).empty());
            EXPECT_EQ(rollIsValid(organ), i == j);
        }
    }
}

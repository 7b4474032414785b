// What kolvo tells of a roll: which organ it finds for it, by trying each
// of the registry in turn, and info's plain and JSON reports, checked word
// for word against reports worked out by hand; and the picture's holes,
// each in its own lane with its own class.

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "FatalError.h"
#include "librarymessages.h"
#include "organs.h"
#include "report.h"
#include "roll.h"
#include "rollbytes.h"
#include "rollpicture.h"

namespace {

RollFile rollOf(const std::string& path, const std::string& bytes) {
    return RollFile{path, bytes};
}

RollFile exampleRoll(const char* organ) {
    const std::string path = std::string(KOLVO_SOURCE_DIR) + "/" + findOrgan(organ)->exampleRoll;
    std::ifstream in(path, std::ios::binary);
    return RollFile{path, std::string(std::istreambuf_iterator<char>(in), {})};
}

// At 100 ticks per quarter and 60 beats per minute: a copyright, a title, a
// text with a quote and another; ten silent holes at 77 that the 150 requires, its
// shutter-open hole 24 and a hole at 100, beyond both scales.  The last
// closes at tick 1150, 11.5 s.
const std::string texts = "00 FF 51 03 0F 42 40  00 FF 02 01 43  00 FF 03 01 54  00 FF 01 03 78 22 79  00 FF 01 01 7A";
const RollFile roll150 = rollOf(
    "r.mid", midiFile(100, {texts + holesHex({77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 24, 100})}));

// Three holes beyond both scales.
const RollFile wide = rollOf("wide.mid", midiFile(96, {holesHex({100, 101, 102})}));

// A type 1 file of two tracks, with a title on the first; and one with
// notes on both.
const RollFile twoTracks = rollOf("gm.mid", midiFile(480, {"00 FF 03 02 47 4D", holesHex({60})}));
const RollFile twoNoteTracks =
    rollOf("gm.mid", midiFile(480, {"00 FF 03 02 47 4D" + holesHex({60}), holesHex({61})}));

std::string jsonOf(RollFile roll) {
    std::vector<Arrangement> tried;
    const Arrangement a = examineRoll(roll, &tried);
    std::ostringstream json;
    printJson(a, tried, roll, json);
    return json.str();
}

std::string reportOf(RollFile roll) {
    std::ostringstream report;
    const Arrangement a = examineRoll(roll);
    printReport(a, roll, report);
    return report.str();
}

}  // namespace

TEST(OrganDetection, EachExampleRollIsFoundForItsOrgan) {
    for (const Organ* organ : organs()) {
        std::vector<Arrangement> tried;
        const Arrangement a = arrangeForEither(exampleRoll(organ->name), "", &tried);
        EXPECT_EQ(a.organ, organ);
        EXPECT_TRUE(a.playable());
        EXPECT_EQ(tried.size(), 2u);
        EXPECT_FALSE(a.file.empty());
        EXPECT_FALSE(a.holes.empty());
    }
}

TEST(OrganDetection, ARollIsRefusedWithTheReasonOfEachOrgan) {
    const Arrangement forced = arrangeForOrgan(findOrgan("150"), exampleRoll("165"), "");
    // Every hole outside the scale is counted, also past the one too many
    // at which the translator stopped.
    EXPECT_EQ(refusalText(forced),
              "134 holes outside the Wurlitzer 150 scale 24 to 77, at most 2 allowed; it plays "
              "as a Wurlitzer 165 roll: --organ 165, or kolvo165");
    EXPECT_EQ(forced.rule, refusalRule::scale);
    EXPECT_EQ(arrangeForOrgan(nullptr, roll150, "").organ, findOrgan("150"));
    const Arrangement neither = arrangeForEither(wide, "");
    EXPECT_EQ(neither.refusal,
              "fits neither organ: 3 holes outside the Wurlitzer 165 scale 24 to 98, at most 2 "
              "allowed; 3 holes outside the Wurlitzer 150 scale 24 to 77, at most 2 allowed");
    EXPECT_EQ(neither.rule, refusalRule::scale);
    EXPECT_TRUE(neither.advice.empty());
    // Two holes outside the scale are allowed; then the required holes decide.
    const Arrangement few =
        arrangeForOrgan(findOrgan("150"),
                        rollOf("two.mid", midiFile(96, {holesHex({100, 101, 69})})), "");
    EXPECT_EQ(few.refusal, "1 of the Wurlitzer 150's required holes, at least 10 needed");
    EXPECT_EQ(few.rule, refusalRule::required);
    // Each organ by its own rule.
    EXPECT_EQ(arrangeForEither(rollOf("mixed.mid", midiFile(96, {holesHex({90, 91, 92, 93})})), "")
                  .rule,
              refusalRule::organs);
    // A file that no organ reads as a roll is not tried on the next.
    std::vector<Arrangement> tried;
    const Arrangement two = arrangeForEither(twoTracks, "", &tried);
    EXPECT_EQ(two.refusal, "2 tracks where a roll has one");
    EXPECT_EQ(two.rule, refusalRule::tracks);
    EXPECT_EQ(tried.size(), 1u);
    const Arrangement junk = arrangeForEither(rollOf("junk.txt", "hello, not a roll\n"), "");
    EXPECT_FALSE(junk.midiFile);
    EXPECT_EQ(junk.refusal, "File: junk.txt is not a MIDI file");
    EXPECT_EQ(junk.rule, refusalRule::midi);
}

TEST(OrganDetection, TempoIsTheRollsOrTheOneGiven) {
    const Arrangement own = arrangeForEither(roll150, "");
    EXPECT_DOUBLE_EQ(own.inputTempo, 60.0);
    EXPECT_DOUBLE_EQ(own.outputTempo, 60.0);
    EXPECT_EQ(own.playingSeconds, 11);
    EXPECT_EQ(own.playingTime, "Playing time: 0 minutes 11 seconds");
    EXPECT_EQ(own.firstNoteTick, -1);  // silent holes and a shutter: no note
    EXPECT_EQ(own.holes.size(), 12u);
    const Arrangement faster = arrangeForEither(roll150, "120");
    EXPECT_DOUBLE_EQ(faster.outputTempo, 120.0);
    EXPECT_EQ(faster.playingSeconds, 5);
    // 7,000,000 microseconds a quarter: 8.57 beats per minute, not used.
    const Arrangement slow = arrangeForEither(
        rollOf("slow.mid", midiFile(100, {"00 FF 51 03 6A CF C0" +
                                          holesHex({77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 45})})),
        "");
    EXPECT_FALSE(slow.inputTempoUsed);
    EXPECT_DOUBLE_EQ(slow.outputTempo, 85.0);
    EXPECT_EQ(slow.firstNoteTick, 1000);  // the melody hole 45, the eleventh
}

TEST(InfoReport, ARefusalNamesTheRollOnce) {
    EXPECT_EQ(rollErrorLine("a.mid", "Is a directory"), "kolvo: a.mid: Is a directory");
    EXPECT_EQ(rollErrorLine("a.mid", "File: a.mid is not a MIDI file"),
              "kolvo: File: a.mid is not a MIDI file");
    EXPECT_EQ(rollErrorLine("", "the MIDI file library stopped on an error"),
              "kolvo: the MIDI file library stopped on an error");
}

// When the library ends the process on a roll, what it printed is kept
// back; its first line, or else a line of the program's own, tells what
// went wrong.
TEST(InfoReport, TheLibrarysFatalErrorIsOneLineOfTheRoll) {
    const struct {
        const char* printed;
        const char* line;
    } cases[] = {
        {"Error: no MThd\nat byte 0\n", "^kolvo: a\\.mid: Error: no MThd\n$"},
        {"", "^kolvo: a\\.mid: the MIDI file library stopped on an error\n$"},
    };
    for (const auto& c : cases) {
        EXPECT_EXIT(
            {
                installFatalHandler();
                LibraryMessages kept("a.mid");
                std::cerr << c.printed;
                fatalExit();
            },
            testing::ExitedWithCode(1), c.line);
    }
}

TEST(InfoReport, PlainReportOfARoll) {
    EXPECT_EQ(reportOf(roll150),
              "r.mid\n"
              "  Organ: Wurlitzer 150\n"
              "  Ticks per quarter note: 100\n"
              "  Input tempo: 60\n"
              "  Output tempo: 60\n"
              "  Copyright: C\n"
              "  Title: T\n"
              "  Text: x\"y\n"
              "  Text: z\n"
              "  Playing time: 0 minutes 11 seconds\n"
              "  Holes: bass 0, accompaniment 0, melody 0, trumpet 0, percussion 0, control 1, "
              "silent 10, outside the scale 1\n"
              "  Control holes:\n"
              "     24  Shutter open               1\n"
              "     25  Bells on                   0\n"
              "     26  Stop on                    0\n"
              "     27  Cancel                     0\n");
    EXPECT_EQ(reportOf(twoTracks),
              "gm.mid\n"
              "  Organ: neither: fits neither organ: 0 of the Wurlitzer 165's required holes, at "
              "least 10 needed; 0 of the Wurlitzer 150's required holes, at least 10 needed\n"
              "  Tracks: 2, joined into one\n"
              "  Ticks per quarter note: 480\n"
              "  Input tempo: none\n"
              "  Output tempo: 85\n"
              "  Title: GM\n");
    EXPECT_EQ(reportOf(twoNoteTracks),
              "gm.mid\n"
              "  Organ: neither: notes on 2 tracks (track 0 \"GM\" and track 1), a roll has them "
              "on one: --join joins them\n"
              "  Tracks: 2\n"
              "  Ticks per quarter note: 480\n"
              "  Title: GM\n");
    EXPECT_EQ(reportOf(wide),
              "wide.mid\n"
              "  Organ: neither: fits neither organ: 3 holes outside the Wurlitzer 165 scale 24 "
              "to 98, at most 2 allowed; 3 holes outside the Wurlitzer 150 scale 24 to 77, at "
              "most 2 allowed\n"
              "  Ticks per quarter note: 96\n"
              "  Input tempo: none\n"
              "  Output tempo: 85\n");
}

TEST(InfoReport, JsonOfARoll) {
    EXPECT_EQ(jsonOf(roll150),
              "{\"file\": \"r.mid\", \"organ\": 150, \"refusal\": null, \"advice\": [], "
              "\"tracks\": 1, \"joined\": false, \"shift\": 0, \"ticks_per_quarter_note\": 100, "
              "\"copyright\": [\"C\"], \"title\": [\"T\"], \"text\": [\"x\\\"y\", \"z\"], "
              "\"input_tempo\": 60, \"input_tempo_used\": true, \"output_tempo\": 60, "
              "\"playing_seconds\": 11.5, \"organs\": {"
              "\"165\": {\"fits\": false, \"holes_outside_scale\": 1, \"required_holes\": 0}, "
              "\"150\": {\"fits\": true, \"holes_outside_scale\": 1, \"required_holes\": 10}}, "
              "\"holes\": {\"bass\": 0, \"accompaniment\": 0, "
              "\"melody\": 0, \"trumpet\": 0, \"percussion\": 0, \"control\": 1, \"silent\": 10, "
              "\"outside_scale\": 1}, \"control_holes\": ["
              "{\"hole\": 24, \"label\": \"Shutter open\", \"count\": 1}, "
              "{\"hole\": 25, \"label\": \"Bells on\", \"count\": 0}, "
              "{\"hole\": 26, \"label\": \"Stop on\", \"count\": 0}, "
              "{\"hole\": 27, \"label\": \"Cancel\", \"count\": 0}], "
              "\"controls\": [{\"name\": \"shutter\", \"label\": \"Shutter\"}, "
              "{\"name\": \"bells\", \"label\": \"Bells\"}, "
              "{\"name\": \"stop\", \"label\": \"Stop\"}], "
              "\"timeline\": [{\"time\": 10.5, \"control\": \"shutter\", \"on\": true}]}");
    // Refused: the same keys, null where nothing is known.
    const std::string noOrgan =
        "\"organs\": {\"165\": {\"fits\": null, \"holes_outside_scale\": null, "
        "\"required_holes\": null}, \"150\": {\"fits\": null, \"holes_outside_scale\": null, "
        "\"required_holes\": null}}, \"holes\": null, \"control_holes\": null, \"controls\": "
        "null, \"timeline\": null}";
    EXPECT_EQ(jsonOf(twoNoteTracks),
              "{\"file\": \"gm.mid\", \"organ\": null, \"refusal\": {\"rule\": \"tracks\", "
              "\"message\": \"notes on 2 tracks (track 0 \\\"GM\\\" and track 1), a roll has them on "
              "one: --join joins them\"}, \"advice\": [], \"tracks\": 2, "
              "\"joined\": false, \"shift\": 0, \"ticks_per_quarter_note\": 480, "
              "\"copyright\": [], \"title\": [\"GM\"], \"text\": [], \"input_tempo\": null, "
              "\"input_tempo_used\": null, \"output_tempo\": null, \"playing_seconds\": null, " +
                  noOrgan);
    EXPECT_EQ(jsonOf(wide),
              "{\"file\": \"wide.mid\", \"organ\": null, \"refusal\": {\"rule\": \"scale\", "
              "\"message\": \"fits neither organ: 3 holes outside the Wurlitzer 165 scale 24 to "
              "98, at most 2 allowed; 3 holes outside the Wurlitzer 150 scale 24 to 77, at most 2 "
              "allowed\"}, \"advice\": [], \"tracks\": 1, \"joined\": false, \"shift\": 0, "
              "\"ticks_per_quarter_note\": 96, \"copyright\": [], \"title\": [], \"text\": [], "
              "\"input_tempo\": null, \"input_tempo_used\": false, \"output_tempo\": 85, "
              "\"playing_seconds\": null, \"organs\": {"
              "\"165\": {\"fits\": false, \"holes_outside_scale\": 3, \"required_holes\": null}, "
              "\"150\": {\"fits\": false, \"holes_outside_scale\": 3, \"required_holes\": null}}, "
              "\"holes\": null, \"control_holes\": null, \"controls\": null, \"timeline\": null}");
    std::ostringstream error;
    printJsonError("a\\b.mid", refusalRule::file, "Input file does not exist", error);
    EXPECT_EQ(error.str(),
              "{\"file\": \"a\\\\b.mid\", \"organ\": null, \"refusal\": {\"rule\": \"file\", "
              "\"message\": \"Input file does not exist\"}, \"advice\": [], \"tracks\": null, "
              "\"joined\": false, \"shift\": 0, \"ticks_per_quarter_note\": null, "
              "\"copyright\": [], \"title\": [], \"text\": [], \"input_tempo\": null, "
              "\"input_tempo_used\": null, \"output_tempo\": null, \"playing_seconds\": null, " +
                  noOrgan);
}

// The stop switched on, the shutter opened, both cancelled: each change at
// the end of its hole, the cancel's in the order of the organ's controls.
TEST(InfoReport, TheTimelineHasEveryChangeOfTheControls) {
    const RollFile roll = rollOf(
        "c.mid", midiFile(100, {texts + holesHex({77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 26, 24,
                                                  27})}));
    const std::string json = jsonOf(roll);
    EXPECT_EQ(json.substr(json.find("\"timeline\"")),
              "\"timeline\": [{\"time\": 10.5, \"control\": \"stop\", \"on\": true}, "
              "{\"time\": 11.5, \"control\": \"shutter\", \"on\": true}, "
              "{\"time\": 12.5, \"control\": \"shutter\", \"on\": false}, "
              "{\"time\": 12.5, \"control\": \"stop\", \"on\": false}]}");
}

// A roll is called by its first track name that says something, else by
// its file's name.
TEST(InfoReport, TheTitleIsTheRollsTrackNameElseItsFileName) {
    const struct {
        const char* metas;
        const char* title;
    } cases[] = {
        {"00 FF 03 01 54", "T"},
        {"00 FF 03 00  00 FF 03 01 55  00 FF 03 01 56", "U"},
        {"00 FF 03 00", "r.mid"},
        {"00 FF 01 01 54", "r.mid"},
    };
    for (const auto& c : cases) {
        const RollFile roll = rollOf("rolls/r.mid", midiFile(100, {c.metas + holesHex({77})}));
        EXPECT_EQ(rollTitle(arrangeForEither(roll, ""), roll.path), c.title) << c.metas;
    }
}

// A roll whose own tempo is out of range plays at 85 beats per minute, and
// the report's times are of that tempo, the timeline's to the millisecond:
// the stop goes on as hole 26 closes, 10.5 quarter notes in, and the last
// hole closes after 12.5.
TEST(InfoReport, TimesAreOfTheTempoTheRollPlaysAt) {
    const RollFile slow = rollOf(
        "slow.mid", midiFile(100, {"00 FF 51 03 6A CF C0" +
                                   holesHex({77, 77, 77, 77, 77, 77, 77, 77, 77, 77, 26, 45, 46})}));
    const std::string json = jsonOf(slow);
    for (const char* part :
         {"\"input_tempo\": 8.57, \"input_tempo_used\": false, \"output_tempo\": 85, "
          "\"playing_seconds\": 8.82, ",
          "\"melody\": 2, \"trumpet\": 0, \"percussion\": 0, \"control\": 1, \"silent\": 10, ",
          "\"timeline\": [{\"time\": 7.412, \"control\": \"stop\", \"on\": true}]}"}) {
        EXPECT_NE(json.find(part), std::string::npos) << part << "\n in " << json;
    }
}

// Each hole of the scale is a mark in its own lane (10 pixels a lane, the
// highest hole on top, 40 pixels a second after the labels' 190), in the
// class of its kind; holes outside the scale are counted, not drawn.  (The
// legend shows one mark of each class at y 66.)
TEST(RollPicture, EachHoleIsAMarkInItsLaneWithTheClassOfItsKind) {
    const Arrangement a = arrangeForEither(roll150, "");
    const std::string svg = rollPicture(a, "T", "r.mid");
    auto count = [&svg](const std::string& text) {
        size_t n = 0;
        for (size_t at = svg.find(text); at != std::string::npos; at = svg.find(text, at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(count("<rect class=\"silent\" x="), 10u + 1);
    EXPECT_EQ(count("<rect class=\"shutter\" x="), 1u + 1 + 1);  // and its lane's
    EXPECT_EQ(count("\" y=\"1\" width=\""), 10u);    // hole 77, the top lane
    EXPECT_EQ(count("\" y=\"637\" width=\""), 1u);   // hole 24, 53 lanes below
    EXPECT_EQ(count("<rect class=\"silent\" x=\"190\" y=\"1\""), 1u);  // the first, at 0 s
    EXPECT_EQ(count("<rect class=\"shutter\" x=\"590\" y=\"637\""), 1u);  // at 10 s
    EXPECT_EQ(count("class=\"label "), 54u);
    EXPECT_EQ(count("<text class=\"label shutter\" data-hole=\"24\""), 1u);
    EXPECT_EQ(count("<text class=\"label register\" data-hole=\"25\""), 1u);
    EXPECT_EQ(count("<text class=\"label cancel\" data-hole=\"27\""), 1u);
    EXPECT_EQ(count("<text class=\"label silent\" data-hole=\"77\""), 1u);
    EXPECT_EQ(count("1 holes outside the scale not shown"), 1u);
    EXPECT_DOUBLE_EQ(pictureSeconds(a), 11.5);  // until the last hole, 100, has closed
}

// Under the holes a lane per control, marked where it is on: the shutter
// opens as hole 24 closes (10.5 s) and stays open to the end (11.5 s).  At
// five seconds a strip the same marks are six times as long, in the third
// strip.
TEST(RollPicture, ControlsHaveLanesMarkedWhereTheyAreOnAtEveryZoom) {
    const Arrangement a = arrangeForEither(roll150, "");
    struct Case {
        double stripSeconds;
        const char* shutterMark;
        int strips;
    };
    for (const Case& c : {Case{30, "<rect class=\"shutter\" x=\"610\" y=\"661\" width=\"40\"", 1},
                          Case{5, "<rect class=\"shutter\" x=\"310\" y=\"661\" width=\"240\"", 3}}) {
        const std::string svg = rollPicture(a, "T", "r.mid", c.stripSeconds);
        EXPECT_NE(svg.find(c.shutterMark), std::string::npos) << c.stripSeconds;
        EXPECT_EQ(svg.find("y=\"673\" width"), std::string::npos);  // bells: never on
        EXPECT_NE(svg.find("<text class=\"state shutter\" data-control=\"shutter\" x=\"184\" "
                           "y=\"670\">Shutter open</text>"),
                  std::string::npos);
        EXPECT_NE(svg.find("data-control=\"stop\" x=\"184\" y=\"694\">Stop on</text>"),
                  std::string::npos);
        size_t strips = 0;
        for (size_t at = svg.find("<g class=\"strip\""); at != std::string::npos;
             at = svg.find("<g class=\"strip\"", at + 1)) {
            ++strips;
        }
        EXPECT_EQ(strips, static_cast<size_t>(c.strips));
    }
}

// Strips of half a minute: a hole that opens where the second strip starts
// is drawn there only.
TEST(RollPicture, AHoleAtAStripsStartIsDrawnInThatStripOnly) {
    const std::string ten = holesHex({77, 77, 77, 77, 77, 77, 77, 77, 77, 77});
    // The tenth hole closes at tick 950; 2050 ticks later is 30 s.
    const RollFile roll =
        rollOf("strips.mid", midiFile(100, {"00 FF 51 03 0F 42 40" + ten +
                                            " 90 02 90 4D 40 32 80 4D 00"}));
    const std::string svg = rollPicture(arrangeForEither(roll, ""), "S", "strips.mid");
    size_t marks = 0;
    for (size_t at = svg.find("<rect class=\"silent\" x="); at != std::string::npos;
         at = svg.find("<rect class=\"silent\" x=", at + 1)) {
        ++marks;
    }
    EXPECT_EQ(marks, 11u + 1);  // and the legend's
    EXPECT_NE(svg.find("<g class=\"strip\" transform=\"translate(20,"), std::string::npos);
    const size_t second = svg.find("<g class=\"strip\"", svg.find("<g class=\"strip\"") + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_NE(svg.find("<rect class=\"silent\" x=\"190\" y=\"1\"", second), std::string::npos);
}

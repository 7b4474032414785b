// kolvo's command lines: the option parser on a table of its own, and the
// subcommands' tables with their checks and help.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commands.h"
#include "driver.h"
#include "organs.h"
#include "runstate.h"

namespace {

const Command sample = {
    "sample",
    "sample ROLL...   a command to read",
    "Usage: kolvo sample ROLL...",
    "About it.",
    {{"-q", "--quiet", "", "no progress"},
     {"-o", "--out", "OUT", "the output,\nsaid on two lines"},
     {nullptr, "--organ", "ORGAN", "the organ", checkOrgan},
     {nullptr, "--fd", "FD", "", checkCount}},
    16,
    "Exit status: 0.\n",
    1, 2, "sample takes one or two rolls"};

struct Outcome {
    std::string error;  // the usage error, empty when none
    bool help = false;
    bool quiet = false;
    std::string out;
    std::string organ;
    std::vector<std::string> operands;
};

Outcome parse(std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(&word[0]);
    }
    Outcome outcome;
    try {
        const Arguments args = parseArguments(sample, static_cast<int>(argv.size()), argv.data());
        outcome.help = args.helpAsked();
        outcome.quiet = args.has("--quiet");
        outcome.out = args.value("--out");
        outcome.organ = args.value("--organ");
        outcome.operands = args.operands();
    } catch (const UsageError& e) {
        outcome.error = e.what();
    }
    return outcome;
}

using Words = std::vector<std::string>;

}  // namespace

TEST(OptionParser, ReadsFlagsValuesAndOperands) {
    struct Case {
        Words args;
        bool quiet;
        std::string out;
        Words operands;
    };
    const Case cases[] = {
        {{"a.mid"}, false, "", {"a.mid"}},
        {{"-q", "a.mid", "b.mid"}, true, "", {"a.mid", "b.mid"}},
        {{"a.mid", "--quiet"}, true, "", {"a.mid"}},
        {{"-o", "x.wav", "a.mid"}, false, "x.wav", {"a.mid"}},
        {{"--out", "x.wav", "a.mid"}, false, "x.wav", {"a.mid"}},
        {{"--out=x.wav", "a.mid"}, false, "x.wav", {"a.mid"}},
        {{"--out=", "a.mid"}, false, "", {"a.mid"}},
        {{"-o", "x", "-o", "y", "a.mid"}, false, "y", {"a.mid"}},  // the last counts
        {{"-o", "-q", "a.mid"}, false, "-q", {"a.mid"}},           // a value is a value
        {{"-", "a.mid"}, false, "", {"-", "a.mid"}},
        {{"--", "-q", "--out"}, false, "", {"-q", "--out"}},
        {{"a.mid", "--", "--"}, false, "", {"a.mid", "--"}},
        {{"--", "-q", "--"}, false, "", {"-q", "--"}},  // only the first "--" is passed over
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const Outcome o = parse(c.args);
        EXPECT_EQ(o.error, "");
        EXPECT_FALSE(o.help);
        EXPECT_EQ(o.quiet, c.quiet);
        EXPECT_EQ(o.out, c.out);
        EXPECT_EQ(o.operands, c.operands);
    }
}

TEST(OptionParser, RefusesWhatItCannotObeyInTheOrderItReads) {
    const struct {
        Words args;
        std::string error;
    } cases[] = {
        {{"-x", "a.mid"}, "unknown option -x"},
        {{"--quiet=yes", "a.mid"}, "unknown option --quiet=yes"},
        {{"-o=x", "a.mid"}, "unknown option -o=x"},
        {{"a.mid", "-o"}, "option -o needs a value"},
        {{"a.mid", "--out"}, "option --out needs a value"},
        {{"--organ", "125", "a.mid"}, "--organ takes 165 or 150, not \"125\""},
        {{"--organ=", "a.mid"}, "--organ takes 165 or 150, not \"\""},
        {{"--fd", "0", "a.mid"}, "--fd takes a count from 1 to 1024, not \"0\""},
        {{"-x", "--help"}, "unknown option -x"},
        {{}, "sample takes one or two rolls"},
        {{"a", "b", "c"}, "sample takes one or two rolls"},
        {{"--quiet"}, "sample takes one or two rolls"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        EXPECT_EQ(parse(c.args).error, c.error);
    }
}

TEST(OptionParser, StopsAtHelpBeforeCountingOperands) {
    for (const Words& args : {Words{"--help"}, Words{"-h", "-x"}, Words{"a", "b", "c", "-h"},
                              Words{"--organ", "150", "--help", "--organ", "9"}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        const Outcome o = parse(args);
        EXPECT_EQ(o.error, "");
        EXPECT_TRUE(o.help);
    }
    EXPECT_FALSE(parse({"--", "--help"}).help);
    EXPECT_EQ(parse({"--organ", "150", "--help"}).organ, "150");
}

TEST(OptionParser, AnOptionNotInTheTableIsAMistakeOfTheProgram) {
    const Arguments args(sample);
    EXPECT_THROW(args.has("--verbose"), std::logic_error);
    EXPECT_THROW(args.value("-o"), std::logic_error);  // known by its long name
    EXPECT_FALSE(args.has("--fd"));
}

TEST(OptionParser, WritesTheHelpFromTheTable) {
    EXPECT_EQ(helpText(sample),
              "Usage: kolvo sample ROLL...\n"
              "\n"
              "About it.\n"
              "\n"
              "  -q, --quiet   no progress\n"
              "  -o, --out OUT  the output,\n"
              "                said on two lines\n"
              "  --organ ORGAN  the organ\n"
              "  -h, --help    this help\n"
              "\n"
              "Exit status: 0.\n");
}

// Every option of every subcommand has its line in the help, two blanks
// at least before its description, within 80 columns.
TEST(Commands, HelpShowsEveryOptionWithinItsColumn) {
    for (const Command& command : commands()) {
        SCOPED_TRACE(command.name);
        const std::string help = helpText(command);
        for (const Option& option : command.options) {
            const std::string name = option.longName != nullptr ? option.longName : option.shortName;
            if (option.help.empty()) {
                EXPECT_EQ(help.find(name), std::string::npos) << name;
                continue;
            }
            const std::string shown = name + (option.value.empty() ? "" : " " + option.value);
            const size_t at = help.find(shown + "  ");
            ASSERT_NE(at, std::string::npos) << shown;
            const size_t lineStart = help.rfind('\n', at) + 1;
            EXPECT_LE(at + shown.size() + 2, lineStart + command.helpColumn) << shown;
        }
        size_t start = 0;
        for (size_t end; (end = help.find('\n', start)) != std::string::npos; start = end + 1) {
            EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
        }
        EXPECT_NE(programHelp().find("  kolvo " + command.summary + "\n"), std::string::npos);
        EXPECT_EQ(commandNamed(command.name), &command);
    }
    EXPECT_EQ(commandNamed("frobnicate"), nullptr);
    EXPECT_EQ(commands().size(), 8u);
}

// The texts that name the organs name every organ of the registry.
TEST(Commands, HelpNamesTheOrgansOfTheRegistry) {
    EXPECT_NE(programHelp().find("Companion of kolvo165 and kolvo150: renders Wurlitzer 165 and "
                                 "150 e-rolls\n"),
              std::string::npos);
    const std::string render = helpText(*commandNamed("render"));
    EXPECT_NE(render.find("[--organ 165|150]"), std::string::npos);
    EXPECT_NE(render.find("  --organ 165|150    the organ; found by trying both"),
              std::string::npos);
    EXPECT_NE(render.find("[--format wav|flac|ogg|opus|mp3]"), std::string::npos);
    EXPECT_NE(render.find("--format FORMAT    wav (the default), flac, ogg, opus or mp3;"),
              std::string::npos);
    EXPECT_NE(helpText(*commandNamed("info")).find("(165, 150 or neither, why, and what"),
              std::string::npos);
    EXPECT_NE(helpText(*commandNamed("play")).find("as kolvo165\nand kolvo150 do"),
              std::string::npos);
}

TEST(Commands, ChecksOfOptionValues) {
    const struct {
        void (*check)(const std::string&, const std::string&);
        std::string name;
        std::string value;
        std::string error;  // empty: accepted
    } cases[] = {
        {checkCount, "-j", "1", ""},
        {checkCount, "-j", "1024", ""},
        {checkCount, "-j", "0", "-j takes a count from 1 to 1024, not \"0\""},
        {checkCount, "-j", "1025", "-j takes a count from 1 to 1024, not \"1025\""},
        {checkCount, "-j", "", "-j takes a count from 1 to 1024, not \"\""},
        {checkCount, "-j", "2x", "-j takes a count from 1 to 1024, not \"2x\""},
        {checkCount, "-j", "-3", "-j takes a count from 1 to 1024, not \"-3\""},
        {checkTempo, "--tempo", "10", ""},
        {checkTempo, "--tempo", "200", ""},
        {checkTempo, "--tempo", "120bpm", ""},
        {checkTempo, "--tempo", "9.99", "Output tempo must be between 10.0 and 200.0"},
        {checkTempo, "--tempo", "0x64", "Output tempo must be between 10.0 and 200.0"},
        {checkTempo, "--tempo", "nan", "Output tempo must be between 10.0 and 200.0"},
        {checkOrgan, "--organ", "165", ""},
        {checkOrgan, "--organ", "150", ""},
        {checkOrgan, "--organ", "165 ", "--organ takes 165 or 150, not \"165 \""},
        {checkShift, "--shift", "-12", ""},
        {checkShift, "--shift", "127", ""},
        {checkShift, "--shift", "-127", ""},
        {checkShift, "--shift", "128", "--shift takes keys from -127 to 127, not \"128\""},
        {checkShift, "--shift", "-128", "--shift takes keys from -127 to 127, not \"-128\""},
        {checkShift, "--shift", "12k", "--shift takes keys from -127 to 127, not \"12k\""},
        {checkShift, "--shift", "", "--shift takes keys from -127 to 127, not \"\""},
    };
    specifiedtempo = 42.0;
    optempovalid = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name + " " + c.value);
        std::string error;
        try {
            c.check(c.name, c.value);
        } catch (const UsageError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
    }
    // Checking a tempo leaves the run state alone.
    EXPECT_DOUBLE_EQ(specifiedtempo, 42.0);
    EXPECT_FALSE(optempovalid);
    EXPECT_EQ(countOf("1024"), 1024);
}

TEST(Commands, OrganOptionNamesAnOrganOfTheRegistry) {
    std::vector<std::string> words = {"--organ", "150", "-o", "x.svg", "r.mid"};
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(&word[0]);
    }
    const Arguments given = parseArguments(*commandNamed("view"), 5, argv.data());
    EXPECT_EQ(chosenOrgan(given), findOrgan("150"));
    const Arguments notGiven = parseArguments(*commandNamed("view"), 1, argv.data() + 4);
    EXPECT_EQ(chosenOrgan(notGiven), nullptr);
}

TEST(Commands, EachSubcommandCountsItsOperandsAndChecksItsValues) {
    const struct {
        const char* command;
        Words args;
        std::string error;
    } cases[] = {
        {"info", {}, "info needs at least one roll"},
        {"info", {"--json", "a", "b", "c"}, ""},
        {"export", {"r.mid"}, "export takes a roll and an output file"},
        {"export", {"r.mid", "out.mid", "x"}, "export takes a roll and an output file"},
        {"export", {"--tempo", "300", "r.mid", "out.mid"},
         "Output tempo must be between 10.0 and 200.0"},
        {"export", {"--tempo=60", "r.mid", "-"}, ""},
        {"render", {"-q"}, "render needs at least one roll"},
        {"render", {"--format", "aiff", "r.mid"},
         "--format takes wav, flac, ogg, opus or mp3, not \"aiff\""},
        {"render", {"--jobs=0", "r.mid"}, "-j takes a count from 1 to 1024, not \"0\""},
        {"render", {"--progress-fd", "x", "r.mid"},
         "--progress-fd takes a count from 1 to 1024, not \"x\""},
        {"render", {"--loudness", "-6", "r.mid"}, ""},
        {"render", {"--loudness=-40", "r.mid"}, ""},
        {"render", {"--loudness", "-5.9", "r.mid"},
         "--loudness takes a loudness from -40 to -6 LUFS, not \"-5.9\""},
        {"render", {"--loudness", "-40.1", "r.mid"},
         "--loudness takes a loudness from -40 to -6 LUFS, not \"-40.1\""},
        {"render", {"-o", "x.ogg", "--out-dir", "d", "-j", "2", "-q", "-v", "a", "b"}, ""},
        {"play", {"--soundfont"}, "option --soundfont needs a value"},
        {"play", {"-q", "-v", "--soundfont", "x.sf2", "a"}, ""},
        {"view", {"a", "b"}, "view takes one roll"},
        {"view", {"--organ", "125", "r.mid"}, "--organ takes 165 or 150, not \"125\""},
        {"view", {"--seconds-per-strip", "0.9", "r.mid"},
         "--seconds-per-strip takes seconds from 1 to 3600, not \"0.9\""},
        {"view", {"--seconds-per-strip=3600.5", "r.mid"},
         "--seconds-per-strip takes seconds from 1 to 3600, not \"3600.5\""},
        {"view", {"--seconds-per-strip", "12x", "r.mid"},
         "--seconds-per-strip takes seconds from 1 to 3600, not \"12x\""},
        {"view", {"--seconds-per-strip", "1", "a"}, ""},
        {"view", {"--seconds-per-strip", "3600", "a"}, ""},
        {"page", {"-q"}, "page needs at least one roll"},
        {"page", {"--format", "ogg", "r.mid"}, "unknown option --format"},
        {"page", {"-o", "x.html", "--audio", "x.ogg", "--organ", "150", "--tempo", "90", "-j", "2",
                  "--soundfont", "s.sf2", "-q", "-v", "a"}, ""},
        {"dump", {}, "dump takes one MIDI file"},
        {"dump", {"--json", "a.mid"}, "unknown option --json"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + testing::PrintToString(c.args));
        Words words = c.args;
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(&word[0]);
        }
        std::string error;
        try {
            parseArguments(*commandNamed(c.command), static_cast<int>(argv.size()), argv.data());
        } catch (const UsageError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
    }
}

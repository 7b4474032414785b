// What kolvo names and writes: audio files named after their rolls, in
// the format asked for or the output's extension, and pictures.

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "options.h"
#include "outputs.h"
#include "testbytes.h"

namespace {

std::string renderError(const std::vector<std::string>& rolls, const std::string& out,
                        const std::string& outDir) {
    try {
        renderOutputs(rolls, out, outDir, audioFormats()[0]);
    } catch (const UsageError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(OutputNames, FileNamesAndStems) {
    const struct {
        std::string path, name, stem;
    } cases[] = {
        {"demo165.mid", "demo165.mid", "demo165"},
        {"rolls/demo165.mid", "demo165.mid", "demo165"},
        {"rolls.v2/demo165", "demo165", "demo165"},  // a dot in the folder only
        {"a.b/c.d/roll.tar.mid", "roll.tar.mid", "roll.tar"},
        {"./.hidden.mid", ".hidden.mid", ".hidden"},
        {".mid", ".mid", ".mid"},  // a name that starts with its only dot keeps it
        {"dir/", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(fileNameOf(c.path), c.name);
        EXPECT_EQ(stemOf(c.path), c.stem);
    }
    EXPECT_EQ(pictureOutput("rolls.v2/demo165.mid"), "demo165.svg");
}

TEST(OutputNames, FormatByNameOrExtension) {
    EXPECT_STREQ(formatNamed("flac").extension, ".flac");
    EXPECT_THROW(formatNamed("aiff"), UsageError);
    const struct {
        const char* path;
        const char* format;  // nullptr: none
    } cases[] = {
        {"x.wav", "wav"},  {"x.FLAC", "flac"},    {"x.ogg", "ogg"},   {"x.oga", "ogg"},
        {"x.opus", "opus"}, {"x.mp3", "mp3"},     {"x", nullptr},     {"dir.flac/x", nullptr},
        {".wav", nullptr}, {"x.mp4", nullptr},    {"x.flac.wav", "wav"},
        {"out.v2/x.flac", "flac"},  {"x.wav.OGA", "ogg"},
    };
    for (const auto& c : cases) {
        const AudioFormat* format = formatOfFile(c.path);
        EXPECT_STREQ(format == nullptr ? nullptr : format->name, c.format) << c.path;
    }
    EXPECT_EQ(formatChoices("|", "|"), "wav|flac|ogg|opus|mp3");
}

// The format to render to, with MP3 as a linked audio library without it
// would have it: the name and the extension must agree, and what cannot
// be written is named with what can.
TEST(OutputNames, FormatChosenByNameAndExtension) {
    const auto noMp3 = [](const AudioFormat& f) { return f.name != std::string("mp3"); };
    const struct {
        const char* name;
        const char* out;
        const char* format;  // or the usage error
    } cases[] = {
        {"", "", "wav"},
        {"", "x.OGG", "ogg"},
        {"flac", "", "flac"},
        {"flac", "x.flac", "flac"},
        {"opus", "x", "opus"},
        {"", "x", "cannot tell the audio format of x: name the file .wav, .flac, .ogg or .opus"},
        {"wav", "x.mp4",
         "cannot tell the audio format of x.mp4: name the file .wav, .flac, .ogg or .opus"},
        {"flac", "x.ogg", "--format flac does not match x.ogg (Ogg Vorbis)"},
        {"", "x.mp3",
         "the linked libsndfile cannot write MP3 files: name the file .wav, .flac, .ogg or .opus"},
        {"mp3", "",
         "the linked libsndfile cannot write MP3 files: name the file .wav, .flac, .ogg or .opus"},
    };
    for (const auto& c : cases) {
        std::string got;
        try {
            got = chooseFormat(c.name, c.out, noMp3).name;
        } catch (const UsageError& e) {
            got = e.what();
        }
        EXPECT_EQ(got, c.format) << c.name << " " << c.out;
    }
}

TEST(OutputNames, EachRollRendersToAFileOfItsOwn) {
    EXPECT_EQ(renderOutputs({"a/demo165.mid", "b.v2/demo150.mid"}, "", "", formatNamed("flac")),
              (std::vector<std::string>{"demo165.flac", "demo150.flac"}));
    EXPECT_EQ(renderOutputs({"a/demo165.mid", "demo150"}, "", "out.d", audioFormats()[0]),
              (std::vector<std::string>{"out.d/demo165.wav", "out.d/demo150.wav"}));
    EXPECT_EQ(renderOutputs({"a/demo165.mid"}, "x.ogg", "", audioFormats()[0]),
              (std::vector<std::string>{"x.ogg"}));
    EXPECT_EQ(renderError({"a.mid", "b.mid"}, "x.wav", ""),
              "-o names the output of a single roll; use --out-dir for several");
    EXPECT_EQ(renderError({"a.mid"}, "x.wav", "d"), "give either -o or --out-dir");
    EXPECT_EQ(renderError({"x/a.mid", "y/a.mid"}, "", "d"), "two rolls would be rendered to d/a.wav");
    EXPECT_EQ(renderError({"a.mid", "a.midi"}, "", ""), "two rolls would be rendered to a.wav");
}

TEST(OutputWriting, ReplacesWhatTheFileHeldOrWritesToStandardOutput) {
    const std::string path = writeScratchFile("out.mid", std::string(100, 'x'));
    EXPECT_TRUE(writeOutput(path, "short"));
    EXPECT_EQ(readWholeFile(path), "short");

    std::ostringstream captured;
    std::streambuf* saved = std::cout.rdbuf(captured.rdbuf());
    const bool written = writeOutput("-", std::string("a\0b", 3));
    std::cout.rdbuf(saved);
    EXPECT_TRUE(written);
    EXPECT_EQ(captured.str(), std::string("a\0b", 3));

    std::ostringstream error;
    saved = std::cerr.rdbuf(error.rdbuf());
    const bool refused = writeOutput(scratchDir() + "/no/such/folder/out.mid", "x");
    std::cerr.rdbuf(saved);
    EXPECT_FALSE(refused);
    EXPECT_EQ(error.str(), "kolvo: " + scratchDir() +
                               "/no/such/folder/out.mid: cannot write: No such file or directory\n");
}

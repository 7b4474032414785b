// The door to FluidSynth: what each program asks of it reaches FluidSynth,
// and what fails is named in our words.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "synthesizer.h"

namespace {

bool offers(const char* setting, const std::string& choice) {
    const std::vector<std::string> choices = settingChoices(setting);
    return std::find(choices.begin(), choices.end(), choice) != choices.end();
}

std::string firstBytes(const std::string& path, size_t count) {
    std::string bytes(count, '\0');
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return "";
    }
    bytes.resize(std::fread(&bytes[0], 1, count, file));
    std::fclose(file);
    return bytes;
}

}  // namespace

TEST(Synthesizer, OfflineTakesTheSampleRateAndLoadsOnlySoundfonts) {
    SynthesizerSetup setup;
    setup.output = SoundOutput::Offline;
    setup.sampleRate = 48000.0;
    Synthesizer offline(setup);
    ASSERT_EQ(offline.failure(), SynthesizerFailure::None);
    EXPECT_DOUBLE_EQ(offline.sampleRate(), 48000.0);
    EXPECT_FALSE(offline.loadSoundfont("/no/such/bandorgan.sf2"));
    EXPECT_FALSE(offline.loadSoundfont("/etc/hostname"));
    EXPECT_TRUE(offline.loadSoundfont(KOLVO_BANDORGAN_SF2));
    EXPECT_FALSE(offline.playing());
    float left[64], right[64];
    EXPECT_TRUE(offline.render(left, right, 64));
}

// FluidSynth's "file" audio driver writes what it renders to a file: an
// audio driver chosen by name, with no sound card needed.
TEST(Synthesizer, AudioDriverIsChosenByName) {
    ASSERT_TRUE(offers("audio.driver", "file"));
    const std::string path = testing::TempDir() + "driver" + std::to_string(getpid()) + ".wav";
    {
        SynthesizerSetup setup;
        setup.audioDriver = "file";
        setup.fileName = path;
        setup.fileType = "wav";
        Synthesizer driven(setup);
        ASSERT_EQ(driven.failure(), SynthesizerFailure::None);
    }
    EXPECT_EQ(firstBytes(path, 4), "RIFF");
    std::remove(path.c_str());

    SynthesizerSetup unknown;
    unknown.audioDriver = "no-such-driver";
    unknown.quietAudioDriver = true;
    EXPECT_EQ(Synthesizer(unknown).failure(), SynthesizerFailure::AudioOutput);
}

// ALSA's device by name: a device of its own configuration that writes
// into a file, so that no sound card is needed.
TEST(Synthesizer, AudioDeviceIsChosenByName) {
    const std::string home = testing::TempDir() + "home" + std::to_string(getpid());
    const std::string raw = home + "/out.raw";
    std::filesystem::create_directories(home);
    std::ofstream(home + "/.asoundrc")
        << "pcm.kolvotest { type file slave.pcm \"null\" file \"" << raw << "\" format \"raw\" }\n";
    const char* const before = std::getenv("HOME");
    const std::string savedHome = before != nullptr ? before : "";
    setenv("HOME", home.c_str(), 1);
    {
        SynthesizerSetup setup;
        setup.audioDriver = "alsa";
        setup.device = "kolvotest";
        setup.quietAudioDriver = true;
        Synthesizer driven(setup);
        EXPECT_EQ(driven.failure(), SynthesizerFailure::None);
    }
    setenv("HOME", savedHome.c_str(), 1);
    EXPECT_TRUE(std::filesystem::exists(raw));
    std::filesystem::remove_all(home);
}

TEST(Synthesizer, EachFailureHasAMessageOfItsOwn) {
    std::set<std::string> messages;
    for (SynthesizerFailure failure :
         {SynthesizerFailure::Settings, SynthesizerFailure::Synthesizer,
          SynthesizerFailure::Player, SynthesizerFailure::AudioOutput,
          SynthesizerFailure::Soundfont, SynthesizerFailure::Arrangement}) {
        messages.insert(failureMessage(failure));
    }
    EXPECT_EQ(messages.size(), 6u);
    EXPECT_EQ(messages.count(""), 0u);
    EXPECT_STREQ(failureMessage(SynthesizerFailure::AudioOutput), "Cannot open the audio output");
    EXPECT_TRUE(offers("audio.file.type", "wav"));
}

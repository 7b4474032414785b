// Audio files: whole under their name once committed, else nothing left
// behind and an earlier file untouched.

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "audiofile.h"
#include "outputs.h"
#include "testbytes.h"

namespace {

// Frames of a file as libsndfile reads them back; -1 when it cannot.
long framesIn(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        return -1;
    }
    sf_close(file);
    return static_cast<long>(info.frames);
}

// The names in the scratch folder that start with `stem`.
std::vector<std::string> namesStarting(const std::string& stem) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(scratchDir())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(stem, 0) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(AudioFiles, AppearWholeUnderTheirNameOrNotAtAll) {
    std::vector<float> tone(2 * 4800);
    for (size_t i = 0; i < tone.size(); ++i) {
        tone[i] = 0.5f * std::sin(0.05f * static_cast<float>(i / 2));
    }
    const mode_t mask = umask(022);
    std::string error;
    const std::string path = writeScratchFile("tone.wav", "old");
    {
        AudioFileWriter writer;
        ASSERT_TRUE(writer.open(path, *formatOfFile(path), 48000, -1, error)) << error;
        ASSERT_TRUE(writer.write(tone.data(), 4800, error)) << error;
        EXPECT_EQ(readWholeFile(path), "old");  // untouched until committed
        EXPECT_EQ(namesStarting("tone").size(), 2u);
    }
    EXPECT_EQ(readWholeFile(path), "old");
    EXPECT_EQ(namesStarting("tone"), std::vector<std::string>{"tone.wav"});

    // Committed: the whole file, with a new file's permissions.  The
    // compression asked for counts, 0 too: the best quality is the largest.
    std::map<double, std::uintmax_t> sizes;
    for (const double compression : {0.0, -1.0, 1.0}) {
        const std::string ogg = scratchDir() + "/tone.ogg";
        AudioFileWriter writer;
        ASSERT_TRUE(writer.open(ogg, *formatOfFile(ogg), 44100, compression, error)) << error;
        ASSERT_TRUE(writer.write(tone.data(), 4800, error) && writer.commit(error)) << error;
        EXPECT_EQ(framesIn(ogg), 4800);
        sizes[compression] = std::filesystem::file_size(ogg);
        struct stat status;
        ASSERT_EQ(stat(ogg.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0644u);
    }
    EXPECT_GT(sizes[0.0], sizes[-1.0]);
    EXPECT_GT(sizes[-1.0], sizes[1.0]);
    EXPECT_EQ(namesStarting("tone"), (std::vector<std::string>{"tone.ogg", "tone.wav"}));
    umask(mask);

    AudioFileWriter writer;
    EXPECT_FALSE(writer.open(scratchDir() + "/no/x.wav", *formatOfFile("x.wav"), 44100, -1, error));
    EXPECT_EQ(error, scratchDir() + "/no/x.wav: cannot write: No such file or directory");
}

// Every file of the fuzz corpus through the checks of both fuzz targets:
// the reader's round trip, and the translation of the file as a roll of
// either organ.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz_checks.h"
#include "xlate150.h"
#include "xlate165.h"

namespace {

std::vector<std::string> corpusFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(KOLVO_CORPUS_DIR)) {
        if (entry.is_regular_file()) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class CorpusFile : public testing::TestWithParam<std::string> {};

TEST_P(CorpusFile, PassesEveryFuzzCheck) {
    std::ifstream in(std::string(KOLVO_CORPUS_DIR) + "/" + GetParam(), std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    std::string reader, as165, as150;
    {
        QuietConsole quiet;
        reader = checkReadWriteRead(bytes.data(), bytes.size());
        as165 = checkRollTranslation(organ165, bytes.data(), bytes.size());
        as150 = checkRollTranslation(organ150, bytes.data(), bytes.size());
    }
    EXPECT_EQ(reader, "");
    EXPECT_EQ(as165, "") << "as a roll of the 165";
    EXPECT_EQ(as150, "") << "as a roll of the 150";
}

// Test names may hold letters, digits and underscores only.
std::string testName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return std::isalnum(static_cast<unsigned char>(c)) == 0; }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFile, testing::ValuesIn(corpusFiles()), testName);

}  // namespace

// Every file of the fuzz corpus through the checks of both fuzz targets:
// the reader's round trip, and the translation of the file as a roll of
// either organ.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
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

// Files that show faults of the library's reader and writer whose mending
// is under way: the writer writes a delta time that does not fit four bytes
// (R1), after a long pause in a roll or after a five-byte delta time that
// the reader accepted; the reader lets tick sums past the range of int wrap
// to negative times, over many delta times or by one five-byte one (R2).  Their failures are reported as skipped until
// then; empty this list once that work is in.
const std::set<std::string> awaitingLibraryFix = {
    "r1-found-five-byte-delta-in-roll.mid",
    "r1-pause-longer-than-a-file-holds-150.mid",
    "r1-pause-longer-than-a-file-holds-165.mid",
    "r2-found-five-byte-delta-past-int-range.mid",
    "r2-ticks-past-int-range-150.mid",
    "r2-ticks-past-int-range-165.mid",
};

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
    if (awaitingLibraryFix.count(GetParam()) != 0 && !(reader + as165 + as150).empty()) {
        GTEST_SKIP() << "awaits the library fix: " << reader << as165 << as150;
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

#include "app/help/help_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace ondela {
namespace {

namespace fs = std::filesystem;

bool IsFile(const std::string& path) {
    return fs::is_regular_file(path);
}

// An installation tree: <root>/bin is the program's folder, <root>/Doc the documentation's.
class HelpFileSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() /
               ("ondela-help-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "bin");
        fs::create_directories(root / "Doc");
        bin = (root / "bin").string();
    }
    void TearDown() override { fs::remove_all(root); }
    void Put(const fs::path& file) { std::ofstream(file) << "help"; }

    fs::path root;
    std::string bin;
};

TEST_F(HelpFileSearch, FirstExistingPlaceWins) {
    struct Case {
        const char* what;
        bool besideProgram, inDoc;
        std::string expected;
    };
    const std::string beside = "/Ondela.chm";
    const std::string doc = "/../Doc/Ondela.chm";
    const Case cases[] = {
        {"only beside the program", true, false, beside},
        {"only in Doc: the path keeps its /../", false, true, doc},
        {"in both places the one beside the program", true, true, beside},
        {"nowhere", false, false, ""},
    };
    for (const Case& c : cases) {
        fs::remove(root / "bin" / "Ondela.chm");
        fs::remove(root / "Doc" / "Ondela.chm");
        if (c.besideProgram) Put(root / "bin" / "Ondela.chm");
        if (c.inDoc) Put(root / "Doc" / "Ondela.chm");
        const std::string expected = c.expected.empty() ? "" : bin + c.expected;
        EXPECT_EQ(FindHelpFile(bin, IsFile), expected) << c.what;
    }
}

TEST_F(HelpFileSearch, FolderNamedLikeTheFileIsNoHelpFile) {
    fs::create_directories(root / "bin" / "Ondela.chm");
    Put(root / "Doc" / "Ondela.chm");
    EXPECT_EQ(FindHelpFile(bin, IsFile), bin + "/../Doc/Ondela.chm");
}

TEST(HelpFilePaths, CandidatesLongerThanTheDesignersPathsAreNotTaken) {
    // "/Ondela.chm" adds 11 characters to the program's folder, "/../Doc/Ondela.chm" 18.
    struct Case {
        std::size_t folderLength;
        bool onlyInDoc;
        const char* expectedEnd;  // nullptr: no help file
    };
    const Case cases[] = {
        {509, false, "/Ondela.chm"},  // 520 characters
        {510, false, nullptr},
        {502, true, "/../Doc/Ondela.chm"},  // 520 characters
        {503, true, nullptr},
    };
    for (const Case& c : cases) {
        const std::string folder(c.folderLength, 'd');
        std::vector<std::string> asked;
        auto exists = [&](const std::string& path) {
            asked.push_back(path);
            return !c.onlyInDoc || path.find("/Doc/") != std::string::npos;
        };
        const std::string found = FindHelpFile(folder, exists);
        EXPECT_EQ(found, c.expectedEnd ? folder + c.expectedEnd : "") << c.folderLength;
        for (const std::string& path : asked)
            EXPECT_LE(path.size(), 520u) << "a path that would be cut was looked up";
    }
}

}  // namespace
}  // namespace ondela

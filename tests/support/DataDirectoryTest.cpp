#include <gtest/gtest.h>

#include "core/support/DataDirectory.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryDirectory;
using testing::writeFile;

TEST(DataDirectory, LiesInTheShareFolderBesideTheProgramsFolder) {
    EXPECT_EQ(DataDirectory::besideProgram("/usr/bin/plovik").path(),
              fs::path("/usr/share/plovik"));
    EXPECT_EQ(DataDirectory::besideProgram("/opt/p/bin/plovik-correct").path(),
              fs::path("/opt/p/share/plovik"));
    EXPECT_EQ(DataDirectory::besideProgram("/home/u/plovik/build/tools/plovik-correct").path(),
              fs::path("/home/u/plovik/build/share/plovik"));
}

TEST(DataDirectory, FindsOnlyRegularFilesInsideIt) {
    const TemporaryDirectory root;
    const DataDirectory data(root.path() / "share" / "plovik");
    writeFile(data.path() / "en.words.gz", "words");
    writeFile(data.path() / "ru" / "trigrams.gz", "trigrams");
    writeFile(root.path() / "share" / "secret", "outside");
    fs::create_directories(data.path() / "folder.gz");
    fs::create_symlink(data.path() / "en.words.gz", data.path() / "linked.gz");

    EXPECT_EQ(data.file("en.words.gz"), data.path() / "en.words.gz");
    EXPECT_EQ(data.file("ru/trigrams.gz"), data.path() / "ru" / "trigrams.gz");
    EXPECT_EQ(data.file("linked.gz"), data.path() / "linked.gz");
    for (const char* refused :
         {"missing.gz", "folder.gz", "", "../secret", "ru/../../secret", "/etc/passwd"}) {
        EXPECT_EQ(data.file(refused), std::nullopt) << refused;
    }
    EXPECT_EQ(DataDirectory(root.path() / "absent").file("en.words.gz"), std::nullopt);
}

TEST(DataDirectory, ProgramsInTheBuildTreeFindTheSourceData) {
    const auto data = DataDirectory::ofRunningProgram();
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->path(), fs::path(PLOVIK_BUILD_DIR) / "share" / "plovik");
    EXPECT_TRUE(
        fs::equivalent(data->path(), fs::path(PLOVIK_TEST_DATA_DIR) / ".." / ".." / "data"));
    EXPECT_EQ(data->file("README.md"), data->path() / "README.md");
}

}  // namespace
}  // namespace plovik

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/support/AtomicFile.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

mode_t modeOf(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

std::vector<std::string> listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFile, ReadsWholeRegularFilesAndTellsAbsentFromUnreadable) {
    testing::TemporaryDirectory temporary;
    const auto& root = temporary.path();
    EXPECT_EQ(AtomicFile(root / "missing").read(), AtomicFile::ReadResult(AtomicFile::Absent{}));
    EXPECT_EQ(AtomicFile(root / "no-folder" / "file").read(),
              AtomicFile::ReadResult(AtomicFile::Absent{}));
    writeFile(root / "plain", "a file where a folder would be");
    EXPECT_EQ(AtomicFile(root / "plain" / "file").read(),
              AtomicFile::ReadResult(AtomicFile::Absent{}));

    // Larger than one read, with bytes that are not text.
    std::string large(200'000, 'x');
    large[70'000] = '\0';
    large.back() = '\xFF';
    writeFile(root / "large", large);
    EXPECT_EQ(AtomicFile(root / "large").read(), AtomicFile::ReadResult(large));
    writeFile(root / "empty", "");
    EXPECT_EQ(AtomicFile(root / "empty").read(), AtomicFile::ReadResult(std::string()));

    // Something is there that cannot be read, and the reason says what.
    fs::create_directory(root / "folder");
    ASSERT_EQ(::mkfifo((root / "fifo").c_str(), 0600), 0);
    fs::create_symlink("loop", root / "loop");
    for (const auto& [odd, reason] :
         {std::pair{root / "folder", "Is a directory"},
          std::pair{root / "fifo", "not a regular file"},
          std::pair{root / "loop", "Too many levels of symbolic links"}}) {
        EXPECT_EQ(AtomicFile(odd).read(), AtomicFile::ReadResult(AtomicFile::Unreadable{reason}))
            << odd;
    }
}

TEST(AtomicFile, ReplacesWholeWithTheGivenModeInPrivateFolders) {
    testing::TemporaryDirectory temporary;
    const auto folder = temporary.path() / "a" / "b";
    const AtomicFile file(folder / "file");
    ASSERT_TRUE(file.replace("first", 0640));
    EXPECT_EQ(readFile(file.path()), "first");
    EXPECT_EQ(modeOf(file.path()), 0640u);
    EXPECT_EQ(modeOf(temporary.path() / "a"), 0700u);
    EXPECT_EQ(modeOf(folder), 0700u);

    ASSERT_TRUE(file.replace("", 0600));
    EXPECT_EQ(readFile(file.path()), "");
    EXPECT_EQ(modeOf(file.path()), 0600u);
    EXPECT_EQ(listing(folder), std::vector<std::string>{"file"});

    // A folder in the file's place cannot be replaced; it stays, and no temporary is left.
    fs::create_directory(folder / "taken");
    writeFile(folder / "taken" / "inside", "kept");
    EXPECT_FALSE(AtomicFile(folder / "taken").replace("new", 0600));
    EXPECT_EQ(readFile(folder / "taken" / "inside"), "kept");
    EXPECT_EQ(listing(folder), (std::vector<std::string>{"file", "taken"}));

    writeFile(temporary.path() / "plain", "not a folder");
    EXPECT_FALSE(AtomicFile(temporary.path() / "plain" / "file").replace("new", 0600));
    EXPECT_EQ(readFile(temporary.path() / "plain"), "not a folder");
}

TEST(AtomicFile, MovesOnlyToAFreeName) {
    testing::TemporaryDirectory temporary;
    const auto& root = temporary.path();
    const AtomicFile file(root / "file");
    EXPECT_EQ(file.moveWithoutReplacing(root / "aside"), AtomicFile::MoveResult::sourceAbsent);

    writeFile(file.path(), "damaged");
    writeFile(root / "aside", "earlier");
    EXPECT_EQ(file.moveWithoutReplacing(root / "aside"), AtomicFile::MoveResult::targetTaken);
    EXPECT_EQ(file.moveWithoutReplacing(root / "no-folder" / "aside"),
              AtomicFile::MoveResult::failed);
    EXPECT_EQ(readFile(root / "aside"), "earlier");
    EXPECT_EQ(readFile(file.path()), "damaged");

    EXPECT_EQ(file.moveWithoutReplacing(root / "aside-2"), AtomicFile::MoveResult::moved);
    EXPECT_EQ(readFile(root / "aside-2"), "damaged");
    EXPECT_EQ(file.read(), AtomicFile::ReadResult(AtomicFile::Absent{}));
    EXPECT_TRUE(AtomicFile(root / "aside-2").remove());
    EXPECT_FALSE(AtomicFile(root / "aside-2").remove());
    EXPECT_EQ(listing(root), std::vector<std::string>{"aside"});
}

}  // namespace
}  // namespace plovik

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/settings/SettingsStore.h"
#include "core/support/ManualClock.h"
#include "platform/linux/FileDefaultsDatabase.h"
#include "settings/SettingsTestSupport.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using testing::bytesOf;

class FileDefaultsDatabaseTest : public ::testing::Test {
  protected:
    static std::vector<std::string> listing(const fs::path& directory) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(directory)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    const testing::TemporaryDirectory temporary_;
    const fs::path root_ = temporary_.path();
};

TEST_F(FileDefaultsDatabaseTest, StoresEachKeyAsAPrivateFileHoldingTheBlobExactly) {
    const fs::path directory = root_ / "config" / "plovik";
    FileDefaultsDatabase database(directory);
    EXPECT_FALSE(database.data("Plovik.AppSettings.v1").has_value());
    EXPECT_FALSE(fs::exists(directory));  // reading creates nothing

    const std::string blob("{\"a\":1}\0\xFF\n", 10);
    ASSERT_TRUE(database.setData("Plovik.AppSettings.v1", bytesOf(blob)));
    EXPECT_EQ(testing::readFile(directory / "Plovik.AppSettings.v1"), blob);
    EXPECT_EQ(database.data("Plovik.AppSettings.v1"), bytesOf(blob));
    struct stat status {};
    ASSERT_EQ(::stat((directory / "Plovik.AppSettings.v1").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    ASSERT_EQ(::stat(directory.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);

    ASSERT_TRUE(database.setData("empty", {}));
    EXPECT_EQ(database.data("empty"), std::vector<std::uint8_t>{});
    database.removeKey("empty");
    database.removeKey("never-written");
    EXPECT_FALSE(database.data("empty").has_value());
    EXPECT_EQ(listing(directory), std::vector<std::string>{"Plovik.AppSettings.v1"});

    fs::create_directory(directory / "folder");  // not something this database wrote
    EXPECT_FALSE(database.data("folder").has_value());
}

TEST_F(FileDefaultsDatabaseTest, ReplacesFilesAtomicallyWithoutLeavingTemporaries) {
    FileDefaultsDatabase database(root_);
    ASSERT_TRUE(database.setData("key", bytesOf("first version, rather long")));
    // A reader holding the old file keeps seeing it whole: the new file is renamed
    // over it, not written into it.
    fs::create_hard_link(root_ / "key", root_ / "held-by-reader");
    ::chmod((root_ / "key").c_str(), 0644);
    ASSERT_TRUE(database.setData("key", bytesOf("second")));
    EXPECT_EQ(testing::readFile(root_ / "key"), "second");
    EXPECT_EQ(testing::readFile(root_ / "held-by-reader"), "first version, rather long");
    struct stat status {};
    ASSERT_EQ(::stat((root_ / "key").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(listing(root_), (std::vector<std::string>{"held-by-reader", "key"}));
}

TEST_F(FileDefaultsDatabaseTest, RefusesKeysThatAreNotPlainFileNames) {
    const fs::path directory = root_ / "inner";
    FileDefaultsDatabase database(directory);
    ASSERT_TRUE(database.setData("kept", bytesOf("x")));
    std::ofstream(root_ / "outside") << "secret";
    for (const std::string& key :
         {std::string(), std::string("."), std::string(".."), std::string("../outside"),
          std::string("a/b"), std::string("/etc/passwd"), std::string(".hidden"),
          std::string("nul\0byte", 8), std::string(300, 'k')}) {
        EXPECT_FALSE(FileDefaultsDatabase::isValidKey(key)) << key;
        EXPECT_FALSE(database.setData(key, bytesOf("overwritten"))) << key;
        EXPECT_FALSE(database.data(key).has_value()) << key;
        database.removeKey(key);
    }
    EXPECT_EQ(testing::readFile(root_ / "outside"), "secret");
    EXPECT_EQ(listing(directory), std::vector<std::string>{"kept"});
    EXPECT_TRUE(
        FileDefaultsDatabase::isValidKey("Plovik.AppSettings.v1.unreadable-20261206T194500Z"));
}

TEST_F(FileDefaultsDatabaseTest, ReportsAFailedWrite) {
    std::ofstream(root_ / "file") << "not a folder";
    FileDefaultsDatabase database(root_ / "file" / "plovik");
    EXPECT_FALSE(database.setData("key", bytesOf("x")));
    EXPECT_FALSE(database.data("key").has_value());
}

TEST_F(FileDefaultsDatabaseTest, SettingsWrittenByTheStoreReloadEqual) {
    FileDefaultsDatabase database(root_ / "plovik");
    ManualClock clock;
    const AppSettings expected = testing::fullSettings();
    {
        SettingsStore store(database, SettingsStore::kStandardStorageKey, clock,
                            text::LocalizedComparison("en"));
        store.update([&](AppSettings& settings) { settings = expected; });
    }
    SettingsStore reloaded(database, SettingsStore::kStandardStorageKey, clock,
                           text::LocalizedComparison("en"));
    EXPECT_EQ(reloaded.settings(), expected);
    EXPECT_EQ(testing::readFile(root_ / "plovik" / "Plovik.AppSettings.v1"),
              testing::readTestFile("full.json"));
    reloaded.reset();
    EXPECT_FALSE(fs::exists(root_ / "plovik" / "Plovik.AppSettings.v1"));
}

TEST_F(FileDefaultsDatabaseTest, TellsAnUnreadableEntryFromAMissingOne) {
    FileDefaultsDatabase database(root_);
    EXPECT_EQ(database.entry("missing"), DefaultsDatabase::Entry(DefaultsDatabase::Absent{}));
    fs::create_directory(root_ / "folder");
    ASSERT_EQ(::mkfifo((root_ / "fifo").c_str(), 0600), 0);
    for (const char* key : {"folder", "fifo"}) {
        EXPECT_EQ(database.entry(key), DefaultsDatabase::Entry(DefaultsDatabase::Unreadable{}))
            << key;
        EXPECT_FALSE(database.data(key).has_value()) << key;
    }
}

// A settings file the store cannot read may still be the user's: a store that took it for
// missing would replace it with the defaults on the first change.
TEST_F(FileDefaultsDatabaseTest, TheStoreLeavesASettingsPathItCannotReadInPlace) {
    FileDefaultsDatabase database(root_);
    const fs::path path = root_ / SettingsStore::kStandardStorageKey;
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    ManualClock clock;
    {
        SettingsStore store(database, SettingsStore::kStandardStorageKey, clock,
                            text::LocalizedComparison("en"));
        EXPECT_TRUE(store.storedDocumentUnreadable());
        store.update([](AppSettings& settings) { settings.launchAtLogin = true; });
        store.reset();
    }
    EXPECT_TRUE(fs::is_fifo(path));
    EXPECT_EQ(listing(root_), std::vector<std::string>{SettingsStore::kStandardStorageKey});
}

}  // namespace
}  // namespace plovik

#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "core/settings/SettingsStore.h"
#include "platform/linux/FolderSettingsFiles.h"
#include "platform/simulated/SimulatedClock.h"
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
    FolderSettingsFiles database(directory);
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
    FolderSettingsFiles database(root_);
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
    FolderSettingsFiles database(directory);
    ASSERT_TRUE(database.setData("kept", bytesOf("x")));
    std::ofstream(root_ / "outside") << "secret";
    for (const std::string& key :
         {std::string(), std::string("."), std::string(".."), std::string("../outside"),
          std::string("a/b"), std::string("/etc/passwd"), std::string(".hidden"),
          std::string("nul\0byte", 8), std::string(300, 'k')}) {
        EXPECT_FALSE(FolderSettingsFiles::isValidKey(key)) << key;
        EXPECT_FALSE(database.setData(key, bytesOf("overwritten"))) << key;
        EXPECT_FALSE(database.data(key).has_value()) << key;
        database.removeKey(key);
    }
    EXPECT_EQ(testing::readFile(root_ / "outside"), "secret");
    EXPECT_EQ(listing(directory), std::vector<std::string>{"kept"});
    EXPECT_TRUE(
        FolderSettingsFiles::isValidKey("Plovik.AppSettings.v1.unreadable-20261206T194500Z"));
}

TEST_F(FileDefaultsDatabaseTest, ReportsAFailedWrite) {
    std::ofstream(root_ / "file") << "not a folder";
    FolderSettingsFiles database(root_ / "file" / "plovik");
    EXPECT_EQ(database.storeData("key", bytesOf("x")), "Not a directory");
    EXPECT_FALSE(database.data("key").has_value());
}

TEST_F(FileDefaultsDatabaseTest, SettingsWrittenByTheStoreReloadEqual) {
    FolderSettingsFiles database(root_ / "plovik");
    SimulatedClock clock;
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

TEST_F(FileDefaultsDatabaseTest, TellsAnUnreadableEntryFromAMissingOneAndSaysWhy) {
    FolderSettingsFiles database(root_);
    EXPECT_EQ(database.entry("missing"), SettingsFiles::Entry(SettingsFiles::Absent{}));
    fs::create_directory(root_ / "folder");
    ASSERT_EQ(::mkfifo((root_ / "fifo").c_str(), 0600), 0);
    fs::create_symlink(root_ / "loop", root_ / "loop");
    for (const auto& [key, reason] :
         {std::pair{"folder", "Is a directory"}, std::pair{"fifo", "not a regular file"},
          std::pair{"loop", "Too many levels of symbolic links"}}) {
        EXPECT_EQ(database.entry(key), SettingsFiles::Entry(SettingsFiles::Unreadable{reason}));
        EXPECT_FALSE(database.data(key).has_value()) << key;
    }
    EXPECT_EQ(database.locationOf("key"), (root_ / "key").string());
}

// A settings file the store cannot read may still be the user's: a store that took it for
// missing would replace it with the defaults on the first change.
TEST_F(FileDefaultsDatabaseTest, TheStoreLeavesASettingsPathItCannotReadInPlace) {
    FolderSettingsFiles database(root_);
    const fs::path path = root_ / SettingsStore::kStandardStorageKey;
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    SimulatedClock clock;
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

// Serves this thread's main context, where the file monitors report, until `done` holds.
bool serveMainContextUntil(const std::function<bool()>& done,
                           std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST_F(FileDefaultsDatabaseTest, ReportsEveryWayAnotherProgramChangesAKey) {
    const fs::path directory = root_ / "plovik";
    fs::create_directories(directory);
    FolderSettingsFiles database(directory);
    FolderSettingsFiles other(directory);
    int reports = 0;
    auto subscription = database.observe("key", [&] { ++reports; });
    const auto reported = [&](const std::function<void()>& change,
                              std::chrono::milliseconds wait = std::chrono::seconds(5)) {
        reports = 0;
        change();
        return serveMainContextUntil([&] { return reports > 0; }, wait);
    };
    EXPECT_TRUE(reported([&] { other.setData("key", bytesOf("replaced whole")); }));
    EXPECT_TRUE(reported([&] { std::ofstream(directory / "key", std::ios::app) << " in place"; }));
    EXPECT_TRUE(reported([&] { fs::remove(directory / "key"); }));

    // Other keys and a finished observation are not reported.
    const std::chrono::milliseconds aWhile(500);
    EXPECT_FALSE(reported([&] { other.setData("another", bytesOf("x")); }, aWhile));
    subscription.cancel();
    EXPECT_FALSE(reported([&] { other.setData("key", bytesOf("again")); }, aWhile));
}

// The folder does not exist yet when the store starts watching, as on a first start.
TEST_F(FileDefaultsDatabaseTest, AStoreTakesInWhatAnotherCopyStored) {
    FolderSettingsFiles database(root_ / "plovik");
    FolderSettingsFiles otherDatabase(root_ / "plovik");
    SimulatedClock clock;
    SettingsStore store(database, SettingsStore::kStandardStorageKey, clock,
                        text::LocalizedComparison("en"));
    SettingsStore other(otherDatabase, SettingsStore::kStandardStorageKey, clock,
                        text::LocalizedComparison("en"));
    other.update([](AppSettings& settings) { settings.confidenceThreshold = 0.55; });
    EXPECT_TRUE(
        serveMainContextUntil([&] { return store.settings().confidenceThreshold == 0.55; }));
    store.update([](AppSettings& settings) { settings.playCorrectionSound = false; });
    EXPECT_TRUE(serveMainContextUntil([&] { return !other.settings().playCorrectionSound; }));
    EXPECT_EQ(store.settings(), other.settings());
}

TEST_F(FileDefaultsDatabaseTest, WritersInOtherProcessesWaitForExclusiveWork) {
    const fs::path directory = root_ / "plovik";
    fs::create_directories(directory);
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    // Forked before the lock is taken, which a child would otherwise share.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        char byte = 0;
        ::close(go[1]);
        (void)!::read(go[0], &byte, 1);
        FolderSettingsFiles(directory).exclusively(
            [&] { std::ofstream(directory / "order", std::ios::app) << "child"; });
        ::_exit(0);
    }
    ::close(go[0]);
    FolderSettingsFiles(directory).exclusively([&] {
        (void)!::write(go[1], "x", 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        std::ofstream(directory / "order", std::ios::app) << "parent,";
    });
    ::close(go[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(testing::readFile(directory / "order"), "parent,child");
}

}  // namespace
}  // namespace plovik

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <set>
#include <string_view>
#include <thread>

#include "core/history/FileCorrectionHistoryStore.h"
#include "core/history/HistoryFileFormat.h"
#include "core/history/HistoryRetention.h"
#include "core/support/FolderLock.h"
#include "core/support/ReferenceDate.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedUserDataFolder.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

CorrectionRecord record(std::string original = "ghbdtn", std::string corrected = "привет",
                        CorrectionOutcome outcome = CorrectionOutcome::accepted,
                        double timestamp = 786729600.5) {
    return {
        Uuid::random(), std::move(original), std::move(corrected), "org.gnome.TextEditor", outcome,
        timestamp};
}

std::vector<CorrectionRecord> numberedRecords(int count) {
    std::vector<CorrectionRecord> records;
    for (int i = 0; i < count; ++i) {
        records.push_back(
            record("word" + std::to_string(i), "слово", CorrectionOutcome::accepted, 1000.0 + i));
    }
    return records;
}

std::vector<CorrectionRecord> fileRecords(const fs::path& path) {
    return HistoryFileFormat::decode(readFile(path)).value_or(std::vector<CorrectionRecord>{});
}

std::vector<fs::path> folderEntries(const fs::path& folder) {
    std::vector<fs::path> entries;
    for (const auto& entry : fs::directory_iterator(folder)) {
        entries.push_back(entry.path().filename());
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

ino_t inodeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

class FileCorrectionHistoryStoreTest : public ::testing::Test {
  protected:
    FileCorrectionHistoryStore makeStore(int maximum = 500) {
        return FileCorrectionHistoryStore(file_, maximum, clock_);
    }

    testing::TemporaryDirectory temporary_;
    fs::path folder_ = temporary_.path() / "share" / "Plovik";
    fs::path file_ = folder_ / "correction-history.json";
    SimulatedClock clock_{ReferenceDate::fromSecondsSinceReferenceDate(818'000'000.0)};
};

TEST_F(FileCorrectionHistoryStoreTest, FirstAppendCreatesPrivateFolderAndOneElementArray) {
    auto store = makeStore();
    EXPECT_TRUE(store.allRecords().empty());
    EXPECT_FALSE(fs::exists(folder_)) << "nothing is created at construction";

    const auto first = record();
    store.append(first);
    EXPECT_EQ(store.allRecords(), std::vector{first});
    store.flush();
    EXPECT_EQ(fileRecords(file_), std::vector{first});
    EXPECT_EQ(readFile(file_).back(), ']') << "no trailing newline";
    EXPECT_EQ(fs::status(file_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(folder_).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(folderEntries(folder_), std::vector<fs::path>{"correction-history.json"})
        << "no temporary file is left behind";

    // A second store reads what the first wrote, in order.
    const auto second = record("Ntcn", "Тест", CorrectionOutcome::rejected, 786729601.25);
    store.append(second);
    store.flush();
    EXPECT_EQ(makeStore().allRecords(), (std::vector{first, second}));
}

TEST_F(FileCorrectionHistoryStoreTest, LoadKeepsTheNewestRecordsAndTrimsOnlyAtTheNextSave) {
    const auto stored = numberedRecords(600);
    writeFile(file_, *HistoryFileFormat::encode(stored));

    auto store = makeStore(500);
    const std::vector<CorrectionRecord> newest(stored.begin() + 100, stored.end());
    EXPECT_EQ(store.allRecords(), newest);
    EXPECT_EQ(fileRecords(file_).size(), 600u) << "nothing is written at load time";

    const auto added = record();
    store.append(added);
    store.flush();
    auto expected = std::vector<CorrectionRecord>(stored.begin() + 101, stored.end());
    expected.push_back(added);
    EXPECT_EQ(store.allRecords(), expected);
    EXPECT_EQ(fileRecords(file_), expected);
    // Scoring sees exactly the records kept.
    EXPECT_EQ(store.confidenceAdjustment("word100", "слово", "org.gnome.TextEditor"), 0.0);
    EXPECT_DOUBLE_EQ(store.confidenceAdjustment("WORD101", "СЛОВО", "org.gnome.TextEditor"), 0.02);
    EXPECT_DOUBLE_EQ(store.confidenceAdjustment("ghbdtn", "привет", "org.gnome.TextEditor"), 0.02);

    // Fewer records than the maximum are all kept.
    EXPECT_EQ(makeStore(1000).allRecords(), expected);
}

// Cancelled edits come in bursts: as many as a user's typing can give never push out what
// the user kept or undid, and only the newest few of them stay at all.
TEST_F(FileCorrectionHistoryStoreTest, DeclinedRecordsNeverDisplaceKeptOrUndoneOnes) {
    constexpr std::size_t kAllowance = HistoryRetention::kDeclinedAllowance;
    auto learned = numberedRecords(480);
    for (std::size_t i = 0; i < learned.size(); i += 3) {
        learned[i].outcome = CorrectionOutcome::undone;
    }
    std::vector<CorrectionRecord> declined;
    for (int burst = 0; burst < 20; ++burst) {
        for (int word = 0; word < 8; ++word) {
            declined.push_back(record("burst" + std::to_string(burst), "слово",
                                      CorrectionOutcome::rejected, 5000.0 + burst * 8 + word));
        }
    }
    auto isLearned = [](const CorrectionRecord& r) {
        return r.outcome != CorrectionOutcome::rejected;
    };
    // Words and outcomes, which say more than a failed comparison of whole records.
    auto words = [](const std::vector<CorrectionRecord>& records) {
        std::vector<std::string> list;
        for (const auto& r : records) {
            list.push_back(r.originalToken + ":" + std::string(rawValue(r.outcome)));
        }
        return list;
    };
    auto learnedPart = [&](const std::vector<CorrectionRecord>& records) {
        std::vector<CorrectionRecord> part;
        std::copy_if(records.begin(), records.end(), std::back_inserter(part), isLearned);
        return words(part);
    };
    {
        auto store = makeStore(500);
        for (const auto& one : learned) {
            store.append(one);
        }
        for (const auto& one : declined) {
            store.append(one);
        }
        store.flush();
        const auto kept = store.allRecords();
        EXPECT_EQ(learnedPart(kept), words(learned));
        // The room the learned records leave goes to the newest declined ones, in order.
        ASSERT_EQ(kept.size(), 500u);
        EXPECT_EQ(words({kept.begin() + 480, kept.end()}),
                  words({declined.end() - 20, declined.end()}));
        EXPECT_TRUE(fileRecords(file_) == kept);
        EXPECT_DOUBLE_EQ(store.confidenceAdjustment("word1", "слово", "org.gnome.TextEditor"),
                         0.02);
    }

    // A file another program left with far more than the maximum is read by the same rule.
    auto mixed = declined;
    mixed.insert(mixed.begin() + 80, learned.begin(), learned.begin() + 30);
    writeFile(file_, *HistoryFileFormat::encode(mixed));
    auto store = makeStore(500);
    auto kept = store.allRecords();
    EXPECT_EQ(learnedPart(kept), words({learned.begin(), learned.begin() + 30}));
    ASSERT_EQ(kept.size(), 30 + kAllowance);
    EXPECT_TRUE(kept.back() == declined.back());

    // Learned records beyond the maximum push out the oldest learned ones, and every declined.
    for (int i = 0; i < 520; ++i) {
        store.append(
            record("late" + std::to_string(i), "слово", CorrectionOutcome::accepted, 9000.0 + i));
    }
    store.flush();
    kept = store.allRecords();
    ASSERT_EQ(kept.size(), 500u);
    EXPECT_TRUE(std::all_of(kept.begin(), kept.end(), isLearned));
    EXPECT_EQ(kept.front().originalToken, "late20");
    EXPECT_TRUE(fileRecords(file_) == kept);
}

TEST_F(FileCorrectionHistoryStoreTest, ZeroOrNegativeMaximumKeepsNothingAndSavesAnEmptyArray) {
    writeFile(file_, *HistoryFileFormat::encode(numberedRecords(3)));
    for (const int maximum : {0, -5}) {
        auto store = makeStore(maximum);
        EXPECT_TRUE(store.allRecords().empty());
        EXPECT_EQ(store.maximumRecordCount(), 0);
        store.append(record());
        store.flush();
        EXPECT_TRUE(store.allRecords().empty());
        EXPECT_EQ(readFile(file_), "[]");
    }
}

TEST_F(FileCorrectionHistoryStoreTest, MarkOutcomeChangesTheOldestMatchAndSavesOnlyOnAChange) {
    auto store = makeStore();
    auto a = record();
    auto twin = record("other", "другое");
    twin.id = a.id;
    const auto b = record("Ntcn", "Тест");
    store.append(a);
    store.append(twin);
    store.append(b);
    store.flush();

    const auto inode = inodeOf(file_);
    const auto bytes = readFile(file_);
    store.markOutcome(Uuid::random(), CorrectionOutcome::undone);
    store.flush();
    EXPECT_EQ(store.allRecords(), (std::vector{a, twin, b}));
    EXPECT_EQ(inodeOf(file_), inode) << "an unknown id must not rewrite the file";
    EXPECT_EQ(readFile(file_), bytes);

    store.markOutcome(a.id, CorrectionOutcome::undone);
    store.flush();
    a.outcome = CorrectionOutcome::undone;
    EXPECT_EQ(store.allRecords(), (std::vector{a, twin, b})) << "only the older twin changes";
    EXPECT_EQ(fileRecords(file_), (std::vector{a, twin, b}));

    // Any transition is accepted, back to accepted included.
    store.markOutcome(a.id, CorrectionOutcome::accepted);
    store.flush();
    EXPECT_EQ(makeStore().allRecords().front().outcome, CorrectionOutcome::accepted);
}

TEST_F(FileCorrectionHistoryStoreTest, ClearEmptiesTheListAndDeletesOnlyTheFile) {
    auto store = makeStore();
    store.clear();  // no file yet: nothing to delete, no error
    EXPECT_TRUE(store.allRecords().empty());

    store.append(record());
    store.append(record());
    store.clear();
    EXPECT_TRUE(store.allRecords().empty());
    EXPECT_FALSE(fs::exists(file_));
    EXPECT_TRUE(fs::is_directory(folder_));
    EXPECT_EQ(store.confidenceAdjustment("ghbdtn", "привет", "org.gnome.TextEditor"), 0.0);

    store.append(record());
    store.flush();
    EXPECT_EQ(fileRecords(file_).size(), 1u);
}

TEST_F(FileCorrectionHistoryStoreTest,
       UndecodableFileLoadsNothingAndIsKeptAsideBeforeTheFirstSave) {
    const std::vector<std::string> damaged{
        R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","originalToken":"a","correctedToken":"b",)"
        R"("applicationBundleIdentifier":"c","outcome":"kept","timestamp":1.5}])",
        R"([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","originalToken":"a","correctedToken":"b",)"
        R"("applicationBundleIdentifier":"c","outcome":"accepted"}])",
        "[{\"id\":\"E621E1F8-C36C",
    };
    for (const auto& contents : damaged) {
        testing::TemporaryDirectory temporary;
        const auto file = temporary.path() / "correction-history.json";
        writeFile(file, contents);
        SimulatedClock clock(clock_.now());
        FileCorrectionHistoryStore store(file, 500, clock);
        EXPECT_TRUE(store.allRecords().empty());
        EXPECT_EQ(readFile(file), contents) << "loading never writes";

        const auto added = record();
        store.append(added);
        store.flush();
        EXPECT_EQ(fileRecords(file), std::vector{added});
        const fs::path aside = "correction-history.json.unreadable-20261203T141320Z";
        EXPECT_EQ(folderEntries(temporary.path()),
                  (std::vector<fs::path>{"correction-history.json", aside}));
        EXPECT_EQ(readFile(temporary.path() / aside), contents);

        // Only the damaged file is kept: later saves replace the store's own file.
        clock.advance(std::chrono::hours(1));
        store.append(record());
        store.flush();
        EXPECT_EQ(folderEntries(temporary.path()).size(), 2u);
        EXPECT_EQ(fileRecords(file).size(), 2u);
    }
}

TEST_F(FileCorrectionHistoryStoreTest, KeepingAsideNeverReplacesAnEarlierCopyAndSkipsEmptyFiles) {
    writeFile(file_, "first damage");
    makeStore().append(record());
    writeFile(file_, "second damage");
    makeStore().markOutcome(Uuid::random(), CorrectionOutcome::undone);  // no save, nothing moves
    EXPECT_EQ(readFile(file_), "second damage");
    makeStore().append(record());

    const fs::path aside = folder_ / "correction-history.json.unreadable-20261203T141320Z";
    EXPECT_EQ(readFile(aside), "first damage");
    EXPECT_EQ(readFile(aside.string() + "-2"), "second damage");
    EXPECT_EQ(fileRecords(file_).size(), 1u);

    // An empty file holds nothing to lose, and a cleared history is not kept anywhere:
    // clearing removes the copies too.
    writeFile(file_, "");
    makeStore().append(record());
    EXPECT_EQ(folderEntries(folder_).size(), 3u);
    writeFile(file_, "third damage");
    auto store = makeStore();
    store.clear();
    EXPECT_TRUE(folderEntries(folder_).empty());
    store.append(record());
    store.flush();
    EXPECT_EQ(folderEntries(folder_).size(), 1u);

    // Something that cannot be read at all is kept too.
    fs::remove(file_);
    writeFile(file_ / "inside", "mystery");
    clock_.advance(std::chrono::seconds(1));
    makeStore().append(record());
    EXPECT_EQ(readFile(folder_ / "correction-history.json.unreadable-20261203T141321Z" / "inside"),
              "mystery");
    EXPECT_EQ(fileRecords(file_).size(), 1u);
}

TEST_F(FileCorrectionHistoryStoreTest, DamagedFileIsNeverReplacedUntilItCouldBeKeptAside) {
    writeFile(file_, "damaged");
    const std::string base = file_.string() + ".unreadable-20261203T141320Z";
    writeFile(base, "taken");
    for (int suffix = 2; suffix <= 100; ++suffix) {
        writeFile(base + "-" + std::to_string(suffix), "taken");
    }
    auto store = makeStore();
    const auto added = record();
    store.append(added);
    store.flush();
    EXPECT_EQ(readFile(file_), "damaged") << "no free name: the damaged file stays in place";
    EXPECT_EQ(store.allRecords(), std::vector{added});

    clock_.advance(std::chrono::minutes(1));
    store.append(added);
    store.flush();
    EXPECT_EQ(readFile(file_.string() + ".unreadable-20261203T141420Z"), "damaged");
    EXPECT_EQ(fileRecords(file_), (std::vector{added, added}));
}

TEST_F(FileCorrectionHistoryStoreTest, WriteFailuresAreToldAndMemoryStaysAuthoritative) {
    // A plain file where the folder should be makes every write fail, for any user.
    writeFile(temporary_.path() / "share", "not a folder");
    auto store = makeStore();
    EXPECT_EQ(store.saveProblem(), std::nullopt);
    const auto kept = record();
    store.append(kept);
    store.flush();
    EXPECT_EQ(store.saveProblem(), "the learning history cannot be saved: Not a directory");
    store.append(record("Ntcn", "Тест", CorrectionOutcome::undone));
    store.markOutcome(kept.id, CorrectionOutcome::undone);
    store.append(record());
    EXPECT_EQ(store.allRecords().size(), 3u);
    EXPECT_EQ(store.allRecords().front().outcome, CorrectionOutcome::undone);
    EXPECT_DOUBLE_EQ(store.confidenceAdjustment("GHBDTN", "ПРИВЕТ", "org.gnome.TextEditor"),
                     0.02 - 0.18);
    store.clear();
    EXPECT_TRUE(store.allRecords().empty());
    EXPECT_EQ(readFile(temporary_.path() / "share"), "not a folder");
    // Once the folder can be made, the next change saves everything and the problem is over.
    fs::remove(temporary_.path() / "share");
    store.append(kept);
    store.flush();
    EXPECT_EQ(store.saveProblem(), std::nullopt);
    EXPECT_EQ(fileRecords(file_).size(), 1u);

    // A read-only folder; only an unprivileged user is stopped by its mode.
    testing::TemporaryDirectory readOnly;
    const auto file = readOnly.path() / "correction-history.json";
    const auto earlier = *HistoryFileFormat::encode(numberedRecords(2));
    writeFile(file, earlier);
    fs::permissions(readOnly.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const bool modeIsEnforced = ::access(readOnly.path().c_str(), W_OK) != 0;
    FileCorrectionHistoryStore readOnlyStore(file, 500, clock_);
    readOnlyStore.append(record());
    readOnlyStore.flush();
    EXPECT_EQ(readOnlyStore.allRecords().size(), 3u);
    if (modeIsEnforced) {
        EXPECT_EQ(readFile(file), earlier);
        EXPECT_EQ(folderEntries(readOnly.path()), std::vector<fs::path>{file.filename()});
    }
}

TEST_F(FileCorrectionHistoryStoreTest, ConcurrentUseKeepsEveryRecord) {
    auto store = makeStore(1000);
    constexpr int kThreads = 4;
    constexpr int kPerThread = 10;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&store, t] {
            for (int i = 0; i < kPerThread; ++i) {
                auto added = record("word" + std::to_string(t), "слово");
                store.append(added);
                store.markOutcome(added.id, CorrectionOutcome::undone);
                store.confidenceAdjustment("WORD0", "СЛОВО", "org.gnome.TextEditor");
                store.allRecords();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    store.flush();
    const auto records = store.allRecords();
    ASSERT_EQ(records.size(), static_cast<std::size_t>(kThreads * kPerThread));
    std::set<Uuid> ids;
    for (const auto& stored : records) {
        ids.insert(stored.id);
        EXPECT_EQ(stored.outcome, CorrectionOutcome::undone);
    }
    EXPECT_EQ(ids.size(), records.size());
    EXPECT_EQ(fileRecords(file_), records);
    EXPECT_EQ(store.confidenceAdjustment("word3", "слово", "org.gnome.TextEditor"), -0.6);
}

TEST_F(FileCorrectionHistoryStoreTest, KeepsOnlyTheNewestThreeCopiesAsideAndClearRemovesThem) {
    const std::string base = file_.string() + ".unreadable-20261203T141320Z";
    writeFile(base, "oldest");
    for (int suffix = 2; suffix <= 9; ++suffix) {
        writeFile(base + "-" + std::to_string(suffix), "copy " + std::to_string(suffix));
    }
    writeFile(file_, "damaged");
    makeStore().append(record());
    // Numbered copies count in order: the copy just made ("-10") is the newest.
    EXPECT_EQ(folderEntries(folder_),
              (std::vector<fs::path>{"correction-history.json",
                                     "correction-history.json.unreadable-20261203T141320Z-10",
                                     "correction-history.json.unreadable-20261203T141320Z-8",
                                     "correction-history.json.unreadable-20261203T141320Z-9"}));
    EXPECT_EQ(readFile(base + "-10"), "damaged");

    auto store = makeStore();
    store.clear();
    EXPECT_TRUE(folderEntries(folder_).empty());
}

TEST_F(FileCorrectionHistoryStoreTest, WritesWithoutHoldingUpTheCallerAndWaitsForTheFolderLock) {
    auto store = makeStore();
    const auto added = record();
    {
        // Another writer (or a slow disk) holds the folder.
        const FolderLock other(folder_);
        store.append(added);
        EXPECT_EQ(store.allRecords(), std::vector{added});
        EXPECT_DOUBLE_EQ(store.confidenceAdjustment("ghbdtn", "привет", "org.gnome.TextEditor"),
                         0.02);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(fs::exists(file_));
    }
    store.flush();
    EXPECT_EQ(fileRecords(file_), std::vector{added});
}

TEST_F(FileCorrectionHistoryStoreTest, MergesWhatOtherWritersAddedAndChangedById) {
    auto first = makeStore();
    auto second = makeStore();
    auto mine = record("ghbdtn", "привет");
    auto theirs = record("vbh", "мир");
    first.append(mine);
    first.flush();
    second.append(theirs);
    second.flush();
    EXPECT_EQ(fileRecords(file_), (std::vector{mine, theirs}));
    EXPECT_EQ(second.allRecords(), (std::vector{mine, theirs})) << "the other's records count";

    // Each changes its own record; neither change undoes the other.
    first.markOutcome(mine.id, CorrectionOutcome::undone);
    first.flush();
    second.markOutcome(theirs.id, CorrectionOutcome::rejected);
    second.flush();
    mine.outcome = CorrectionOutcome::undone;
    theirs.outcome = CorrectionOutcome::rejected;
    EXPECT_EQ(fileRecords(file_), (std::vector{mine, theirs}));

    // A clear elsewhere is not undone by records this store merely read.
    second.clear();
    const auto later = record("ntcn", "тест");
    first.append(later);
    first.flush();
    EXPECT_EQ(fileRecords(file_), std::vector{later});
    EXPECT_EQ(first.allRecords(), std::vector{later});
}

TEST_F(FileCorrectionHistoryStoreTest, TwoProcessesAppendingAtOnceLoseNothing) {
    constexpr int kPerProcess = 200;
    std::vector<pid_t> writers;
    for (int process = 0; process < 2; ++process) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            {
                auto store = makeStore(1000);
                for (int i = 0; i < kPerProcess; ++i) {
                    store.append(record("word" + std::to_string(process), "слово"));
                }
            }
            ::_exit(0);
        }
        writers.push_back(pid);
    }
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto records = fileRecords(file_);
    EXPECT_EQ(records.size(), 2u * kPerProcess);
    std::set<Uuid> ids;
    for (const auto& stored : records) {
        ids.insert(stored.id);
    }
    EXPECT_EQ(ids.size(), 2u * kPerProcess);
}

// An address-space limit cannot be combined with the sanitizers' shadow memory.
#if !defined(__SANITIZE_ADDRESS__)
TEST_F(FileCorrectionHistoryStoreTest, AHugeFileLoadsInMemoryBoundedByTheMaximum) {
    constexpr int kRecords = 200'000;  // about 40 MB of JSON
    {
        // Written piece by piece, so that this process stays small for the one it forks.
        fs::create_directories(folder_);
        std::ofstream stream(file_, std::ios::binary);
        for (int i = 0; i < kRecords; ++i) {
            const std::string one = *HistoryFileFormat::encode({record(
                "word" + std::to_string(i), "слово", CorrectionOutcome::accepted, 1000.0 + i)});
            stream << (i == 0 ? "[" : ",") << std::string_view(one).substr(1, one.size() - 2);
        }
        stream << "]";
    }
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const rlimit limit{128u << 20, 128u << 20};
        ::setrlimit(RLIMIT_DATA, &limit);
        try {
            auto store = makeStore(500);
            const auto records = store.allRecords();
            ::_exit(records.size() == 500 && records.back().originalToken == "word199999" ? 0 : 1);
        } catch (...) {
            ::_exit(2);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
#endif

TEST(FileCorrectionHistoryStoreLocation, DefaultsToPlovikFolderInApplicationSupport) {
    testing::TemporaryDirectory temporary;
    SimulatedClock clock;
    SimulatedUserDataFolder directory(temporary.path() / "data");
    EXPECT_EQ(FileCorrectionHistoryStore::defaultFileURL(directory),
              temporary.path() / "data" / "Plovik" / "correction-history.json");

    FileCorrectionHistoryStore store(directory, 500, clock);
    EXPECT_EQ(store.fileURL(), FileCorrectionHistoryStore::defaultFileURL(directory));
    EXPECT_EQ(store.maximumRecordCount(), 500);
    EXPECT_FALSE(fs::exists(temporary.path() / "data"));
    store.append(record());
    store.flush();
    EXPECT_EQ(fileRecords(*store.fileURL()).size(), 1u);

    // Without an application-support directory the store still works, in memory.
    directory.setPath(std::nullopt);
    EXPECT_EQ(FileCorrectionHistoryStore::defaultFileURL(directory), std::nullopt);
    FileCorrectionHistoryStore homeless(directory, 500, clock);
    EXPECT_EQ(homeless.fileURL(), std::nullopt);
    homeless.append(record());
    homeless.markOutcome(homeless.allRecords().front().id, CorrectionOutcome::undone);
    EXPECT_EQ(homeless.confidenceAdjustment("ghbdtn", "привет", "org.gnome.TextEditor"), -0.18);
    homeless.clear();
    EXPECT_TRUE(homeless.allRecords().empty());
}

}  // namespace
}  // namespace plovik

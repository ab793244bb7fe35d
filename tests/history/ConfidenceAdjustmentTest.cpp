#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <thread>

#include "core/history/FileCorrectionHistoryStore.h"
#include "core/history/HistoryFileFormat.h"
#include "core/history/HistoryRetention.h"
#include "core/history/InMemoryCorrectionHistoryStore.h"
#include "platform/simulated/SimulatedClock.h"
#include "support/TemporaryDirectory.h"

namespace plovik {
namespace {

constexpr const char* kSlack = "com.tinyspeck.slackmacgap";

CorrectionRecord record(CorrectionOutcome outcome, std::string original = "Ghbdtn",
                        std::string corrected = "Привет", std::string bundle = kSlack) {
    return {Uuid::random(), std::move(original), std::move(corrected), std::move(bundle),
            outcome,        786729600.0};
}

std::vector<CorrectionRecord> repeated(int count, CorrectionOutcome outcome) {
    std::vector<CorrectionRecord> records;
    for (int i = 0; i < count; ++i) {
        records.push_back(record(outcome));
    }
    return records;
}

std::vector<CorrectionRecord> operator+(std::vector<CorrectionRecord> a,
                                        const std::vector<CorrectionRecord>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Both stores must apply the same rule; the file store gets its records through its file.
struct StoreKind {
    const char* name;
    std::function<std::unique_ptr<CorrectionHistoryStoring>(std::vector<CorrectionRecord>)> make;

    friend void PrintTo(const StoreKind& kind, std::ostream* stream) { *stream << kind.name; }
};

class ConfidenceAdjustment : public ::testing::TestWithParam<StoreKind> {
  protected:
    std::unique_ptr<CorrectionHistoryStoring> storeWith(std::vector<CorrectionRecord> records) {
        return GetParam().make(std::move(records));
    }
};

testing::TemporaryDirectory& sharedFolder() {
    static testing::TemporaryDirectory folder;
    return folder;
}

const SimulatedClock kClock;

INSTANTIATE_TEST_SUITE_P(
    BothStores, ConfidenceAdjustment,
    ::testing::Values(StoreKind{"InMemory",
                                [](std::vector<CorrectionRecord> records) {
                                    return std::make_unique<InMemoryCorrectionHistoryStore>(
                                        std::move(records));
                                }},
                      StoreKind{"File",
                                [](std::vector<CorrectionRecord> records) {
                                    const auto file =
                                        sharedFolder().path() / "correction-history.json";
                                    testing::writeFile(file, *HistoryFileFormat::encode(records));
                                    return std::make_unique<FileCorrectionHistoryStore>(file, 500,
                                                                                        kClock);
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(ConfidenceAdjustment, CountsKeptAndUndoneMatchesWithinBounds) {
    using enum CorrectionOutcome;
    const struct {
        const char* description;
        std::vector<CorrectionRecord> records;
        double expected;
    } cases[] = {
        {"no records", {}, 0.0},
        {"one accepted", repeated(1, accepted), 0.02},
        {"two accepted", repeated(2, accepted), 0.04},
        {"five accepted saturate", repeated(5, accepted), 0.06},
        {"one undone", repeated(1, undone), -0.18},
        {"one undone, nine accepted", repeated(1, undone) + repeated(9, accepted), 0.0},
        {"one undone, two accepted", repeated(2, accepted) + repeated(1, undone), -0.14},
        {"three undone", repeated(3, undone), -0.54},
        {"four undone hit the floor", repeated(4, undone), -0.6},
        {"rejected never count", repeated(7, rejected), 0.0},
        {"rejected beside accepted", repeated(7, rejected) + repeated(1, accepted), 0.02},
    };
    for (const auto& c : cases) {
        const auto store = storeWith(c.records);
        EXPECT_NEAR(store->confidenceAdjustment("ghbdtn", "привет", kSlack), c.expected, 1e-12)
            << c.description;
    }
}

TEST_P(ConfidenceAdjustment, TokensMatchIgnoringFullUnicodeCaseApplicationsExactly) {
    using enum CorrectionOutcome;
    const auto store = storeWith({
        record(accepted),
        record(accepted, "STRASSE", "Straße", "org.gnome.TextEditor"),
        record(undone, "ghbdtn", "привет", "org.gnome.TextEditor"),
    });
    EXPECT_DOUBLE_EQ(store->confidenceAdjustment("ghbdtn", "привет", kSlack), 0.02);
    EXPECT_DOUBLE_EQ(store->confidenceAdjustment("GHBDTN", "ПРИВЕТ", kSlack), 0.02);
    EXPECT_EQ(store->confidenceAdjustment("ghbdtn", "привет", "com.tinyspeck.SlackMacGap"), 0.0);
    EXPECT_EQ(store->confidenceAdjustment("ghbdtn", "привет", ""), 0.0);
    EXPECT_EQ(store->confidenceAdjustment("ghbdt", "привет", kSlack), 0.0);
    EXPECT_EQ(store->confidenceAdjustment("ghbdtn", "привете", kSlack), 0.0);
    EXPECT_EQ(store->confidenceAdjustment("привет", "ghbdtn", kSlack), 0.0) << "direction counts";
    // Full folding: ß matches SS, which ASCII or simple folding would miss.
    EXPECT_DOUBLE_EQ(store->confidenceAdjustment("strasse", "STRASSE", "org.gnome.TextEditor"),
                     0.02);
    EXPECT_DOUBLE_EQ(store->confidenceAdjustment("ghbdtn", "ПРИВЕТ", "org.gnome.TextEditor"),
                     -0.18);
}

TEST_P(ConfidenceAdjustment, FollowsAppendMarkAndClear) {
    const auto store = storeWith({});
    const auto first = record(CorrectionOutcome::accepted);
    store->append(first);
    store->append(record(CorrectionOutcome::accepted));
    EXPECT_DOUBLE_EQ(store->confidenceAdjustment("ghbdtn", "привет", kSlack), 0.04);
    store->markOutcome(first.id, CorrectionOutcome::undone);
    EXPECT_DOUBLE_EQ(store->confidenceAdjustment("ghbdtn", "привет", kSlack), 0.02 - 0.18);
    store->clear();
    EXPECT_EQ(store->confidenceAdjustment("ghbdtn", "привет", kSlack), 0.0);
    EXPECT_TRUE(store->allRecords().empty());
    store->append(record(CorrectionOutcome::undone, "Ntcn", "Тест"));
    EXPECT_EQ(store->confidenceAdjustment("ghbdtn", "привет", kSlack), 0.0);
    EXPECT_DOUBLE_EQ(store->confidenceAdjustment("ntcn", "тест", kSlack), -0.18);
}

TEST(InMemoryCorrectionHistoryStore, ARecordDroppedByTheCapNoLongerCounts) {
    InMemoryCorrectionHistoryStore store({}, 3);
    const auto oldest = record(CorrectionOutcome::undone);
    store.append(oldest);
    store.append(record(CorrectionOutcome::accepted));
    store.append(record(CorrectionOutcome::accepted, "Vbh", "Мир"));
    EXPECT_DOUBLE_EQ(store.confidenceAdjustment("ghbdtn", "привет", kSlack), 0.02 - 0.18);
    // A declined record goes first, before any learned one.
    const auto declined = record(CorrectionOutcome::rejected);
    store.append(declined);
    EXPECT_DOUBLE_EQ(store.confidenceAdjustment("ghbdtn", "привет", kSlack), 0.02 - 0.18);
    store.markOutcome(declined.id, CorrectionOutcome::accepted);
    EXPECT_DOUBLE_EQ(store.confidenceAdjustment("ghbdtn", "привет", kSlack), 0.02 - 0.18)
        << "marking a record that is gone changes nothing";
    // A learned record pushes out the oldest; marking it afterwards changes nothing.
    store.append(record(CorrectionOutcome::accepted));
    EXPECT_DOUBLE_EQ(store.confidenceAdjustment("ghbdtn", "привет", kSlack), 0.04);
    store.markOutcome(oldest.id, CorrectionOutcome::accepted);
    EXPECT_DOUBLE_EQ(store.confidenceAdjustment("ghbdtn", "привет", kSlack), 0.04);
    EXPECT_DOUBLE_EQ(store.confidenceAdjustment("vbh", "мир", kSlack), 0.02);
}

TEST(InMemoryCorrectionHistoryStore, KeepsEveryRecordWithoutCapOrFile) {
    std::vector<CorrectionRecord> records;
    for (int i = 0; i < 1000; ++i) {
        records.push_back(record(CorrectionOutcome::accepted, "w" + std::to_string(i)));
    }
    InMemoryCorrectionHistoryStore store(records);
    EXPECT_EQ(store.allRecords(), records);
    const auto added = record(CorrectionOutcome::rejected);
    store.append(added);
    records.push_back(added);
    EXPECT_EQ(store.allRecords(), records);

    // Duplicate ids: only the oldest changes; unknown ids change nothing.
    auto twin = records.front();
    twin.originalToken = "twin";
    store.append(twin);
    store.markOutcome(twin.id, CorrectionOutcome::undone);
    store.markOutcome(Uuid::random(), CorrectionOutcome::undone);
    const auto stored = store.allRecords();
    ASSERT_EQ(stored.size(), 1002u);
    EXPECT_EQ(stored.front().outcome, CorrectionOutcome::undone);
    EXPECT_EQ(stored.back(), twin);
    EXPECT_EQ(std::vector(stored.begin() + 1, stored.end() - 1),
              std::vector(records.begin() + 1, records.end()));
}

TEST(InMemoryCorrectionHistoryStore, KeepsTheNewestWithinACap) {
    std::vector<CorrectionRecord> records;
    for (int i = 0; i < 5; ++i) {
        records.push_back(record(CorrectionOutcome::accepted, "w" + std::to_string(i)));
    }
    InMemoryCorrectionHistoryStore store(records, 3);
    EXPECT_EQ(store.allRecords(), std::vector(records.begin() + 2, records.end()));
    // A declined correction never pushes out a learned one.
    store.append(record(CorrectionOutcome::rejected));
    EXPECT_EQ(store.allRecords(), std::vector(records.begin() + 2, records.end()));
    const auto added = record(CorrectionOutcome::undone);
    store.append(added);
    EXPECT_EQ(store.allRecords(), (std::vector{records[3], records[4], added}));
    // What was forgotten no longer counts.
    EXPECT_EQ(store.confidenceAdjustment("w2", "привет", kSlack), 0.0);
    EXPECT_GT(store.confidenceAdjustment("w3", "привет", kSlack), 0.0);
}

// The store in memory drops records one at a time as they come; a file is thinned out in one
// pass. Both keep the same records, whatever the order of outcomes, undos included.
TEST(InMemoryCorrectionHistoryStore, DropsWhatTheRetentionDropsInAnyOrder) {
    constexpr std::size_t kMaximum = 60;
    std::mt19937 random(2026);
    InMemoryCorrectionHistoryStore store({}, kMaximum);
    std::vector<CorrectionRecord> expected;
    const HistoryRetention retention(kMaximum);
    for (int step = 0; step < 3000; ++step) {
        const bool burst = (step / 200) % 2 == 1;
        const auto outcome =
            burst || random() % 3 == 0 ? CorrectionOutcome::rejected : CorrectionOutcome::accepted;
        auto added = record(outcome, "w" + std::to_string(step));
        store.append(added);
        expected.push_back(added);
        retention.apply(expected);
        // An undo, of a kept or a declined correction, never makes the list too long.
        if (random() % 5 == 0) {
            auto& undone = expected[random() % expected.size()];
            undone.outcome = CorrectionOutcome::undone;
            store.markOutcome(undone.id, CorrectionOutcome::undone);
        }
        ASSERT_TRUE(store.allRecords() == expected) << "step " << step;
    }
}

TEST(InMemoryCorrectionHistoryStore, ConcurrentAppendsKeepEveryRecord) {
    InMemoryCorrectionHistoryStore store;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&store] {
            for (int i = 0; i < 250; ++i) {
                store.append(record(CorrectionOutcome::accepted));
                store.confidenceAdjustment("ghbdtn", "привет", kSlack);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(store.allRecords().size(), 1000u);
}

}  // namespace
}  // namespace plovik

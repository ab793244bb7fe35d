#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/decision/OfflineLanguageDetector.h"
#include "platform/linux/EnchantSpellChecker.h"
#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedMainQueue.h"
#include "support/Dictionaries.h"

namespace plovik {
namespace {

// Accepts the words it was given, per language, and records every question.
class RecordingSpellChecker final : public SpellChecker {
  public:
    struct Check {
        std::string word;
        std::string language;
        std::thread::id thread;
    };

    std::vector<std::string> languages{"en_US", "ru_RU", "de_DE"};
    std::set<std::pair<std::string, std::string>> accepted;  // (language, word)
    bool acceptsEverything = false;
    std::vector<Check> checks;

    std::vector<std::string> availableLanguages() override { return languages; }
    bool isSpelledCorrectly(std::string_view word, std::string_view language) override {
        checks.push_back({std::string(word), std::string(language), std::this_thread::get_id()});
        return acceptsEverything || accepted.contains({std::string(language), std::string(word)});
    }
};

class LanguageDetectorTest : public ::testing::Test {
  protected:
    SimulatedClock clock_;
    SimulatedMainQueue queue_{clock_};
    RecordingSpellChecker checker_;
    OfflineLanguageDetector detector_{checker_, queue_};

    const KeyboardLayout english_ = KeyboardLayout::english();
    const KeyboardLayout russian_ = KeyboardLayout::russian();
    const KeyboardLayout german_{"xkb:de", "German", {"de"}};
    const KeyboardLayout noLanguage_{"xkb:custom", "Custom", {}};
};

TEST_F(LanguageDetectorTest, BuiltInWordsMatchWithoutAskingTheSpellChecker) {
    for (const char* word : {"a", "your", "fable", "telegram"}) {
        EXPECT_TRUE(detector_.plausibility(word, english_).isDictionaryMatch) << word;
    }
    for (const char* word : {"а", "я", "еще", "ещё", "автоматическая", "телеграм"}) {
        EXPECT_TRUE(detector_.plausibility(word, russian_).isDictionaryMatch) << word;
    }
    EXPECT_TRUE(checker_.checks.empty());
    EXPECT_FALSE(detector_.plausibility("xcode", english_).isDictionaryMatch);
    ASSERT_EQ(checker_.checks.size(), 1u);
    EXPECT_EQ(checker_.checks[0].word, "xcode");
}

TEST_F(LanguageDetectorTest, WorkedExamples) {
    EXPECT_EQ(detector_.plausibility("Hello!", english_).isDictionaryMatch, true);
    EXPECT_NEAR(detector_.plausibility("Hello!", english_).score, 0.92, 1e-12);
    EXPECT_EQ(detector_.plausibility("ghbdtn", english_), (LanguagePlausibility{0.18, false}));
    const auto privet = detector_.plausibility("привет", russian_);
    EXPECT_TRUE(privet.isDictionaryMatch);
    EXPECT_NEAR(privet.score, 0.936, 1e-12);
    EXPECT_EQ(detector_.plausibility("привет", english_), (LanguagePlausibility{0.0, false}));
    // Every pair matches: the sum reaches the top of the range and stays there.
    EXPECT_DOUBLE_EQ(detector_.plausibility("THE", english_).score, 1.0);
}

TEST_F(LanguageDetectorTest, TextWithoutLettersScoresZeroWithoutAskingTheChecker) {
    checker_.acceptsEverything = true;
    for (const char* text : {"", "12345", "...", "!?", "1-2", " "}) {
        EXPECT_EQ(detector_.plausibility(text, english_), LanguagePlausibility{}) << text;
        EXPECT_EQ(detector_.plausibility(text, german_), LanguagePlausibility{}) << text;
    }
    EXPECT_TRUE(checker_.checks.empty());
}

TEST_F(LanguageDetectorTest, OnlyPunctuationIsTrimmedAndCaseIsIgnored) {
    EXPECT_TRUE(detector_.plausibility("«Привет»", russian_).isDictionaryMatch);
    EXPECT_TRUE(detector_.plausibility("\"HELLO\",", english_).isDictionaryMatch);
    EXPECT_TRUE(detector_.plausibility("(—hello…)", english_).isDictionaryMatch);
    EXPECT_TRUE(checker_.checks.empty());
    // Symbols and whitespace stay part of the word the checker sees.
    EXPECT_FALSE(detector_.plausibility("hello$", english_).isDictionaryMatch);
    EXPECT_FALSE(detector_.plausibility(" hello", english_).isDictionaryMatch);
    ASSERT_EQ(checker_.checks.size(), 2u);
    EXPECT_EQ(checker_.checks[0].word, "hello$");
    EXPECT_EQ(checker_.checks[1].word, " hello");
    // The leading space makes one more pair, which matches nothing.
    EXPECT_LT(detector_.plausibility(" shell", english_).score,
              detector_.plausibility("shell", english_).score);
}

TEST_F(LanguageDetectorTest, SpellCheckerIsAskedOnlyForWordsMissingFromTheBuiltInList) {
    checker_.accepted = {{"en_US", "keyboards"}, {"ru_RU", "клавиша"}};
    const auto keyboards = detector_.plausibility("Keyboards", english_);
    EXPECT_TRUE(keyboards.isDictionaryMatch);
    EXPECT_TRUE(detector_.plausibility("клавиша", russian_).isDictionaryMatch);
    EXPECT_FALSE(detector_.plausibility("keyboards", russian_).isDictionaryMatch);
    EXPECT_TRUE(detector_.plausibility("hello", english_).isDictionaryMatch);
    ASSERT_EQ(checker_.checks.size(), 3u);
    EXPECT_EQ(checker_.checks[0].word, "keyboards");
    EXPECT_EQ(checker_.checks[0].language, "en_US");
    EXPECT_EQ(checker_.checks[1].language, "ru_RU");
    EXPECT_EQ(checker_.checks[2].language, "ru_RU");
}

TEST_F(LanguageDetectorTest, LanguagesWithoutBuiltInListsLeanHarderOnTheSpellChecker) {
    const auto gainFromTheChecker = [&](const std::string& word, const KeyboardLayout& layout,
                                        const std::string& language) {
        checker_.accepted.clear();
        const double rejected = detector_.plausibility(word, layout).score;
        checker_.accepted = {{language, word}};
        const auto accepted = detector_.plausibility(word, layout);
        EXPECT_TRUE(accepted.isDictionaryMatch) << word;
        return accepted.score - rejected;
    };
    EXPECT_GT(gainFromTheChecker("über", german_, "de_DE"),
              gainFromTheChecker("zzzz", english_, "en_US"));
    // The built-in English list does not count for German.
    checker_.accepted.clear();
    EXPECT_FALSE(detector_.plausibility("the", german_).isDictionaryMatch);
    // No language: no spell checker, even for a word it would accept.
    checker_.acceptsEverything = true;
    const std::size_t checksBefore = checker_.checks.size();
    EXPECT_FALSE(detector_.plausibility("hello", noLanguage_).isDictionaryMatch);
    EXPECT_EQ(checker_.checks.size(), checksBefore);
}

TEST_F(LanguageDetectorTest, VowelRatioBoundsAreInclusive) {
    // German has no letter pairs of its own: only the vowels move the score.
    const auto score = [&](const std::string& text) {
        return detector_.plausibility(text, german_).score;
    };
    const std::string b17(17, 'b');
    const double withinRatio = score("aaa" + b17);    // 3 of 20: 0.15
    EXPECT_GT(withinRatio, score("aa" + b17 + "b"));  // 0.10
    EXPECT_EQ(score("aaab"), withinRatio);            // 0.75
    EXPECT_LT(score("aaaab"), withinRatio);           // 0.8
    EXPECT_EQ(score("ÿœb"), withinRatio);             // accented vowels count
    EXPECT_GT(detector_.plausibility("ёж", russian_).score,
              detector_.plausibility("жж", russian_).score);
    EXPECT_GT(detector_.plausibility("yyyb", english_).score,
              detector_.plausibility("bbbb", english_).score);
}

TEST_F(LanguageDetectorTest, ScriptFollowsTheLayoutsBaseLanguage) {
    // Texts without vowels of the default vowel string and without pairs: only the script
    // part can score.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"uk"}, "привіт"}, {{"be_BY"}, "прывітанне"}, {{"sr-Cyrl"}, "здраво"},
        {{"bg"}, "ѣѫ"},     {{"kk"}, "сәлем"},         {{"mn"}, "ⷠꙀ"},
        {{"el"}, "γεια"},   {{"EL"}, "ἀγάπη"},         {{"he"}, "שלום"},
        {{"yi"}, "שלום"},   {{"ar"}, "مرحبا"},         {{"fa"}, "سلام"},
        {{"ur"}, "ݐࢠ"},     {{"hy"}, "բարեւ"},         {{"ka"}, "გამარჯობა"},
        {{"ka"}, "ⴀⴁ"},     {{"de"}, "bcdž"},          {{"en"}, "bcdẞ"},
        {{}, "bcd"},        {{"fr", "ru"}, "bcd"},     {{"_ru"}, "бвг"},
    };
    for (const auto& [languages, text] : cases) {
        const KeyboardLayout layout{"x", "X", languages};
        const std::string name = languages.empty() ? "none" : languages.front();
        EXPECT_GT(detector_.plausibility(text, layout).score, 0.0) << name << text;
        const std::string other = text == "bcd" || text == "bcdž" || text == "bcdẞ" ? "бвг" : "bcd";
        EXPECT_EQ(detector_.plausibility(other, layout).score, 0.0) << name << other;
    }
}

TEST_F(LanguageDetectorTest, SpellCheckerLanguageIsChosenFromTheLayoutsLanguages) {
    struct Case {
        std::vector<std::string> available;
        std::vector<std::string> languages;
        std::optional<std::string> chosen;
    };
    const std::vector<Case> cases{
        {{"en_GB", "en_US"}, {"en_US"}, "en_US"},
        {{"en_GB", "en_US"}, {"en"}, "en_GB"},
        {{"en-us"}, {"EN_us"}, "en-us"},
        {{"pt", "pt_BR"}, {"pt_PT"}, "pt"},
        {{"EN"}, {"en-US"}, "EN"},
        {{"en_US", "ru_RU", "uk_UA"}, {"uk"}, "uk_UA"},
        {{"de_DE"}, {"fr", "de-AT"}, "de_DE"},
        {{"de_DE", "fr_FR"}, {"fr", "de"}, "fr_FR"},
        {{"en_US", "ru_RU"}, {"_RU"}, "ru_RU"},
        {{"english"}, {"en"}, std::nullopt},
        {{"de_DE"}, {"fr"}, std::nullopt},
        {{}, {"en"}, std::nullopt},
        {{"en_US"}, {}, std::nullopt},
    };
    checker_.acceptsEverything = true;
    for (const auto& [available, languages, chosen] : cases) {
        checker_.languages = available;
        checker_.checks.clear();
        const KeyboardLayout layout{"x", "X", languages};
        const bool isMatch = detector_.plausibility("zzz", layout).isDictionaryMatch;
        EXPECT_EQ(isMatch, chosen.has_value()) << chosen.value_or("none");
        if (chosen) {
            ASSERT_EQ(checker_.checks.size(), 1u);
            EXPECT_EQ(checker_.checks[0].language, *chosen);
        } else {
            EXPECT_TRUE(checker_.checks.empty());
        }
    }
}

// A main thread that serves tasks other threads hand it until told to stop.
class ThreadedMainQueue final : public MainQueue {
  public:
    void post(Task task) override { enqueue(std::move(task)); }
    void postAfter(std::chrono::milliseconds, Task task) override { enqueue(std::move(task)); }
    std::unique_ptr<RepeatingTimer> scheduleRepeating(std::chrono::milliseconds, Task) override {
        return nullptr;
    }
    bool isMainThread() const override { return std::this_thread::get_id() == main_; }
    void runSynchronously(const Task& task) override {
        if (isMainThread()) {
            task();
            return;
        }
        std::mutex doneMutex;
        std::condition_variable doneChanged;
        bool done = false;
        enqueue([&] {
            task();
            std::lock_guard lock(doneMutex);
            done = true;
            doneChanged.notify_all();
        });
        std::unique_lock lock(doneMutex);
        doneChanged.wait(lock, [&] { return done; });
    }
    // Serves tasks on the calling (main) thread until `finished` is set.
    void serveUntil(const bool& finished) {
        std::unique_lock lock(mutex_);
        while (!finished || !tasks_.empty()) {
            changed_.wait(lock, [&] { return finished || !tasks_.empty(); });
            while (!tasks_.empty()) {
                auto task = std::move(tasks_.front());
                tasks_.pop_front();
                lock.unlock();
                task();
                lock.lock();
            }
        }
    }
    void finish(bool& finished) {
        std::lock_guard lock(mutex_);
        finished = true;
        changed_.notify_all();
    }

  private:
    void enqueue(Task task) {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        changed_.notify_all();
    }

    std::thread::id main_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> tasks_;
};

TEST(LanguageDetectorThreads, SpellCheckRunsOnTheMainThreadForEveryCaller) {
    ThreadedMainQueue queue;
    RecordingSpellChecker checker;
    checker.accepted = {{"en_US", "keyboards"}};
    const OfflineLanguageDetector detector(checker, queue);

    EXPECT_TRUE(detector.plausibility("keyboards", KeyboardLayout::english()).isDictionaryMatch);
    LanguagePlausibility fromWorker;
    bool finished = false;
    std::thread worker([&] {
        fromWorker = detector.plausibility("keyboards", KeyboardLayout::english());
        queue.finish(finished);
    });
    queue.serveUntil(finished);
    worker.join();

    EXPECT_TRUE(fromWorker.isDictionaryMatch);
    ASSERT_EQ(checker.checks.size(), 2u);
    EXPECT_EQ(checker.checks[0].thread, std::this_thread::get_id());
    EXPECT_EQ(checker.checks[1].thread, std::this_thread::get_id());
}

// The detector over the system's dictionaries, as the application runs it.
class LanguageDetectorWithEnchantTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const auto missing = testing::missingDictionary(checker_.availableLanguages())) {
            GTEST_SKIP() << *missing;
        }
    }

    SimulatedClock clock_;
    SimulatedMainQueue queue_{clock_};
    EnchantSpellChecker checker_;
    OfflineLanguageDetector detector_{checker_, queue_};
};

TEST_F(LanguageDetectorWithEnchantTest, DictionaryWordsMatchInTheirOwnLanguageOnly) {
    const KeyboardLayout ukrainian{"xkb:ua", "Ukrainian", {"uk"}};
    const std::vector<std::tuple<std::string, KeyboardLayout, bool>> cases{
        {"keyboards", KeyboardLayout::english(), true},
        {"Colors", KeyboardLayout::english(), true},
        {"ghbdtn", KeyboardLayout::english(), false},
        {"клавиша", KeyboardLayout::english(), false},
        {"клавиша", KeyboardLayout::russian(), true},
        {"Клавиатуры", KeyboardLayout::russian(), true},
        {"тёмный", KeyboardLayout::russian(), true},
        {"темный", KeyboardLayout::russian(), true},
        {"руддщ", KeyboardLayout::russian(), false},
        {"привіт", KeyboardLayout::russian(), false},
        {"привіт", ukrainian, true},
        {"дякую", ukrainian, true},
        {"Їжак", ukrainian, true},
        {"привет", ukrainian, false},
        {"руддщ", ukrainian, false},
    };
    for (const auto& [word, layout, isMatch] : cases) {
        EXPECT_EQ(detector_.plausibility(word, layout).isDictionaryMatch, isMatch)
            << word << " as " << layout.displayName;
    }
}

}  // namespace
}  // namespace plovik

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/ProgramRun.h"
#include "support/SystemCallStops.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;

// Runs plovik-correct --app with a home and temporary folder of its own so that nothing of
// the user's can be touched.
class PlovikCorrectApp : public ::testing::Test {
  protected:
    ProgramRun run(std::vector<std::string> arguments, const std::string& input,
                   bool throughApplication = true) {
        fs::create_directories(sandbox() / "tmp");
        if (throughApplication) {
            arguments.insert(arguments.begin(), "--app");
        }
        return testing::runBuiltProgram("plovik-correct", arguments, input,
                                        {{"HOME", sandbox() / "home"},
                                         {"XDG_CONFIG_HOME", sandbox() / "config"},
                                         {"XDG_DATA_HOME", sandbox() / "data"},
                                         {"TMPDIR", sandbox() / "tmp"}});
    }
    const fs::path& sandbox() const { return sandbox_.path(); }
    // A history in which the user undid "ghbdtn" → "привет" three times in the editor.
    static std::string threeUndoneCorrections() {
        std::string records = "[";
        for (int i = 0; i < 3; ++i) {
            records += std::string(i ? "," : "") + R"({"id":"00000000-0000-4000-8000-00000000000)" +
                       std::to_string(i) +
                       R"(","originalToken":"ghbdtn","correctedToken":"привет",)"
                       R"("applicationBundleIdentifier":"org.plovik.SimulatedEditor",)"
                       R"("outcome":"undone","timestamp":800000000})";
        }
        return records + "]";
    }

    const testing::TemporaryDirectory sandbox_;
};

TEST_F(PlovikCorrectApp, TypesThroughTheApplicationIntoTheField) {
    EXPECT_EQ(run({}, "ghbdtn vbh\n").out, "привет мир\n");
    EXPECT_EQ(run({"--switch"}, "ghbdtn vbh\n").out, "привет мир\n");
    EXPECT_EQ(run({}, "Ghbdtn? vbh! Rfr ltkf&\nthis line is typed right\n").out,
              "Привет, мир! Как дела?\nthis line is typed right\n");
    EXPECT_EQ(run({"--typed-in", "ru"}, "Руддщ цщкдвб рщц фку нщг,\n").out,
              "Hello world, how are you?\n");
    // No key ends the last word, so nothing corrects it; a Tab is a key and text.
    EXPECT_EQ(run({}, "ghbdtn vbh").out, "привет vbh");
    EXPECT_EQ(run({}, "vbh\tghbdtn\n").out, "vbh\tпривет\n");
    const ProgramRun empty = run({}, "");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

TEST_F(PlovikCorrectApp, AgreesWithTheEngineLevelModeOnPlainText) {
    const std::string text =
        "ghbdtn vbh, rfr ltkf?\nthis line is typed right\nye b xnj? djn nfr-nj!\n"
        "Vjcrdf b Gbnth - ujhjlf. ok\n";
    const ProgramRun application = run({}, text);
    const ProgramRun engine = run({}, text, false);
    EXPECT_EQ(application.status, 0);
    EXPECT_EQ(application.out, engine.out);
    EXPECT_NE(application.out, text);
}

TEST_F(PlovikCorrectApp, AgreesWithTheEngineLevelModeAcrossLayoutSwitches) {
    // Each switch after a correction empties the application's buffer, so the words after it
    // are judged without the ones before: "vs" (мы) then stands alone.
    const std::string text = "b yf;fnbz Enter? vs edblbv:\n";
    const std::vector<std::string> arguments{"--switch", "--engine", "extended"};
    const ProgramRun application = run(arguments, text);
    EXPECT_EQ(application.out, "и нажатия Enter? мы увидимЖ\n");
    EXPECT_EQ(run(arguments, text, false).out, application.out);
}

TEST_F(PlovikCorrectApp, AgreesWithTheEngineLevelModeOnWordsGluedToOtherText) {
    // A word is only replaced with whitespace before it and its own delimiter after it, and
    // the application never sees text that reaches the field without keys, as pasted text
    // does (the quotation marks, emoji and sign here): a word such text touches stays, and
    // one it interrupts is given up at the next key. After the switch to Russian "admin"
    // thus stays as its keys typed it, and the layout stays Russian. Where words end at
    // punctuation, the word right after a mark stays too.
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--switch", "--engine", "extended"}, "hfpltk «admin» gen\n"},
        {{"--engine", "extended"}, "uheggf («Ecnfyjdktyyst gfrtns») gjlcdtxtyf\n"},
        {{"--switch", "--engine", "extended"}, "ghbdtn A≠a gjpdjkztn\n"},
        {{}, "ghbdtn😀vbh ok\n"},
        {{}, "gjrfpfyj d yb;ytv x`hyjv\n"},
        {{"--switch"}, "vyj;tcndj python-crhbgnjd? r\n"}};
    for (const auto& [arguments, text] : cases) {
        EXPECT_EQ(run(arguments, text, false).out, run(arguments, text).out) << text;
    }
    EXPECT_EQ(run(cases[0].first, cases[0].second, false).out, "раздел «фвьшт» пут\n");
}

TEST_F(PlovikCorrectApp, AgreesWithTheEngineLevelModeOnWhatItLearns) {
    // Every correction is recorded, and three of the same raise its confidence: "b" after
    // "A)?" is corrected only once "b" became "и" three times before.
    const std::string text = "gfrtns b cbcntvs\ngfrtns b cbcntvs\ngfrtns b cbcntvs\nA)? b xnj jy\n";
    const std::vector<std::string> arguments{"--engine", "extended"};
    EXPECT_EQ(run(arguments, text, false).out, run(arguments, text).out);
    EXPECT_TRUE(run(arguments, text).out.ends_with("A)? и что он\n"));

    // Both score with the records of the same application in a given history.
    const fs::path history = sandbox() / "history.json";
    const std::string records = threeUndoneCorrections();
    std::ofstream(history, std::ios::binary) << records;
    const std::vector<std::string> scored{"--history", history.string()};
    EXPECT_EQ(run(scored, "ghbdtn vbh\n", false).out, run(scored, "ghbdtn vbh\n").out);
}

TEST_F(PlovikCorrectApp, SwitchingMakesLaterKeysTypeTheOtherLayout) {
    // The question mark's key types a comma once Russian is selected.
    EXPECT_EQ(run({}, "ghbdtn ?\n").out, "привет ?\n");
    EXPECT_EQ(run({"--switch"}, "ghbdtn ?\n").out, "привет ,\n");
}

// Nothing can be typed ahead of a Return held back: an application that takes only keys
// keeps the word the Return ends as typed, one with accessibility corrects it.
TEST_F(PlovikCorrectApp, AnApplicationThatTakesOnlyKeysKeepsTheWordAReturnEnds) {
    EXPECT_EQ(run({"--app-id", "firefox-esr"}, "ghbdtn vbh\nrfr ltkf\n").out,
              "привет vbh\nкак ltkf\n");
    EXPECT_EQ(run({}, "ghbdtn vbh\nrfr ltkf\n").out, "привет мир\nкак дела\n");
    const ProgramRun alone = run({"--app-id", "firefox-esr"}, "x\n", false);
    EXPECT_EQ(alone.status, 2);
    EXPECT_NE(alone.err.find("--app-id needs --app"), std::string::npos);
}

TEST_F(PlovikCorrectApp, LeavesTheUsersFilesAloneAndRejectsBadUsage) {
    EXPECT_EQ(run({}, "ghbdtn vbh\n").status, 0);
    // (The spell-checking library keeps its own word lists under the configuration folder.)
    EXPECT_FALSE(fs::exists(sandbox() / "config" / "plovik"));
    EXPECT_FALSE(fs::exists(sandbox() / "data"));
    EXPECT_FALSE(fs::exists(sandbox() / "home"));
    EXPECT_TRUE(fs::is_empty(sandbox() / "tmp"));

    const ProgramRun explain = run({"--explain"}, "x\n");
    EXPECT_EQ(explain.status, 2);
    EXPECT_NE(explain.err.find("--explain cannot be combined with --app"), std::string::npos);
    const ProgramRun unknown = run({"--layouts", "us,zz"}, "x\n");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("zz"), std::string::npos);
    EXPECT_EQ(run({}, "bad \xff byte\n").status, 2);
    EXPECT_EQ(run({"--history", (sandbox() / "missing.json").string()}, "x\n").status, 2);
}

TEST_F(PlovikCorrectApp, AWordNeverEndsAsAMixtureOfLayouts) {
    // "j," becomes "об"; without a switch the keys after it still type Latin, and the
    // word is read whole in the corrected layout. "cj" alone is too short to correct, so
    // that word stays as typed by the standard engine.
    EXPECT_EQ(run({"--engine", "described"}, "j,kfcnm cj,snbt\n").out, "область cj,snbt\n");
    EXPECT_EQ(run({"--engine", "described", "--switch"}, "j,kfcnm cj,snbt\n").out,
              "область событие\n");
    EXPECT_EQ(run({}, "j,kfcnm cj,snbt\n").out, "область событие\n");
}

TEST_F(PlovikCorrectApp, ALongLineCostsInProportionToItsLength) {
    // 66 KB on one line; with every key costing the length of the field so far, this took
    // minutes. The run is stopped after 100 s.
    std::string line;
    std::string expected;
    for (int word = 0; word < 3000; ++word) {
        line += "ghbdtn vbh ";
        expected += "привет мир ";
    }
    fs::create_directories(sandbox() / "tmp");
    testing::writeFile(sandbox() / "line", line);
    const std::string command =
        "TMPDIR=" + testing::shellQuoted(sandbox() / "tmp") + " timeout 100 " +
        testing::shellQuoted(PLOVIK_BUILD_DIR "/tools/plovik-correct") + " --app <" +
        testing::shellQuoted(sandbox() / "line") + " >" + testing::shellQuoted(sandbox() / "out");
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(testing::readFile(sandbox() / "out"), expected);
}

TEST_F(PlovikCorrectApp, ATemporaryFolderThatCannotBeMadeIsAUsageError) {
    fs::create_directories(sandbox() / "tmp");
    for (const std::string& folder : {std::string("relative/tmp"), (sandbox() / "missing").string(),
                                      (sandbox() / "tmp" / "..." / "x").string()}) {
        const ProgramRun result =
            testing::runBuiltProgram("plovik-correct", {"--app"}, "ghbdtn\n", {{"TMPDIR", folder}});
        EXPECT_EQ(result.status, 2) << folder;
        EXPECT_NE(result.err.find("TMPDIR"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_TRUE(fs::is_empty(sandbox() / "tmp"));
}

// The temporary folder holds the history of every corrected word: it must be gone after a
// run however the run ended.
class PlovikCorrectAppEnding : public PlovikCorrectApp {
  protected:
    void SetUp() override {
        fs::create_directories(sandbox() / "tmp");
        std::string text;
        for (int line = 0; line < 20000; ++line) {
            text += "ghbdtn vbh b dctv ntrcn\n";
        }
        testing::writeFile(sandbox() / "in", text);
    }
    void TearDown() override {
        // A run left over by a failed check must not go on typing into a removed sandbox.
        if (running_ > 0) {
            ::kill(running_, SIGKILL);
        }
    }
    // Starts the run in the background with `tail` after its output; its process id.
    pid_t start(const std::string& tail) {
        const std::string command = "TMPDIR=" + testing::shellQuoted(sandbox() / "tmp") + " " +
                                    testing::shellQuoted(program()) + " --app <" +
                                    testing::shellQuoted(sandbox() / "in") + " " + tail +
                                    " & echo $! >" + testing::shellQuoted(sandbox() / "pid");
        EXPECT_EQ(std::system(command.c_str()), 0);
        running_ = static_cast<pid_t>(std::stol(testing::readFile(sandbox() / "pid")));
        return running_;
    }
    // Sends `signal` to the run; it is then no longer running.
    bool stop(pid_t run, int signal) {
        running_ = -1;
        return ::kill(run, signal) == 0;
    }
    // Generous for a busy machine, but never forever.
    bool waitFor(const std::function<bool()>& condition) const {
        for (int attempt = 0; attempt < 600; ++attempt) {
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    // Replaces this process with the run, reading the input and writing nowhere.
    [[noreturn]] void becomeTheRun() const {
        const int input = ::open((sandbox() / "in").c_str(), O_RDONLY);
        const int nowhere = ::open("/dev/null", O_WRONLY);
        ::dup2(input, STDIN_FILENO);
        ::dup2(nowhere, STDOUT_FILENO);
        ::setenv("TMPDIR", (sandbox() / "tmp").c_str(), 1);
        ::execl(program().c_str(), program().c_str(), "--app", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    static std::string program() { return PLOVIK_BUILD_DIR "/tools/plovik-correct"; }
    bool temporaryFolderExists() const { return !fs::is_empty(sandbox() / "tmp"); }

    pid_t running_ = -1;
};

TEST_F(PlovikCorrectAppEnding, LeavesNothingBehindWhenKilled) {
    for (const int signal : {SIGTERM, SIGKILL, SIGHUP}) {
        const pid_t run = start(">/dev/null");
        ASSERT_TRUE(waitFor([&] { return temporaryFolderExists(); })) << signal;
        ASSERT_TRUE(stop(run, signal));
        ASSERT_TRUE(waitFor([&] { return !temporaryFolderExists(); })) << signal;
    }
}

TEST_F(PlovikCorrectAppEnding, LeavesNothingBehindWhenKilledTheMomentItsFolderAppears) {
    // The run is frozen at every system call and killed at each of the first ones after
    // its folder has appeared: a folder that exists for a moment without a helper to
    // remove it is left behind at one of them.
    for (int stop = 0; stop < 8; ++stop) {
        const auto end = testing::killAtSystemCallStop(
            [this] { becomeTheRun(); }, [this] { return temporaryFolderExists(); }, stop);
        if (end == testing::TracedEnd::untraceable) {
            GTEST_SKIP() << "processes cannot be traced here";
        }
        ASSERT_EQ(end, testing::TracedEnd::killed) << stop;
        ASSERT_TRUE(waitFor([&] { return !temporaryFolderExists(); }))
            << "left behind when killed at stop " << stop;
    }
}

TEST_F(PlovikCorrectAppEnding, LeavesNothingBehindWhenItsOutputIsClosed) {
    // A run that never writes is ended after 100 s rather than holding the pipeline open.
    const std::string command = "TMPDIR=" + testing::shellQuoted(sandbox() / "tmp") +
                                " timeout 100 " + testing::shellQuoted(program()) + " --app <" +
                                testing::shellQuoted(sandbox() / "in") + " | head -c 12 >" +
                                testing::shellQuoted(sandbox() / "out");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(testing::readFile(sandbox() / "out"), "привет");
    EXPECT_TRUE(waitFor([&] { return !temporaryFolderExists(); }));
}

TEST_F(PlovikCorrectApp, ScoresWithACopyOfTheGivenHistory) {
    // The user undid this correction three times: the application no longer makes it.
    const fs::path history = sandbox() / "history.json";
    const std::string records = threeUndoneCorrections();
    std::ofstream(history, std::ios::binary) << records;
    EXPECT_EQ(run({"--history", history.string()}, "ghbdtn vbh\n").out, "ghbdtn мир\n");
    EXPECT_EQ(testing::readFile(history), records);
}

}  // namespace
}  // namespace plovik

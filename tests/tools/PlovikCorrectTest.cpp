#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/ProgramRun.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using testing::ProgramRun;
using testing::readFile;

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& input) {
    return testing::runBuiltProgram(program, arguments, input);
}

ProgramRun runTool(const std::vector<std::string>& arguments, const std::string& input) {
    return runProgram("plovik-correct", arguments, input);
}

std::vector<nlohmann::json> jsonLines(const std::string& text) {
    std::vector<nlohmann::json> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(nlohmann::json::parse(line));
    }
    return lines;
}

TEST(PlovikCorrect, CorrectsWrongLayoutWordsAndLeavesRightOnesAlone) {
    EXPECT_EQ(runTool({}, "ghbdtn vbh\n").out, "привет мир\n");
    // The end of the input ends the last word.
    EXPECT_EQ(runTool({}, "ghbdtn vbh").out, "привет мир");
    EXPECT_EQ(runTool({"--typed-in", "ru"}, "руддщ цщкдв\n").out, "hello world\n");
    // The typed-in layout defaults to the first enabled one; variants are layouts of their own.
    EXPECT_EQ(runTool({"--layouts", "ru,us"}, "руддщ цщкдв\n").out, "hello world\n");
    EXPECT_EQ(runTool({"--layouts", "us(dvorak),ru"}, "idxeyb kxd\n").out, "привет мир\n");

    const std::string english = "The quick brown fox jumps over the lazy dog, twice.\n";
    EXPECT_EQ(runTool({}, english).out, english);
    const std::string russian = "Съешь же ещё этих мягких французских булок, да выпей чаю.\n";
    EXPECT_EQ(runTool({"--typed-in", "ru"}, russian).out, russian);
    const ProgramRun empty = runTool({}, "");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

TEST(PlovikCorrect, KeepsEveryByteItDoesNotCorrect) {
    // A Tab key re-read in another layout types a control character, which rules that layout
    // out, so a word ended by Tab stays; a held-back Return keeps its own line break.
    EXPECT_EQ(runTool({}, "ghbdtn\tvbh\r\nok  \t fine\r\n").out, "ghbdtn\tмир\r\nok  \t fine\r\n");
    EXPECT_EQ(runTool({}, "ghbdtn vbh\r\n\r\nfine\n").out, "привет мир\r\n\r\nfine\n");
    // Characters the layout cannot type pass through unseen, as pasted text; the words they
    // touch are left as typed.
    EXPECT_EQ(runTool({}, "ghbdtn😀vbh \U0001F44D\u00A0done\n").out,
              "ghbdtn😀vbh \U0001F44D\u00A0done\n");
    EXPECT_EQ(runTool({}, "ghbdtn vbh 😀 ghbdtn\n").out, "привет мир 😀 привет\n");
    EXPECT_EQ(runTool({}, "caf\u00E9 na\u00EFve — «quoted»\n").out,
              "caf\u00E9 na\u00EFve — «quoted»\n");
}

TEST(PlovikCorrect, ExplainsEveryFinishedWord) {
    const ProgramRun run = runTool({"--explain"}, "ghbdtn hi\n");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto lines = jsonLines(run.out);
    ASSERT_EQ(lines.size(), 2u);

    EXPECT_EQ(lines[0]["token"], "ghbdtn");
    EXPECT_EQ(lines[0]["delimiter"], " ");
    EXPECT_TRUE(lines[0]["safety"].is_null());
    const auto& decision = lines[0]["decision"];
    ASSERT_TRUE(decision.is_object());
    EXPECT_EQ(decision["corrected"], "привет");
    EXPECT_EQ(decision["correctedDelimiter"], " ");
    EXPECT_TRUE(decision["confidence"].is_number());
    EXPECT_GE(decision["confidence"].get<double>(), 0.9);
    EXPECT_LE(decision["confidence"].get<double>(), 1.0);
    EXPECT_TRUE(decision["reason"].get<std::string>().starts_with("Converted text is"));
    EXPECT_EQ(decision["targetLayout"], "xkb:ru");
    EXPECT_EQ(decision["applied"], true);

    EXPECT_EQ(lines[1]["token"], "hi");
    EXPECT_EQ(lines[1]["delimiter"], "\n");
    EXPECT_EQ(lines[1]["safety"], "tooShort");
    EXPECT_TRUE(lines[1]["decision"].is_null());

    // A word glued to text no key typed is decided on but refused by the field.
    const auto glued = jsonLines(runTool({"--explain"}, "ghbdtn\U0001F600vbh \n").out);
    ASSERT_EQ(glued.size(), 1u);
    EXPECT_EQ(glued[0]["decision"]["corrected"], "мир");
    EXPECT_EQ(glued[0]["decision"]["applied"], false);
}

TEST(PlovikCorrect, RejectsBadUsageAndInputWithStatusTwo) {
    struct Case {
        std::vector<std::string> arguments;
        std::string input;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"--layouts", "us,zz"}, "x\n", "zz"},
        {{"--layouts", "us,ru", "--typed-in", "de"}, "x\n", "de"},
        {{"--threshold", "1.5"}, "x\n", "1.5"},
        {{"--threshold", "-0.1"}, "x\n", "-0.1"},
        {{"--threshold", "abc"}, "x\n", "abc"},
        {{"--threshold=nan"}, "x\n", "nan"},
        {{"--threshold"}, "x\n", "--threshold"},
        {{"--frobnicate"}, "x\n", "--frobnicate"},
        {{"--explain=yes"}, "x\n", "--explain"},
        {{"--history", "/nonexistent/history.json"}, "x\n", "/nonexistent/history.json"},
        {{}, "ok \xD0\x9F\xFFz\n", "byte offset 5"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = runTool(c.arguments, c.input);
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_EQ(run.out, "") << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    const ProgramRun help = runTool({"--help"}, "");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: plovik-correct"), std::string::npos);
    EXPECT_EQ(runTool({"--threshold", "0"}, "ok\n").status, 0);
    EXPECT_EQ(runTool({"--threshold=1"}, "ok\n").status, 0);
}

// Runs plovik-correct through the shell with `redirections`, killed after 20 s so that a
// hang fails the test instead of stalling the suite.
// `setup` runs in the shell first (limits, signal dispositions).
ProgramRun runToolWith(const std::vector<std::string>& arguments, const std::string& redirections,
                       const std::string& setup = "") {
    const testing::TemporaryDirectory streams;
    std::string command =
        setup + "timeout 20 " + testing::shellQuoted(PLOVIK_BUILD_DIR "/tools/plovik-correct");
    for (const auto& argument : arguments) {
        command += " " + testing::shellQuoted(argument);
    }
    command += " " + redirections + " >" + testing::shellQuoted(streams.path() / "out") + " 2>" +
               testing::shellQuoted(streams.path() / "err");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(streams.path() / "out"),
            readFile(streams.path() / "err")};
}

TEST(PlovikCorrect, AWordNeverEndsAsAMixtureOfLayouts) {
    EXPECT_EQ(runTool({"--engine", "described"}, "j,kfcnm cj,snbt\n").out, "область cj,snbt\n");
    EXPECT_EQ(runTool({"--engine", "described", "--switch"}, "j,kfcnm cj,snbt\n").out,
              "область событие\n");
}

TEST(PlovikCorrect, ReadsOnlyRegularFilesAndReportsAnInputThatCannotBeRead) {
    const testing::TemporaryDirectory folder;
    const fs::path fifo = folder.path() / "history.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& history :
         {fifo.string(), std::string("/dev/null"), folder.path().string()}) {
        for (const bool app : {false, true}) {
            std::vector<std::string> arguments{"--history", history};
            if (app) {
                arguments.push_back("--app");
            }
            const ProgramRun run = runToolWith(arguments, "</dev/null");
            EXPECT_EQ(run.status, 2) << history << (app ? " --app" : "");
            EXPECT_NE(run.err.find("--history: "), std::string::npos) << run.err;
        }
    }
    // A folder as standard input fails to read; it is not an empty text.
    for (const bool app : {false, true}) {
        const ProgramRun run =
            runToolWith(app ? std::vector<std::string>{"--app"} : std::vector<std::string>{},
                        "<" + testing::shellQuoted(folder.path()));
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("cannot read the input"), std::string::npos) << run.err;
    }
}

TEST(PlovikCorrect, AHistoryThatCannotBeCopiedIsAUsageError) {
    const testing::TemporaryDirectory folder;
    const fs::path history = folder.path() / "history.json";
    std::ofstream(history) << std::string(4096, ' ');
    // --app scores with a copy of the history; a file size limit below it makes the copy fail.
    const ProgramRun run = runToolWith({"--app", "--history", history.string()}, "</dev/null",
                                       "trap '' XFSZ; ulimit -f 1; ");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--history: cannot copy " + history.string()), std::string::npos)
        << run.err;
    EXPECT_EQ(run.out, "");
}

TEST(PlovikCorrect, SwitchedLayoutReadsLaterKeys) {
    // Without a switch every word is re-read on its own.
    auto lines = jsonLines(runTool({"--explain"}, "ghbdtn vbh\n").out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]["token"], "vbh");
    EXPECT_EQ(lines[1]["decision"]["corrected"], "мир");

    // After the switch to Russian the same keys type the Russian word directly.
    lines = jsonLines(runTool({"--explain", "--switch"}, "ghbdtn vbh\n").out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1]["token"], "мир");
    EXPECT_TRUE(lines[1]["decision"].is_null());

    // An English word typed after the switch comes out Cyrillic and is switched back.
    EXPECT_EQ(runTool({"--switch"}, "ghbdtn hello world\n").out, "привет hello world\n");
    EXPECT_EQ(runTool({"--switch"}, "ghbdtn vbh\n").out, "привет мир\n");
}

TEST(PlovikCorrect, ScoresWithTheGivenHistoryWithoutChangingIt) {
    const testing::TemporaryDirectory folder;
    const fs::path file = folder.path() / "history.json";
    // Four undos of the same correction outweigh any confidence.
    std::string records;
    for (int i = 0; i < 4; ++i) {
        records += std::string(i ? "," : "") + R"({"id":"6F0D3E1A-2B4C-4D5E-8F60-71829304A5B)" +
                   std::to_string(i) +
                   R"(","originalToken":"ghbdtn","correctedToken":"привет",)"
                   R"("applicationBundleIdentifier":"org.plovik.SimulatedEditor",)"
                   R"("outcome":"undone",)"
                   R"("timestamp":700000000.5})";
    }
    std::ofstream(file) << "[" << records << "]";
    const std::string before = readFile(file);

    EXPECT_EQ(runTool({"--history", file.string()}, "ghbdtn vbh\n").out, "ghbdtn мир\n");
    EXPECT_EQ(runTool({}, "ghbdtn vbh\n").out, "привет мир\n");
    EXPECT_EQ(readFile(file), before);
}

TEST(PlovikCorrect, UkrainianWordIsCorrectedThroughTheSpellChecker) {
    // "привіт" typed with the US layout selected; there are no built-in Ukrainian lists.
    const ProgramRun run = runTool({"--layouts", "us,ua"}, "ghbdsn\n");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "привіт\n");
}

TEST(PlovikRetype, ShowsWhatTheKeysOfOneLayoutTypeInAnother) {
    EXPECT_EQ(runProgram("plovik-retype", {"--from", "ru", "--to", "us"}, "Привет, мир!\n").out,
              "Ghbdtn? vbh!\n");
    EXPECT_EQ(runProgram("plovik-retype", {"--from", "us", "--to", "ru"}, "hello, world\n").out,
              "руддщб цщкдв\n");
    // What the layout cannot type stays.
    EXPECT_EQ(runProgram("plovik-retype", {"--from", "ru", "--to", "us"}, "мир 😀 café\n").out,
              "vbh 😀 café\n");
    EXPECT_EQ(runProgram("plovik-retype", {"--from", "ru", "--to", "zz"}, "x").status, 2);
}

}  // namespace
}  // namespace plovik

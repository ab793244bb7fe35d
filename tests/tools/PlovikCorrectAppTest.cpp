#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace plovik {
namespace {

namespace fs = std::filesystem;

struct AppRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string shellQuoted(const std::string& argument) {
    std::string result = "'";
    for (const char c : argument) {
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return result + "'";
}

std::string contentsOf(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream contents;
    contents << stream.rdbuf();
    return contents.str();
}

// Runs plovik-correct --app with the arguments and `input` on standard input, with a
// home and temporary folder of its own so that nothing of the user's can be touched.
AppRun runApp(std::vector<std::string> arguments, const std::string& input, const fs::path& sandbox,
              bool throughApplication = true) {
    fs::create_directories(sandbox / "tmp");
    std::ofstream(sandbox / "in", std::ios::binary) << input;
    std::string command = "HOME=" + shellQuoted(sandbox / "home") +
                          " XDG_CONFIG_HOME=" + shellQuoted(sandbox / "config") +
                          " XDG_DATA_HOME=" + shellQuoted(sandbox / "data") +
                          " TMPDIR=" + shellQuoted(sandbox / "tmp") + " " +
                          shellQuoted(PLOVIK_BUILD_DIR "/tools/plovik-correct") +
                          (throughApplication ? " --app" : "");
    for (const auto& argument : arguments) {
        command += " " + shellQuoted(argument);
    }
    command += " <" + shellQuoted(sandbox / "in") + " >" + shellQuoted(sandbox / "out") + " 2>" +
               shellQuoted(sandbox / "err");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, contentsOf(sandbox / "out"),
            contentsOf(sandbox / "err")};
}

class PlovikCorrectApp : public ::testing::Test {
  protected:
    void TearDown() override { fs::remove_all(sandbox_); }

    AppRun run(std::vector<std::string> arguments, const std::string& input) {
        return runApp(std::move(arguments), input, sandbox_);
    }

    const fs::path sandbox_ =
        fs::temp_directory_path() / ("plovik-app-test-" + std::to_string(::getpid()));
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
    const AppRun empty = run({}, "");
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
}

TEST_F(PlovikCorrectApp, AgreesWithTheEngineLevelModeOnPlainText) {
    const std::string text =
        "ghbdtn vbh, rfr ltkf?\nthis line is typed right\nye b xnj? djn nfr-nj!\n"
        "Vjcrdf b Gbnth - ujhjlf. ok\n";
    const AppRun application = run({}, text);
    const AppRun engine = runApp({}, text, sandbox_, false);
    EXPECT_EQ(application.status, 0);
    EXPECT_EQ(application.out, engine.out);
    EXPECT_NE(application.out, text);
}

TEST_F(PlovikCorrectApp, SwitchingMakesLaterKeysTypeTheOtherLayout) {
    // The question mark's key types a comma once Russian is selected.
    EXPECT_EQ(run({}, "ghbdtn ?\n").out, "привет ?\n");
    EXPECT_EQ(run({"--switch"}, "ghbdtn ?\n").out, "привет ,\n");
}

TEST_F(PlovikCorrectApp, LeavesTheUsersFilesAloneAndRejectsBadUsage) {
    EXPECT_EQ(run({}, "ghbdtn vbh\n").status, 0);
    // (The spell-checking library keeps its own word lists under the configuration folder.)
    EXPECT_FALSE(fs::exists(sandbox_ / "config" / "plovik"));
    EXPECT_FALSE(fs::exists(sandbox_ / "data"));
    EXPECT_FALSE(fs::exists(sandbox_ / "home"));
    EXPECT_TRUE(fs::is_empty(sandbox_ / "tmp"));

    const AppRun explain = run({"--explain"}, "x\n");
    EXPECT_EQ(explain.status, 2);
    EXPECT_NE(explain.err.find("--explain cannot be combined with --app"), std::string::npos);
    const AppRun unknown = run({"--layouts", "us,zz"}, "x\n");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("zz"), std::string::npos);
    EXPECT_EQ(run({}, "bad \xff byte\n").status, 2);
    EXPECT_EQ(run({"--history", (sandbox_ / "missing.json").string()}, "x\n").status, 2);
}

TEST_F(PlovikCorrectApp, ScoresWithACopyOfTheGivenHistory) {
    // The user undid this correction three times: the application no longer makes it.
    fs::create_directories(sandbox_);
    const fs::path history = sandbox_ / "history.json";
    std::string records = "[";
    for (int i = 0; i < 3; ++i) {
        records += std::string(i ? "," : "") + R"({"id":"00000000-0000-4000-8000-00000000000)" +
                   std::to_string(i) +
                   R"(","originalToken":"ghbdtn","correctedToken":"привет",)"
                   R"("applicationBundleIdentifier":"org.plovik.SimulatedEditor",)"
                   R"("outcome":"undone","timestamp":800000000})";
    }
    records += "]";
    std::ofstream(history, std::ios::binary) << records;
    EXPECT_EQ(run({"--history", history.string()}, "ghbdtn vbh\n").out, "ghbdtn мир\n");
    EXPECT_EQ(contentsOf(history), records);
}

}  // namespace
}  // namespace plovik

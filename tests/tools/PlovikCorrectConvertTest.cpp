#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ProgramRun.h"

namespace plovik {
namespace {

using testing::ProgramRun;

ProgramRun convert(std::vector<std::string> arguments, const std::string& input) {
    arguments.insert(arguments.begin(), "--convert");
    return testing::runBuiltProgram("plovik-correct", arguments, input);
}

TEST(PlovikCorrectConvert, ConvertsTheWholeTextAndBackRunByRun) {
    const ProgramRun russian = convert({}, "Ghbdtn? rfr ltkf&\nCj,snbt 2026 ujlf\n");
    EXPECT_EQ(russian.status, 0) << russian.err;
    EXPECT_EQ(russian.out, "Привет, как дела?\nСобытие 2026 года\n");
    EXPECT_EQ(convert({}, russian.out).out, "Ghbdtn? rfr ltkf&\nCj,snbt 2026 ujlf\n");
    // Each run turns round; what no key of its layout types stays.
    EXPECT_EQ(convert({}, "Привет, rfr ltkf& 😀\t№").out, "Ghbdtn? как дела? 😀\t№");
    EXPECT_EQ(convert({"--layouts", "us,de", "--typed-in", "de"}, "Übung é\n").out, "{bung =e\n");
    EXPECT_EQ(convert({"--layouts", "us,de"}, "{bung =e\n").out, "Übung é\n");
    EXPECT_EQ(convert({}, "").out, "");
}

TEST(PlovikCorrectConvert, UsageErrorsAreReportedWithStatusTwo) {
    struct Case {
        std::vector<std::string> arguments;
        std::string input;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"--app"}, "x\n", "--app cannot be combined with --convert"},
        {{"--explain"}, "x\n", "--explain"},
        {{"--switch"}, "x\n", "--switch"},
        {{"--layouts", "us"}, "x\n", "two layouts"},
        {{"--layouts", "us,zz"}, "x\n", "zz"},
        {{}, "ok \xD0\x9F\xFFz\n", "byte offset 5"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = convert(c.arguments, c.input);
        EXPECT_EQ(run.status, 2) << c.message;
        EXPECT_EQ(run.out, "") << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
    const ProgramRun help = testing::runBuiltProgram("plovik-correct", {"--help"}, "");
    EXPECT_NE(help.out.find("  --convert  "), std::string::npos) << help.out;
}

}  // namespace
}  // namespace plovik

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ProgramRun.h"

namespace plovik {
namespace {

testing::ProgramRun runTool(const std::vector<std::string>& arguments, const std::string& input) {
    return testing::runBuiltProgram("plovik-correct", arguments, input);
}

TEST(PlovikCorrectEngine, TheExtendedEngineReadsPunctuationKeysAsLetters) {
    EXPECT_EQ(runTool({"--engine", "extended"}, "j,kfcnm cj,snbt\n").out, "область событие\n");
    EXPECT_EQ(runTool({"--typed-in", "ru", "--engine", "extended"}, "еру сфе\n").out, "the cat\n");
    EXPECT_EQ(runTool({"--engine=extended"}, "[jhjij, ghbdtn? Vjcrdf\n").out,
              "хорошо, привет, Москва\n");
    // The extended engine is the default; the described one stays selectable.
    const std::string english = "Ntrcn ЕРШЫ ghbdtn, q\n";
    EXPECT_EQ(runTool({}, english).out, runTool({"--engine", "extended"}, english).out);
    EXPECT_NE(runTool({}, english).out, runTool({"--engine", "described"}, english).out);
    // Any two enabled layouts with language data: Ukrainian and English.
    EXPECT_EQ(runTool({"--layouts", "us,ua", "--engine", "extended"}, "ghbdsn, cdsn\n").out,
              "привіт, світ\n");
    const std::string prose = "The cat is here, and I am fine.\n";
    EXPECT_EQ(runTool({"--engine", "extended"}, prose).out, prose);
}

TEST(PlovikCorrectEngine, MixedTextTypedUnderAnyLayoutIsLeftAlone) {
    const std::string mixed = "Откройте файл README в редакторе Emacs и нажмите Ctrl.\n";
    EXPECT_EQ(runTool({"--typed-in", "auto", "--engine", "extended"}, mixed).out, mixed);
    EXPECT_EQ(runTool({"--typed-in", "auto"}, mixed).out, mixed);
    // Letters and terms typed right after switching layouts are the user's choice...
    const std::string switched = "Выберите пункт b и нажмите клавишу e. Библиотека Qt и fp.\n";
    EXPECT_EQ(runTool({"--typed-in", "auto", "--engine", "extended"}, switched).out, switched);
    // ...but a slip is still corrected there: the keys of "привет" spell no English word.
    EXPECT_EQ(runTool({"--typed-in", "auto", "--engine", "extended"}, "Привет ghbdtn\n").out,
              "Привет привет\n");
}

TEST(PlovikCorrectEngine, BadEngineOrAutoWithAppIsAUsageError) {
    for (const auto& arguments :
         std::vector<std::vector<std::string>>{{"--engine", "neural"},
                                               {"--engine"},
                                               {"--engine", ""},
                                               {"--typed-in", "auto", "--app"}}) {
        const auto run = runTool(arguments, "ok\n");
        EXPECT_EQ(run.status, 2) << arguments[0];
        EXPECT_TRUE(run.out.empty());
    }
}

}  // namespace
}  // namespace plovik

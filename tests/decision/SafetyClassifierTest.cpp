#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/decision/SafetyClassifier.h"

namespace plovik {
namespace {

struct Case {
    std::string token;
    std::string context;
    std::optional<SafetyExclusion> exclusion;
};

void expectAssessments(const SafetyClassifier& classifier, const std::vector<Case>& cases) {
    for (const auto& [token, context, exclusion] : cases) {
        const auto expected =
            exclusion ? SafetyAssessment::excluded(*exclusion) : SafetyAssessment::allowed();
        const auto actual = classifier.assess(token, context);
        EXPECT_EQ(actual, expected)
            << "\"" << token << "\" after \"" << context
            << "\": " << (actual.exclusion ? rawValue(*actual.exclusion) : "allowed");
    }
}

TEST(SafetyClassifier, ExclusionsHaveStableRawValues) {
    const std::vector<std::pair<SafetyExclusion, std::string>> names{
        {SafetyExclusion::tooShort, "tooShort"},
        {SafetyExclusion::url, "url"},
        {SafetyExclusion::email, "email"},
        {SafetyExclusion::filePath, "filePath"},
        {SafetyExclusion::shellCommand, "shellCommand"},
        {SafetyExclusion::codeLike, "codeLike"},
        {SafetyExclusion::mostlyNumbers, "mostlyNumbers"},
        {SafetyExclusion::mixedAlphabet, "mixedAlphabet"},
    };
    for (const auto& [exclusion, name] : names) {
        EXPECT_EQ(rawValue(exclusion), name);
        EXPECT_EQ(safetyExclusionFromRawValue(name), exclusion);
    }
    EXPECT_EQ(safetyExclusionFromRawValue("TooShort"), std::nullopt);
    EXPECT_EQ(safetyExclusionFromRawValue(""), std::nullopt);
    EXPECT_TRUE(SafetyAssessment::allowed().isAllowed);
    EXPECT_EQ(SafetyAssessment::allowed().exclusion, std::nullopt);
    EXPECT_FALSE(SafetyAssessment::excluded(SafetyExclusion::url).isAllowed);
    EXPECT_NE(SafetyAssessment::excluded(SafetyExclusion::url),
              SafetyAssessment::excluded(SafetyExclusion::email));
}

TEST(SafetyClassifier, AWordAfterAKnownShellCommandIsRefused) {
    const SafetyClassifier classifier(3);
    for (const std::string command :
         {"bash", "cd",   "chmod", "chown", "curl",  "docker",     "git",
          "grep", "ls",   "make",  "npm",   "npx",   "pod",        "python",
          "rm",   "ruby", "ssh",   "sudo",  "swift", "xcodebuild", "yarn"}) {
        EXPECT_EQ(classifier.assess("ghbdtn", command + " "),
                  SafetyAssessment::excluded(SafetyExclusion::shellCommand))
            << command;
    }
    EXPECT_TRUE(classifier.assess("ghbdtn", "xcode ").isAllowed);
    // The last word is read by graphemes: a mark combined with a space is part of the space,
    // one combined with a letter part of the word; capitals and Cyrillic text before it count.
    const auto shell = SafetyAssessment::excluded(SafetyExclusion::shellCommand);
    EXPECT_EQ(classifier.assess("ghbdtn", "текст «в кавычках» SUDO "), shell);
    EXPECT_EQ(classifier.assess("ghbdtn", "sudo \u0301"), shell);
    EXPECT_EQ(classifier.assess("ghbdtn", "e\u0301 git\t"), shell);
    EXPECT_TRUE(classifier.assess("ghbdtn", "git\u0301 ").isAllowed);
    EXPECT_TRUE(classifier.assess("ghbdtn", "sudo\u200d ").isAllowed);
    EXPECT_TRUE(classifier.assess("ghbdtn", "sudo-").isAllowed);
}

TEST(SafetyClassifier, LengthCountsCharactersAfterTrimmingWhitespace) {
    using enum SafetyExclusion;
    const std::vector<Case> cases{
        {"hi", "", tooShort},
        {" ab ", "", tooShort},
        {"\n\tab\u00A0", "", tooShort},
        {"", "", tooShort},
        {"abc", "", std::nullopt},
        {" abc\n", "", std::nullopt},
        {"ёж", "", tooShort},
        {"ёжи", "", std::nullopt},
        {"e\u0301e\u0301", "", tooShort},
        {"👍🏽👍", "", tooShort},
    };
    expectAssessments(SafetyClassifier(3), cases);
    expectAssessments(SafetyClassifier(0), {{"", "", mostlyNumbers}, {"a", "", std::nullopt}});
    expectAssessments(SafetyClassifier(-5), {{"", "", mostlyNumbers}});
    expectAssessments(SafetyClassifier(6), {{"hello", "", tooShort}, {"привет", "", std::nullopt}});
}

TEST(SafetyClassifier, RecognisesAddressesAndPaths) {
    using enum SafetyExclusion;
    const std::vector<Case> cases{
        {"http", "", url},        {"HTTPS", "", url},           {"ftp", "", url},
        {"mailto", "", url},      {"httpx", "", std::nullopt},  {"a://b", "", url},
        {"WWW.example", "", url}, {"awww.x", "", std::nullopt}, {"me@host", "", email},
        {"@@@", "", email},       {"/usr", "", filePath},       {"~/bin", "", filePath},
        {"./run", "", filePath},  {"../up", "", filePath},      {"a/b", "", filePath},
        {"a\\b", "", filePath},   {"a/b c", "", std::nullopt},  {"a/b\u00A0c", "", filePath},
    };
    expectAssessments(SafetyClassifier(3), cases);
}

TEST(SafetyClassifier, RecognisesNumbersShellInputAndCode) {
    using enum SafetyExclusion;
    const std::vector<Case> cases{
        {"123a", "", mostlyNumbers},
        {"12ab", "", std::nullopt},
        {"!!!", "", mostlyNumbers},
        {"½⅓a", "", mostlyNumbers},
        {"١٢٣", "", mostlyNumbers},
        {"git", "", shellCommand},
        {"SUDO", "", shellCommand},
        {"$HOME", "", shellCommand},
        {"--force", "", shellCommand},
        {"-force", "", std::nullopt},
        {"ghbdtn", "git commit -m ", std::nullopt},
        {"ghbdtn", "git ", shellCommand},
        {"ghbdtn", "run\nSudo\t", shellCommand},
        {"ghbdtn", "legit", std::nullopt},
        {"ghbdtn", " \n ", std::nullopt},
        {"foo_bar", "", codeLike},
        {"a::b", "", codeLike},
        {"x->y", "", codeLike},
        {"a=>b", "", codeLike},
        {"f(x)", "", codeLike},
        {"[jhjij", "", codeLike},
        {"a|b", "", codeLike},
        {"a`b", "", codeLike},
        {"a<b", "", codeLike},
        {"a}b", "", codeLike},
        {"a$b", "", codeLike},
        {"a-b", "", std::nullopt},
        {"a:b", "", std::nullopt},
    };
    expectAssessments(SafetyClassifier(3), cases);
}

TEST(SafetyClassifier, RefusesMixedAlphabetsOnly) {
    using enum SafetyExclusion;
    const std::vector<Case> cases{
        {"helloмир", "", mixedAlphabet},   {"café", "", mixedAlphabet},
        {"cafe\u0301", "", mixedAlphabet}, {"привет", "", std::nullopt},
        {"hello", "", std::nullopt},       {"don't", "", std::nullopt},
        {"Привет!", "", std::nullopt},     {"über", "", mixedAlphabet},
        {"ñçé", "", std::nullopt},
    };
    expectAssessments(SafetyClassifier(3), cases);
}

TEST(SafetyClassifier, EarlierRulesWin) {
    using enum SafetyExclusion;
    const std::vector<Case> cases{
        {"git@hub", "", email},     {"3/4", "", filePath},          {"http://x", "", url},
        {"a@b/c", "", email},       {"123", "git ", mostlyNumbers}, {"$1234", "", mostlyNumbers},
        {"$a_b", "", shellCommand}, {"x_мир", "", codeLike},        {"a@", "", tooShort},
    };
    expectAssessments(SafetyClassifier(3), cases);
}

}  // namespace
}  // namespace plovik

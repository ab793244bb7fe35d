#include <gtest/gtest.h>

#include "framework/fcitx5/EditCheck.h"
#include "framework/fcitx5/SurroundingWindow.h"

namespace plovik {
namespace {

using module::EditStatus;

EditCheck::Field field(std::string_view text, std::uint32_t cursor, std::uint32_t anchor) {
    return {4, true, true, text, cursor, anchor};
}

module::Edit edit(std::string before, std::string replacement = "привет ") {
    return {1, 4, 10, std::move(before), std::move(replacement), {}};
}

TEST(EditCheck, TheTextBeforeTheCaretMustEndWithExactlyTheWordAndNoSelection) {
    struct Case {
        const char* name;
        EditCheck::Field field;
        module::Edit edit;
        EditCheck::Verdict verdict;
    };
    const Case cases[] = {
        {"the word and its space",
         field("ab ghbdtn ", 10, 10),
         edit("ghbdtn "),
         {EditStatus::done, 7}},
        {"code points, not bytes",
         field("ok руддщ", 8, 8),
         edit("руддщ", "hello"),
         {EditStatus::done, 5}},
        {"astral characters before the word",
         field("😀𝐀 ghbdtn", 9, 9),
         edit("ghbdtn"),
         {EditStatus::done, 6}},
        {"text after the caret stays",
         field("ghbdtn tail", 6, 6),
         edit("ghbdtn"),
         {EditStatus::done, 6}},
        {"the delimiter has not arrived",
         field("ab ghbdtn", 9, 9),
         edit("ghbdtn "),
         {EditStatus::textChanged, 0}},
        {"a key typed after the word",
         field("ghbdtn x", 8, 8),
         edit("ghbdtn "),
         {EditStatus::textChanged, 0}},
        {"a selection", field("ab ghbdtn ", 10, 3), edit("ghbdtn "), {EditStatus::textChanged, 0}},
        {"the caret moved",
         field("ghbdtn ab", 3, 3),
         edit("ghbdtn "),
         {EditStatus::textChanged, 0}},
        {"a caret past the text",
         field("ghbdtn ", 12, 12),
         edit("ghbdtn "),
         {EditStatus::textChanged, 0}},
        {"nothing to replace", field("ab ", 3, 3), edit(""), {EditStatus::textChanged, 0}},
        {"broken text", field("ab \xff", 4, 4), edit("\xff"), {EditStatus::textChanged, 0}},
        {"a replacement that is not text",
         field("ab ", 3, 3),
         edit(" ", "\xc3"),
         {EditStatus::textChanged, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EditCheck::check(c.edit, c.field, 10), c.verdict) << c.name;
    }
}

TEST(EditCheck, AnotherFieldAKeySinceOrAFieldWithoutTextStopTheEdit) {
    EditCheck::Field other = field("ghbdtn ", 7, 7);
    other.context = 5;
    EXPECT_EQ(EditCheck::check(edit("ghbdtn "), other, 10).status, EditStatus::notFocused);
    EditCheck::Field unfocused = field("ghbdtn ", 7, 7);
    unfocused.focused = false;
    EXPECT_EQ(EditCheck::check(edit("ghbdtn "), unfocused, 10).status, EditStatus::notFocused);
    EXPECT_EQ(EditCheck::check(edit("ghbdtn "), field("ghbdtn ", 7, 7), 11).status,
              EditStatus::keyTypedSince)
        << "press 11 went on after press 10, the last Plovik had seen";
    EditCheck::Field silent = field("", 0, 0);
    silent.reportsText = false;
    EXPECT_EQ(EditCheck::check(edit("ghbdtn "), silent, 10).status, EditStatus::noSurroundingText);
}

TEST(SurroundingWindow, ALongFieldIsReportedAroundItsCaretWithOffsetsIntoThePart) {
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        text += "ё";
    }
    const auto cut = SurroundingWindow::cut(3, text, 2000, 2000);
    ASSERT_TRUE(cut.valid);
    EXPECT_EQ(cut.context, 3u);
    EXPECT_EQ(cut.cursor, SurroundingWindow::kBeforeCaret);
    EXPECT_EQ(cut.anchor, cut.cursor);
    EXPECT_EQ(EditCheck::codePoints(cut.text),
              SurroundingWindow::kBeforeCaret + SurroundingWindow::kAfterCaret);

    const auto selected = SurroundingWindow::cut(3, text, 2000, 10);
    EXPECT_EQ(selected.anchor, 0u) << "a selection reaching out of the window stays one";
    const auto whole = SurroundingWindow::cut(3, "ab привет", 9, 3);
    EXPECT_EQ(whole, (module::Surrounding{3, true, "ab привет", 9, 3}));

    EXPECT_FALSE(SurroundingWindow::cut(3, "ab", 3, 3).valid) << "a caret past the end";
    EXPECT_FALSE(SurroundingWindow::cut(3, "a\xe2\x82", 1, 1).valid) << "broken UTF-8";
}

}  // namespace
}  // namespace plovik

#include <gtest/gtest.h>

#include "core/replacement/CorrectionUndoState.h"
#include "replacement/ReplacementFixture.h"

namespace plovik {
namespace {

LastCorrection correction(const std::string& application,
                          std::optional<std::string> originalDelimiter = std::nullopt) {
    return LastCorrection(Uuid::random(), "ghbdtn", "привет", ",", std::move(originalDelimiter),
                          application, KeyboardLayout::english(), KeyboardLayout::russian(),
                          std::chrono::system_clock::time_point(std::chrono::seconds(1000)));
}

TEST(CorrectionUndoState, OffersTheReversalOnlyInTheApplicationOfTheCorrection) {
    CorrectionUndoState state;
    EXPECT_FALSE(state.requestForUndo("org.gnome.TextEditor").has_value());
    state.record(correction("org.gnome.TextEditor", "."));
    EXPECT_FALSE(state.requestForUndo("org.gnome.Terminal").has_value());
    EXPECT_FALSE(state.requestForUndo("org.gnome.texteditor").has_value());
    EXPECT_TRUE(state.lastCorrection().has_value());
    const TextReplacementRequest expected("привет", "ghbdtn", ",", ".");
    EXPECT_EQ(state.requestForUndo("org.gnome.TextEditor"), expected);
    // Asking does not consume.
    EXPECT_EQ(state.requestForUndo("org.gnome.TextEditor"), expected);
}

TEST(CorrectionUndoState, HandsTheCorrectionOutOnce) {
    CorrectionUndoState state(correction("org.gnome.TextEditor"));
    EXPECT_FALSE(state.consumeUndo("org.gnome.Terminal").has_value());
    EXPECT_TRUE(state.lastCorrection().has_value());
    const auto held = *state.lastCorrection();
    EXPECT_EQ(state.consumeUndo("org.gnome.TextEditor"), held);
    EXPECT_FALSE(state.consumeUndo("org.gnome.TextEditor").has_value());
    EXPECT_FALSE(state.requestForUndo("org.gnome.TextEditor").has_value());
}

TEST(CorrectionUndoState, KeepsOnlyTheLastCorrectionUntilCleared) {
    const auto first = correction("a");
    const auto second = correction("b");
    // Without the user's delimiter the written one is restored.
    EXPECT_EQ(first.originalDelimiter, ",");
    EXPECT_EQ(first.delimiter, ",");
    CorrectionUndoState state;
    state.record(first);
    state.record(second);
    EXPECT_FALSE(state.requestForUndo("a").has_value());
    EXPECT_EQ(state.requestForUndo("b"), TextReplacementRequest("привет", "ghbdtn", ","));
    state.clear();
    EXPECT_FALSE(state.requestForUndo("b").has_value());
    state.setLastCorrection(first);
    EXPECT_EQ(state.lastCorrection(), first);
    state.setLastCorrection(std::nullopt);
    EXPECT_FALSE(state.consumeUndo("a").has_value());
}

// A correction that changed the delimiter is undone in the field, once.
TEST(CorrectionUndoState, ItsRequestRestoresWhatTheUserTyped) {
    testing::ReplacementFixture fixture;
    auto field = fixture.field("ok ghbdtn.");
    ASSERT_TRUE(fixture.service.replace({"ghbdtn", "привет", ".", ","}).succeeded);
    ASSERT_EQ(field->text(), "ok привет,");
    CorrectionUndoState state;
    state.record(LastCorrection(Uuid::random(), "ghbdtn", "привет", ",", ".",
                                "org.gnome.TextEditor", KeyboardLayout::english(),
                                KeyboardLayout::russian(), {}));
    const auto request = state.requestForUndo("org.gnome.TextEditor");
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(fixture.service.replace(*request),
              TextReplacementResult::success(TextReplacementMethod::accessibility));
    EXPECT_EQ(field->text(), "ok ghbdtn.");
    EXPECT_TRUE(state.consumeUndo("org.gnome.TextEditor").has_value());
    // Undoing again would find the user's text, not the correction: refused.
    EXPECT_FALSE(fixture.service.replace(*request).succeeded);
    EXPECT_EQ(field->text(), "ok ghbdtn.");
}

}  // namespace
}  // namespace plovik

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "endtoend/PlovikDesktopFixture.h"

namespace plovik::testing {
namespace {

using Field = FixtureWindow::Field;

// X key code of C; the default conversion shortcut is Alt+Super+C.
constexpr std::uint32_t kCKey = 54;
constexpr std::uint32_t kConvertModifiers =
    X11KeyboardState::kAltMask | X11KeyboardState::kSuperMask;

class ConvertSelectionInToolkitTest : public PlovikDesktopTest,
                                      public ::testing::WithParamInterface<Toolkit> {
  protected:
    void SetUp() override {
        const Toolkit toolkit = GetParam();
        start({DesktopRehearsal::enabled(toolkit == Toolkit::gtk ? kGtkId : kQtId, "Fixture")},
              {toolkit});
    }

    // Waits until the field holds `text` with all of it selected.
    ::testing::AssertionResult holdsSelected(Field field, const std::string& text, int length) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        std::string seen;
        do {
            const std::string shown = window().text(field).value_or("(no answer)");
            const auto selection = window().selection(field);
            if (shown == text && selection == std::pair(0, length)) {
                return ::testing::AssertionSuccess();
            }
            seen = "\"" + shown + "\" selected " +
                   (selection
                        ? std::to_string(selection->first) + "+" + std::to_string(selection->second)
                        : std::string("unknown"));
            std::this_thread::sleep_for(10ms);
        } while (std::chrono::steady_clock::now() < deadline);
        return ::testing::AssertionFailure() << seen << "\n" << rehearsal_->log();
    }
};

TEST_P(ConvertSelectionInToolkitTest, TheSelectedSentenceIsConvertedSelectedAndBackAgain) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    for (const Field field : {Field::single, Field::multi}) {
        ASSERT_TRUE(window().focus(field));
        ASSERT_TRUE(window().setText(field, "Ghbdtn? rfr ltkf&"));
        ASSERT_TRUE(window().select(field, 0, 17));
        // Plovik's main thread takes in the toolkit's notices of the change first; a
        // shortcut it cannot answer within a few milliseconds goes on to the application.
        std::this_thread::sleep_for(400ms);

        rehearsal_->pressKey(kCKey, kConvertModifiers);
        EXPECT_TRUE(holdsSelected(field, "Привет, как дела?", 17));
        EXPECT_TRUE(rehearsal_->waitForGroup(1, 2s)) << "Russian is selected after converting";

        rehearsal_->pressKey(kCKey, kConvertModifiers);
        EXPECT_TRUE(holdsSelected(field, "Ghbdtn? rfr ltkf&", 17));
        EXPECT_TRUE(rehearsal_->waitForGroup(0, 2s));
    }
    EXPECT_TRUE(rehearsal_->waitForLog("Converted “Ghbdtn? rfr ltkf&” to “Привет, как дела?”.", 1s))
        << rehearsal_->log();
}

TEST_P(ConvertSelectionInToolkitTest, UndoRestoresTheTextAndPasswordsAreLeftAlone) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(window().setText(Field::single, "ghbdtn vbh"));
    ASSERT_TRUE(window().select(Field::single, 7, 3));
    std::this_thread::sleep_for(400ms);
    rehearsal_->pressKey(kCKey, kConvertModifiers);
    EXPECT_EQ(waitForText(window(), Field::single, "ghbdtn мир"), "ghbdtn мир")
        << rehearsal_->log();
    // Undo is Alt+Shift+Space.
    rehearsal_->pressKey(kSpaceKey, X11KeyboardState::kAltMask | X11KeyboardState::kShiftMask);
    EXPECT_EQ(waitForText(window(), Field::single, "ghbdtn vbh"), "ghbdtn vbh")
        << rehearsal_->log();
    // The toolkit may show the text a moment before the selection.
    EXPECT_EQ(waitForSelection(window(), Field::single, {7, 3}), std::pair(7, 3));

    // What the application makes of the shortcut there is its own business; Plovik reads
    // and writes nothing.
    ASSERT_TRUE(window().focus(Field::password));
    ASSERT_TRUE(window().setText(Field::password, "ghbdtn"));
    ASSERT_TRUE(window().select(Field::password, 0, 6));
    std::this_thread::sleep_for(100ms);
    rehearsal_->pressKey(kCKey, kConvertModifiers);
    EXPECT_NE(settledText(window(), Field::password), "привет");
    EXPECT_EQ(DesktopRehearsal::occurrences(rehearsal_->log(), "Converted"), 1)
        << rehearsal_->log();
}

INSTANTIATE_TEST_SUITE_P(Toolkits, ConvertSelectionInToolkitTest,
                         ::testing::Values(Toolkit::gtk, Toolkit::qt),
                         [](const auto& info) { return toolkitName(info.param); });

}  // namespace
}  // namespace plovik::testing

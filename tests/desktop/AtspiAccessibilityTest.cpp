#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FixtureWindowOnDesktop.h"
#include "core/replacement/FocusedElementService.h"
#include "core/replacement/TextReplacementService.h"
#include "platform/atspi/AtspiAccessibility.h"
#include "platform/atspi/AtspiElement.h"
#include "platform/simulated/SimulatedKeyCaptureFactory.h"
#include "platform/simulated/SimulatedKeyInjector.h"
#include "platform/simulated/SimulatedKeyboardHolder.h"
#include "platform/x11/EwmhActiveApplication.h"
#include "support/TemporaryDirectory.h"

namespace plovik::testing {
namespace {

using Field = fixture::Field;

// The core's focus and replacement services working on a real field through the port.
class AtspiAccessibilityTest : public FixtureWindowOnDesktop {
  protected:
    void SetUp() override {
        FixtureWindowOnDesktop::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        workspace_ = EwmhActiveApplication::connect(desktop_->session.display(),
                                                    DesktopEntryCatalog({entries_.path()}));
        ASSERT_TRUE(workspace_);
        focus_ = std::make_unique<FocusedElementService>(*desktop_->accessibility, *workspace_);
        keyboard_ = std::make_unique<SyntheticKeyboardService>(poster_);
        replacement_ =
            std::make_unique<TextReplacementService>(*focus_, *keyboard_, guard_, taps_, holder_);
    }

    // Puts `text` into the field, focuses it and leaves the caret at its end.
    std::optional<FocusedElementContext> typedInto(Field field, const std::string& name,
                                                   const std::string& text) {
        window_->setText(field, text);
        const auto object = focusOn(field, name);
        // Qt hides a password's text altogether, so no position in it can be converted.
        if (!object || (field != Field::password &&
                        !object->setCaretOffset(TextUnitConversion::codePointCount(text)))) {
            return std::nullopt;
        }
        return focus_->focusedElement();
    }

    TemporaryDirectory entries_;
    std::unique_ptr<EwmhActiveApplication> workspace_;
    SimulatedKeyInjector poster_;
    // Nobody types here.
    SimulatedKeyCaptureFactory taps_;
    // The real application shows its keys a moment later.
    SimulatedKeyboardHolder holder_{
        [this] { return taps_.latestPress(); },
        [this](const SyntheticKeyEvent& event) { poster_.post(event); }, [](const KeyEvent&) {},
        [](const KeyEvent&) {}, [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }};
    ReentrancyGuard guard_;
    std::unique_ptr<FocusedElementService> focus_;
    std::unique_ptr<SyntheticKeyboardService> keyboard_;
    std::unique_ptr<TextReplacementService> replacement_;
};

TEST_P(AtspiAccessibilityTest, ReplacesTheWordBeforeTheCaretInPlace) {
    const auto context = typedInto(Field::single, "Single line", "😀 ghbdtn ");
    ASSERT_TRUE(context);
    EXPECT_TRUE(context->canProcessText());
    EXPECT_EQ(context->applicationBundleIdentifier,
              GetParam() == Toolkit::gtk ? std::optional<std::string>("org.plovik.FixtureGtk")
                                         : std::optional<std::string>("plovik-fixture-qt"));
    const auto result = replacement_->replace({"ghbdtn", "привет", " "});
    EXPECT_EQ(result, TextReplacementResult::success(TextReplacementMethod::accessibility))
        << result.errorMessage.value_or("");
    EXPECT_EQ(window_->text(Field::single), std::optional<std::string>("😀 привет "));
    EXPECT_TRUE(poster_.postedEvents().empty());
}

TEST_P(AtspiAccessibilityTest, ReplacesInTheMultiLineAreaAfterAstralText) {
    const auto context = typedInto(Field::multi, "Multi line", "🎉🎉\nvbh!");
    ASSERT_TRUE(context);
    EXPECT_TRUE(context->canProcessText());
    const auto result = replacement_->replace({"vbh", "мир", "!"});
    EXPECT_TRUE(result.succeeded) << result.errorMessage.value_or("");
    EXPECT_EQ(window_->text(Field::multi), std::optional<std::string>("🎉🎉\nмир!"));
}

// Whatever the toolkit counts, the port counts code points.
TEST_P(AtspiAccessibilityTest, ReportsRolesAndPositionsInCodePoints) {
    const auto context = typedInto(Field::single, "Single line", "𝐀😀 ab");
    ASSERT_TRUE(context);
    EXPECT_EQ(context->role, AccessibilityRole::singleLineText);
    auto& element = *context->element;
    EXPECT_EQ(element.numberOfCharacters().valueIfPresent(), std::optional<std::int64_t>(5));
    EXPECT_EQ(element.selectedTextRange().valueIfPresent(), std::optional(TextRange{5, 0}));
    EXPECT_EQ(element.stringForRange({1, 2}).valueIfPresent(), std::optional<std::string>("😀 "));
    ASSERT_EQ(element.setSelectedTextRange({1, 1}), AccessibilityStatus::success);
    EXPECT_EQ(element.selectedTextRange().valueIfPresent(), std::optional(TextRange{1, 1}));
    EXPECT_EQ(element.selectedText().valueIfPresent(), std::optional<std::string>("😀"));
    // A range past the end is found out when it is read or replaced, and nothing changes.
    ASSERT_EQ(element.setSelectedTextRange({4, 2}), AccessibilityStatus::success);
    EXPECT_FALSE(element.selectedText().valueIfPresent());
    EXPECT_NE(element.setSelectedText("🎉x"), AccessibilityStatus::success);
    EXPECT_EQ(window_->text(Field::single), std::optional<std::string>("𝐀😀 ab"));
    ASSERT_EQ(element.setSelectedTextRange({1, 1}), AccessibilityStatus::success);
    ASSERT_EQ(element.setSelectedText("🎉x"), AccessibilityStatus::success);
    EXPECT_EQ(window_->text(Field::single), std::optional<std::string>("𝐀🎉x ab"));

    const auto multi = typedInto(Field::multi, "Multi line", "🎉\nx");
    ASSERT_TRUE(multi);
    EXPECT_EQ(multi->role, AccessibilityRole::multiLineText);
    EXPECT_EQ(multi->element->selectedTextRange().valueIfPresent(), std::optional(TextRange{3, 0}));
    const auto password = typedInto(Field::password, "Password", "x");
    ASSERT_TRUE(password);
    EXPECT_EQ(password->role, AccessibilityRole::passwordText);
}

// The word to replace is chosen, not selected in the application: a selection would take
// the user's primary selection, and GTK 4 never answers the request that makes one.
TEST_P(AtspiAccessibilityTest, ChoosingTheWordLeavesTheApplicationsSelectionAlone) {
    const auto context = typedInto(Field::multi, "Multi line", "one ghbdtn");
    ASSERT_TRUE(context);
    auto& element = dynamic_cast<AtspiElement&>(*context->element);
    ASSERT_EQ(element.setSelectedTextRange({4, 6}), AccessibilityStatus::success);
    EXPECT_EQ(element.selectedTextRange().valueIfPresent(), std::optional(TextRange{4, 6}));
    EXPECT_EQ(element.selectedText().valueIfPresent(), std::optional<std::string>("ghbdtn"));
    EXPECT_EQ(element.object().selection(), std::optional(CodePointRange{10, 10}));

    ASSERT_EQ(element.setSelectedText("привет"), AccessibilityStatus::success);
    EXPECT_EQ(window_->text(Field::multi), std::optional<std::string>("one привет"));
    EXPECT_EQ(element.selectedTextRange().valueIfPresent(), std::optional(TextRange{10, 0}))
        << "the caret after the new text, as the application put it";
}

// Once a word is chosen the caret is the user's: one typed meanwhile has moved it, and
// putting it "back" would send the next keys before that one.
TEST_P(AtspiAccessibilityTest, AfterChoosingAWordTheCaretIsOnlyRead) {
    const auto context = typedInto(Field::multi, "Multi line", "one ghbdtn");
    ASSERT_TRUE(context);
    auto& element = dynamic_cast<AtspiElement&>(*context->element);
    ASSERT_EQ(element.setSelectedTextRange({4, 6}), AccessibilityStatus::success);
    ASSERT_TRUE(window_->setText(Field::multi, "one ghbdtn x"));
    ASSERT_TRUE(element.object().setCaretOffset(12));
    EXPECT_NE(element.setSelectedTextRange({10, 0}), AccessibilityStatus::success);
    EXPECT_EQ(element.object().caretOffset(), std::optional<long>(12));
    EXPECT_EQ(element.setSelectedTextRange({12, 0}), AccessibilityStatus::success);
    EXPECT_EQ(window_->text(Field::multi), std::optional<std::string>("one ghbdtn x"));
}

TEST_P(AtspiAccessibilityTest, LeavesPasswordsAlone) {
    const auto context = typedInto(Field::password, "Password", "ghbdtn ");
    ASSERT_TRUE(context);
    EXPECT_TRUE(context->isSecure);
    EXPECT_FALSE(replacement_->replace({"ghbdtn", "привет", " "}).succeeded);
    EXPECT_EQ(window_->text(Field::password), std::optional<std::string>("ghbdtn "));
    EXPECT_TRUE(poster_.postedEvents().empty());
}

TEST_P(AtspiAccessibilityTest, TextThatChangedSinceItWasTypedIsNotReplaced) {
    const auto context = typedInto(Field::single, "Single line", "ghbdtn ");
    ASSERT_TRUE(context);
    window_->setText(Field::single, "ghbdtX ");
    ASSERT_TRUE(context->element->setSelectedTextRange({7, 0}) == AccessibilityStatus::success);
    EXPECT_FALSE(replacement_->replace({"ghbdtn", "привет", " "}).succeeded);
    EXPECT_EQ(window_->text(Field::single), std::optional<std::string>("ghbdtX "));
}

TEST_P(AtspiAccessibilityTest, FindsTheApplicationOfAProcess) {
    // The toolkit registers with the accessibility bus a moment after its window is up.
    auto application = desktop_->accessibility->applicationElement(window_->pid());
    for (int tries = 0; !application && tries < 100; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        application = desktop_->accessibility->applicationElement(window_->pid());
    }
    ASSERT_TRUE(application);
    EXPECT_EQ(application->processIdentifier().valueIfPresent(), std::optional(window_->pid()));
    EXPECT_FALSE(desktop_->accessibility->applicationElement(0));
    EXPECT_TRUE(desktop_->accessibility->isProcessTrusted());
}

INSTANTIATE_TEST_SUITE_P(Toolkits, AtspiAccessibilityTest,
                         ::testing::Values(Toolkit::gtk, Toolkit::qt),
                         [](const auto& info) { return toolkitName(info.param); });

// GTK's editable fields let a handler refuse what is inserted (fields that take digits or
// Latin letters only); the deletion before it has happened by then.
using RefusingFieldTest = AtspiAccessibilityTest;

TEST_P(RefusingFieldTest, AWordTheFieldRefusesToReplaceIsPutBackAsTyped) {
    const auto context = typedInto(Field::single, "Single line", "ab ghbdtn ");
    ASSERT_TRUE(context);
    ASSERT_TRUE(window_->refuseNonAscii(Field::single));
    auto& element = *context->element;
    ASSERT_EQ(element.setSelectedTextRange({3, 7}), AccessibilityStatus::success);
    EXPECT_NE(element.setSelectedText("привет "), AccessibilityStatus::success);
    EXPECT_EQ(window_->text(Field::single), std::optional<std::string>("ab ghbdtn "));

    ASSERT_EQ(element.setSelectedTextRange({3, 7}), AccessibilityStatus::success);
    EXPECT_EQ(element.setSelectedText("hello "), AccessibilityStatus::success);
    EXPECT_EQ(window_->text(Field::single), std::optional<std::string>("ab hello "));
}

INSTANTIATE_TEST_SUITE_P(Toolkits, RefusingFieldTest, ::testing::Values(Toolkit::gtk),
                         [](const auto& info) { return toolkitName(info.param); });

}  // namespace
}  // namespace plovik::testing

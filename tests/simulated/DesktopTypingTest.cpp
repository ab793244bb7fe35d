#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/simulated/SimulatedDesktop.h"
#include "tests/support/KeyEvents.h"

namespace plovik {
namespace {

// Typing by text through real XKB key maps: strokes of the selected layout reach the
// tap as key events with their characters, then the focused field.
class DesktopTypingTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { keymaps_ = std::make_shared<XkbKeymapLibrary>(); }
    static void TearDownTestSuite() { keymaps_.reset(); }

    DesktopTypingTest() {
        for (const char* id : {"xkb:us", "xkb:ru", "xkb:fr"}) {
            EXPECT_TRUE(desktop_.inputSources().addKeyboardLayout(id)) << id;
        }
        auto editor = desktop_.launch("org.gnome.TextEditor", "Text Editor", 3);
        desktop_.activate(3);
        field_ = desktop_.addFocusedTextField(*editor, "", AccessibilityRole::multiLineText);
        tap_ = desktop_.keyEventTapFactory().createTap([this](const KeyEvent& event) {
            tapped_.push_back(event);
            return event.key == swallowed_ ? KeyDisposition::swallow : KeyDisposition::pass;
        });
        tap_->setEnabled(true);
    }

    void select(const char* id) { desktop_.inputSources().setCurrentSourceId(id); }

    std::vector<Key> tappedKeys() const {
        std::vector<Key> codes;
        for (const auto& event : tapped_) {
            codes.push_back(event.key);
        }
        return codes;
    }

    static inline std::shared_ptr<XkbKeymapLibrary> keymaps_;
    SimulatedDesktop desktop_{keymaps_};
    SimulatedElementRef field_;
    std::vector<KeyEvent> tapped_;
    std::unique_ptr<KeyCapture> tap_;
    std::optional<Key> swallowed_;
};

TEST_F(DesktopTypingTest, TypesTheStrokesOfTheSelectedLayout) {
    select("xkb:ru");
    EXPECT_TRUE(desktop_.typeText("привет"));
    EXPECT_EQ(field_->text(), "привет");
    // The keys of "ghbdtn" on the US positions.
    EXPECT_EQ(tappedKeys(), (std::vector<Key>{Key::g, Key::h, Key::b, Key::d, Key::t, Key::n}));
    EXPECT_EQ(tapped_.front().text, "п");
    EXPECT_EQ(tapped_.front().isOwnEvent, false);

    tapped_.clear();
    select("xkb:us");
    EXPECT_TRUE(desktop_.typeText(" Hi,\nok"));
    EXPECT_EQ(field_->text(), "привет Hi,\nok");
    ASSERT_EQ(tapped_.size(), 7u);
    EXPECT_EQ(tapped_[1].modifiers, testing::kShift);
    EXPECT_EQ(tapped_[1].text, "H");
    EXPECT_EQ(tapped_[4].key, Key::enter);
}

TEST_F(DesktopTypingTest, ComposesDeadKeysWithTheNextStroke) {
    select("xkb:fr");
    EXPECT_TRUE(desktop_.typeText("fête"));
    EXPECT_EQ(field_->text(), "fête");
    ASSERT_EQ(tapped_.size(), 5u);
    // The dead circumflex types nothing itself.
    EXPECT_EQ(tapped_[1].text, "");
    EXPECT_EQ(tapped_[2].text, "ê");
}

TEST_F(DesktopTypingTest, TypesNothingThatTheLayoutCannotType) {
    EXPECT_FALSE(desktop_.typeText("hello"));  // nothing selected
    select("xkb:us");
    EXPECT_FALSE(desktop_.typeText("helloж"));
    select("xkb:missing");
    EXPECT_FALSE(desktop_.typeText("hello"));
    EXPECT_TRUE(tapped_.empty());
    EXPECT_EQ(field_->text(), "");
    // A stroke without a usable layout still reaches the tap, without characters.
    desktop_.pressStroke({Key::g, {}});
    ASSERT_EQ(tapped_.size(), 1u);
    EXPECT_EQ(tapped_[0].text, std::nullopt);
    EXPECT_EQ(field_->text(), "");
}

TEST_F(DesktopTypingTest, PostedKeysTypeWhatTheSelectedLayoutMakesOfThem) {
    select("xkb:ru");
    auto& poster = desktop_.eventPoster();
    auto event = *poster.createKeyEvent(Key::g, true);
    poster.post(event);
    event.modifiers = testing::kShift;
    poster.post(event);
    ASSERT_EQ(tapped_.size(), 2u);
    EXPECT_EQ(tapped_[0].text, "п");
    EXPECT_EQ(tapped_[1].text, "П");
    EXPECT_EQ(field_->text(), "пП");
}

TEST_F(DesktopTypingTest, SwallowedStrokesNeverReachTheField) {
    select("xkb:us");
    swallowed_ = Key::space;
    EXPECT_TRUE(desktop_.typeText("a b"));
    EXPECT_EQ(field_->text(), "ab");
    EXPECT_EQ(tapped_.size(), 3u);
    EXPECT_EQ(desktop_.keysReceivedByApplications().size(), 2u);
}

}  // namespace
}  // namespace plovik

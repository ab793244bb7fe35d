#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/simulated/SimulatedDesktop.h"

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
        field_ = desktop_.addFocusedTextField(*editor, "", "AXTextArea");
        tap_ = desktop_.keyEventTapFactory().createTap([this](const KeyEvent& event) {
            tapped_.push_back(event);
            return event.keyCode == swallowed_ ? TapDisposition::swallow : TapDisposition::pass;
        });
        tap_->setEnabled(true);
    }

    void select(const char* id) { desktop_.inputSources().setCurrentSourceId(id); }

    std::vector<std::uint16_t> tappedKeyCodes() const {
        std::vector<std::uint16_t> codes;
        for (const auto& event : tapped_) {
            codes.push_back(event.keyCode);
        }
        return codes;
    }

    static inline std::shared_ptr<XkbKeymapLibrary> keymaps_;
    SimulatedDesktop desktop_{keymaps_};
    SimulatedElementRef field_;
    std::vector<KeyEvent> tapped_;
    std::unique_ptr<KeyEventTap> tap_;
    std::uint16_t swallowed_ = 0xFFFF;
};

TEST_F(DesktopTypingTest, TypesTheStrokesOfTheSelectedLayout) {
    select("xkb:ru");
    EXPECT_TRUE(desktop_.typeText("привет"));
    EXPECT_EQ(field_->text(), "привет");
    // The keys of "ghbdtn" on the US positions.
    EXPECT_EQ(tappedKeyCodes(), (std::vector<std::uint16_t>{5, 4, 11, 2, 17, 45}));
    EXPECT_EQ(tapped_.front().characters, "п");
    EXPECT_EQ(tapped_.front().userData, 0);

    tapped_.clear();
    select("xkb:us");
    EXPECT_TRUE(desktop_.typeText(" Hi,\nok"));
    EXPECT_EQ(field_->text(), "привет Hi,\nok");
    ASSERT_EQ(tapped_.size(), 7u);
    EXPECT_EQ(tapped_[1].flags, 0x20000u);
    EXPECT_EQ(tapped_[1].characters, "H");
    EXPECT_EQ(tapped_[4].keyCode, 36);
}

TEST_F(DesktopTypingTest, ComposesDeadKeysWithTheNextStroke) {
    select("xkb:fr");
    EXPECT_TRUE(desktop_.typeText("fête"));
    EXPECT_EQ(field_->text(), "fête");
    ASSERT_EQ(tapped_.size(), 5u);
    // The dead circumflex types nothing itself.
    EXPECT_EQ(tapped_[1].characters, "");
    EXPECT_EQ(tapped_[2].characters, "ê");
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
    desktop_.pressStroke({5, 0});
    ASSERT_EQ(tapped_.size(), 1u);
    EXPECT_EQ(tapped_[0].characters, std::nullopt);
    EXPECT_EQ(field_->text(), "");
}

TEST_F(DesktopTypingTest, PostedKeysTypeWhatTheSelectedLayoutMakesOfThem) {
    select("xkb:ru");
    auto& poster = desktop_.eventPoster();
    auto event = *poster.createSource()->createKeyboardEvent(5, true);
    poster.post(event);
    event.flags = 0x20000;
    poster.post(event);
    ASSERT_EQ(tapped_.size(), 2u);
    EXPECT_EQ(tapped_[0].characters, "п");
    EXPECT_EQ(tapped_[1].characters, "П");
    EXPECT_EQ(field_->text(), "пП");
}

TEST_F(DesktopTypingTest, SwallowedStrokesNeverReachTheField) {
    select("xkb:us");
    swallowed_ = 49;  // Space
    EXPECT_TRUE(desktop_.typeText("a b"));
    EXPECT_EQ(field_->text(), "ab");
    EXPECT_EQ(tapped_.size(), 3u);
    EXPECT_EQ(desktop_.keysReceivedByApplications().size(), 2u);
}

}  // namespace
}  // namespace plovik

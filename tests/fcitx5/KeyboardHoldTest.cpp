#include <gtest/gtest.h>

#include "fcitx5/FakeModule.h"
#include "platform/fcitx5/Fcitx5FieldElement.h"
#include "platform/fcitx5/Fcitx5KeyCaptureFactory.h"
#include "platform/fcitx5/Fcitx5KeyboardHolder.h"
#include "platform/fcitx5/KeystrokeEdit.h"

namespace plovik::testing {
namespace {

std::vector<SyntheticKeyEvent> strokes(std::size_t left, std::size_t backspaces,
                                       const std::string& typed) {
    std::vector<SyntheticKeyEvent> events;
    const auto press = [&](Key key, std::size_t times) {
        for (std::size_t i = 0; i < times; ++i) {
            events.push_back({key, true, {}, std::nullopt});
            events.push_back({key, false, {}, std::nullopt});
        }
    };
    press(Key::left, left);
    press(Key::backspace, backspaces);
    if (!typed.empty()) {
        events.push_back({Key::a, true, {}, typed});
        events.push_back({Key::a, false, {}, typed});
    }
    press(Key::right, left);
    return events;
}

TEST(KeystrokeEdit, TheKeysOfAReplacementAreTheTextTheyWouldReplace) {
    using Parts = KeystrokeEdit::Parts;
    EXPECT_EQ(KeystrokeEdit::of("ab ghbdtn ", strokes(0, 7, "привет ")),
              (Parts{"ghbdtn ", "привет "}));
    EXPECT_EQ(KeystrokeEdit::of("ab ghbdtn x!", strokes(2, 7, "привет ")),
              (Parts{"ghbdtn x!", "привет x!"}))
        << "what the arrows step over stays after the new text";
    EXPECT_EQ(KeystrokeEdit::of("cafe\xcc\x81", strokes(0, 1, "")), (Parts{"e\xcc\x81", ""}))
        << "a backspace erases a whole character";
    EXPECT_FALSE(KeystrokeEdit::of("ab", strokes(0, 3, "x"))) << "more than the field has";
    EXPECT_FALSE(KeystrokeEdit::of("ab", strokes(0, 0, "x"))) << "nothing erased";
    auto unbalanced = strokes(1, 1, "x");
    unbalanced.pop_back();
    unbalanced.pop_back();
    EXPECT_FALSE(KeystrokeEdit::of("ab", unbalanced)) << "the caret would not come back";
    auto withReturn = strokes(0, 1, "x");
    withReturn.push_back({Key::enter, true, {}, std::nullopt});
    EXPECT_FALSE(KeystrokeEdit::of("ab", withReturn)) << "a key that is not text editing";
    auto typedFirst = strokes(0, 0, "x");
    typedFirst.push_back({Key::backspace, true, {}, std::nullopt});
    EXPECT_FALSE(KeystrokeEdit::of("ab", typedFirst)) << "typing, then erasing";
}

TEST(Fcitx5KeyboardHolder, TheHoldIsTheEditsConditionThatNoLaterKeyWentOn) {
    FakeModule fake;
    fake.respond([](const ModuleMessage& message) -> std::vector<ModuleMessage> {
        if (const auto* edit = std::get_if<module::Edit>(&message)) {
            return {module::EditDone{edit->request, module::EditStatus::done}};
        }
        return {};
    });
    TestLoop loop;
    Fcitx5ModuleClient client(fake.path());
    Fcitx5KeyCaptureFactory taps(loop.queue(), client);
    Fcitx5ModuleClient::Handlers handlers;
    handlers.press = [&](const module::Press& press) { taps.pressed(press); };
    client.setHandlers(handlers);
    Fcitx5KeyboardHolder holder(client, taps);
    EXPECT_FALSE(holder.hold(std::chrono::milliseconds(30))) << "no module, no hold";
    ASSERT_FALSE(client.connect());

    fake.say(module::Focus{4, true, Fcitx5FieldElement::kSurroundingText, "", "wayland_v2"});
    fake.say(module::Surrounding{4, true, "ab ghbdtn x", 11, 11});
    fake.say(module::Press{8, evdevCode(Key::x), 0, "x", false, false});
    ASSERT_TRUE(client.sync());
    auto held = holder.hold(std::chrono::seconds(5));
    ASSERT_TRUE(held);
    EXPECT_EQ(held->lastPressBeforeHold(), taps.latestPress());
    EXPECT_TRUE(held->isHeld());
    ASSERT_TRUE(held->postAhead(strokes(1, 7, "привет ")));
    const auto edit = fake.next<module::Edit>();
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->afterSequence, 8u) << "the module's number of the last press before";
    EXPECT_EQ(edit->before, "ghbdtn x");
    EXPECT_EQ(edit->replacement, "привет x");

    fake.say(module::Press{9, evdevCode(Key::y), 0, "y", false, false});
    ASSERT_TRUE(client.sync());
    EXPECT_FALSE(held->isHeld()) << "a key went on to the application";
    EXPECT_FALSE(held->postAhead(strokes(0, 1, "z")));

    // Nothing waits for the hold, so a busy Plovik that outlives its limit still edits.
    fake.say(module::Surrounding{4, true, "ab ghbdtn y", 11, 11});
    ASSERT_TRUE(client.sync());
    const auto brief = holder.hold(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(brief->isHeld()) << "past its limit, and no key since";
    EXPECT_TRUE(brief->postAhead(strokes(2, 7, "привет ")));
    client.close();
}

}  // namespace
}  // namespace plovik::testing

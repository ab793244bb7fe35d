#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "platform/x11/X11RetypedKeys.h"

namespace plovik::testing {
namespace {

constexpr std::uint32_t kShift = 50, kU = 30, kI = 31, kBackSpace = 22;
constexpr std::uint32_t kShiftMask = 1;

// A keyboard with Shift as its only modifier, a few spare codes and a record of what they
// were bound to.
class SpareKeyboard final : public X11RetypedKeys::Keyboard {
  public:
    explicit SpareKeyboard(int spares) : spares_(spares) {}

    bool isModifierKey(std::uint32_t keycode) const override { return keycode == kShift; }
    std::optional<std::uint32_t> spareTyping(std::uint32_t keycode, std::uint32_t modifiers,
                                             std::uint32_t group) override {
        // Backspace types no character.
        return keycode == kBackSpace ? std::nullopt : bind({keycode, modifiers, group});
    }

    using Binding = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t>;
    std::map<std::uint32_t, Binding> bound;

  private:
    std::optional<std::uint32_t> bind(const Binding& binding) {
        for (const auto& [code, existing] : bound) {
            if (existing == binding) {
                return code;
            }
        }
        if (spares_ == 0) {
            return std::nullopt;
        }
        --spares_;
        const std::uint32_t code = 200 + static_cast<std::uint32_t>(bound.size());
        bound[code] = binding;
        return code;
    }

    int spares_;
};

using Event = X11RetypedKeys::KeyEvent;

Event press(std::uint32_t keycode, std::uint32_t modifiers = 0) {
    return {keycode, true, false, modifiers, 0};
}
Event release(std::uint32_t keycode, std::uint32_t modifiers = 0) {
    return {keycode, false, false, modifiers, 0};
}

std::vector<std::pair<std::uint32_t, bool>> keys(const std::vector<Event>& events) {
    std::vector<std::pair<std::uint32_t, bool>> result;
    for (const auto& event : events) {
        result.emplace_back(event.keycode, event.isPress);
    }
    return result;
}

std::vector<std::pair<std::uint32_t, bool>> keys(const X11RetypedKeys::Retyping& retyping) {
    EXPECT_TRUE(retyping.complete);
    return keys(retyping.keys);
}

using Keys = std::vector<std::pair<std::uint32_t, bool>>;

// The server took a Shift in with the keys: faked again, a key typed before it would be
// shifted, or one typed with it no longer shifted, unless a code types it at every level.
TEST(X11RetypedKeys, KeysTypedBeforeAModifierChangeThatCannotBeRepeatedKeepWhatTheyTyped) {
    SpareKeyboard keyboard(4);
    const auto stillShifted = X11RetypedKeys::plan(
        {press(kU), release(kU), press(kShift), press(kI, kShiftMask), release(kI, kShiftMask)},
        keyboard);
    ASSERT_EQ(keyboard.bound.size(), 1u);
    const auto [u, bindingOfU] = *keyboard.bound.begin();
    EXPECT_EQ(bindingOfU, SpareKeyboard::Binding(kU, 0, 0)) << "typed unshifted";
    // The Shift still held is in force; the key after it was typed with it anyway.
    EXPECT_EQ(keys(stillShifted), (Keys{{u, true}, {u, false}, {kI, true}, {kI, false}}));

    const auto released = X11RetypedKeys::plan(
        {press(kU, kShiftMask), release(kU, kShiftMask), release(kShift), press(kBackSpace)},
        keyboard);
    const auto capital = keys(released).front().first;
    EXPECT_EQ(keyboard.bound.at(capital), SpareKeyboard::Binding(kU, kShiftMask, 0));
    EXPECT_EQ(keys(released), (Keys{{capital, true},
                                    {capital, false},
                                    {kShift, false},
                                    {kBackSpace, false},
                                    {kBackSpace, true},
                                    {kBackSpace, false}}))
        << "a Backspace still held goes up before it is pressed again";
}

TEST(X11RetypedKeys, KeysAreFakedAsTakenWhenEveryModifierChangeRepeats) {
    SpareKeyboard keyboard(4);
    const std::vector<Event> shiftedWord{
        press(kShift), press(kU, kShiftMask), release(kU, kShiftMask), release(kShift), press(kI),
        release(kI)};
    EXPECT_EQ(keys(X11RetypedKeys::plan(shiftedWord, keyboard)), keys(shiftedWord));
    EXPECT_TRUE(keyboard.bound.empty());
}

// The server has a key still held down and takes a second press of it for nothing, but a
// release from any device.
TEST(X11RetypedKeys, AKeyStillHeldGoesUpOnceBeforeItsFirstPressAgain) {
    SpareKeyboard keyboard(2);
    EXPECT_EQ(keys(X11RetypedKeys::plan({press(kI), release(kI), press(kU)}, keyboard)),
              (Keys{{kI, true}, {kI, false}, {kU, false}, {kU, true}, {kU, false}}));
    EXPECT_EQ(keys(X11RetypedKeys::plan({press(kI), release(kI), press(kU), release(kU), press(kI)},
                                        keyboard)),
              (Keys{{kI, false},
                    {kI, true},
                    {kI, false},
                    {kU, true},
                    {kU, false},
                    {kI, true},
                    {kI, false}}))
        << "pressed again and still held, its first press would be lost too";
    EXPECT_TRUE(keyboard.bound.empty()) << "no spare code taken";

    const auto beforeShift = X11RetypedKeys::plan({press(kU), press(kShift)}, keyboard);
    EXPECT_EQ(keys(beforeShift.keys),
              (Keys{{keyboard.bound.begin()->first, true}, {keyboard.bound.begin()->first, false}}))
        << "typed before the Shift still held, it keeps its case on a spare";
    SpareKeyboard none(0);
    const auto withoutSpare = X11RetypedKeys::plan({press(kU), press(kShift)}, none);
    EXPECT_EQ(keys(withoutSpare.keys), (Keys{{kU, false}, {kU, true}, {kU, false}}));
    EXPECT_FALSE(withoutSpare.complete) << "without one it comes out shifted on its own code";

    // Shift pressed again and held is in force: its first press and release would be taken
    // for nothing and lift it, so the capital typed in between keeps its own.
    const auto shiftedAgain =
        X11RetypedKeys::plan({press(kShift), press(kU, kShiftMask), release(kU, kShiftMask),
                              release(kShift), press(kShift)},
                             keyboard);
    const auto capital = keys(shiftedAgain).front().first;
    EXPECT_EQ(keyboard.bound.at(capital), SpareKeyboard::Binding(kU, kShiftMask, 0));
    EXPECT_EQ(keys(shiftedAgain), (Keys{{capital, true}, {capital, false}}));
}

// Taken back twice, a key pressed twice can lack the release between: the server took the
// user's release in while the key was up already, after the first time it went again.
TEST(X11RetypedKeys, AKeyPressedTwiceWithoutAReleaseBetweenIsReleasedBeforeItsSecondPress) {
    SpareKeyboard keyboard(2);
    const auto stillDown = X11RetypedKeys::plan({press(kU), press(kI), press(kU)}, keyboard);
    EXPECT_EQ(keys(stillDown), (Keys{{kU, false},
                                     {kU, true},
                                     {kI, false},
                                     {kI, true},
                                     {kU, false},
                                     {kU, true},
                                     {kI, false},
                                     {kU, false}}));

    const auto releasedAtLast = X11RetypedKeys::plan({press(kU), press(kU), release(kU)}, keyboard);
    EXPECT_EQ(keys(releasedAtLast), (Keys{{kU, true}, {kU, false}, {kU, true}, {kU, false}}));
}

}  // namespace
}  // namespace plovik::testing

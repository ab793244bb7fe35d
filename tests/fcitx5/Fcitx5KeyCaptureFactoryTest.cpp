#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "fcitx5/FakeModule.h"
#include "platform/fcitx5/Fcitx5KeyCaptureFactory.h"

namespace plovik::testing {
namespace {

// The factory wired to a fake module the way the program wires it to the real one.
class Fcitx5TapTest : public ::testing::Test {
  protected:
    Fcitx5TapTest() : client_(fake_.path()), factory_(loop_.queue(), client_) {
        Fcitx5ModuleClient::Handlers handlers;
        handlers.press = [this](const module::Press& press) { factory_.pressed(press); };
        handlers.pressWentOn = [this](std::uint64_t sequence) { factory_.wentOn(sequence); };
        handlers.fieldChanged = [this] { factory_.fieldChanged(); };
        handlers.connectionChanged = [this](bool up) { factory_.connectionChanged(up); };
        client_.setHandlers(handlers);
    }
    ~Fcitx5TapTest() override { client_.close(); }

    // A tap that swallows every Return it can take and lets everything else go on.
    std::unique_ptr<KeyCapture> install() {
        auto tap = factory_.createTap([this](const KeyEvent& event) {
            seen_.push_back(event);
            const bool isReturn = event.key == Key::enter;
            return isReturn && event.takeForSwallowing() ? KeyDisposition::swallow
                                                         : KeyDisposition::pass;
        });
        if (tap) {
            tap->setEnabled(true);
        }
        return tap;
    }

    bool waitForEvents(std::size_t count) {
        return loop_.runUntil([&] { return seen_.size() >= count; });
    }

    static module::Press press(std::uint64_t sequence, Key key, bool held) {
        return module::Press{sequence, evdevCode(key), 0, key == Key::a ? "a" : "\r", false, held};
    }

    FakeModule fake_;
    TestLoop loop_;
    Fcitx5ModuleClient client_;
    Fcitx5KeyCaptureFactory factory_;
    std::vector<KeyEvent> seen_;
};

TEST_F(Fcitx5TapTest, AHeldReturnIsSwallowedOnlyWhileTheModuleStillHoldsIt) {
    fake_.respond([](const ModuleMessage& message) -> std::vector<ModuleMessage> {
        if (const auto* answer = std::get_if<module::Answer>(&message); answer && answer->swallow) {
            // Press 3 went on before the answer came.
            return {answer->sequence == 3 ? ModuleMessage(module::PressWentOn{3})
                                          : ModuleMessage(module::PressTaken{answer->sequence})};
        }
        return {};
    });
    const auto tap = install();
    ASSERT_TRUE(tap) << factory_.lastError().value_or("");

    fake_.say(press(1, Key::enter, true));
    ASSERT_TRUE(waitForEvents(1));
    EXPECT_TRUE(seen_[0].claim) << "a held press comes with a claim";
    const KeyPressNumber firstReturn = seen_[0].pressNumber;
    const auto withheld = factory_.takeWithheldReturn();
    ASSERT_TRUE(withheld);
    EXPECT_EQ(withheld->sequence, 1u);
    EXPECT_FALSE(withheld->wentOn);
    EXPECT_FALSE(factory_.hasPressGoneOnSince(0)) << "the swallowed Return never arrives";

    fake_.say(press(2, Key::a, false));
    fake_.say(press(3, Key::enter, true));
    ASSERT_TRUE(waitForEvents(3));
    EXPECT_FALSE(seen_[1].isSwallowable) << "an ordinary key is never held";
    EXPECT_TRUE(factory_.hasPressGoneOnSince(firstReturn));
    EXPECT_FALSE(factory_.takeWithheldReturn()) << "the late Return went on by itself";
    EXPECT_EQ(factory_.latestPress(), seen_[2].pressNumber);
}

TEST_F(Fcitx5TapTest, APressTheModuleLetGoBeforePlovikLookedIsOnlyTyping) {
    const auto tap = install();
    ASSERT_TRUE(tap);
    // Both arrive before the main loop runs.
    fake_.say(press(1, Key::enter, true));
    fake_.say(module::PressWentOn{1});
    ASSERT_TRUE(client_.sync());
    ASSERT_TRUE(waitForEvents(1));
    EXPECT_FALSE(seen_[0].isSwallowable);
    EXPECT_FALSE(fake_.next<module::Answer>(100ms)) << "nothing to answer for";

    // Passed by the tap: the module is told at once instead of waiting out its time.
    fake_.say(module::Press{2, evdevCode(Key::space), 2, "", false, true});
    ASSERT_TRUE(waitForEvents(2));
    const auto answer = fake_.next<module::Answer>();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->sequence, 2u);
    EXPECT_FALSE(answer->swallow);
}

TEST_F(Fcitx5TapTest, TheModuleHoldsReturnAndTheShortcutsOnlyWhileATapIsInstalled) {
    factory_.setShortcuts({ShortcutDefinition(Key::space, Modifier::control | Modifier::alt)});
    auto tap = install();
    ASSERT_TRUE(tap);
    auto held = fake_.last<module::HeldKeys>();
    ASSERT_TRUE(held);
    const auto holds = [&](Key key, Modifiers modifiers) {
        return std::find(held->keys.begin(), held->keys.end(),
                         module::HeldKey{evdevCode(key), modifiers.bits()}) != held->keys.end();
    };
    EXPECT_TRUE(holds(Key::enter, {}));
    EXPECT_TRUE(holds(Key::keypadEnter, Modifier::shift));
    EXPECT_TRUE(holds(Key::space, Modifier::control | Modifier::alt));
    EXPECT_FALSE(holds(Key::space, {}));

    tap.reset();
    held = fake_.last<module::HeldKeys>();
    ASSERT_TRUE(held);
    EXPECT_TRUE(held->keys.empty()) << "nothing is worth holding a key for";
}

TEST_F(Fcitx5TapTest, TypingIntoASecretFieldLeavesTheWordUnknown) {
    const auto tap = install();
    ASSERT_TRUE(tap);
    fake_.say(module::Focus{1, true, 0x40, "", "wayland_v2"});
    fake_.say(module::Focus{2, true, 1ull << 36, "", "wayland_v2"});
    ASSERT_TRUE(waitForEvents(1));
    EXPECT_EQ(seen_[0].kind, KeyEventKind::keyHeld);
    fake_.say(module::Focus{2, true, 1ull << 36, "", "wayland_v2"});
    loop_.runFor(50ms);
    EXPECT_EQ(seen_.size(), 1u) << "told once, not for every report of the same field";
}

TEST_F(Fcitx5TapTest, AReturnWithheldWhenTheModuleWentCountsAsGoneOn) {
    fake_.respond([](const ModuleMessage& message) -> std::vector<ModuleMessage> {
        if (const auto* answer = std::get_if<module::Answer>(&message); answer && answer->swallow) {
            return {module::PressTaken{answer->sequence}};
        }
        return {};
    });
    const auto tap = install();
    ASSERT_TRUE(tap);
    fake_.say(press(1, Key::enter, true));
    ASSERT_TRUE(waitForEvents(1));
    fake_.hangUp();
    ASSERT_TRUE(loop_.runUntil([&] { return !client_.isConnected(); }));
    const auto withheld = factory_.takeWithheldReturn();
    ASSERT_TRUE(withheld);
    EXPECT_TRUE(withheld->wentOn) << "a module that ends lets every withheld Return go";
}

}  // namespace
}  // namespace plovik::testing

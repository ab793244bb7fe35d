#include <initializer_list>
#include <ostream>
#include <string>
#include <thread>
#include <utility>

#include "endtoend/PlovikDesktopFixture.h"

namespace plovik::testing {
namespace {

using Field = FixtureWindow::Field;

// In German the key left of Backspace is a dead acute, with Shift a dead grave: two
// accents that do not compose with each other.
constexpr std::uint32_t kEqualKey = 21, kEKey = 26, kAKey = 38;
constexpr std::uint32_t kShift = X11KeyboardState::kShiftMask;

// What each toolkit shows for the same keys. Qt follows xkbcommon's compose state, as
// Plovik's key capture and the simulated desktop do: both accents are dropped. GTK 3's
// own input method types the accents as well, so Plovik's word differs from the field
// and the correction must give up rather than delete the wrong characters.
struct DeadKeyCase {
    Toolkit toolkit;
    // After "hello ghbdtn", acute, grave, space.
    std::string afterWordEnd;
    int correctionsAfterWordEnd;
    // After acute grave e, acute grave grave e, acute grave acute a, " vbh ".
    std::string afterLetters;
};

void PrintTo(const DeadKeyCase& deadKeyCase, std::ostream* out) {
    *out << toolkitName(deadKeyCase.toolkit);
}

class DeadKeysOnDesktopTest : public PlovikDesktopTest,
                              public ::testing::WithParamInterface<DeadKeyCase> {
  protected:
    void SetUp() override {
        layouts_ = "de,ru";
        start({DesktopRehearsal::enabled(GetParam().toolkit == Toolkit::gtk ? kGtkId : kQtId,
                                         "Fixture")},
              {GetParam().toolkit});
    }

    void press(std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> keys) {
        for (const auto& [keycode, modifiers] : keys) {
            rehearsal_->pressKey(keycode, modifiers);
            std::this_thread::sleep_for(20ms);
        }
    }
};

TEST_P(DeadKeysOnDesktopTest, TwoDeadKeysThatDoNotComposeNeverMisleadACorrection) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    const auto& expected = GetParam();
    rehearsal_->typeKeys("hello ghbdtn", 0, 20ms);
    press({{kEqualKey, 0}, {kEqualKey, kShift}, {kSpaceKey, 0}});
    EXPECT_EQ(waitForText(window(), Field::single, expected.afterWordEnd), expected.afterWordEnd)
        << rehearsal_->log();
    EXPECT_EQ(settledText(window(), Field::single), expected.afterWordEnd);
    EXPECT_EQ(corrections(), expected.correctionsAfterWordEnd) << rehearsal_->log();

    rehearsal_->lockGroup(0);
    press({{kEqualKey, 0}, {kEqualKey, kShift}, {kEKey, 0}});
    press({{kEqualKey, 0}, {kEqualKey, kShift}, {kEqualKey, kShift}, {kEKey, 0}});
    press({{kEqualKey, 0}, {kEqualKey, kShift}, {kEqualKey, 0}, {kAKey, 0}});
    rehearsal_->typeKeys(" vbh ", 0, 20ms);
    EXPECT_EQ(waitForText(window(), Field::single, expected.afterLetters), expected.afterLetters)
        << rehearsal_->log();
}

INSTANTIATE_TEST_SUITE_P(Toolkits, DeadKeysOnDesktopTest,
                         ::testing::Values(DeadKeyCase{Toolkit::qt, "hello привет=+ ", 1,
                                                       "hello привет=+ eèá мир "},
                                           DeadKeyCase{Toolkit::gtk, "hello ghbdtn´`", 0,
                                                       "hello ghbdtn´`´`e´``e´`´a мир "}),
                         [](const ::testing::TestParamInfo<DeadKeyCase>& info) {
                             return toolkitName(info.param.toolkit);
                         });

}  // namespace
}  // namespace plovik::testing

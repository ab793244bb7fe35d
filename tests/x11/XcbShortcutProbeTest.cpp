#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "core/capture/ShortcutConflictDetector.h"
#include "platform/x11/XcbShortcutProbe.h"
#include "support/Skip.h"
#include "support/TestDisplay.h"
#include "support/WaitUntil.h"

namespace plovik {
namespace {

constexpr std::uint16_t kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                           XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr std::uint8_t keycodeOf(Key key) {
    return static_cast<std::uint8_t>(static_cast<int>(key) + 8);
}

// Another program on the same display, holding keys the way desktops do.
class OtherClient {
  public:
    explicit OtherClient(const std::string& display)
        : connection_(xcb_connect(display.c_str(), nullptr)) {
        root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
        std::free(xcb_input_xi_query_version_reply(
            connection_, xcb_input_xi_query_version(connection_, 2, 2), nullptr));
    }
    ~OtherClient() { xcb_disconnect(connection_); }

    // True when the server granted the core grab in every lock state.
    bool grabCore(Key key, std::uint16_t mask) {
        bool granted = true;
        for (const auto lock : kLockVariants) {
            auto* error = xcb_request_check(
                connection_,
                xcb_grab_key_checked(connection_, 1, root_, mask | lock, keycodeOf(key),
                                     XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            granted = granted && error == nullptr;
            std::free(error);
        }
        return granted;
    }

    // True when the server granted the XInput2 grab for the master keyboards.
    bool grabInput(Key key, std::uint16_t mask) {
        const std::uint32_t eventMask = XCB_INPUT_XI_EVENT_MASK_KEY_PRESS;
        std::vector<std::uint32_t> modifiers;
        for (const auto lock : kLockVariants) {
            modifiers.push_back(mask | lock);
        }
        xcb_generic_error_t* error = nullptr;
        auto* reply = xcb_input_xi_passive_grab_device_reply(
            connection_,
            xcb_input_xi_passive_grab_device(
                connection_, XCB_CURRENT_TIME, root_, XCB_NONE, keycodeOf(key),
                XCB_INPUT_DEVICE_ALL_MASTER, static_cast<std::uint16_t>(modifiers.size()), 1,
                XCB_INPUT_GRAB_TYPE_KEYCODE, XCB_INPUT_GRAB_MODE_22_ASYNC,
                XCB_INPUT_GRAB_MODE_22_ASYNC, 1, &eventMask, modifiers.data()),
            &error);
        const bool granted = reply != nullptr && error == nullptr &&
                             xcb_input_xi_passive_grab_device_modifiers_length(reply) == 0;
        std::free(reply);
        std::free(error);
        return granted;
    }

  private:
    xcb_connection_t* connection_;
    xcb_window_t root_;
};

class XcbShortcutProbeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        display_ = testing::startTestDisplay();
        if (!display_) {
            testing::skipBecause("Xvfb is not installed or does not start");
        }
        probe_ = std::make_unique<XcbShortcutProbe>(display_->name());
        other_ = std::make_unique<OtherClient>(display_->name());
    }

    std::unique_ptr<VirtualDisplay> display_;
    std::unique_ptr<XcbShortcutProbe> probe_;
    std::unique_ptr<OtherClient> other_;
};

TEST_F(XcbShortcutProbeTest, ACombinationAnotherClientHoldsIsTaken) {
    // Xvfb's keymap puts Alt on Mod1 and Super on Mod4.
    ASSERT_TRUE(other_->grabCore(Key::f5, XCB_MOD_MASK_CONTROL));
    ASSERT_TRUE(other_->grabInput(Key::p, XCB_MOD_MASK_1 | XCB_MOD_MASK_4));

    EXPECT_TRUE(probe_->isTaken(Key::f5, Modifier::control));
    EXPECT_TRUE(probe_->isTaken(Key::p, Modifier::alt | Modifier::super));
    // Other modifiers on the same keys are free.
    EXPECT_FALSE(probe_->isTaken(Key::f5, Modifier::control | Modifier::shift));
    EXPECT_FALSE(probe_->isTaken(Key::p, Modifier::super));

    const ShortcutConflictDetector detector(*probe_);
    EXPECT_EQ(detector.conflictDescription(ShortcutDefinition::altSuperP()),
              ShortcutConflictDetector::kReservedMessage);
    EXPECT_EQ(detector.conflictDescription(ShortcutDefinition::altSpace()),
              ShortcutConflictDetector::kAltSpaceCaveat);
}

TEST_F(XcbShortcutProbeTest, AFreeCombinationIsFreeAndStaysFree) {
    const ShortcutConflictDetector detector(*probe_);
    EXPECT_EQ(detector.conflictDescription(ShortcutDefinition::altShiftSpace()), std::nullopt);
    EXPECT_FALSE(probe_->isTaken(Key::f7, Modifier::control | Modifier::alt));

    // The probe released everything: another client gets both kinds of grab.
    EXPECT_TRUE(other_->grabCore(Key::space, XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT));
    EXPECT_TRUE(other_->grabInput(Key::space, XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT));
    EXPECT_TRUE(other_->grabCore(Key::f7, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
    EXPECT_TRUE(other_->grabInput(Key::f7, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
}

TEST_F(XcbShortcutProbeTest, AHoldInOneLockStateIsEnough) {
    auto* connection = xcb_connect(display_->name().c_str(), nullptr);
    const auto root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    // Held only while Num Lock is on.
    auto* error = xcb_request_check(
        connection,
        xcb_grab_key_checked(connection, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_2,
                             keycodeOf(Key::f9), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    ASSERT_EQ(error, nullptr);
    EXPECT_TRUE(probe_->isTaken(Key::f9, Modifier::control));
    xcb_disconnect(connection);
    // The server drops the grabs of a client that left, soon after.
    EXPECT_TRUE(testing::waitUntil([&] { return !probe_->isTaken(Key::f9, Modifier::control); },
                                   std::chrono::seconds(2)));
}

TEST_F(XcbShortcutProbeTest, ACombinationThisProgramHoldsIsFreeAndKeepsItsGrab) {
    // This program's key capture, on a connection of its own.
    OtherClient capture(display_->name());
    ASSERT_TRUE(capture.grabCore(Key::f5, XCB_MOD_MASK_CONTROL));
    ASSERT_TRUE(capture.grabInput(Key::f5, XCB_MOD_MASK_CONTROL));
    XcbShortcutProbe probe(display_->name(), [](Key key, Modifiers modifiers) {
        return key == Key::f5 && modifiers == Modifiers(Modifier::control);
    });
    EXPECT_FALSE(probe.isTaken(Key::f5, Modifier::control));
    EXPECT_FALSE(other_->grabCore(Key::f5, XCB_MOD_MASK_CONTROL));
    EXPECT_FALSE(other_->grabInput(Key::f5, XCB_MOD_MASK_CONTROL));
}

TEST(XcbShortcutProbe, WithoutADisplayEveryCombinationCountsAsTaken) {
    XcbShortcutProbe probe(std::string(":-1"));
    EXPECT_TRUE(probe.isTaken(Key::f5, Modifier::control));
}

}  // namespace
}  // namespace plovik

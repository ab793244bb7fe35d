#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <thread>

#include "DesktopTestSupport.h"
#include "FixtureWindow.h"

namespace plovik::testing {
namespace {

using Field = fixture::Field;

class FixtureWindowTest : public ::testing::TestWithParam<Toolkit> {};

TEST_P(FixtureWindowTest, HoldsWhatItIsGivenInEveryFieldAndReportsIt) {
    if (!fixtureBuilt(GetParam())) {
        GTEST_SKIP() << "the " << toolkitName(GetParam()) << " fixture was not built";
    }
    PLOVIK_START_SESSION_OR_SKIP(session, VirtualSessionOptions{});
    FixtureWindow window(*session, GetParam());
    ASSERT_TRUE(window.waitUntilReady());
    EXPECT_EQ(window.text(Field::single), std::optional<std::string>(""));

    const std::string astral = "привет 😀 \\ world";
    ASSERT_TRUE(window.setText(Field::single, astral));
    ASSERT_TRUE(window.setText(Field::multi, "first line\nвторая 🎉\n"));
    ASSERT_TRUE(window.setText(Field::password, "s3cret😀"));
    EXPECT_EQ(window.text(Field::single), astral);
    EXPECT_EQ(window.text(Field::multi), std::optional<std::string>("first line\nвторая 🎉\n"));
    EXPECT_EQ(window.text(Field::password), std::optional<std::string>("s3cret😀"));
    EXPECT_TRUE(window.focus(Field::multi));
    EXPECT_EQ(window.activations(), std::optional(0));
}

// Presses and releases one key through XTest, as a user would.
void pressKey(const std::string& display, std::uint8_t keycode) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    for (const auto type : {XCB_KEY_PRESS, XCB_KEY_RELEASE}) {
        xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_test_fake_input_checked(connection, type, keycode, XCB_CURRENT_TIME,
                                                    root, 0, 0, 0));
        EXPECT_EQ(error, nullptr) << "XTest refused the key";
        free(error);
    }
    xcb_disconnect(connection);
}

TEST_P(FixtureWindowTest, ReportsEachActivationOfTheSingleLineEntry) {
    if (!fixtureBuilt(GetParam())) {
        GTEST_SKIP() << "the " << toolkitName(GetParam()) << " fixture was not built";
    }
    PLOVIK_START_SESSION_OR_SKIP(session, VirtualSessionOptions{});
    FixtureWindow window(*session, GetParam());
    ASSERT_TRUE(window.waitUntilReady());
    ASSERT_TRUE(window.focus(Field::single));
    constexpr std::uint8_t kReturn = 36;  // evdev KEY_ENTER + 8
    pressKey(session->display(), kReturn);
    pressKey(session->display(), kReturn);
    for (int i = 0; i < 100 && window.activationsAnnounced() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(window.activationsAnnounced(), 2);
    // Return in the area is a line feed, not an activation.
    ASSERT_TRUE(window.focus(Field::multi));
    pressKey(session->display(), kReturn);
    for (int i = 0; i < 100 && window.text(Field::multi) != std::optional<std::string>("\n"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(window.text(Field::multi), std::optional<std::string>("\n"));
    EXPECT_EQ(window.activations(), std::optional(2));
    EXPECT_EQ(window.text(Field::single), std::optional<std::string>(""));
}

INSTANTIATE_TEST_SUITE_P(Toolkits, FixtureWindowTest, ::testing::Values(Toolkit::gtk, Toolkit::qt),
                         [](const auto& info) { return toolkitName(info.param); });

}  // namespace
}  // namespace plovik::testing

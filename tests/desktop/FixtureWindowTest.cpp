#include <gtest/gtest.h>

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
    PLOVIK_START_SESSION_OR_SKIP(session, HeadlessSessionOptions{});
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

INSTANTIATE_TEST_SUITE_P(Toolkits, FixtureWindowTest, ::testing::Values(Toolkit::gtk, Toolkit::qt),
                         [](const auto& info) { return toolkitName(info.param); });

}  // namespace
}  // namespace plovik::testing

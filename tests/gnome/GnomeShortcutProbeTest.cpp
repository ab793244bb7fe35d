#include <gio/gio.h>
#include <gtest/gtest.h>

#include "platform/gnome/GnomeShortcutProbe.h"

namespace plovik {
namespace {

using Combination = GnomeShortcutProbe::Combination;

TEST(GnomeShortcutProbeTest, ReadsGnomesAcceleratorsAsPloviksKeysAndModifiers) {
    EXPECT_EQ(GnomeShortcutProbe::parseAccelerator("<Alt>space"),
              (Combination{Key::space, Modifier::alt}));
    EXPECT_EQ(GnomeShortcutProbe::parseAccelerator("<Shift><Alt>space"),
              (Combination{Key::space, Modifier::shift | Modifier::alt}));
    EXPECT_EQ(GnomeShortcutProbe::parseAccelerator("<Super><Primary>p"),
              (Combination{Key::p, Modifier::super | Modifier::control}));
    EXPECT_EQ(GnomeShortcutProbe::parseAccelerator("<Control>Return"),
              (Combination{Key::enter, Modifier::control}));
    EXPECT_EQ(GnomeShortcutProbe::parseAccelerator("<Super>3"),
              (Combination{Key::digit3, Modifier::super}));
    EXPECT_EQ(GnomeShortcutProbe::parseAccelerator("<Alt>F4"),
              (Combination{Key::f4, Modifier::alt}));
    for (const auto* other : {"<Alt>F13", "<Hyper>space", "<Alt", "XF86AudioMute", "F0", ""}) {
        EXPECT_FALSE(GnomeShortcutProbe::parseAccelerator(other)) << other;
    }
}

// GNOME's settings in memory, with the installed schemas.
class GnomeBindingsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_setenv("GSETTINGS_BACKEND", "memory", TRUE);
        GSettingsSchemaSource* source = g_settings_schema_source_get_default();
        GSettingsSchema* schema = source
                                      ? g_settings_schema_source_lookup(
                                            source, GnomeShortcutProbe::kWindowManagerSchema, TRUE)
                                      : nullptr;
        if (!schema) {
            GTEST_SKIP() << "GNOME's key-binding schemas are not installed";
        }
        g_settings_schema_unref(schema);
    }
};

TEST_F(GnomeBindingsTest, AltSpaceIsTheWindowMenusUntilTheUserGivesItUp) {
    GnomeShortcutProbe probe;
    const auto binding = probe.bindingOf(Key::space, Modifier::alt);
    ASSERT_TRUE(binding) << "GNOME's default window-menu binding";
    EXPECT_EQ(binding->key, GnomeShortcutProbe::kWindowMenuKey);
    EXPECT_TRUE(probe.isTaken(Key::space, Modifier::super)) << "GNOME switches sources with it";
    EXPECT_FALSE(probe.isTaken(Key::space, Modifier::alt | Modifier::shift));

    ASSERT_TRUE(probe.freeFromWindowMenu(Key::space, Modifier::alt));
    EXPECT_FALSE(probe.isTaken(Key::space, Modifier::alt));
}

}  // namespace
}  // namespace plovik

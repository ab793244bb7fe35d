#include <gtest/gtest.h>

#include <chrono>

#include "core/capture/ShortcutConflictDetector.h"
#include "core/settings/AppSettings.h"
#include "desktop/DesktopTestSupport.h"
#include "platform/virtualsession/DisplayProbe.h"
#include "platform/x11/XcbShortcutProbe.h"

namespace plovik::testing {
namespace {

// The defaults must work out of the box under a window manager that holds shortcuts of its
// own: openbox keeps Alt+Space for its window menu, which proves the probe sees its holds.
TEST(DefaultShortcuts, TheConversionShortcutIsFreeUnderTheWindowManager) {
    PLOVIK_START_SESSION_OR_SKIP(session, VirtualSessionOptions{});
    XcbShortcutProbe probe(session->display());
    // The window manager takes its key bindings a moment after it maps its first window.
    ASSERT_TRUE(DisplayProbe::waitFor([&] { return probe.isTaken(Key::space, Modifier::alt); },
                                      std::chrono::seconds(5)));
    const ShortcutConflictDetector detector(probe);
    const AppSettings defaults;
    EXPECT_EQ(detector.conflictDescription(defaults.convertShortcut), std::nullopt);
    EXPECT_EQ(detector.conflictDescription(defaults.undoShortcut), std::nullopt);
    EXPECT_EQ(detector.conflictDescription(defaults.pauseShortcut), std::nullopt);
}

}  // namespace
}  // namespace plovik::testing

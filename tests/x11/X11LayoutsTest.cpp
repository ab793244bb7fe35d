#include <gtest/gtest.h>

#include "core/layouts/InputSourceService.h"
#include "platform/x11/X11KeyboardAccess.h"
#include "platform/x11/XcbXkb.h"
#include "x11/X11DesktopFixture.h"

namespace plovik::testing {
namespace {

using namespace std::chrono_literals;

using X11LayoutsTest = X11DesktopFixture;

std::vector<std::string> ids(const std::vector<InputSource>& sources) {
    std::vector<std::string> result;
    for (const auto& source : sources) {
        result.push_back(source.id.value_or("?"));
    }
    return result;
}

TEST_F(X11LayoutsTest, TheSessionsGroupsAreTheSourcesAndALockSelectsOne) {
    auto& sources = desktop_->inputSources();
    const auto enabled = sources.enabledKeyboardSources();
    ASSERT_EQ(ids(enabled), (std::vector<std::string>{"xkb:us", "xkb:ru"}));
    EXPECT_EQ(enabled[1].localizedName, "Russian");
    EXPECT_EQ(enabled[1].languages, std::vector<std::string>{"ru"});
    EXPECT_NE(enabled[1].keyLayoutData, nullptr);
    EXPECT_EQ(sources.currentSourceId(), "xkb:us");

    int changes = 0;
    const auto subscription = sources.observeSelectionChanges([&] { ++changes; });
    ASSERT_TRUE(sources.select(enabled[1]));
    EXPECT_EQ(sources.currentSourceId(), "xkb:ru") << "known at once, before the event";
    EXPECT_TRUE(runUntil([&] { return changes == 1; }));

    // Someone else switches back (a desktop's layout indicator, say).
    xcb_xkb_latch_lock_state(userConnection_->get(), XCB_XKB_ID_USE_CORE_KBD, 0, 0, 1, 0, 0, 0, 0);
    userConnection_->sync();
    EXPECT_TRUE(runUntil([&] { return changes >= 2; }));
    EXPECT_EQ(sources.currentSourceId(), "xkb:us");
    InputSource unknown;
    unknown.id = "xkb:de";
    EXPECT_FALSE(sources.select(unknown)) << "not one of the session's groups";
}

TEST_F(X11LayoutsTest, ChangedLayoutsAreReadAgainWithTheirVariants) {
    auto& sources = desktop_->inputSources();
    int changes = 0;
    const auto subscription = sources.observeSelectionChanges([&] { ++changes; });
    x_->setLayouts("de,us,ua", ",dvorak,");
    ASSERT_TRUE(runUntil([&] { return sources.groupIds().size() == 3; }));
    EXPECT_EQ(ids(sources.enabledKeyboardSources()),
              (std::vector<std::string>{"xkb:de", "xkb:us(dvorak)", "xkb:ua"}));
    EXPECT_GE(changes, 1);
    InputSourceService service(sources, SystemKeyboardLayoutTranslator(sources));
    ASSERT_EQ(service.availableSources().size(), 3u);
    EXPECT_TRUE(service.availableSources()[1].isSupported);
}

class X11InputMethodTest : public X11DesktopFixture {
  protected:
    void SetUp() override {
        start([](const char* name) -> std::optional<std::string> {
            if (std::string(name) == "XMODIFIERS") {
                return "@im=fcitx";
            }
            return X11Desktop::processEnvironment()(name);
        });
    }
};

TEST_F(X11InputMethodTest, AnInputMethodFrameworkIsASourcePlovikCannotUse) {
    InputSourceService service(desktop_->inputSources(),
                               SystemKeyboardLayoutTranslator(desktop_->inputSources()));
    const auto& available = service.availableSources();
    ASSERT_EQ(available.size(), 3u);
    EXPECT_EQ(available[2].id, "im:fcitx");
    EXPECT_FALSE(available[2].isSupported);
    EXPECT_EQ(available[2].unsupportedReason, InputSourceService::kCompositeReason);
    EXPECT_TRUE(available[0].isSupported);
}

TEST_F(X11LayoutsTest, MonitoringIsGrantedWhenTheCaptureInstalls) {
    EXPECT_TRUE(desktop_->inputMonitoring().hasAccess());
    EXPECT_EQ(desktop_->inputMonitoring().problem(), std::nullopt);
}

TEST(X11InputMonitoringAccessTest, AWaylandSessionIsNotGrantedAndSaysWhy) {
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"WAYLAND_DISPLAY", "wayland-0"}, {"XDG_SESSION_TYPE", "wayland"}}) {
        bool captureAsked = false;
        X11KeyboardAccess access(
            [name = name, value = value](const char* asked) -> std::optional<std::string> {
                return asked == name ? std::optional<std::string>(value) : std::nullopt;
            },
            [&] {
                captureAsked = true;
                return std::optional<std::string>();
            });
        EXPECT_FALSE(access.hasAccess()) << name;
        EXPECT_FALSE(access.requestAccess()) << name;
        EXPECT_EQ(access.problem(), X11KeyboardAccess::kWaylandMessage);
        EXPECT_FALSE(captureAsked);
    }
    X11KeyboardAccess x11(
        [](const char* asked) -> std::optional<std::string> {
            return std::string(asked) == "XDG_SESSION_TYPE" ? std::optional<std::string>("x11")
                                                            : std::nullopt;
        },
        [] { return std::optional<std::string>("the X server refused the key capture"); });
    EXPECT_FALSE(x11.hasAccess());
    EXPECT_EQ(x11.problem(), "the X server refused the key capture");
}

TEST(X11ConnectionTest, NoDisplayIsAClearError) {
    const auto opened = X11Connection::open("");
    ASSERT_TRUE(std::holds_alternative<std::string>(opened));
    EXPECT_NE(std::get<std::string>(opened).find("display"), std::string::npos);
}

}  // namespace
}  // namespace plovik::testing

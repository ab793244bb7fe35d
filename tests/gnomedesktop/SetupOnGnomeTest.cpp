#include <gio/gio.h>
#include <poll.h>

#include "gnomedesktop/GnomeDesktopFixture.h"

namespace plovik::testing {
namespace {

using Field = FixtureWindow::Field;

// The user's own GNOME layouts, Russian the current one, and Plovik installed: its engines
// known to IBus and its extension loaded, as after a log-in.
class SetupOnGnomeTest : public GnomeDesktopTest {
  protected:
    static constexpr const char* kUserSources = "[('xkb', 'us'), ('xkb', 'ru')]";

    void SetUp() override {
        inputSources_ = kUserSources;
        settings_.push_back(
            {"org.gnome.desktop.input-sources", "mru-sources", "[('xkb', 'ru'), ('xkb', 'us')]"});
        start({DesktopRehearsal::enabled(clientApplicationId(GnomeClient::gtk3), "Fixture")},
              GnomeClient::gtk3, {}, false);
    }

    // Runs `plovik --integration REQUEST` in the session; its status and what it printed.
    std::pair<int, std::string> integration(const std::string& request) {
        ChildProcess plovik =
            rehearsal_->session().launch(PLOVIK_BUILD_DIR "/app/plovik", {"--integration", request},
                                         true, {"WAYLAND_DISPLAY=wayland-0"});
        std::string output;
        char chunk[1024];
        while (true) {
            pollfd ready{plovik.standardOutput(), POLLIN, 0};
            if (::poll(&ready, 1, 30000) <= 0) {
                break;
            }
            const ssize_t count = ::read(plovik.standardOutput(), chunk, sizeof chunk);
            if (count <= 0) {
                break;
            }
            output.append(chunk, static_cast<std::size_t>(count));
        }
        const auto status = plovik.waitForExit(std::chrono::seconds(30));
        return {status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1, output};
    }

    std::string currentSource() {
        const auto current = rehearsal_->currentSource();
        return current ? "current: " + current->first + " " + current->second
                       : std::string("no current source");
    }

    std::string sources() {
        return rehearsal_->session()
            .setting("org.gnome.desktop.input-sources", "sources")
            .value_or("(unreadable)");
    }
};

TEST_F(SetupOnGnomeTest, OneStepPutsPloviksSourcesInPlaceAndAnotherGivesTheUsersBack) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    auto [status, said] = integration("status");
    EXPECT_EQ(status, 1) << said;
    EXPECT_NE(said.find("turning them on replaces English (US)"), std::string::npos) << said;
    EXPECT_NE(said.find("turning them on replaces Russian"), std::string::npos) << said;

    std::tie(status, said) = integration("on");
    ASSERT_EQ(status, 0) << said << rehearsal_->session().logTail();
    EXPECT_EQ(sources(), "[('ibus', 'plovik-us'), ('ibus', 'plovik-ru')]");
    std::tie(status, said) = integration("status");
    EXPECT_EQ(status, 0) << said;

    std::tie(status, said) = integration("off");
    ASSERT_EQ(status, 0) << said;
    EXPECT_EQ(sources(), kUserSources);
    EXPECT_FALSE(std::filesystem::exists(rehearsal_->session().home() / ".config" / "plovik" /
                                         "gnome-input-sources"));
}

TEST_F(SetupOnGnomeTest, TheSourceInUseStaysCurrentThroughSetUpAndGivingBack) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(waitForSource("ru")) << "GNOME starts with the source the user chose last";
    auto [status, said] = integration("on");
    ASSERT_EQ(status, 0) << said << rehearsal_->session().logTail();
    EXPECT_TRUE(waitForSource("plovik-ru")) << currentSource();

    // English typed now goes through the Russian engine to Plovik, which corrects it and
    // switches to English; Russian typed next switches back.
    ASSERT_TRUE(rehearsal_->startPlovik()) << rehearsal_->log();
    ASSERT_TRUE(window().focus(Field::single)) << rehearsal_->session().logTail();
    std::this_thread::sleep_for(300ms);
    type("hello ");
    EXPECT_EQ(waitForText(Field::single, "hello "), "hello ") << rehearsal_->log();
    EXPECT_TRUE(waitForSource("plovik-us")) << "corrected from Russian: " << rehearsal_->log();
    type("ghbdtn ");
    EXPECT_EQ(waitForText(Field::single, "hello привет "), "hello привет ") << rehearsal_->log();
    EXPECT_TRUE(waitForSource("plovik-ru")) << currentSource();
    EXPECT_EQ(corrections(), 2) << rehearsal_->log();
    rehearsal_->stopPlovik();

    std::tie(status, said) = integration("off");
    ASSERT_EQ(status, 0) << said;
    EXPECT_EQ(sources(), kUserSources);
    EXPECT_TRUE(waitForSource("ru")) << currentSource();
    type("ckjdj");
    EXPECT_EQ(waitForText(Field::single, "hello привет слово"), "hello привет слово")
        << "GNOME's own Russian layout types";
}

TEST_F(SetupOnGnomeTest, ALayoutAddedSinceIBusStartedGetsItsEngine) {
    if (HasFatalFailure() || IsSkipped()) {
        return;
    }
    ASSERT_TRUE(rehearsal_->session().setSetting("org.gnome.desktop.input-sources", "sources",
                                                 "[('xkb', 'us'), ('xkb', 'ru'), ('xkb', 'ua')]"));
    const auto [status, said] = integration("on");
    ASSERT_EQ(status, 0) << said << rehearsal_->session().logTail();
    EXPECT_EQ(sources(), "[('ibus', 'plovik-us'), ('ibus', 'plovik-ru'), ('ibus', 'plovik-ua')]");
    // GNOME lists only sources whose engines IBus offers.
    const auto listed = [&] {
        GVariant* reply = g_dbus_connection_call_sync(
            rehearsal_->session().bus().get(), GnomeVirtualSession::kExtensionBusName,
            "/io/github/plovik/Shell", "io.github.plovik.Shell", "ListSources", nullptr,
            G_VARIANT_TYPE("(a(ss))"), G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
        std::string text = "(no answer)";
        if (reply) {
            gchar* printed = g_variant_print(reply, FALSE);
            text = printed;
            g_free(printed);
            g_variant_unref(reply);
        }
        return text;
    };
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (listed().find("plovik-ua") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_NE(listed().find("plovik-ua"), std::string::npos) << listed();
}

}  // namespace
}  // namespace plovik::testing

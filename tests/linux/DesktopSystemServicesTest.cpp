#include <fcntl.h>
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/AutostartEntry.h"
#include "platform/linux/DesktopSystemServices.h"
#include "platform/linux/DesktopUpdaterController.h"
#include "platform/linux/GlibHandles.h"
#include "platform/linux/LoadedLibraries.h"
#include "platform/linux/NotificationClient.h"
#include "platform/linux/ThemeSoundPlayer.h"
#include "platform/linux/XdgApplicationCatalog.h"
#include "platform/virtualsession/ChildProcess.h"
#include "platform/virtualsession/VirtualDisplay.h"
#include "support/ProcessEnvironment.h"
#include "support/ScopedVariable.h"
#include "support/Skip.h"
#include "support/TemporaryDirectory.h"
#include "support/TestDisplay.h"
#include "support/WaitUntil.h"

namespace plovik {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing::readFile;
using testing::writeFile;

XdgDirectories::Environment environmentOf(std::map<std::string, std::string> variables) {
    return [variables = std::move(variables)](const std::string& name) {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    };
}

// Runs the default GLib main context until the condition holds or the time is up.
template <typename Condition>
bool iterateUntil(Condition condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        g_main_context_iteration(nullptr, FALSE);
        std::this_thread::sleep_for(2ms);
    }
    return condition();
}

// --- Launch at login

class AutostartTest : public ::testing::Test {
  protected:
    fs::path entryPath() const { return root_.path() / "config/autostart/plovik.desktop"; }

    testing::TemporaryDirectory root_;
    XdgDirectories::Environment environment_ =
        environmentOf({{"XDG_CONFIG_HOME", (root_.path() / "config").string()},
                       {"HOME", (root_.path() / "home").string()}});
};

TEST_F(AutostartTest, TheEntryStartsTheProgramAndIsRemovedAgain) {
    // Characters an Exec line must quote or escape.
    const fs::path program = root_.path() / "odd dir/$HOME \"q\" `x` \\ plovik";
    writeFile(program, "#!/bin/sh\n");
    // The desktop ignores an entry whose program is not there to run.
    fs::permissions(program, fs::perms::owner_exec, fs::perm_options::add);
    const AutostartEntry autostart(environment_, program);
    EXPECT_EQ(autostart.path(), entryPath());

    ASSERT_EQ(autostart.install(), std::nullopt);
    struct stat status {};
    ASSERT_EQ(::stat(entryPath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0644u);
    // The desktop reads it back as starting exactly that file.
    glib::Object<GDesktopAppInfo> info(g_desktop_app_info_new_from_filename(entryPath().c_str()));
    ASSERT_TRUE(info);
    EXPECT_STREQ(g_app_info_get_name(G_APP_INFO(info.get())), "Plovik");
    gint argc = 0;
    gchar** argv = nullptr;
    ASSERT_TRUE(g_shell_parse_argv(g_app_info_get_commandline(G_APP_INFO(info.get())), &argc, &argv,
                                   nullptr));
    glib::StringList arguments(argv);
    ASSERT_EQ(argc, 1);
    EXPECT_STREQ(arguments.get()[0], program.c_str());
    // Desktops that do not check Exec's program skip the entry once the program is gone
    // (the package removed) by its TryExec, which must name the file exactly.
    glib::KeyFile keys(g_key_file_new());
    ASSERT_TRUE(
        g_key_file_load_from_file(keys.get(), entryPath().c_str(), G_KEY_FILE_NONE, nullptr));
    glib::String tryExec(g_key_file_get_string(keys.get(), G_KEY_FILE_DESKTOP_GROUP,
                                               G_KEY_FILE_DESKTOP_KEY_TRY_EXEC, nullptr));
    ASSERT_TRUE(tryExec);
    EXPECT_STREQ(tryExec.get(), program.c_str());
    // A percent sign would start a field code.
    EXPECT_EQ(AutostartEntry::execValue("/opt/100%/plovik"), "\"/opt/100%%/plovik\"");

    // Installing again replaces the entry; removing twice is no error.
    EXPECT_EQ(autostart.install(), std::nullopt);
    EXPECT_EQ(autostart.remove(), std::nullopt);
    EXPECT_FALSE(fs::exists(entryPath()));
    EXPECT_EQ(autostart.remove(), std::nullopt);
}

TEST_F(AutostartTest, FailuresAreDescribedAndLeaveNothingBehind) {
    EXPECT_EQ(AutostartEntry::execValue("relative/plovik"), std::nullopt);
    EXPECT_EQ(AutostartEntry::execValue("/a\nb"), std::nullopt);
    EXPECT_NE(AutostartEntry(environment_, "/a\nb").install(), std::nullopt);

    // The configuration folder is a file, so nothing can be written below it.
    writeFile(root_.path() / "config", "");
    const auto error = AutostartEntry(environment_, "/usr/bin/plovik").install();
    ASSERT_TRUE(error);
    EXPECT_NE(error->find(entryPath().string()), std::string::npos) << *error;
}

TEST_F(AutostartTest, TheServicesPointTheEntryAtTheRunningProgram) {
    XdgApplicationCatalog catalog(environment_);
    DesktopSystemServices services(catalog, {environment_, std::nullopt, std::nullopt});
    ASSERT_EQ(services.registerLoginItem(), std::nullopt);
    const auto running = AutostartEntry::runningProgram();
    ASSERT_TRUE(running);
    EXPECT_NE(readFile(entryPath()).find("Exec=\"" + running->string() + "\"\n"),
              std::string::npos);
    EXPECT_EQ(services.unregisterLoginItem(), std::nullopt);
    EXPECT_FALSE(fs::exists(entryPath()));
}

// --- Notifications

// A private session bus that starts no services by itself, so a notification server is
// there only when the test starts one.
class PrivateBus {
  public:
    explicit PrivateBus(const fs::path& folder) {
        writeFile(folder / "bus.conf",
                  "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                  "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                  "<busconfig><type>session</type><listen>unix:dir=" +
                      folder.string() +
                      "</listen><policy context=\"default\"><allow send_destination=\"*\" "
                      "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                      "</policy></busconfig>\n");
        daemon_ = std::make_unique<ChildProcess>(
            "dbus-daemon",
            std::vector<std::string>{"--config-file=" + (folder / "bus.conf").string(), "--nofork",
                                     "--print-address=1"},
            testing::helperOptions({}, true));
        address_ = readLine(daemon_->standardOutput(), 5s).value_or("");
    }

    const std::string& address() const { return address_; }

    // True once some client owns the name.
    bool hasOwner(const std::string& name) const {
        glib::Object<GDBusConnection> connection(g_dbus_connection_new_for_address_sync(
            address_.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr));
        if (!connection) {
            return false;
        }
        glib::Variant reply(g_dbus_connection_call_sync(
            connection.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
            "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", name.c_str()),
            G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 1000, nullptr, nullptr));
        gboolean owned = FALSE;
        if (reply) {
            g_variant_get(reply.get(), "(b)", &owned);
        }
        return owned;
    }

  private:
    std::unique_ptr<ChildProcess> daemon_;
    std::string address_;
};

class NotificationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"dbus-daemon", "dbus-monitor", "dunst"}) {
            if (!findProgram(tool, testing::environmentWith())) {
                testing::skipBecause(std::string(tool) + " is not installed");
            }
        }
        // The notification server draws its bubbles on an X display.
        display_ = testing::startTestDisplay();
        if (!display_) {
            testing::skipBecause("Xvfb is not installed or does not start");
        }
        bus_ = std::make_unique<PrivateBus>(root_.path());
        ASSERT_FALSE(bus_->address().empty());
    }

    void startNotificationServer(const std::string& configuration) {
        writeFile(root_.path() / "dunstrc", configuration);
        server_ = std::make_unique<ChildProcess>(
            "dunst", std::vector<std::string>{"-config", (root_.path() / "dunstrc").string()},
            testing::helperOptions(
                {"DBUS_SESSION_BUS_ADDRESS=" + bus_->address(), "DISPLAY=" + display_->name()}));
        ASSERT_TRUE(testing::waitUntil(
            [&] { return bus_->hasOwner("org.freedesktop.Notifications"); }, 5s));
    }

    // Answer of one authorization request, waiting for it on the main context.
    std::optional<std::pair<bool, std::optional<std::string>>> authorize(
        NotificationClient& client) {
        std::optional<std::pair<bool, std::optional<std::string>>> answer;
        client.requestAuthorization([&](bool granted, const std::optional<std::string>& error) {
            answer.emplace(granted, error);
        });
        iterateUntil([&] { return answer.has_value(); }, 5s);
        return answer;
    }

    // Posts once the server has answered, and returns which of the expected texts the
    // bus carried to it.
    std::set<std::string> postAndObserve(const std::vector<UserNotification>& notifications,
                                         const std::set<std::string>& expected) {
        ChildProcess monitor(
            "dbus-monitor",
            {"--address", bus_->address(),
             "type='method_call',interface='org.freedesktop.Notifications',member='Notify'"},
            testing::helperOptions({}, true));
        // The monitor reports its own arrival on the bus before anything else.
        EXPECT_TRUE(readLine(monitor.standardOutput(), 5s));
        NotificationClient client(bus_->address());
        const auto answer = authorize(client);
        EXPECT_TRUE(answer && answer->first && !answer->second);
        for (const auto& notification : notifications) {
            client.post(notification);
        }
        std::set<std::string> seen;
        while (seen.size() < expected.size()) {
            const auto line = readLine(monitor.standardOutput(), 5s);
            if (!line) {
                break;
            }
            for (const auto& text : expected) {
                if (line->find(text) != std::string::npos) {
                    seen.insert(text);
                }
            }
        }
        return seen;
    }

    testing::TemporaryDirectory root_;
    std::unique_ptr<VirtualDisplay> display_;
    std::unique_ptr<PrivateBus> bus_;
    std::unique_ptr<ChildProcess> server_;
};

TEST_F(NotificationTest, ANotificationReachesTheServer) {
    startNotificationServer("");
    const auto seen = postAndObserve(
        {{"id-1", "Plovik corrected a word", "ghbdtn → привет"}, {"id-2", "Title", "a<b & c"}},
        {"string \"Plovik\"", "string \"Plovik corrected a word\"", "string \"ghbdtn → привет\"",
         "string \"a<b & c\""});
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(NotificationTest, AServerThatReadsMarkupGetsTheTextEscaped) {
    startNotificationServer("[global]\n    markup = full\n");
    const auto seen = postAndObserve({{"id", "Plovik corrected a word", "a<b & c"}},
                                     {"string \"a&lt;b &amp; c\""});
    EXPECT_EQ(seen.size(), 1u);
}

TEST_F(NotificationTest, WithoutANotificationServerAuthorizationIsRefused) {
    NotificationClient client(bus_->address());
    const auto answer = authorize(client);
    ASSERT_TRUE(answer);
    EXPECT_FALSE(answer->first);
    ASSERT_TRUE(answer->second);
    EXPECT_EQ(answer->second->rfind(NotificationClient::kNoServerMessage, 0), 0u)
        << *answer->second;
    // Posting without a server is silently dropped.
    client.post({"id", "Plovik corrected a word", "body"});

    NotificationClient unreachable(std::string("unix:path=/nonexistent/bus"));
    const auto refused = authorize(unreachable);
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->first);
    EXPECT_TRUE(refused->second);
}

// --- Sounds

// What a player's output was asked, shared with its worker, which may outlive the player.
class OutputLog {
  public:
    void entered(const std::string& sound) {
        std::lock_guard lock(mutex_);
        entered_.push_back(sound);
        outputThreads_.insert(std::this_thread::get_id());
        changed_.notify_all();
    }

    void returned(bool played) {
        std::lock_guard lock(mutex_);
        results_.push_back(played);
        changed_.notify_all();
    }

    void made() {
        std::lock_guard lock(mutex_);
        outputThreads_.insert(std::this_thread::get_id());
    }

    // Waits (generously) until the output has been entered `count` times.
    bool waitForEntered(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 20s, [&] { return entered_.size() >= count; });
    }

    bool waitForResults(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 20s, [&] { return results_.size() >= count; });
    }

    std::vector<std::string> enteredSounds() const {
        std::lock_guard lock(mutex_);
        return entered_;
    }

    std::vector<bool> results() const {
        std::lock_guard lock(mutex_);
        return results_;
    }

    std::set<std::thread::id> outputThreads() const {
        std::lock_guard lock(mutex_);
        return outputThreads_;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> entered_;
    std::vector<bool> results_;
    std::set<std::thread::id> outputThreads_;
};

// Holds every play that reaches it until opened, like a sound server that does not answer.
class Gate {
  public:
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

    void pass() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return open_; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

// Logs every play of the output `makeInner` makes.
ThemeSoundPlayer::OutputFactory logged(std::shared_ptr<OutputLog> log,
                                       ThemeSoundPlayer::OutputFactory makeInner) {
    return [log, makeInner] {
        log->made();
        return [log, inner = makeInner()](const std::string& sound) {
            log->entered(sound);
            const bool played = inner(sound);
            log->returned(played);
            return played;
        };
    };
}

// An output stuck until the gate opens; `alive` lives exactly as long as the output.
ThemeSoundPlayer::OutputFactory stalled(std::shared_ptr<Gate> gate, std::weak_ptr<int>& alive) {
    auto token = std::make_shared<int>(0);
    alive = token;
    return [gate, token = std::move(token)]() mutable {
        return [gate, token = std::move(token)](const std::string&) {
            gate->pass();
            return true;
        };
    };
}

class SoundWorker : public ::testing::Test {
  protected:
    std::shared_ptr<OutputLog> log_ = std::make_shared<OutputLog>();
    std::shared_ptr<Gate> gate_ = std::make_shared<Gate>();
    std::weak_ptr<int> outputAlive_;
};

TEST_F(SoundWorker, OnlyTheNewestSoundWaitsBehindABusyOutput) {
    {
        ThemeSoundPlayer player(logged(log_, stalled(gate_, outputAlive_)));
        EXPECT_FALSE(player.play("Unknown"));
        ASSERT_TRUE(player.play("Pop"));
        ASSERT_TRUE(log_->waitForEntered(1));
        // Each call returns while the output is held up.
        for (int i = 0; i < 1000; ++i) {
            ASSERT_TRUE(player.play(i % 2 == 0 ? "Glass" : "Bottle"));
        }
        ASSERT_TRUE(player.play("Morse"));
        gate_->open();
        ASSERT_TRUE(log_->waitForEntered(2));
        // A later sound comes straight after the newest held one: nothing else waited.
        ASSERT_TRUE(player.play("Tink"));
        ASSERT_TRUE(log_->waitForEntered(3));
        EXPECT_EQ(log_->enteredSounds(),
                  (std::vector<std::string>{"audio-volume-change", "dialog-information", "bell"}));
        const auto threads = log_->outputThreads();
        EXPECT_EQ(threads.size(), 1u);
        EXPECT_FALSE(threads.contains(std::this_thread::get_id()));
    }
    // An idle worker is stopped and its output released before the player is gone.
    EXPECT_TRUE(outputAlive_.expired());
}

TEST_F(SoundWorker, APlayerGoneWhileItsOutputIsStuckLeavesTheWorkerToFinish) {
    {
        ThemeSoundPlayer player(logged(log_, stalled(gate_, outputAlive_)));
        ASSERT_TRUE(player.play("Pop"));
        ASSERT_TRUE(log_->waitForEntered(1));
        ASSERT_TRUE(player.play("Glass"));
    }
    // The player is gone while its output is still stuck.
    EXPECT_TRUE(log_->results().empty());
    EXPECT_FALSE(outputAlive_.expired());
    gate_->open();
    // The worker ends by itself, releasing its output, without playing what still waited.
    EXPECT_TRUE(testing::waitUntil([&] { return outputAlive_.expired(); }, 20s));
    EXPECT_EQ(log_->enteredSounds(), std::vector<std::string>{"audio-volume-change"});
}

// ALSA's default device writes to a file, as a sound card would play.
class ThemeSounds : public ::testing::Test {
  protected:
    ThemeSounds() { routeSoundTo(output_); }

    void routeSoundTo(const fs::path& file) {
        writeFile(home_.path() / ".asoundrc",
                  "pcm.!default { type file slave.pcm \"null\" file \"" + file.string() +
                      "\" format \"raw\" }\n");
    }

    const testing::TemporaryDirectory home_;
    const fs::path output_ = home_.path() / "played.raw";
    const testing::ScopedVariable homeVariable_{"HOME", home_.path().string()};
    const testing::ScopedVariable driver_{"CANBERRA_DRIVER", "alsa"};
};

TEST_F(ThemeSounds, EveryCorrectionSoundHasItsOwnThemeSound) {
    std::set<std::string> themeSounds;
    for (const char* name : {"Pop", "Glass", "Submarine", "Tink", "Bottle", "Morse"}) {
        const auto sound = ThemeSoundPlayer::themeSoundFor(name);
        ASSERT_TRUE(sound) << name;
        themeSounds.insert(*sound);
        EXPECT_TRUE(fs::exists("/usr/share/sounds/freedesktop/stereo/" + *sound + ".oga"))
            << *sound;
    }
    EXPECT_EQ(themeSounds.size(), 6u);
    EXPECT_EQ(ThemeSoundPlayer::themeSoundFor("pop"), std::nullopt);
    EXPECT_EQ(ThemeSoundPlayer::themeSoundFor(""), std::nullopt);
}

TEST_F(ThemeSounds, PlaysThroughTheSoundSystem) {
    ThemeSoundPlayer player;
    EXPECT_FALSE(player.play("Unknown"));
    ASSERT_TRUE(player.play("Glass"));
    EXPECT_TRUE(testing::waitUntil(
        [&] {
            std::error_code error;
            return fs::file_size(output_, error) > 1000 && !error;
        },
        5s));
}

TEST_F(ThemeSounds, TheSoundDriverStaysLoadedAfterItsPlayer) {
    const auto isDriver = [](const std::string& path) {
        return fs::path(path).filename().string().starts_with("libcanberra-alsa");
    };
    const auto log = std::make_shared<OutputLog>();
    {
        ThemeSoundPlayer player(logged(log, &ThemeSoundPlayer::canberraOutput));
        ASSERT_TRUE(player.play("Glass"));
        ASSERT_TRUE(log->waitForResults(1));
        ASSERT_EQ(log->results(), std::vector<bool>{true});
    }
    EXPECT_TRUE(std::ranges::any_of(LoadedLibraries::now().paths(), isDriver));
}

TEST_F(ThemeSounds, WithoutASoundSystemNothingPlaysAndNothingFails) {
    const testing::ScopedVariable noDriver("CANBERRA_DRIVER", "none-installed");
    const auto log = std::make_shared<OutputLog>();
    ThemeSoundPlayer player(logged(log, &ThemeSoundPlayer::canberraOutput));
    EXPECT_TRUE(player.play("Glass"));
    ASSERT_TRUE(log->waitForResults(1));
    EXPECT_TRUE(player.play("Pop"));
    ASSERT_TRUE(log->waitForResults(2));
    EXPECT_EQ(log->results(), (std::vector<bool>{false, false}));
    std::error_code error;
    EXPECT_FALSE(fs::exists(output_, error));
}

// A sound device that takes nothing until the test reads from it: ALSA writes into a
// named pipe, whose opening and writing wait for a reader, as a hung sound server would.
class StalledSoundDevice : public ThemeSounds {
  protected:
    void SetUp() override {
        ASSERT_EQ(::mkfifo(device_.c_str(), 0600), 0);
        routeSoundTo(device_);
    }

    // Unblocks the device by itself after a long time unless `done` holds, so that a
    // caller held up by it fails the test instead of hanging it; true when it had to.
    std::jthread rescueUnless(const std::atomic<bool>& done, std::atomic<bool>& rescued) {
        return std::jthread([this, &done, &rescued] {
            if (!testing::waitUntil([&] { return done.load(); }, 30s)) {
                rescued = true;
                drain(openForReading());
            }
        });
    }

    int openForReading() const { return ::open(device_.c_str(), O_RDONLY | O_CLOEXEC); }

    // Reads until the writer is gone; the number of bytes read.
    static std::size_t drain(int descriptor, std::size_t limit = SIZE_MAX) {
        std::array<char, 4096> buffer{};
        std::size_t total = 0;
        while (total < limit) {
            const auto count =
                ::read(descriptor, buffer.data(), std::min(buffer.size(), limit - total));
            if (count <= 0) {
                break;
            }
            total += static_cast<std::size_t>(count);
        }
        return total;
    }

    const fs::path device_ = home_.path() / "device";
};

TEST_F(StalledSoundDevice, PlayingReturnsWhileTheDeviceStalls) {
    std::atomic<bool> returned = false;
    std::atomic<bool> rescued = false;
    {
        ThemeSoundPlayer player;
        const auto rescue = rescueUnless(returned, rescued);
        EXPECT_TRUE(player.play("Glass"));
        returned = true;
        EXPECT_FALSE(rescued.load()) << "play waited for the sound device";
        if (!rescued) {
            // The sound still reaches the device once it takes data again.
            const int descriptor = openForReading();
            ASSERT_GE(descriptor, 0);
            EXPECT_GT(drain(descriptor), 1000u);
            ::close(descriptor);
        }
    }
}

TEST_F(StalledSoundDevice, APlayerGoneWhileTheDeviceStallsDoesNotWaitForIt) {
    std::atomic<bool> gone = false;
    std::atomic<bool> rescued = false;
    int descriptor = -1;
    {
        const auto rescue = rescueUnless(gone, rescued);
        {
            ThemeSoundPlayer player;
            ASSERT_TRUE(player.play("Glass"));
            descriptor = openForReading();
            ASSERT_GE(descriptor, 0);
            // The sound plays, then the device stops taking it with most of it still to come.
            ASSERT_EQ(drain(descriptor, 1000), 1000u);
        }
        gone = true;
    }
    EXPECT_FALSE(rescued.load()) << "destroying the player waited for the sound device";
    // More than a pipe holds was still unwritten: the worker really was stuck when its
    // player went, and it finishes once the device takes data again.
    EXPECT_GT(drain(descriptor), std::size_t{64 * 1024});
    ::close(descriptor);
}

// Sharing one processor, the thread that wakes another is usually the one that waits,
// which widens any window between the two.
void runOnOneProcessor() {
    cpu_set_t processors;
    CPU_ZERO(&processors);
    CPU_SET(sched_getcpu(), &processors);
    (void)sched_setaffinity(0, sizeof(processors), &processors);
}

// The sound system's play thread outlives the player by a few instructions; the program
// must survive them. Each round gives the thread time to run them before the next player
// could map the driver again.
TEST_F(ThemeSounds, APlayerGoneWhileItsSoundPlaysLeavesNoCrashBehind) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    constexpr int kRounds = 5;
    constexpr int kNoSound = 3;
    EXPECT_EXIT(
        {
            runOnOneProcessor();
            for (int round = 0; round < kRounds; ++round) {
                const auto log = std::make_shared<OutputLog>();
                {
                    ThemeSoundPlayer player(logged(log, &ThemeSoundPlayer::canberraOutput));
                    // Gone only once the sound has started.
                    if (!player.play("Glass") || !log->waitForResults(1) ||
                        !log->results().front()) {
                        std::_Exit(kNoSound);
                    }
                }
                std::this_thread::sleep_for(5ms);
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

// --- The updater

class UpdaterTest : public ::testing::Test {
  protected:
    testing::TemporaryDirectory root_;
    XdgDirectories::Environment environment_ =
        environmentOf({{"XDG_DATA_HOME", (root_.path() / "home").string()},
                       {"XDG_DATA_DIRS", (root_.path() / "system").string()},
                       {"HOME", (root_.path() / "user").string()}});
    XdgApplicationCatalog catalog_{environment_};
};

TEST_F(UpdaterTest, WithoutAnUpdateApplicationChecksAreUnavailable) {
    writeFile(root_.path() / "system/applications/org.gnome.TextEditor.desktop",
              "[Desktop Entry]\nType=Application\nName=Text Editor\nExec=true\n");
    DesktopUpdaterController updater(catalog_);
    EXPECT_FALSE(updater.canCheckForUpdates().get());
    EXPECT_EQ(updater.unavailableReason(), DesktopUpdaterController::kNoUpdaterMessage);
    updater.checkForUpdates();
    EXPECT_FALSE(updater.canCheckForUpdates().get());
}

TEST_F(UpdaterTest, TheDesktopsUpdateApplicationIsOpened) {
    const auto marker = root_.path() / "opened";
    writeFile(
        root_.path() / "system/applications/org.kde.discover.desktop",
        "[Desktop Entry]\nType=Application\nName=Discover\nExec=touch " + marker.string() + "\n");
    DesktopUpdaterController updater(catalog_);
    EXPECT_TRUE(updater.canCheckForUpdates().get());
    EXPECT_EQ(updater.unavailableReason(), std::nullopt);
    updater.checkForUpdates();
    EXPECT_TRUE(testing::waitUntil([&] { return fs::exists(marker); }, 5s));

    // Removed meanwhile: the next check finds nothing and says so.
    fs::remove(root_.path() / "system/applications/org.kde.discover.desktop");
    updater.checkForUpdates();
    EXPECT_FALSE(updater.canCheckForUpdates().get());
    EXPECT_EQ(updater.unavailableReason(), DesktopUpdaterController::kNoUpdaterMessage);
}

}  // namespace
}  // namespace plovik

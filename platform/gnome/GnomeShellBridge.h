#pragma once

#include <gio/gio.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/support/Published.h"

namespace plovik {

// Plovik's GNOME Shell extension as seen over the session bus: the Shell's input
// sources and the application in front, cached and kept current by the extension's
// signals. Calls wait for the Shell at most kCallTimeout. Main thread only.
class GnomeShellBridge {
  public:
    static constexpr const char* kBusName = "io.github.plovik.Shell";
    static constexpr const char* kObjectPath = "/io/github/plovik/Shell";
    static constexpr const char* kInterface = "io.github.plovik.Shell";
    static constexpr std::chrono::milliseconds kCallTimeout{500};

    // One input source as GNOME lists it: ("xkb", "us"), ("ibus", "plovik-ru").
    struct Source {
        std::string type;
        std::string id;
        bool operator==(const Source&) const = default;
    };
    struct Application {
        // The desktop-entry id; "org.gnome.Shell" while the Shell's own overview or a
        // dialog has the keyboard.
        std::string id;
        std::string windowClass;
        std::int32_t processIdentifier = 0;
        bool operator==(const Application&) const = default;
    };

    // Null connection: the session bus.
    explicit GnomeShellBridge(GDBusConnection* connection = nullptr);
    ~GnomeShellBridge();
    GnomeShellBridge(const GnomeShellBridge&) = delete;
    GnomeShellBridge& operator=(const GnomeShellBridge&) = delete;

    // Whether the extension answers on the bus.
    const Published<bool>& available() const { return available_; }
    const std::vector<Source>& sources() const { return sources_; }
    std::optional<std::size_t> currentSource() const { return current_; }
    const std::optional<Application>& focusedApplication() const { return focused_; }

    // Whether the extension holds its name on the bus now (the bus answers, not the Shell).
    bool isRunning() const;
    // True when the Shell activated the source.
    bool activate(std::size_t index);
    // Takes the source as current ahead of the Shell's report of it.
    void expectCurrent(std::size_t index) { current_ = index; }
    // Reads everything again from the Shell.
    void refresh();

    [[nodiscard]] Subscription observeSources(std::function<void()> observer);
    [[nodiscard]] Subscription observeFocus(std::function<void()> observer);

  private:
    static void onSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                         const gchar* signal, GVariant* parameters, gpointer data);
    static void onAppeared(GDBusConnection*, const gchar*, const gchar*, gpointer data);
    static void onVanished(GDBusConnection*, const gchar*, gpointer data);
    GVariant* call(const char* method, GVariant* parameters, const char* replyType) const;
    void readSources();
    void readCurrent();
    void readFocus();
    void setFocus(GVariant* application);

    GDBusConnection* connection_ = nullptr;
    guint signals_ = 0;
    guint watch_ = 0;
    Published<bool> available_{false};
    std::vector<Source> sources_;
    std::optional<std::size_t> current_;
    std::optional<Application> focused_;
    Published<std::uint64_t> sourceChanges_{0};
    Published<std::uint64_t> focusChanges_{0};
};

}  // namespace plovik

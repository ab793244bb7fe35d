#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "platform/x11/XcbHandles.h"

namespace plovik {

// A short-lived X connection that tells when the session's parts have come up.
class DisplayProbe {
  public:
    // Absent when the display does not accept connections.
    static std::optional<DisplayProbe> connect(const std::string& display);

    bool hasWindowManager() const;
    bool hasSelectionOwner(const std::string& selection) const;
    bool hasRootProperty(const std::string& property) const;
    // Gives the input focus to the only window on the screen; false while there is none.
    bool focusOnlyWindow() const;

    // Polls `ready` until it holds or `timeout` passes.
    template <typename Ready>
    static bool waitFor(Ready ready, std::chrono::milliseconds timeout);

  private:
    explicit DisplayProbe(xcb_connection_t* connection) : connection_(connection) {}

    unsigned atom(const std::string& name) const;
    std::optional<unsigned> windowProperty(unsigned window, unsigned property) const;
    unsigned rootWindow() const;

    xcb::Connection connection_;
};

}  // namespace plovik

#include <thread>

namespace plovik {

template <typename Ready>
bool DisplayProbe::waitFor(Ready ready, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace plovik

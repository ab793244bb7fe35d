#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "platform/x11/XcbHandles.h"

namespace plovik {

// One connection to an X server that offers what the keyboard backends need:
// XInput 2.2 (raw events, passive grabs), XKB and, for injection, XTest.
class X11Connection {
  public:
    static constexpr std::uint32_t kXInputMajor = 2;
    static constexpr std::uint32_t kXInputMinor = 2;
    static constexpr const char* kXTestKeyboardName = "Virtual core XTEST keyboard";

    // Null display name: $DISPLAY. A readable reason when the server cannot be used.
    static std::variant<std::unique_ptr<X11Connection>, std::string> open(
        const char* displayName = nullptr);
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    xcb_connection_t* get() const { return connection_.get(); }
    xcb_window_t root() const { return root_; }
    std::uint8_t xinputOpcode() const { return xinputOpcode_; }
    std::uint8_t xkbFirstEvent() const { return xkbFirstEvent_; }
    bool hasXTest() const { return hasXTest_; }
    // The master keyboard (XKB's core keyboard device).
    std::int32_t coreKeyboard() const { return coreKeyboard_; }
    // Where every XTest injector's keys come from; absent without XTest.
    std::optional<std::uint16_t> xtestKeyboard() const { return xtestKeyboard_; }
    int fileDescriptor() const { return xcb_get_file_descriptor(connection_.get()); }
    bool hasError() const { return xcb_connection_has_error(connection_.get()) != 0; }

    void flush() const { xcb_flush(connection_.get()); }
    // Waits until the server handled every request sent before.
    void sync() const;
    // The bytes of a STRING property of the root window; absent when unset.
    std::optional<std::string> rootStringProperty(const std::string& name) const;
    xcb_atom_t atom(const std::string& name) const;

  private:
    X11Connection() = default;
    std::optional<std::string> setUp();
    std::optional<std::uint16_t> findDevice(const std::string& name) const;

    xcb::Connection connection_;
    xcb_window_t root_ = 0;
    std::uint8_t xinputOpcode_ = 0;
    std::uint8_t xkbFirstEvent_ = 0;
    bool hasXTest_ = false;
    std::int32_t coreKeyboard_ = -1;
    std::optional<std::uint16_t> xtestKeyboard_;
};

}  // namespace plovik

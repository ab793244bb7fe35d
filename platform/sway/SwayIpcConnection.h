#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/support/FileDescriptor.h"

namespace plovik {

// One connection to sway's IPC socket ($SWAYSOCK): requests answered in turn, and the
// events a subscription delivers. Messages are "i3-ipc", a 32-bit length and type in the
// machine's byte order, then JSON.
class SwayIpcConnection {
  public:
    static constexpr std::uint32_t kSubscribe = 2;
    static constexpr std::uint32_t kGetOutputs = 3;
    static constexpr std::uint32_t kGetTree = 4;
    // Event types have the high bit set; the window event is type 3.
    static constexpr std::uint32_t kWindowEvent = 0x80000003;

    struct Message {
        std::uint32_t type = 0;
        std::string payload;
    };

    // Absent when the socket cannot be reached.
    static std::optional<SwayIpcConnection> open(const std::string& socketPath);
    SwayIpcConnection(SwayIpcConnection&&) = default;

    int descriptor() const { return socket_->get(); }
    // Sends a request and waits (briefly) for its reply; absent when sway does not answer.
    std::optional<std::string> request(std::uint32_t type, const std::string& payload);
    // Reads what has arrived without waiting; false once the connection has ended.
    bool readAvailable(std::vector<Message>& messages);
    // Splits complete messages off the front of `bytes`; false when they are not sway's.
    static bool parse(std::string& bytes, std::vector<Message>& messages);
    static std::string frame(std::uint32_t type, const std::string& payload);

  private:
    explicit SwayIpcConnection(int descriptor);

    std::unique_ptr<FileDescriptor> socket_;
    std::string pending_;
};

}  // namespace plovik

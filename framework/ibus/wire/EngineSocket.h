#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "framework/ibus/wire/EngineMessage.h"

namespace plovik::ibus {

// A message socket between the engine program and Plovik, in a folder of the user's
// runtime directory that only the user may enter; either end refuses a peer of another
// user. Sends never block: a peer that stops reading is dropped rather than waited for.
class EngineSocket {
  public:
    enum class Status { message, nothing, closed };
    struct Received {
        Status status = Status::nothing;
        std::optional<EngineMessage> message;
    };

    using Environment = std::function<std::optional<std::string>(const char*)>;

    // $XDG_RUNTIME_DIR/plovik/ibus-engine; absent without a runtime directory.
    static std::optional<std::string> defaultPath(const Environment& environment);

    // Listens at `path`, creating its folder (mode 0700) and replacing a stale socket.
    static std::variant<EngineSocket, std::string> listen(const std::string& path);
    // Connects to a listener of this user at `path`.
    static std::variant<EngineSocket, std::string> connect(const std::string& path);

    EngineSocket(EngineSocket&& other) noexcept;
    EngineSocket& operator=(EngineSocket&& other) noexcept;
    EngineSocket(const EngineSocket&) = delete;
    EngineSocket& operator=(const EngineSocket&) = delete;
    ~EngineSocket();

    // A waiting connection of this user; absent when there is none (or it was refused).
    std::optional<EngineSocket> accept();
    // False when the peer is gone or has stopped reading.
    bool send(const EngineMessage& message);
    // Waits at most `timeout` for the next message; one that cannot be read as a message
    // is skipped and reported as nothing.
    Received receive(std::chrono::milliseconds timeout);

    int descriptor() const { return descriptor_; }

  private:
    explicit EngineSocket(int descriptor, std::string removeOnClose = {});
    void close();

    int descriptor_ = -1;
    std::vector<char> buffer_;
    // The listener's own path, removed when it stops listening.
    std::string path_;
};

}  // namespace plovik::ibus

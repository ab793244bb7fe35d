#pragma once

#include <chrono>
#include <deque>
#include <string>

#include "framework/fcitx5/SocketDescriptor.h"
#include "platform/fcitx5/protocol/FrameAssembler.h"
#include "platform/fcitx5/protocol/ModuleMessage.h"

namespace plovik {

// The module's end of Plovik's connection. Nothing here ever blocks Fcitx5 for longer than
// asked: writes go out as far as the socket takes them, and a Plovik that falls too far
// behind, or says something malformed, is disconnected.
class PlovikConnection {
  public:
    // How much unsent data a Plovik that does not read may leave waiting.
    static constexpr std::size_t kMaximumBacklog = 1024 * 1024;

    explicit PlovikConnection(SocketDescriptor socket) : socket_(std::move(socket)) {}

    int descriptor() const { return socket_.get(); }
    bool isBroken() const { return broken_; }

    // Queues the message and writes what the socket takes; false once broken.
    bool send(const ModuleMessage& message);
    // Writes what is still queued; false once broken.
    bool flush();
    bool hasUnsent() const { return !unsent_.empty(); }
    // Appends the messages that have arrived, without waiting; false once the connection
    // has ended or broken (the messages read before that are still appended).
    bool receive(std::deque<ModuleMessage>& messages);
    // Waits until something can be read or the deadline passes; false when nothing came.
    bool waitForInput(std::chrono::steady_clock::time_point deadline) const;

  private:
    SocketDescriptor socket_;
    std::string unsent_;
    FrameAssembler frames_;
    bool broken_ = false;
};

}  // namespace plovik

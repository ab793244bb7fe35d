#pragma once

#include <cstdint>
#include <optional>

#include "framework/ibus/wire/EngineMessage.h"

namespace plovik::ibus {

// The Plovik process as the engine reaches it.
class PlovikPeer {
  public:
    virtual ~PlovikPeer() = default;

    virtual bool isConnected() const = 0;
    // Never waits; a peer that cannot take the message is dropped.
    virtual void send(const EngineMessage& message) = 0;
    // Sends the press (an `asked` press message) and waits for Plovik's answer within
    // the answer budget, longer once Plovik has taken the press: true to swallow it.
    // Absent when no answer came in time; the press then goes on and Plovik is told so.
    virtual std::optional<bool> ask(const EngineMessage& press, std::uint64_t number) = 0;
};

}  // namespace plovik::ibus

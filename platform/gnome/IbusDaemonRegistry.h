#pragma once

#include "platform/gnome/IbusEngineRegistry.h"

namespace plovik {

// The running ibus-daemon of the session. It reads its engines (our component runs the
// engine program for the user's layouts) only when it starts, from a cache in the
// user's cache folder when that is current: reloading drops the cache and restarts the
// daemon, which GNOME Shell reconnects to by itself.
class IbusDaemonRegistry final : public IbusEngineRegistry {
  public:
    std::optional<bool> knows(const std::vector<std::string>& names) override;
    bool reload(const std::vector<std::string>& names, std::chrono::milliseconds timeout) override;
};

}  // namespace plovik

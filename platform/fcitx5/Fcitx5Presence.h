#pragma once

namespace plovik {

// Whether Fcitx5 runs in this session: it owns its name on the session bus.
class Fcitx5Presence {
  public:
    static constexpr const char* kBusName = "org.fcitx.Fcitx5";

    // False also when the session bus cannot be asked.
    static bool isRunning();
};

}  // namespace plovik

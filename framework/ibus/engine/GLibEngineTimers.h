#pragma once

#include <glib.h>

#include "framework/ibus/logic/EngineTimers.h"

namespace plovik::ibus {

// Timers on a GLib main context (the engine program's main loop).
class GLibEngineTimers final : public EngineTimers {
  public:
    explicit GLibEngineTimers(GMainContext* context = nullptr) : context_(context) {}
    std::unique_ptr<EngineTimer> after(std::chrono::milliseconds delay,
                                       std::function<void()> callback) override;
    std::chrono::steady_clock::time_point now() const override {
        return std::chrono::steady_clock::now();
    }

  private:
    GMainContext* context_;
};

}  // namespace plovik::ibus

#pragma once

#include <utility>
#include <vector>

#include "core/platform/ShortcutProbe.h"

namespace plovik {

// The simulated desktop's global shortcuts: combinations other programs hold, and every
// combination that was probed.
class SimulatedShortcutProbe final : public ShortcutProbe {
  public:
    bool isTaken(Key key, Modifiers modifiers) override;

    // --- Control interface
    void hold(Key key, Modifiers modifiers) { held_.emplace_back(key, modifiers); }
    const std::vector<std::pair<Key, Modifiers>>& probes() const { return probes_; }

  private:
    std::vector<std::pair<Key, Modifiers>> held_;
    std::vector<std::pair<Key, Modifiers>> probes_;
};

}  // namespace plovik

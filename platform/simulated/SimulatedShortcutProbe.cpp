#include "platform/simulated/SimulatedShortcutProbe.h"

#include <algorithm>

namespace plovik {

bool SimulatedShortcutProbe::isTaken(Key key, Modifiers modifiers) {
    probes_.emplace_back(key, modifiers);
    return std::find(held_.begin(), held_.end(), std::pair(key, modifiers)) != held_.end();
}

}  // namespace plovik

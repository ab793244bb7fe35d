#include "platform/fcitx5/Fcitx5KeyboardAccess.h"

namespace plovik {

bool Fcitx5KeyboardAccess::hasAccess() const {
    lastProblem_ = module_.connect();
    return !lastProblem_;
}

bool Fcitx5KeyboardAccess::requestAccess() {
    return hasAccess();
}

std::optional<std::string> Fcitx5KeyboardAccess::problem() const {
    if (hasAccess()) {
        return std::nullopt;
    }
    return lastProblem_;
}

}  // namespace plovik

#include "platform/gnome/GnomeKeyboardAccess.h"

namespace plovik {

GnomeKeyboardAccess::GnomeKeyboardAccess(const IbusEngineLink& link, std::function<bool()> setUp)
    : link_(link), setUp_(std::move(setUp)) {}

bool GnomeKeyboardAccess::hasAccess() const {
    return link_.isConnected();
}

bool GnomeKeyboardAccess::requestAccess() {
    if (link_.isConnected()) {
        return true;
    }
    return setUp_ && setUp_();
}

std::optional<std::string> GnomeKeyboardAccess::problem() const {
    return link_.isConnected() ? std::nullopt : std::optional<std::string>(kNotSetUpMessage);
}

}  // namespace plovik

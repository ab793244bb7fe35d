#include "core/layouts/InputSourceError.h"

namespace plovik {

InputSourceError InputSourceError::sourceNotInstalled(KeyboardLayout layout) {
    return {Kind::sourceNotInstalled, std::move(layout), {}};
}

InputSourceError InputSourceError::selectionFailed(std::string sourceName) {
    return {Kind::selectionFailed, {}, std::move(sourceName)};
}

std::string InputSourceError::description() const {
    switch (kind_) {
        case Kind::sourceNotInstalled:
            return "The " + layout_.displayName + " keyboard input source is no longer available.";
        case Kind::selectionFailed:
            return "The desktop could not select the " + sourceName_ + " input source.";
    }
    return {};
}

}  // namespace plovik

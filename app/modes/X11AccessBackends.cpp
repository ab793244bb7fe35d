#include "app/modes/X11AccessBackends.h"

namespace plovik {

std::variant<HeadlessMode::AccessBackends, std::string> X11AccessBackends::open(MainQueue&) {
    return std::string("the AT-SPI accessibility backend is not available in this build");
}

}  // namespace plovik

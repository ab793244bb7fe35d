#include "framework/fcitx5/SocketDescriptor.h"

#include <unistd.h>

namespace plovik {

SocketDescriptor& SocketDescriptor::operator=(SocketDescriptor&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

SocketDescriptor::~SocketDescriptor() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

}  // namespace plovik

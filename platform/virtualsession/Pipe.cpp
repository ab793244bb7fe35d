#include "platform/virtualsession/Pipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace plovik {

Pipe::Pipe() {
    if (::pipe2(ends_, O_CLOEXEC) != 0) {
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
}

Pipe::~Pipe() {
    closeEnd(0);
    closeEnd(1);
}

int Pipe::take(int which) {
    return std::exchange(ends_[which], -1);
}

void Pipe::closeEnd(int which) {
    if (ends_[which] >= 0) {
        ::close(std::exchange(ends_[which], -1));
    }
}

}  // namespace plovik

#include "core/support/FileDescriptor.h"

#include <unistd.h>

#include <utility>

namespace plovik {

FileDescriptor::~FileDescriptor() {
    if (isOpen()) {
        ::close(descriptor_);
    }
}

bool FileDescriptor::close() {
    return isOpen() && ::close(std::exchange(descriptor_, -1)) == 0;
}

}  // namespace plovik

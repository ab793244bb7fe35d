#pragma once

#include <utility>

namespace plovik {

// Owns a socket's descriptor and closes it when the scope ends; movable, so that a
// connection can be handed on. The module keeps to the C++ library and POSIX: it is loaded
// into Fcitx5 and takes none of Plovik's own libraries with it.
class SocketDescriptor {
  public:
    SocketDescriptor() = default;
    // A negative value owns nothing.
    explicit SocketDescriptor(int descriptor) : descriptor_(descriptor) {}
    SocketDescriptor(SocketDescriptor&& other) noexcept
        : descriptor_(std::exchange(other.descriptor_, -1)) {}
    SocketDescriptor& operator=(SocketDescriptor&& other) noexcept;
    SocketDescriptor(const SocketDescriptor&) = delete;
    SocketDescriptor& operator=(const SocketDescriptor&) = delete;
    ~SocketDescriptor();

    bool isOpen() const { return descriptor_ >= 0; }
    int get() const { return descriptor_; }

  private:
    int descriptor_ = -1;
};

}  // namespace plovik

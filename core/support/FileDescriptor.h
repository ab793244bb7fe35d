#pragma once

namespace plovik {

// Owns a POSIX file descriptor and closes it when the scope ends.
class FileDescriptor {
  public:
    // A negative value (a failed open) owns nothing.
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor();

    bool isOpen() const { return descriptor_ >= 0; }
    int get() const { return descriptor_; }
    // Closing reports late write errors (for example on network file systems).
    bool close();

  private:
    int descriptor_;
};

}  // namespace plovik

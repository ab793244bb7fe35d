#pragma once

namespace plovik {

// Both ends of a pipe, closed on exec and with the object; end 0 reads, end 1
// writes.
class Pipe {
  public:
    // Throws std::system_error when the system has no descriptors left.
    Pipe();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    int end(int which) const { return ends_[which]; }
    // The caller owns the end from now on.
    int take(int which);
    void closeEnd(int which);

  private:
    int ends_[2] = {-1, -1};
};

}  // namespace plovik

#pragma once

#include <mutex>
#include <type_traits>
#include <utility>

namespace plovik {

// Counts running replacements so that a nested one can be refused. The lock guards
// only the counter: it is never held while the operation runs.
class ReentrancyGuard {
  public:
    ReentrancyGuard() = default;
    ReentrancyGuard(const ReentrancyGuard&) = delete;
    ReentrancyGuard& operator=(const ReentrancyGuard&) = delete;

    bool isProcessing() const {
        std::lock_guard lock(lock_);
        return depth_ > 0;
    }

    // Runs the operation inside the guard; its result or exception passes through
    // after the count is back down.
    template <typename Operation>
    std::invoke_result_t<Operation> perform(Operation&& operation) {
        enter();
        const Exit exit(*this);
        return std::forward<Operation>(operation)();
    }

  private:
    struct Exit {
        explicit Exit(ReentrancyGuard& guard) : guard(guard) {}
        Exit(const Exit&) = delete;
        Exit& operator=(const Exit&) = delete;
        ~Exit() { guard.leave(); }
        ReentrancyGuard& guard;
    };

    void enter() {
        std::lock_guard lock(lock_);
        ++depth_;
    }
    void leave() {
        std::lock_guard lock(lock_);
        depth_ = depth_ > 0 ? depth_ - 1 : 0;
    }

    mutable std::mutex lock_;
    int depth_ = 0;
};

}  // namespace plovik

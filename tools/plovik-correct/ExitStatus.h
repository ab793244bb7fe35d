#pragma once

#include <ostream>
#include <string>

namespace plovik {

// plovik-correct's exit statuses, and the one way a usage error is reported.
class ExitStatus {
  public:
    static constexpr int kSuccess = 0;
    // The output could not be written, or the run's temporary folder could not be guarded.
    static constexpr int kFailure = 1;
    static constexpr int kUsageError = 2;

    // Prints the message with a pointer to --help and gives kUsageError.
    static int usageError(std::ostream& errors, const std::string& message);
};

}  // namespace plovik

#include "tools/plovik-correct/ExitStatus.h"

namespace plovik {

int ExitStatus::usageError(std::ostream& errors, const std::string& message) {
    errors << "plovik-correct: " << message << "\nTry 'plovik-correct --help'.\n";
    return kUsageError;
}

}  // namespace plovik

#pragma once

#include <ostream>
#include <string_view>

#include "tools/plovik-correct/CorrectOptions.h"

namespace plovik {

// plovik-correct --app: the text is typed, key by key, through the whole application
// on the simulated desktop, and the text that ends up in the field is written.
class ApplicationRun {
  public:
    // An ExitStatus: a usage error when the session cannot be built from the options.
    static int run(const CorrectOptions& options, std::string_view text, std::ostream& output,
                   std::ostream& errors);
};

}  // namespace plovik

#pragma once

#include <ostream>
#include <string_view>

#include "tools/plovik-correct/CorrectOptions.h"

namespace plovik {

// plovik-correct --convert: the whole text is converted to the other layout of its pair,
// run by run, as the application's conversion shortcut converts a selection.
class ConvertRun {
  public:
    // An ExitStatus: a usage error when a layout has no key map or there is no pair.
    static int run(const CorrectOptions& options, std::string_view text, std::ostream& output,
                   std::ostream& errors);
};

}  // namespace plovik

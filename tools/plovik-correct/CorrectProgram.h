#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace plovik {

// plovik-correct from arguments to exit status: reads the text, types it through the
// correction as the application would, and writes the result or the explanation.
class CorrectProgram {
  public:
    // The arguments without the program name; gives an ExitStatus.
    static int run(const std::vector<std::string>& arguments, std::istream& input,
                   std::ostream& output, std::ostream& errors);
};

}  // namespace plovik

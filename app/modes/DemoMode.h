#pragma once

#include <ostream>

namespace plovik {

// The whole application on the simulated desktop: "ghbdtn vbh" and Return typed into
// an enabled editor with the US layout selected; prints what the field shows.
class DemoMode {
  public:
    // 0 when the field ends up corrected.
    static int run(std::ostream& out, std::ostream& err);
};

}  // namespace plovik

#pragma once

#include <cstdlib>
#include <iostream>
#include <string>

namespace plovik::testing {

// Ends the test program with CTest's skip code: a tool the test needs is not installed.
[[noreturn]] inline void skipBecause(const std::string& reason) {
    std::cout << "skipped: " << reason << std::endl;
    std::exit(77);
}

}  // namespace plovik::testing

#pragma once

#include <string>
#include <string_view>

namespace plovik::text {

// Full Unicode case mapping, independent of the user's locale ("ß" upper-cases to "SS").
class CaseMapping {
  public:
    static std::string uppercased(std::string_view text);
    static std::string lowercased(std::string_view text);
    // Full case folding, for caseless comparison.
    static std::string folded(std::string_view text);
    static bool equalsIgnoringCase(std::string_view a, std::string_view b);
};

}  // namespace plovik::text

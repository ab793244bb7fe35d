#pragma once

#include <string>

namespace plovik {

// A stored setting that could not be read: its place in the document
// ("confidenceThreshold", "applications[2].isEnabled") and why ("is not a number").
struct SettingsFieldProblem {
    std::string field;
    std::string reason;

    bool operator==(const SettingsFieldProblem&) const = default;
};

}  // namespace plovik

#pragma once

#include <string>

#include "core/layouts/KeyboardLayout.h"

namespace plovik {

// Why a layout could not be selected.
class InputSourceError {
  public:
    enum class Kind { sourceNotInstalled, selectionFailed };

    static InputSourceError sourceNotInstalled(KeyboardLayout layout);
    // `sourceName` is the name of the source that refused.
    static InputSourceError selectionFailed(std::string sourceName);

    Kind kind() const { return kind_; }
    // The layout asked for (sourceNotInstalled only).
    const KeyboardLayout& layout() const { return layout_; }
    // The refusing source's name (selectionFailed only).
    const std::string& sourceName() const { return sourceName_; }
    // The text shown to the user.
    std::string description() const;

    bool operator==(const InputSourceError&) const = default;

  private:
    InputSourceError(Kind kind, KeyboardLayout layout, std::string sourceName)
        : kind_(kind), layout_(std::move(layout)), sourceName_(std::move(sourceName)) {}

    Kind kind_;
    KeyboardLayout layout_;
    std::string sourceName_;
};

}  // namespace plovik

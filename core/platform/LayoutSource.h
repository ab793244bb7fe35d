#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/KeyLayoutData.h"
#include "core/support/Published.h"

namespace plovik {

// One keyboard input source as the system describes it. Every property may be absent.
struct InputSource {
    // The type of a plain keyboard layout; input methods have other types.
    static constexpr std::string_view kKeyboardLayoutType = "keyboard layout";

    std::optional<std::string> id;
    std::optional<std::string> localizedName;
    // Language tags as the system gives them, most important first.
    std::vector<std::string> languages;
    std::optional<std::string> type;
    // The Unicode key map; null when the source has none.
    std::shared_ptr<const KeyLayoutData> keyLayoutData;

    bool operator==(const InputSource&) const = default;
};

// The system's keyboard input sources: which are enabled, which one is selected,
// and selecting another. Everything is called and delivered on the main thread.
class LayoutSource {
  public:
    virtual ~LayoutSource() = default;

    // The enabled keyboard input sources in the system's order; empty when the
    // system cannot list them.
    virtual std::vector<InputSource> enabledKeyboardSources() const = 0;
    // A source by id among all installed ones, enabled or not.
    virtual std::optional<InputSource> installedSource(std::string_view id) const = 0;
    // The id of the selected keyboard input source; absent when it has none.
    virtual std::optional<std::string> currentSourceId() const = 0;
    // True when the system selected the source.
    virtual bool select(const InputSource& source) = 0;
    // Where the desktop can, the next edit of the focused field selects `source` the moment
    // it lands, so that a key typed right after it types in the new source. Absent asks for
    // none any more. True when an edit selected the source asked for before.
    virtual bool selectWithNextEdit(const std::optional<InputSource>&) { return false; }
    // Calls `handler` after every change of the selected source, until the
    // subscription ends.
    [[nodiscard]] virtual Subscription observeSelectionChanges(std::function<void()> handler) = 0;
};

}  // namespace plovik

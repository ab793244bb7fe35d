#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/LayoutSource.h"
#include "core/support/Published.h"
#include "platform/linux/XkbKeymapLibrary.h"

namespace plovik {

// The input sources of the simulated desktop: a configurable list of installed
// sources, which of them are enabled, the selection, and a selection that can be
// made to fail. Keyboard layouts carry the real XKB key maps. Selection-change
// observers are called synchronously, after the change.
class SimulatedLayoutSource final : public LayoutSource {
  public:
    static constexpr std::string_view kInputMethodType = "input method";

    explicit SimulatedLayoutSource(XkbKeymapLibrary& keymaps) : keymaps_(keymaps) {}

    // Installs an XKB layout ("xkb:de", "xkb:us(dvorak)") with its registry name,
    // languages and key map; false when XKB does not know it.
    bool addKeyboardLayout(std::string_view id, bool isEnabled = true);
    // Installs a source exactly as given: input methods, layouts without key maps,
    // sources without an id or name.
    void addSource(InputSource source, bool isEnabled = true);
    void setEnabled(std::string_view id, bool isEnabled);
    void removeAll();

    // The user (or another program) selects a source; observers hear of it.
    void setCurrentSourceId(std::optional<std::string> id);
    void setSelectionFails(bool fails) { selectionFails_ = fails; }
    // Ids passed to select(), refused ones included, in order.
    const std::vector<std::string>& selectionRequests() const { return selectionRequests_; }

    std::vector<InputSource> enabledKeyboardSources() const override;
    std::optional<InputSource> installedSource(std::string_view id) const override;
    std::optional<std::string> currentSourceId() const override { return currentId_; }
    bool select(const InputSource& source) override;
    [[nodiscard]] Subscription observeSelectionChanges(std::function<void()> handler) override;

  private:
    struct Installed {
        InputSource source;
        bool isEnabled;
    };

    XkbKeymapLibrary& keymaps_;
    std::vector<Installed> installed_;
    std::optional<std::string> currentId_;
    bool selectionFails_ = false;
    std::vector<std::string> selectionRequests_;
    // Counts selection changes; observers skip the delivery made on subscribing.
    Published<std::uint64_t> selectionChanges_;
};

}  // namespace plovik

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/LayoutSource.h"
#include "core/platform/MainQueue.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"
#include "platform/linux/XkbKeymapLibrary.h"

namespace plovik {

// The input methods of Fcitx5's current group as input sources: each "keyboard-<layout>"
// or "keyboard-<layout>-<variant>" is that XKB layout ("xkb:ru", "xkb:de(nodeadkeys)");
// other input methods are listed as sources Plovik cannot use. Selecting one switches
// Fcitx5's input method. Main thread only, apart from inputMethodsChanged().
class Fcitx5LayoutSource final : public LayoutSource {
  public:
    static constexpr const char* kInputMethodType = "input method";

    Fcitx5LayoutSource(Fcitx5ModuleClient& module, XkbKeymapLibrary& keymaps, MainQueue& mainQueue);

    std::vector<InputSource> enabledKeyboardSources() const override;
    std::optional<InputSource> installedSource(std::string_view id) const override;
    std::optional<std::string> currentSourceId() const override;
    bool select(const InputSource& source) override;
    bool selectWithNextEdit(const std::optional<InputSource>& source) override;
    [[nodiscard]] Subscription observeSelectionChanges(std::function<void()> handler) override;

    // The enabled sources' ids, in Fcitx5's order.
    std::vector<std::string> ids() const;
    // "xkb:de(nodeadkeys)" for "keyboard-de-nodeadkeys"; the input method's own name for
    // any other.
    static std::string sourceId(std::string_view inputMethod);
    // From the module's reading thread.
    void inputMethodsChanged();

  private:
    std::optional<std::string> inputMethodOf(std::string_view sourceId) const;

    Fcitx5ModuleClient& module_;
    XkbKeymapLibrary& keymaps_;
    MainQueue& mainQueue_;
    Published<std::uint64_t> changes_{0};
    // Shared with the posted notification, which must not outlive this.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    module::InputMethods last_;
};

}  // namespace plovik

#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform/LayoutSource.h"
#include "platform/linux/XkbHandles.h"
#include "platform/linux/XkbKeyLayoutData.h"
#include "platform/linux/XkbLayoutRegistry.h"

namespace plovik {

// Key maps of any XKB layout, compiled from names without a display and without
// the user's environment or own XKB files, and kept once compiled.
class XkbKeymapLibrary {
  public:
    static constexpr const char* kSystemIncludePath = "/usr/share/X11/xkb";
    // A fixed locale's table: the user's ~/.XCompose and locale must not change results.
    static constexpr const char* kComposeFile = "/usr/share/X11/locale/en_US.UTF-8/Compose";

    explicit XkbKeymapLibrary(std::string includePath = kSystemIncludePath,
                              const std::string& composeFile = kComposeFile);

    // The key map of "xkb:<layout>" or "xkb:<layout>(<variant>)"; null when the id
    // is malformed or names no layout. Not thread-safe (the cache).
    std::shared_ptr<const KeyLayoutData> keyLayoutData(std::string_view inputSourceId);
    // The layout as a plain keyboard-layout input source with the registry's name
    // and languages; absent when it has no key map.
    std::optional<InputSource> inputSource(std::string_view inputSourceId);

    bool hasComposeTable() const { return compose_ != nullptr; }
    const XkbLayoutRegistry& registry() const { return registry_; }

  private:
    std::shared_ptr<const KeyLayoutData> compile(const XkbLayoutName& name) const;

    xkb::Context context_;
    xkb::ComposeTable compose_;
    XkbLayoutRegistry registry_;
    std::map<std::string, std::shared_ptr<const KeyLayoutData>, std::less<>> cache_;
};

}  // namespace plovik

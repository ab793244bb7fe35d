// Stored shortcuts: any JSON value reads as a shortcut or as nothing, and a shortcut
// read writes back to the same shortcut.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "core/capture/ShortcutDefinition.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto json = nlohmann::json::parse(data, data + size, nullptr, false);
    if (json.is_discarded()) {
        return 0;
    }
    const auto shortcut = plovik::ShortcutDefinition::fromJson(json);
    if (shortcut && plovik::ShortcutDefinition::fromJson(shortcut->toJson()) != shortcut) {
        std::abort();
    }
    return 0;
}

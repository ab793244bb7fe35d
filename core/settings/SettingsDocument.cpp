#include "core/settings/SettingsDocument.h"

namespace plovik {

std::optional<std::vector<std::uint8_t>> SettingsDocument::encode(const AppSettings& settings) {
    const auto json = settings.toJson();
    if (!json) {
        return std::nullopt;
    }
    // Names come from other programs; a stray invalid byte must not stop every later write.
    const std::string text = json->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::optional<AppSettings> SettingsDocument::decode(std::span<const std::uint8_t> document) {
    const auto json = nlohmann::json::parse(document.begin(), document.end(), nullptr, false);
    if (json.is_discarded()) {
        return std::nullopt;
    }
    return AppSettings::fromJson(json);
}

}  // namespace plovik

#include "platform/linux/XkbLayoutName.h"

#include <algorithm>

namespace plovik {
namespace {

constexpr std::string_view kPrefix = "xkb:";

bool isPlainName(std::string_view name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-' || c == '.';
    });
}

}  // namespace

std::optional<XkbLayoutName> XkbLayoutName::fromId(std::string_view id) {
    if (!id.starts_with(kPrefix)) {
        return std::nullopt;
    }
    id.remove_prefix(kPrefix.size());
    const auto open = id.find('(');
    XkbLayoutName name{std::string(id.substr(0, open)), {}};
    if (open != std::string_view::npos) {
        if (!id.ends_with(')')) {
            return std::nullopt;
        }
        name.variant = std::string(id.substr(open + 1, id.size() - open - 2));
        if (!isPlainName(name.variant)) {
            return std::nullopt;
        }
    }
    if (!isPlainName(name.layout)) {
        return std::nullopt;
    }
    return name;
}

std::string XkbLayoutName::id() const {
    std::string result = std::string(kPrefix) + layout;
    if (!variant.empty()) {
        result += "(" + variant + ")";
    }
    return result;
}

}  // namespace plovik

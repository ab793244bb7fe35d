#include "core/support/Uuid.h"

#include <uuid/uuid.h>

#include <algorithm>
#include <cctype>

namespace plovik {

Uuid Uuid::random() {
    std::array<std::uint8_t, 16> bytes{};
    uuid_generate_random(bytes.data());
    return Uuid(bytes);
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    // uuid_parse needs a terminated string and rejects nothing but the shape.
    const std::string terminated(text);
    std::array<std::uint8_t, 16> bytes{};
    if (uuid_parse(terminated.c_str(), bytes.data()) != 0) {
        return std::nullopt;
    }
    return Uuid(bytes);
}

std::string Uuid::uppercaseString() const {
    char text[37];
    uuid_unparse_upper(bytes_.data(), text);
    return std::string(text);
}

}  // namespace plovik

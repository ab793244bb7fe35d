#include "framework/ibus/wire/EngineMessage.h"

#include <array>
#include <charconv>

namespace plovik::ibus {

namespace {

constexpr std::array kNames{"hello",  "press", "late",   "taken", "field", "text", "edited",
                            "synced", "grabs", "answer", "take",  "edit",  "post", "sync"};

void appendEscaped(std::string& out, std::string_view field) {
    for (const char c : field) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out += c;
        }
    }
}

std::optional<EngineMessage::Kind> kindNamed(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (name == kNames[i]) {
            return static_cast<EngineMessage::Kind>(i);
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> split(std::string_view bytes) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\t') {
            fields.emplace_back();
        } else if (c != '\\') {
            fields.back() += c;
        } else if (i + 1 < bytes.size()) {
            const char next = bytes[++i];
            if (next == '\\') {
                fields.back() += '\\';
            } else if (next == 't') {
                fields.back() += '\t';
            } else if (next == '0') {
                fields.back() += '\0';
            } else {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    return fields;
}

}  // namespace

std::string_view kindName(EngineMessage::Kind kind) {
    return kNames.at(static_cast<std::size_t>(kind));
}

std::string EngineMessage::encode() const {
    std::string out(kindName(kind));
    for (const auto& field : fields) {
        out += '\t';
        appendEscaped(out, field);
    }
    return out;
}

std::optional<EngineMessage> EngineMessage::decode(std::string_view bytes) {
    if (bytes.size() > kMaximumSize) {
        return std::nullopt;
    }
    auto fields = split(bytes);
    if (!fields) {
        return std::nullopt;
    }
    const auto kind = kindNamed(fields->front());
    if (!kind) {
        return std::nullopt;
    }
    fields->erase(fields->begin());
    return EngineMessage{*kind, std::move(*fields)};
}

std::string_view EngineMessage::text(std::size_t index) const {
    return index < fields.size() ? std::string_view(fields[index]) : std::string_view();
}

std::optional<std::uint64_t> EngineMessage::number(std::size_t index) const {
    const std::string_view field = text(index);
    std::uint64_t value = 0;
    const auto* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, value);
    if (field.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace plovik::ibus

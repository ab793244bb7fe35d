#include "platform/fcitx5/protocol/ModuleWire.h"

#include <type_traits>
#include <utility>

namespace plovik {
namespace {

class Writer {
  public:
    template <typename Integer>
    void integer(Integer value) {
        using Unsigned = std::make_unsigned_t<Integer>;
        auto bits = static_cast<Unsigned>(value);
        for (std::size_t i = 0; i < sizeof(Integer); ++i) {
            bytes_ += static_cast<char>(bits & 0xff);
            bits = static_cast<Unsigned>(bits >> 8);
        }
    }
    void boolean(bool value) { integer<std::uint8_t>(value ? 1 : 0); }
    void text(std::string_view value) {
        integer(static_cast<std::uint32_t>(value.size()));
        bytes_ += value;
    }
    std::string take() { return std::move(bytes_); }

  private:
    std::string bytes_;
};

class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}

    template <typename Integer>
    bool integer(Integer& value) {
        using Unsigned = std::make_unsigned_t<Integer>;
        if (bytes_.size() < sizeof(Integer)) {
            return false;
        }
        Unsigned bits = 0;
        for (std::size_t i = 0; i < sizeof(Integer); ++i) {
            bits = static_cast<Unsigned>(
                bits | static_cast<Unsigned>(static_cast<unsigned char>(bytes_[i])) << (8 * i));
        }
        value = static_cast<Integer>(bits);
        bytes_.remove_prefix(sizeof(Integer));
        return true;
    }
    bool boolean(bool& value) {
        std::uint8_t byte = 0;
        if (!integer(byte) || byte > 1) {
            return false;
        }
        value = byte == 1;
        return true;
    }
    bool text(std::string& value) {
        std::uint32_t length = 0;
        if (!integer(length) || bytes_.size() < length) {
            return false;
        }
        value.assign(bytes_.substr(0, length));
        bytes_.remove_prefix(length);
        return true;
    }
    bool finished() const { return bytes_.empty(); }

  private:
    std::string_view bytes_;
};

// One description of each message's fields serves both directions.
template <typename Visit>
bool fields(module::Hello& m, Visit& v) {
    return v.integer(m.version);
}
template <typename Visit>
bool fields(module::Press& m, Visit& v) {
    return v.integer(m.sequence) && v.integer(m.key) && v.integer(m.modifiers) && v.text(m.text) &&
           v.boolean(m.repeat) && v.boolean(m.held);
}
template <typename Visit>
bool fields(module::PressTaken& m, Visit& v) {
    return v.integer(m.sequence);
}
template <typename Visit>
bool fields(module::PressWentOn& m, Visit& v) {
    return v.integer(m.sequence);
}
template <typename Visit>
bool fields(module::Focus& m, Visit& v) {
    return v.integer(m.context) && v.boolean(m.focused) && v.integer(m.capabilities) &&
           v.text(m.program) && v.text(m.frontend);
}
template <typename Visit>
bool fields(module::Surrounding& m, Visit& v) {
    return v.integer(m.context) && v.boolean(m.valid) && v.text(m.text) && v.integer(m.cursor) &&
           v.integer(m.anchor);
}
template <typename Visit>
bool fields(module::InputMethods& m, Visit& v) {
    return v.text(m.current) && v.list(m.enabled);
}
template <typename Visit>
bool fields(module::EditDone& m, Visit& v) {
    return v.integer(m.request) && v.status(m.status);
}
template <typename Visit>
bool fields(module::Synced& m, Visit& v) {
    return v.integer(m.request);
}
template <typename Visit>
bool fields(module::Answer& m, Visit& v) {
    return v.integer(m.sequence) && v.boolean(m.swallow);
}
template <typename Visit>
bool fields(module::HeldKey& m, Visit& v) {
    return v.integer(m.key) && v.integer(m.modifiers);
}
template <typename Visit>
bool fields(module::HeldKeys& m, Visit& v) {
    return v.list(m.keys);
}
template <typename Visit>
bool fields(module::Edit& m, Visit& v) {
    return v.integer(m.request) && v.integer(m.context) && v.integer(m.afterSequence) &&
           v.text(m.before) && v.text(m.replacement) && v.text(m.selectAfter);
}
template <typename Visit>
bool fields(module::SelectInputMethod& m, Visit& v) {
    return v.text(m.name);
}
template <typename Visit>
bool fields(module::PostKey& m, Visit& v) {
    return v.integer(m.key) && v.integer(m.modifiers) && v.integer(m.forSequence);
}
template <typename Visit>
bool fields(module::Sync& m, Visit& v) {
    return v.integer(m.request);
}

// A list element is a string or a message-like record.
struct Encoding {
    Writer& out;

    template <typename Integer>
    bool integer(Integer value) {
        out.integer(value);
        return true;
    }
    bool boolean(bool value) {
        out.boolean(value);
        return true;
    }
    bool text(const std::string& value) {
        out.text(value);
        return true;
    }
    bool status(module::EditStatus value) { return integer(static_cast<std::uint8_t>(value)); }
    template <typename Element>
    bool list(std::vector<Element>& values) {
        out.integer(static_cast<std::uint32_t>(values.size()));
        for (auto& value : values) {
            element(value);
        }
        return true;
    }
    bool element(std::string& value) { return text(value); }
    template <typename Record>
    bool element(Record& value) {
        return fields(value, *this);
    }
};

struct Decoding {
    Reader& in;

    template <typename Integer>
    bool integer(Integer& value) {
        return in.integer(value);
    }
    bool boolean(bool& value) { return in.boolean(value); }
    bool text(std::string& value) { return in.text(value); }
    bool status(module::EditStatus& value) {
        std::uint8_t raw = 0;
        if (!in.integer(raw) ||
            raw > static_cast<std::uint8_t>(module::EditStatus::noSurroundingText)) {
            return false;
        }
        value = static_cast<module::EditStatus>(raw);
        return true;
    }
    template <typename Element>
    bool list(std::vector<Element>& values) {
        std::uint32_t count = 0;
        if (!in.integer(count) || count > ModuleWire::kMaximumFrame) {
            return false;
        }
        values.clear();
        for (std::uint32_t i = 0; i < count; ++i) {
            Element value{};
            if (!element(value)) {
                return false;
            }
            values.push_back(std::move(value));
        }
        return true;
    }
    bool element(std::string& value) { return text(value); }
    template <typename Record>
    bool element(Record& value) {
        return fields(value, *this);
    }
};

template <std::size_t Index = 0>
std::optional<ModuleMessage> decodeKind(std::size_t kind, Reader& reader) {
    if constexpr (Index == std::variant_size_v<ModuleMessage>) {
        return std::nullopt;
    } else {
        if (kind != Index) {
            return decodeKind<Index + 1>(kind, reader);
        }
        std::variant_alternative_t<Index, ModuleMessage> message{};
        Decoding decoding{reader};
        if (!fields(message, decoding) || !reader.finished()) {
            return std::nullopt;
        }
        return ModuleMessage(std::move(message));
    }
}

}  // namespace

std::string ModuleWire::encode(const ModuleMessage& message) {
    Writer payload;
    payload.integer(static_cast<std::uint8_t>(message.index()));
    Encoding encoding{payload};
    std::visit([&](auto copy) { fields(copy, encoding); }, message);
    const std::string body = payload.take();
    Writer frame;
    frame.integer(static_cast<std::uint32_t>(body.size()));
    return frame.take() + body;
}

std::optional<ModuleMessage> ModuleWire::decode(std::string_view payload) {
    Reader reader(payload);
    std::uint8_t kind = 0;
    if (!reader.integer(kind)) {
        return std::nullopt;
    }
    return decodeKind(kind, reader);
}

std::uint32_t ModuleWire::announcedLength(std::string_view prefix) {
    Reader reader(prefix.substr(0, kLengthPrefix));
    std::uint32_t length = 0;
    return reader.integer(length) ? length : 0;
}

}  // namespace plovik

#include "platform/fcitx5/protocol/FrameAssembler.h"

#include "platform/fcitx5/protocol/ModuleWire.h"

namespace plovik {

void FrameAssembler::append(std::string_view bytes) {
    if (broken_) {
        return;
    }
    // Consumed frames are dropped only now, so that next() never moves the buffer.
    buffer_.erase(0, consumed_);
    consumed_ = 0;
    buffer_ += bytes;
}

std::optional<ModuleMessage> FrameAssembler::next() {
    const std::string_view pending = std::string_view(buffer_).substr(consumed_);
    if (broken_ || pending.size() < ModuleWire::kLengthPrefix) {
        return std::nullopt;
    }
    const std::uint32_t length = ModuleWire::announcedLength(pending);
    if (length > ModuleWire::kMaximumFrame) {
        broken_ = true;
        return std::nullopt;
    }
    if (pending.size() < ModuleWire::kLengthPrefix + length) {
        return std::nullopt;
    }
    auto message = ModuleWire::decode(pending.substr(ModuleWire::kLengthPrefix, length));
    if (!message) {
        broken_ = true;
        return std::nullopt;
    }
    consumed_ += ModuleWire::kLengthPrefix + length;
    return message;
}

}  // namespace plovik

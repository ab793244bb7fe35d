#include "platform/ibus/IbusField.h"

namespace plovik {

using ibus::EngineMessage;

bool IbusField::apply(const EngineMessage& message) {
    const auto id = message.number(0);
    if (!id) {
        return false;
    }
    if (message.kind == EngineMessage::Kind::field) {
        const auto purposeNumber = message.number(2);
        if (!purposeNumber) {
            return false;
        }
        if (*id != context) {
            text.reset();
        }
        context = *id;
        focused = message.text(1) == "focused";
        purpose = static_cast<unsigned>(*purposeNumber);
        secret = message.text(3) != "open";
        tellsText = message.text(4) == "text";
        engine = std::string(message.text(5));
        return true;
    }
    if (message.kind == EngineMessage::Kind::text && *id == context) {
        const auto cursor = message.number(1);
        const auto anchor = message.number(2);
        if (!cursor || !anchor) {
            text.reset();
            return true;
        }
        text = Text{std::string(message.text(3)), static_cast<std::int64_t>(*cursor),
                    static_cast<std::int64_t>(*anchor), message.text(4) == "whole"};
        return true;
    }
    return false;
}

}  // namespace plovik

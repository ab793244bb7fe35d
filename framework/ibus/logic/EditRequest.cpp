#include "framework/ibus/logic/EditRequest.h"

#include <glib.h>

#include "framework/ibus/logic/SurroundingText.h"

namespace plovik::ibus {

namespace {

constexpr std::string_view kAtStart = "start";
constexpr std::string_view kWithin = "within";

}  // namespace

std::optional<EditRequest> EditRequest::fromMessage(const EngineMessage& message) {
    if (message.kind != EngineMessage::Kind::edit || message.fields.size() != 7) {
        return std::nullopt;
    }
    const auto edit = message.number(0);
    const auto context = message.number(1);
    const auto askedAt = message.number(2);
    const auto count = message.number(5);
    const auto where = message.text(4);
    if (!edit || !context || !askedAt || !count || (where != kAtStart && where != kWithin)) {
        return std::nullopt;
    }
    EditRequest request{*edit,
                        *context,
                        *askedAt,
                        std::string(message.text(3)),
                        where == kAtStart,
                        static_cast<std::size_t>(*count),
                        std::string(message.text(6))};
    const auto valid = [](const std::string& text) {
        return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
    };
    if (!valid(request.expectedBefore) || !valid(request.insert) ||
        request.deleteCount > codePointCount(request.expectedBefore)) {
        return std::nullopt;
    }
    return request;
}

EngineMessage EditRequest::toMessage() const {
    return {EngineMessage::Kind::edit,
            {std::to_string(edit), std::to_string(context), std::to_string(askedAt), expectedBefore,
             std::string(atTextStart ? kAtStart : kWithin), std::to_string(deleteCount), insert}};
}

}  // namespace plovik::ibus

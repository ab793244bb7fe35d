#include "platform/ibus/IbusFieldEditor.h"

#include <algorithm>

#include "core/text/CodePoints.h"
#include "framework/ibus/logic/EditRequest.h"

namespace plovik {

using ibus::EngineMessage;

IbusFieldEditor::IbusFieldEditor(IbusEngineLink& link, const KeyCaptureFactory& presses)
    : link_(link), presses_(presses) {
    messages_ = link_.listen([this](const EngineMessage& message) { handle(message); });
    connection_ = link_.connected().subscribe([this](bool connected) {
        if (!connected) {
            field_.reset();
        }
    });
}

void IbusFieldEditor::handle(const EngineMessage& message) {
    if (message.kind != EngineMessage::Kind::field && message.kind != EngineMessage::Kind::text) {
        return;
    }
    IbusField updated = field_.value_or(IbusField{});
    if (updated.apply(message)) {
        field_ = std::move(updated);
    }
}

std::optional<std::string> IbusFieldEditor::replace(std::uint64_t context,
                                                    const std::string& expectedBefore,
                                                    bool atTextStart, std::size_t deleteCount,
                                                    const std::string& insert) {
    const std::uint64_t edit = nextEdit_++;
    // The latest press Plovik knows of: one the engine passed on after it is one Plovik
    // has not seen, and stops the edit.
    const ibus::EditRequest request{
        edit, context, presses_.latestPress(), expectedBefore, atTextStart, deleteCount, insert};
    const std::string id = std::to_string(edit);
    const auto asked = std::chrono::steady_clock::now();
    const auto answer = link_.request(
        request.toMessage(),
        [&](const EngineMessage& message) {
            return message.kind == EngineMessage::Kind::edited && message.text(0) == id;
        },
        kEditTimeout);
    if (editObserver_ && link_.isConnected()) {
        editObserver_(std::chrono::steady_clock::now() - asked);
    }
    if (!answer) {
        return link_.isConnected() ? "the engine did not answer in time"
                                   : "Plovik's input method is not running";
    }
    if (answer->text(1) != "done") {
        return std::string(answer->text(2));
    }
    showEdit(context, expectedBefore, deleteCount, insert);
    return std::nullopt;
}

// The engine found `expectedBefore` before the caret and replaced its end: the field reads
// so from now on, although its client reports the change a moment later.
void IbusFieldEditor::showEdit(std::uint64_t context, const std::string& expectedBefore,
                               std::size_t deleteCount, const std::string& insert) {
    if (!field_ || field_->context != context || !field_->text ||
        field_->text->cursor != field_->text->anchor) {
        return;
    }
    auto& text = *field_->text;
    const auto caret = static_cast<std::size_t>(text.cursor);
    const auto before = text::CodePoints::substring(text.text, 0, caret);
    const auto after = text::CodePoints::substring(
        text.text, caret,
        text::CodePoints::length(text.text) - std::min(caret, text::CodePoints::length(text.text)));
    const std::size_t kept = before ? text::CodePoints::length(*before) : 0;
    if (!before || !after || !before->ends_with(expectedBefore) || deleteCount > kept) {
        return;
    }
    const auto shown = text::CodePoints::substring(*before, 0, kept - deleteCount);
    if (!shown) {
        return;
    }
    text.text = *shown + insert + *after;
    text.cursor = text.anchor =
        static_cast<std::int64_t>(kept - deleteCount + text::CodePoints::length(insert));
}

bool IbusFieldEditor::post(Key key) {
    return link_.send({EngineMessage::Kind::post, {std::to_string(evdevCode(key))}});
}

}  // namespace plovik

namespace plovik {

bool IbusFieldEditor::settle() {
    const std::string id = std::to_string(nextSync_++);
    return link_
        .request(
            {EngineMessage::Kind::sync, {id}},
            [&](const EngineMessage& message) {
                return message.kind == EngineMessage::Kind::synced && message.text(0) == id;
            },
            kSettleTimeout)
        .has_value();
}

}  // namespace plovik

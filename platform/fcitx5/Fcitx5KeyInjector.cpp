#include "platform/fcitx5/Fcitx5KeyInjector.h"

#include <thread>
#include <utility>

#include "core/text/CodePoints.h"
#include "platform/fcitx5/KeystrokeEdit.h"

namespace plovik {

Fcitx5KeyInjector::Fcitx5KeyInjector(Fcitx5ModuleClient& module, Fcitx5KeyCaptureFactory& taps,
                                     MainQueue& mainQueue)
    : module_(module), taps_(taps), mainQueue_(mainQueue) {}

std::optional<SyntheticKeyEvent> Fcitx5KeyInjector::createKeyEvent(Key key, bool isKeyDown) {
    switch (key) {
        case Key::enter:
        case Key::keypadEnter:
        case Key::backspace:
        case kTypingKey:
            return SyntheticKeyEvent{key, isKeyDown, {}, std::nullopt};
        default:
            return std::nullopt;
    }
}

void Fcitx5KeyInjector::post(const SyntheticKeyEvent& event) {
    if (!event.isKeyDown) {
        return;
    }
    if (event.key == Key::backspace) {
        ++backspaces_;
        // Backspaces with no text after them are an edit of their own.
        if (!std::exchange(eraseScheduled_, true)) {
            mainQueue_.post([this] {
                eraseScheduled_ = false;
                if (backspaces_ > 0) {
                    erase({});
                }
            });
        }
    } else if (event.text) {
        erase(*event.text);
    } else if (event.key == Key::enter || event.key == Key::keypadEnter) {
        postReturn(event);
    }
}

void Fcitx5KeyInjector::awaitDelivery(std::chrono::milliseconds pause) {
    if (std::exchange(eraseScheduled_, false) && backspaces_ > 0) {
        erase({});
    }
    const auto until = std::chrono::steady_clock::now() + pause;
    (void)module_.sync();
    const auto left = until - std::chrono::steady_clock::now();
    if (left > std::chrono::steady_clock::duration::zero()) {
        std::this_thread::sleep_for(left);
    }
}

void Fcitx5KeyInjector::postReturn(const SyntheticKeyEvent& event) {
    const auto withheld = taps_.takeWithheldReturn();
    if (withheld && withheld->wentOn) {
        return;
    }
    module_.send(module::PostKey{evdevCode(event.key), event.modifiers.bits(),
                                 withheld ? withheld->sequence : 0});
}

void Fcitx5KeyInjector::erase(const std::string& text) {
    const std::size_t count = std::exchange(backspaces_, 0);
    const std::uint64_t latest = module_.latestSequence();
    const auto field = module_.focusedField();
    if (!field || !field->surrounding.valid) {
        return;
    }
    const auto& surrounding = field->surrounding;
    const auto before = text::CodePoints::substring(surrounding.text, 0, surrounding.cursor);
    const auto parts = before ? KeystrokeEdit::of(*before, count, 0, text) : std::nullopt;
    if (!parts) {
        return;
    }
    (void)module_.edit(
        module::Edit{0, field->focus.context, latest, parts->before, parts->replacement, {}});
}

}  // namespace plovik

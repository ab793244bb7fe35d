#include "platform/ibus/IbusKeyInjector.h"

#include "core/text/CodePoints.h"
#include "core/text/Graphemes.h"

namespace plovik {

IbusKeyInjector::IbusKeyInjector(IbusFieldEditor& editor, MainQueue& mainQueue)
    : editor_(editor), mainQueue_(mainQueue) {}

std::optional<SyntheticKeyEvent> IbusKeyInjector::createKeyEvent(Key key, bool isKeyDown) {
    switch (key) {
        case Key::enter:
        case Key::keypadEnter:
        case Key::backspace:
        // The key that carries typed text.
        case Key::a:
            return SyntheticKeyEvent{key, isKeyDown, {}, std::nullopt};
        default:
            return std::nullopt;
    }
}

void IbusKeyInjector::post(const SyntheticKeyEvent& event) {
    if (!event.isKeyDown) {
        return;
    }
    if (event.text) {
        (void)flush(*event.text);
    } else if (event.key == Key::backspace) {
        ++pendingBackspaces_;
        // Backspaces with nothing typed after them are an edit of their own.
        if (!flushScheduled_) {
            flushScheduled_ = true;
            mainQueue_.post([this] {
                flushScheduled_ = false;
                if (pendingBackspaces_ > 0) {
                    (void)flush("");
                }
            });
        }
    } else if (event.key == Key::enter || event.key == Key::keypadEnter) {
        editor_.post(event.key);
    }
}

bool IbusKeyInjector::prepareText(const std::string&) {
    return true;
}

void IbusKeyInjector::awaitDelivery(std::chrono::milliseconds) {
    // Edits are answered once the engine carried them out; what else was sent is done
    // once the engines say so.
    (void)editor_.settle();
}

bool IbusKeyInjector::postNow(const std::vector<SyntheticKeyEvent>& events) {
    for (const auto& event : events) {
        if (!event.isKeyDown) {
            continue;
        }
        if (event.text) {
            if (!flush(*event.text)) {
                return false;
            }
        } else if (event.key == Key::backspace) {
            ++pendingBackspaces_;
        } else if (event.key == Key::enter || event.key == Key::keypadEnter) {
            if ((pendingBackspaces_ > 0 && !flush("")) || !editor_.post(event.key)) {
                return false;
            }
        } else {
            pendingBackspaces_ = 0;
            return false;
        }
    }
    return pendingBackspaces_ == 0 || flush("");
}

bool IbusKeyInjector::flush(const std::string& insert) {
    const std::size_t backspaces = std::exchange(pendingBackspaces_, 0);
    const auto& field = editor_.field();
    if (!field || !field->focused || field->secret || !field->text) {
        return false;
    }
    // Each Backspace takes one user-perceived character before the caret as the field
    // shows it now; the engine checks that the field still shows it.
    const auto& text = *field->text;
    if (text.cursor != text.anchor) {
        return false;
    }
    const auto before =
        text::CodePoints::substring(text.text, 0, static_cast<std::size_t>(text.cursor));
    if (!before || text::Graphemes::count(*before) < backspaces) {
        return false;
    }
    const std::string deleted = text::Graphemes::last(*before, backspaces);
    return !editor_.replace(field->context, deleted, false, text::CodePoints::length(deleted),
                            insert);
}

}  // namespace plovik

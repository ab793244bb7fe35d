#include "platform/x11/X11KeyInjector.h"

#include <thread>

#include "platform/x11/X11ModifierFlags.h"

namespace plovik {

namespace {

// How often waiting events look whether the keyboard is free again.
constexpr std::chrono::milliseconds kGrabPollInterval{2};

}  // namespace

X11KeyInjector::X11KeyInjector(XTestKeyTyper& injector, const X11KeyboardState& keyboard,
                               MainQueue& mainQueue, const X11ExpectedKeys& expectedKeys)
    : injector_(injector),
      keyboard_(keyboard),
      mainQueue_(mainQueue),
      expectedKeys_(expectedKeys) {}

std::optional<SyntheticKeyEvent> X11KeyInjector::createKeyEvent(Key key, bool isKeyDown) {
    SyntheticKeyEvent event;
    event.key = key;
    event.isKeyDown = isKeyDown;
    event.modifiers = X11ModifierFlags::modifiers(keyboard_.modifiers());
    return event;
}

void X11KeyInjector::post(const SyntheticKeyEvent& event) {
    if (waiting_.empty() && !expectedKeys_.isGrabHeld()) {
        postNow(event);
        return;
    }
    waiting_.push_back(event);
    if (waiting_.size() == 1) {
        waitDeadline_ = std::chrono::steady_clock::now() + kGrabWaitLimit;
        postWaitingWhenFree(waitDeadline_);
    }
}

bool X11KeyInjector::prepareText(const std::string& text) {
    return injector_.prepare(text);
}

void X11KeyInjector::awaitDelivery(std::chrono::milliseconds pause) {
    const auto until = std::chrono::steady_clock::now() + pause;
    // The capture thread lets go of the grab; the main thread is not needed for it.
    while (!waiting_.empty()) {
        const auto now = std::chrono::steady_clock::now();
        if (!expectedKeys_.isGrabHeld() || now >= waitDeadline_) {
            postWaiting();
        } else if (now >= until) {
            return;
        } else {
            std::this_thread::sleep_for(kGrabPollInterval);
        }
    }
    std::this_thread::sleep_until(until);
}

void X11KeyInjector::postWaiting() {
    while (!waiting_.empty()) {
        const SyntheticKeyEvent event = waiting_.front();
        waiting_.pop_front();
        postNow(event);
    }
}

void X11KeyInjector::postWaitingWhenFree(std::chrono::steady_clock::time_point deadline) {
    mainQueue_.postAfter(
        kGrabPollInterval, [weak = std::weak_ptr<X11KeyInjector*>(self_), deadline] {
            const auto self = weak.lock();
            if (!self) {
                return;
            }
            X11KeyInjector& poster = **self;
            if (poster.expectedKeys_.isGrabHeld() && std::chrono::steady_clock::now() < deadline) {
                poster.postWaitingWhenFree(deadline);
                return;
            }
            poster.postWaiting();
        });
}

void X11KeyInjector::postNow(const SyntheticKeyEvent& event) {
    const bool posted = injector_.post(event);
    // A text's release has nothing to say about it.
    if (!event.text || event.isKeyDown) {
        lastPostSucceeded_ = posted;
    }
}

}  // namespace plovik

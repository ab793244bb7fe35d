#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "core/platform/KeyInjector.h"

namespace plovik {

// Posting of keyboard events on the simulated desktop: every posted event is logged
// and handed to the desktop, which sends it through the key-event tap to the field.
class SimulatedKeyInjector final : public KeyInjector {
  public:
    using Sink = std::function<void(const SyntheticKeyEvent&)>;

    void setSink(Sink sink) { sink_ = std::move(sink); }
    // What waiting for delivery does: the desktop lets applications catch up.
    void setDeliveryWait(std::function<void()> wait) { deliveryWait_ = std::move(wait); }
    // The modifiers the session holds; new events start with them.
    void setHeldModifiers(Modifiers modifiers) { heldModifiers_ = modifiers; }
    Modifiers heldModifiers() const { return heldModifiers_; }
    // A character no key of the session can type; text holding it cannot be posted.
    void setUntypableCharacter(std::optional<std::string> character) {
        untypable_ = std::move(character);
    }
    // The next `count` posted texts are logged but never reach an application, as keys
    // a browser drops.
    void loseNextTypedTexts(std::size_t count) { textsToLose_ = count; }
    // How many more events can be created; absent for no limit.
    void setEventCreationBudget(std::optional<std::size_t> budget) { budget_ = budget; }

    const std::vector<SyntheticKeyEvent>& postedEvents() const { return posted_; }
    void clearPostedEvents() { posted_.clear(); }

    std::optional<SyntheticKeyEvent> createKeyEvent(Key key, bool isKeyDown) override;
    void post(const SyntheticKeyEvent& event) override;
    bool prepareText(const std::string& text) override;
    // No real time passes: applications show what is on its way at once.
    void awaitDelivery(std::chrono::milliseconds pause) override;

  private:
    Sink sink_;
    std::function<void()> deliveryWait_;
    Modifiers heldModifiers_;
    std::optional<std::size_t> budget_;
    std::optional<std::string> untypable_;
    std::size_t textsToLose_ = 0;
    std::vector<SyntheticKeyEvent> posted_;
};

}  // namespace plovik

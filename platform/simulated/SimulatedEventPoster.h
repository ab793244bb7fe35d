#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/platform/EventPoster.h"

namespace plovik {

// Posting of keyboard events on the simulated desktop: every posted event is logged
// and handed to the desktop, which sends it through the key-event tap to the field.
class SimulatedEventPoster final : public EventPoster {
  public:
    using Sink = std::function<void(const SyntheticKeyEvent&)>;

    void setSink(Sink sink) { sink_ = std::move(sink); }
    // The modifier flags the session holds; new events start with them.
    void setHeldModifiers(std::uint64_t flags) { heldModifiers_ = flags; }
    std::uint64_t heldModifiers() const { return heldModifiers_; }
    void setSourceCreationFails(bool fails) { sourceCreationFails_ = fails; }
    // How many more events can be created; absent for no limit.
    void setEventCreationBudget(std::optional<std::size_t> budget) { budget_ = budget; }

    const std::vector<SyntheticKeyEvent>& postedEvents() const { return posted_; }
    void clearPostedEvents() { posted_.clear(); }
    int createdSourceCount() const { return createdSources_; }

    std::unique_ptr<EventSource> createSource() override;
    void post(const SyntheticKeyEvent& event) override;

    // Used by the sources.
    std::optional<SyntheticKeyEvent> createEvent(std::uint16_t keyCode, bool isKeyDown);

  private:
    Sink sink_;
    std::uint64_t heldModifiers_ = 0;
    bool sourceCreationFails_ = false;
    std::optional<std::size_t> budget_;
    std::vector<SyntheticKeyEvent> posted_;
    int createdSources_ = 0;
};

}  // namespace plovik

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace plovik {

// A keyboard event to post, as plain data.
struct SyntheticKeyEvent {
    std::uint16_t keyCode = 0;
    bool isKeyDown = true;
    std::uint64_t flags = 0;
    // The event-source user-data field; Plovik writes its marker here.
    std::int64_t userData = 0;
    // Text the event types instead of what its key would type (UTF-8).
    std::optional<std::string> unicodeString;

    bool operator==(const SyntheticKeyEvent&) const = default;
};

// A source of events with the combined-session state: new events start with the
// modifier flags the session currently holds.
class EventSource {
  public:
    virtual ~EventSource() = default;
    // Absent when the system cannot create the event.
    virtual std::optional<SyntheticKeyEvent> createKeyboardEvent(std::uint16_t keyCode,
                                                                 bool isKeyDown) = 0;
};

class EventPoster {
  public:
    virtual ~EventPoster() = default;
    // Null when no source can be created.
    virtual std::unique_ptr<EventSource> createSource() = 0;
    // Posts at the lowest level, so that every key-event tap sees the event.
    virtual void post(const SyntheticKeyEvent& event) = 0;
};

}  // namespace plovik

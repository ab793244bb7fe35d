#pragma once

#include <optional>
#include <vector>

#include "framework/ibus/logic/KeyStroke.h"
#include "framework/ibus/wire/EngineMessage.h"

namespace plovik::ibus {

// The key combinations Plovik wants to be asked about before they go on (Return and
// its shortcuts). Lock keys do not change a combination.
class GrabList {
  public:
    struct Combination {
        Key key = Key::enter;
        Modifiers modifiers;
        bool operator==(const Combination&) const = default;
    };

    static constexpr Modifiers kCompared = Modifier::shift | Modifier::control | Modifier::alt |
                                           Modifier::super | Modifier::levelThree;

    GrabList() = default;
    explicit GrabList(std::vector<Combination> combinations);

    // From a `grabs` message; absent when a field is not a number.
    static std::optional<GrabList> fromMessage(const EngineMessage& message);
    EngineMessage toMessage() const;

    bool matches(const KeyStroke& stroke) const;
    const std::vector<Combination>& combinations() const { return combinations_; }

  private:
    std::vector<Combination> combinations_;
};

}  // namespace plovik::ibus

#pragma once

namespace plovik {

// Whether this process may listen to the keyboard of the whole session.
class KeyboardAccess {
  public:
    virtual ~KeyboardAccess() = default;
    virtual bool hasAccess() const = 0;
    // Asks the system (or the user) for access; the answer may come later.
    virtual bool requestAccess() = 0;
};

}  // namespace plovik

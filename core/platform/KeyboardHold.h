#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "core/platform/KeyCapture.h"
#include "core/platform/KeyInjector.h"

namespace plovik {

// The user's keyboard held back from the applications while Plovik edits the focused
// field: keys pressed meanwhile wait, in order, and reach the application when the hold
// ends, so that none of them can fall between the steps of an edit. Destroying the hold
// lets them go. Main thread only.
class HeldKeyboard {
  public:
    virtual ~HeldKeyboard() = default;

    // The user's latest press that may have reached the application before the hold
    // began; every later press waits for the hold to end.
    virtual KeyPressNumber lastPressBeforeHold() const = 0;
    // False once the hold outlived its limit and let the keys go on: from then on a key
    // may fall into the edit, so nothing more may be written.
    virtual bool isHeld() const = 0;
    // Posts Plovik's events so that the application handles them before any key the user
    // pressed during the hold. False when that could not be done: then none of them
    // reaches the application, and the user's keys still arrive, in order.
    virtual bool postAhead(const std::vector<SyntheticKeyEvent>& events) = 0;
    // Gives the application a moment to handle the keys it received before the hold.
    virtual void waitForApplication(std::chrono::milliseconds duration) = 0;
};

class KeyboardHolder {
  public:
    virtual ~KeyboardHolder() = default;

    // Holds the keyboard for at most `limit`; null when it cannot be held now (another
    // program holds it, or the keys before the hold cannot all be accounted for).
    virtual std::unique_ptr<HeldKeyboard> hold(std::chrono::milliseconds limit) = 0;
    // Whether `press`, withheld from the application (a Return swallowed with
    // KeyDisposition::swallowAndHold), goes to it when its hold ends (or went already),
    // ahead of every key typed after it. False when the caller must post the key itself.
    virtual bool passOnWithheldPress(KeyPressNumber press) = 0;
};

}  // namespace plovik

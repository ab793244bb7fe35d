#pragma once

#include <cstddef>
#include <string>

#include "framework/ibus/logic/KeyStroke.h"

namespace plovik::ibus {

// The application's text field as an engine reaches it through IBus.
class FieldClient {
  public:
    virtual ~FieldClient() = default;
    // Asks the client to delete `count` units before the caret (characters by IBus's
    // word; some clients read bytes).
    virtual void deleteBeforeCursor(std::size_t count) = 0;
    virtual void commit(const std::string& text) = 0;
    // Hands a key on to the application as if the engine had passed it.
    virtual void forward(const KeyStroke& stroke) = 0;
};

}  // namespace plovik::ibus

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/fcitx5/protocol/ModuleMessage.h"

namespace plovik {

// Turns the bytes read from the module socket, in whatever pieces they arrive, back into
// messages. A frame that is too long or does not decode breaks the stream for good: the
// other side is not speaking this protocol, and the connection must end.
class FrameAssembler {
  public:
    void append(std::string_view bytes);
    // The next complete message; absent until one has arrived, and once broken.
    std::optional<ModuleMessage> next();
    bool isBroken() const { return broken_; }

  private:
    std::string buffer_;
    std::size_t consumed_ = 0;
    bool broken_ = false;
};

}  // namespace plovik

#pragma once

#include <cstddef>
#include <string>

#include "framework/ibus/logic/FieldClient.h"

namespace plovik::ibus {

// Replaces the end of the text before the caret: deletes code points, then commits the
// replacement. A client whose unit for deletions is not known is checked on its echo
// of the surrounding text: a client that read the count as bytes still shows part of
// the text, and that part is deleted again in bytes before the commit.
class ReplacementEdit {
  public:
    enum class State { waitingForEcho, committed };

    // `before`: the text before the caret now; `verify`: whether the client's unit must
    // be checked (it need not when the deleted text is ASCII).
    ReplacementEdit(std::string before, std::size_t count, std::string insert, bool verify);

    State start(FieldClient& client);
    // The client's text before the caret after a change.
    State echo(const std::string& before, FieldClient& client);
    // No (further) echo came: commits with what was done.
    State finish(FieldClient& client);

    State state() const { return state_; }
    // Whether an echo showed the text exactly as expected before the commit.
    bool verified() const { return verified_; }

  private:
    State commit(FieldClient& client);

    std::string before_;
    std::string expected_;
    std::size_t count_;
    std::string insert_;
    bool verify_;
    bool completed_ = false;
    bool verified_ = false;
    State state_ = State::waitingForEcho;
};

}  // namespace plovik::ibus

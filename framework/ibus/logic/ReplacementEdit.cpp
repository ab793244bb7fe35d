#include "framework/ibus/logic/ReplacementEdit.h"

#include <utility>

#include "framework/ibus/logic/SurroundingText.h"

namespace plovik::ibus {

ReplacementEdit::ReplacementEdit(std::string before, std::size_t count, std::string insert,
                                 bool verify)
    : before_(std::move(before)),
      expected_(withoutLastCodePoints(before_, count)),
      count_(count),
      insert_(std::move(insert)),
      verify_(verify) {}

ReplacementEdit::State ReplacementEdit::start(FieldClient& client) {
    if (count_ > 0) {
        client.deleteBeforeCursor(count_);
    }
    return verify_ && count_ > 0 ? state_ : commit(client);
}

ReplacementEdit::State ReplacementEdit::echo(const std::string& before, FieldClient& client) {
    if (state_ == State::committed) {
        return state_;
    }
    if (before == expected_) {
        verified_ = true;
        return commit(client);
    }
    // Not applied yet, or an echo of something else.
    if (before == before_) {
        return state_;
    }
    if (!completed_ && before.size() > expected_.size() && before.starts_with(expected_)) {
        // The count was read as bytes: what is left of the text is deleted in bytes,
        // the unit this client has just shown it uses.
        completed_ = true;
        before_ = before;
        client.deleteBeforeCursor(before.size() - expected_.size());
        return state_;
    }
    // Something else changed the text: the word is gone either way, and the user's
    // meaning is better kept by committing the replacement than by losing both.
    return commit(client);
}

ReplacementEdit::State ReplacementEdit::finish(FieldClient& client) {
    return state_ == State::committed ? state_ : commit(client);
}

ReplacementEdit::State ReplacementEdit::commit(FieldClient& client) {
    if (!insert_.empty()) {
        client.commit(insert_);
    }
    state_ = State::committed;
    return state_;
}

}  // namespace plovik::ibus

#pragma once

#include <deque>
#include <string>

namespace plovik::ibus {

// Keys the engine passed to the application that the application's reported text does
// not show yet: clients report their text a little after they handle a key, and under
// load several keys behind. Plovik is told the text as it will be, and an edit waits
// until the client has caught up.
class KeysInFlight {
  public:
    void typed(std::string text);
    // Backspace: the character before the caret goes.
    void erased();
    // A key whose effect on the text cannot be foreseen (a caret movement, a command):
    // the next report is taken as it comes.
    void unforeseeable();
    // The client reported `now` as its text before the caret, after `previous`: the keys
    // that account for the change are no longer in flight.
    void reported(const std::string& previous, const std::string& now);
    // `before` as it will be once every key in flight has reached the client.
    std::string ahead(const std::string& before) const;
    bool empty() const { return keys_.empty() && !unforeseeable_; }
    void clear();

  private:
    struct Entry {
        std::string text;
        bool erases = false;
    };
    static std::string applied(std::string before, const Entry& entry);

    std::deque<Entry> keys_;
    bool unforeseeable_ = false;
};

}  // namespace plovik::ibus

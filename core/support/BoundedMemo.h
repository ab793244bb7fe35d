#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <unordered_map>
#include <utility>

namespace plovik {

// Remembers the results of a pure function for keys seen lately, at most `capacity` of them.
// Keys come in two generations: once the newer holds half the capacity it becomes the older
// and the older is forgotten, while a key found in the older is carried into the newer. Keys
// asked about often so outlive any number of keys asked about once.
template <typename Key, typename Value, typename Hash = std::hash<Key>>
class BoundedMemo {
  public:
    explicit BoundedMemo(std::size_t capacity)
        : generationSize_(std::max<std::size_t>(capacity / 2, 1)) {}

    // Null when the key is not remembered. The pointer holds until the next call.
    const Value* find(const Key& key) {
        if (const auto found = newer_.find(key); found != newer_.end()) {
            return &found->second;
        }
        const auto found = older_.find(key);
        if (found == older_.end()) {
            return nullptr;
        }
        auto entry = older_.extract(found);
        return &insert(std::move(entry.key()), std::move(entry.mapped()));
    }

    const Value& remember(Key key, Value value) { return insert(std::move(key), std::move(value)); }

    std::size_t size() const { return newer_.size() + older_.size(); }

  private:
    const Value& insert(Key key, Value value) {
        if (newer_.size() >= generationSize_) {
            older_ = std::move(newer_);
            newer_.clear();
        }
        return newer_.insert_or_assign(std::move(key), std::move(value)).first->second;
    }

    std::size_t generationSize_;
    std::unordered_map<Key, Value, Hash> newer_;
    std::unordered_map<Key, Value, Hash> older_;
};

}  // namespace plovik

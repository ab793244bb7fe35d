#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace plovik {

// Ends an observation when destroyed. Outliving the observed value is safe.
class Subscription {
  public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    Subscription& operator=(Subscription&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { cancel(); }

    void cancel() {
        if (cancel_) {
            std::exchange(cancel_, {})();
        }
    }

  private:
    std::function<void()> cancel_;
};

// An observable property: every assignment is delivered synchronously to each
// subscriber, even when the value did not change. Subscribing delivers the
// current value first, so owners that only want changes skip one delivery.
template <typename T>
class Published {
  public:
    using Observer = std::function<void(const T&)>;

    Published() : Published(T{}) {}
    explicit Published(T initial) : value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    const T& operator*() const { return value_; }
    const T* operator->() const { return &value_; }

    void set(T value) {
        value_ = std::move(value);
        // Deliver to a snapshot so observers may subscribe or cancel during delivery.
        const auto snapshot = observers_->entries;
        for (const auto& entry : snapshot) {
            if (entry->active) {
                entry->observer(value_);
            }
        }
    }
    Published& operator=(T value) {
        set(std::move(value));
        return *this;
    }

    [[nodiscard]] Subscription subscribe(Observer observer) {
        auto entry = std::make_shared<Entry>(Entry{std::move(observer), true});
        observers_->entries.push_back(entry);
        std::weak_ptr<Observers> weakObservers = observers_;
        std::weak_ptr<Entry> weakEntry = entry;
        Subscription subscription([weakObservers, weakEntry] {
            auto observers = weakObservers.lock();
            auto removed = weakEntry.lock();
            if (!observers || !removed) {
                return;
            }
            removed->active = false;
            std::erase(observers->entries, removed);
        });
        const std::shared_ptr<Entry> keepAlive = entry;
        keepAlive->observer(value_);
        return subscription;
    }

  private:
    struct Entry {
        Observer observer;
        bool active;
    };
    struct Observers {
        std::vector<std::shared_ptr<Entry>> entries;
    };

    T value_;
    std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
};

}  // namespace plovik

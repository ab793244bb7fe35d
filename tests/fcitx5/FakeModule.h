#pragma once

#include <glib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>

#include "framework/fcitx5/ModuleListener.h"
#include "framework/fcitx5/PlovikConnection.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"
#include "platform/linux/GLibMainQueue.h"
#include "support/TemporaryDirectory.h"

namespace plovik::testing {

using namespace std::chrono_literals;

// The module's side of the socket, played by a thread: it greets whoever connects, keeps what
// Plovik says, and answers it the way a test tells it to.
class FakeModule {
  public:
    // What the module says back to one message of Plovik's; nothing when it returns nothing.
    using Responder = std::function<std::vector<ModuleMessage>(const ModuleMessage&)>;

    explicit FakeModule(std::uint32_t version = module::kProtocolVersion)
        : path_((folder_.path() / "module.socket").string()), version_(version) {
        auto listening = ModuleListener::listen(path_);
        listener_ = std::move(std::get<0>(listening));
        thread_ = std::thread([this] { serve(); });
    }
    ~FakeModule() {
        stopping_ = true;
        thread_.join();
    }

    const std::string& path() const { return path_; }

    void respond(Responder responder) {
        std::lock_guard lock(mutex_);
        responder_ = std::move(responder);
    }
    void say(const ModuleMessage& message) {
        std::lock_guard lock(mutex_);
        outgoing_.push_back(message);
    }
    // Ends the connection, as a module that stops would.
    void hangUp() {
        std::lock_guard lock(mutex_);
        hangUp_ = true;
    }

    // The next message of this kind Plovik sends (earlier ones of other kinds are passed
    // over); absent when none comes in time.
    template <typename Message>
    std::optional<Message> next(std::chrono::milliseconds timeout = 2s) {
        std::unique_lock lock(mutex_);
        std::optional<Message> found;
        received_.wait_for(lock, timeout, [&] {
            while (!incoming_.empty()) {
                auto message = std::move(incoming_.front());
                incoming_.pop_front();
                if (auto* wanted = std::get_if<Message>(&message)) {
                    found = std::move(*wanted);
                    return true;
                }
            }
            return false;
        });
        return found;
    }

    // The last message of this kind Plovik has sent once it is quiet for `quiet`.
    template <typename Message>
    std::optional<Message> last(std::chrono::milliseconds quiet = 200ms) {
        std::optional<Message> latest;
        while (auto message = next<Message>(quiet)) {
            latest = std::move(message);
        }
        return latest;
    }

  private:
    void serve() {
        std::unique_ptr<PlovikConnection> connection;
        while (!stopping_) {
            if (auto accepted = listener_->accept(); accepted.isOpen()) {
                connection = std::make_unique<PlovikConnection>(std::move(accepted));
                connection->send(module::Hello{version_});
            }
            if (connection) {
                exchange(connection);
            }
            std::this_thread::sleep_for(1ms);
        }
    }

    void exchange(std::unique_ptr<PlovikConnection>& connection) {
        std::deque<ModuleMessage> arrived;
        const bool open = connection->receive(arrived);
        std::lock_guard lock(mutex_);
        for (auto& message : arrived) {
            const auto answers = responder_ ? responder_(message) : std::vector<ModuleMessage>();
            outgoing_.insert(outgoing_.end(), answers.begin(), answers.end());
            // Like the module, it has said all it had to once it answers a sync.
            if (const auto* sync = std::get_if<module::Sync>(&message); sync && answers.empty()) {
                outgoing_.push_back(module::Synced{sync->request});
            }
            incoming_.push_back(std::move(message));
        }
        for (const auto& message : outgoing_) {
            connection->send(message);
        }
        outgoing_.clear();
        received_.notify_all();
        if (!open || hangUp_) {
            connection.reset();
            hangUp_ = false;
        }
    }

    TemporaryDirectory folder_;
    std::string path_;
    std::uint32_t version_;
    std::unique_ptr<ModuleListener> listener_;
    std::mutex mutex_;
    std::condition_variable received_;
    std::deque<ModuleMessage> incoming_;
    std::vector<ModuleMessage> outgoing_;
    Responder responder_;
    bool hangUp_ = false;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// A main queue on a context of its own, run by the test as the program's loop would run it.
class TestLoop {
  public:
    TestLoop()
        : context_(g_main_context_new()), queue_(std::make_unique<GLibMainQueue>(context_)) {}
    ~TestLoop() {
        queue_.reset();
        g_main_context_unref(context_);
    }
    GLibMainQueue& queue() { return *queue_; }

    // Iterates until the condition holds; false when the time is up first.
    bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 2s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            g_main_context_iteration(context_, FALSE);
            std::this_thread::sleep_for(100us);
        }
        return true;
    }
    void runFor(std::chrono::milliseconds duration) {
        runUntil([] { return false; }, duration);
    }

  private:
    GMainContext* context_;
    std::unique_ptr<GLibMainQueue> queue_;
};

}  // namespace plovik::testing

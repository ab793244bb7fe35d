#pragma once

#include <glib.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "framework/ibus/wire/EngineSocket.h"

namespace plovik::testing {

using ibus::EngineMessage;
using ibus::EngineSocket;

// The engine program as Plovik meets it: listens in a private folder, greets Plovik, and
// answers Plovik's requests on a thread of its own as the test says, so that Plovik may
// wait for them on the main thread.
class FakeEngine {
  public:
    using Responder = std::function<std::optional<EngineMessage>(const EngineMessage&)>;

    FakeEngine() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "plovik-engine-XXXXXX").string();
        folder_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        path_ = (std::filesystem::path(folder_) / "plovik" / "ibus-engine").string();
        auto listening = EngineSocket::listen(path_);
        if (auto* socket = std::get_if<EngineSocket>(&listening)) {
            listener_.emplace(std::move(*socket));
        }
    }
    ~FakeEngine() {
        stop_ = true;
        if (reader_.joinable()) {
            reader_.join();
        }
        listener_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    const std::string& path() const { return path_; }

    // Takes Plovik's connection up and greets it; false when none came in time.
    bool accept(Responder responder, std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!peer_ && listener_ && std::chrono::steady_clock::now() < deadline) {
            pollfd request{listener_->descriptor(), POLLIN, 0};
            ::poll(&request, 1, 10);
            peer_ = listener_->accept();
        }
        if (!peer_) {
            return false;
        }
        responder_ = std::move(responder);
        send({EngineMessage::Kind::hello, {"1"}});
        reader_ = std::thread([this] { read(); });
        return true;
    }

    void send(const EngineMessage& message) {
        std::lock_guard lock(sending_);
        peer_->send(message);
    }
    // Drops the connection, as a dying engine program does.
    void hangUp() {
        stop_ = true;
        if (reader_.joinable()) {
            reader_.join();
        }
        peer_.reset();
    }

    std::vector<EngineMessage> received() const {
        std::lock_guard lock(mutex_);
        return received_;
    }
    std::vector<EngineMessage> received(EngineMessage::Kind kind) const {
        std::vector<EngineMessage> found;
        for (const auto& message : received()) {
            if (message.kind == kind) {
                found.push_back(message);
            }
        }
        return found;
    }

  private:
    void read() {
        while (!stop_) {
            const auto got = peer_->receive(std::chrono::milliseconds(10));
            if (got.status == EngineSocket::Status::closed) {
                return;
            }
            if (!got.message) {
                continue;
            }
            {
                std::lock_guard lock(mutex_);
                received_.push_back(*got.message);
            }
            if (const auto answer = responder_(*got.message)) {
                send(*answer);
            }
        }
    }

    std::string folder_;
    std::string path_;
    std::optional<EngineSocket> listener_;
    std::optional<EngineSocket> peer_;
    Responder responder_;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::mutex sending_;
    std::vector<EngineMessage> received_;
};

// Runs a GLib context until `done` or the time is up.
inline bool iterateUntil(GMainContext* context, const std::function<bool()>& done,
                         std::chrono::milliseconds timeout = std::chrono::seconds(2)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        if (!g_main_context_iteration(context, FALSE)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return true;
}

}  // namespace plovik::testing

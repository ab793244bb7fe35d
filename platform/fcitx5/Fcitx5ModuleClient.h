#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/support/FileDescriptor.h"
#include "platform/fcitx5/protocol/ModuleMessage.h"

namespace plovik {

// Plovik's end of the connection to its Fcitx5 module. A thread of its own reads what the
// module says, so that a busy main thread never delays the module's questions; the
// handlers run on that thread. Writes and waits for replies may come from any thread.
class Fcitx5ModuleClient {
  public:
    // The longest any caller waits for the module: it answers from its event loop at once,
    // unless it is gone or hung.
    static constexpr std::chrono::milliseconds kReplyLimit{250};

    struct Handlers {
        std::function<void(const module::Press&)> press;
        std::function<void(std::uint64_t sequence)> pressWentOn;
        std::function<void()> fieldChanged;
        std::function<void()> inputMethodsChanged;
        // After each change: connected (the greeting arrived) or lost.
        std::function<void(bool connected)> connectionChanged;
    };

    // The focused field as the module last described it.
    struct Field {
        module::Focus focus;
        module::Surrounding surrounding;
    };

    explicit Fcitx5ModuleClient(std::optional<std::string> socketPath);
    ~Fcitx5ModuleClient();
    Fcitx5ModuleClient(const Fcitx5ModuleClient&) = delete;
    Fcitx5ModuleClient& operator=(const Fcitx5ModuleClient&) = delete;

    // Before the first connection.
    void setHandlers(Handlers handlers);
    // Connects when not connected; a readable reason when the module cannot be reached.
    std::optional<std::string> connect();
    bool isConnected() const;
    // Ends the connection and waits for the reading thread: no handler runs after this.
    void close();

    // False when the connection is gone.
    bool send(const ModuleMessage& message);
    // Asks the module to swallow a held press: true when it still held it, false when it
    // had let it go on.
    bool claim(std::uint64_t sequence);
    // The module's verdict on the edit; absent when it did not answer.
    // `mayCarrySelection`: the input method asked for with selectWithNextEdit() goes with it.
    std::optional<module::EditStatus> edit(module::Edit request, bool mayCarrySelection = false);
    // The input method the next edit the module makes selects as it lands; absent for none.
    // True when an edit selected the one asked for before.
    bool selectWithNextEdit(std::optional<std::string> inputMethod);
    // Returns once the module has handled everything sent before, and this client has
    // taken in everything the module said before answering; false without an answer.
    bool sync();

    std::optional<Field> focusedField() const;
    module::InputMethods inputMethods() const;
    // The module's number of the latest press read; zero before any.
    std::uint64_t latestSequence() const;

  private:
    struct Connection;

    void read(std::shared_ptr<Connection> connection);
    // False when the connection must end.
    bool take(const ModuleMessage& message, Connection& connection);
    void takeField(const ModuleMessage& message);
    void lose(const std::shared_ptr<Connection>& connection);
    std::optional<std::string> awaitGreeting(const std::shared_ptr<Connection>& connection);
    bool waitForReply(std::unique_lock<std::mutex>& lock, const std::function<bool()>& arrived);

    const std::optional<std::string> socketPath_;
    Handlers handlers_;
    mutable std::mutex mutex_;
    std::condition_variable replies_;
    std::shared_ptr<Connection> connection_;
    std::thread reader_;
    std::uint64_t nextRequest_ = 1;
    std::map<std::uint64_t, module::EditStatus> edits_;
    std::optional<std::string> selectWithNextEdit_;
    bool selectedWithEdit_ = false;
    std::uint64_t lastSynced_ = 0;
    // Verdicts on held presses: true when taken.
    std::map<std::uint64_t, bool> claims_;
    std::optional<Field> field_;
    module::InputMethods inputMethods_;
    std::uint64_t latestSequence_ = 0;
};

}  // namespace plovik

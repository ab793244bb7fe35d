#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/platform/KeyCapture.h"
#include "platform/ibus/IbusEngineLink.h"
#include "platform/ibus/IbusField.h"

namespace plovik {

// Follows the field the engines serve and has them edit its text: an edit names the
// exact text that must stand before the caret, and the engine does nothing when it does
// not (or when a key the user typed since has gone on). Main thread only.
class IbusFieldEditor {
  public:
    // How long Plovik waits for the engine to report an edit done: the client's echo
    // takes milliseconds, a client that sends none a little over the engine's 150.
    static constexpr std::chrono::milliseconds kEditTimeout{400};
    static constexpr std::chrono::milliseconds kSettleTimeout{100};

    IbusFieldEditor(IbusEngineLink& link, const KeyCaptureFactory& presses);
    IbusFieldEditor(const IbusFieldEditor&) = delete;
    IbusFieldEditor& operator=(const IbusFieldEditor&) = delete;

    // The field last described by the engines, focused or not; absent before any.
    const std::optional<IbusField>& field() const { return field_; }

    // Replaces the last `deleteCount` code points of `expectedBefore`, which must end the
    // text before the caret of field `context` (be all of it, with `atTextStart`), with
    // `insert`. Absent when done; otherwise why not.
    std::optional<std::string> replace(std::uint64_t context, const std::string& expectedBefore,
                                       bool atTextStart, std::size_t deleteCount,
                                       const std::string& insert);
    // Called after every edit with how long it took from the request to the engine's
    // answer: the engine holds the user's keys for no longer than that.
    using EditObserver = std::function<void(std::chrono::steady_clock::duration)>;
    void observeEdits(EditObserver observer) { editObserver_ = std::move(observer); }
    // Hands a withheld Return back to the engine, to go on after the edits before it.
    bool post(Key key);
    // Waits until the engines have carried out everything sent to them; false when they
    // did not answer in time.
    bool settle();

  private:
    void handle(const ibus::EngineMessage& message);
    void showEdit(std::uint64_t context, const std::string& expectedBefore, std::size_t deleteCount,
                  const std::string& insert);

    IbusEngineLink& link_;
    const KeyCaptureFactory& presses_;
    std::optional<IbusField> field_;
    std::uint64_t nextEdit_ = 1;
    std::uint64_t nextSync_ = 1;
    EditObserver editObserver_;
    Subscription messages_;
    Subscription connection_;
};

}  // namespace plovik

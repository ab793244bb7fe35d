#include "platform/fcitx5/Fcitx5KeyboardHolder.h"

#include <thread>

#include "core/text/CodePoints.h"
#include "platform/fcitx5/KeystrokeEdit.h"

namespace plovik {

class Fcitx5KeyboardHolder::Held final : public HeldKeyboard {
  public:
    Held(Fcitx5ModuleClient& module, const Fcitx5KeyCaptureFactory& taps,
         Fcitx5KeyCaptureFactory::PressMark mark)
        : module_(module), taps_(taps), mark_(mark) {}

    KeyPressNumber lastPressBeforeHold() const override { return mark_.number; }

    // No key waits for the hold, so outliving a limit lets none go on: only a key that went
    // on ends it.
    bool isHeld() const override {
        return !taps_.hasPressGoneOnSince(mark_.number) && module_.isConnected();
    }

    bool postAhead(const std::vector<SyntheticKeyEvent>& events) override {
        const auto field = module_.focusedField();
        if (!isHeld() || !field || !field->focus.focused || !field->surrounding.valid) {
            return false;
        }
        const auto beforeCaret =
            text::CodePoints::substring(field->surrounding.text, 0, field->surrounding.cursor);
        const auto parts = beforeCaret ? KeystrokeEdit::of(*beforeCaret, events) : std::nullopt;
        if (!parts) {
            return false;
        }
        // The module refuses it when a key of the user went on after the hold began.
        return module_.edit(module::Edit{0,
                                         field->focus.context,
                                         mark_.sequence,
                                         parts->before,
                                         parts->replacement,
                                         {}}) == module::EditStatus::done;
    }

    // The application reports its text to the module after each change; everything it has
    // reported by then is here once the module answers.
    void waitForApplication(std::chrono::milliseconds duration) override {
        std::this_thread::sleep_for(duration);
        (void)module_.sync();
    }

  private:
    Fcitx5ModuleClient& module_;
    const Fcitx5KeyCaptureFactory& taps_;
    const Fcitx5KeyCaptureFactory::PressMark mark_;
};

std::unique_ptr<HeldKeyboard> Fcitx5KeyboardHolder::hold(std::chrono::milliseconds) {
    if (!module_.isConnected()) {
        return nullptr;
    }
    return std::make_unique<Held>(module_, taps_, taps_.latestMark());
}

}  // namespace plovik

#pragma once

#include <QPushButton>
#include <functional>

#include "core/capture/ShortcutDefinition.h"

namespace plovik::ui {

// A push button that records the next key combination pressed while it has the focus.
class ShortcutRecorderButton : public QPushButton {
    Q_OBJECT
  public:
    using RecordHandler = std::function<void(const ShortcutDefinition&)>;

    explicit ShortcutRecorderButton(QWidget* parent = nullptr);

    void setOnRecord(RecordHandler handler) { onRecord_ = std::move(handler); }
    // The bound value changed elsewhere; ignored while recording.
    void showShortcut(const ShortcutDefinition& shortcut);
    bool isRecording() const { return isRecording_; }
    int refusedKeyCount() const { return refusedKeyCount_; }

  signals:
    // Focus left before a combination was recorded; the bound value shows again.
    void recordingCancelled();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void startRecording();

    RecordHandler onRecord_;
    bool isRecording_ = false;
    int refusedKeyCount_ = 0;
};

}  // namespace plovik::ui

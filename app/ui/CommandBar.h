#pragma once

#include <QWidget>

#include "app/ui/MonitoringCommands.h"
#include "app/ui/UiContext.h"

class QLabel;
class QPushButton;

namespace plovik::ui {

// The tray menu's commands at the top of the settings window, for desktops that have
// no tray: the state, pause or resume, undo, and the last status.
class CommandBar : public QWidget {
    Q_OBJECT
  public:
    CommandBar(UiContext& context, MonitoringCommands& commands, QWidget* parent = nullptr);

    void refresh();
    QPushButton* pauseButton() { return pause_; }
    QPushButton* resumeButton() { return resume_; }
    QPushButton* undoButton() { return undo_; }

  private:
    UiContext& context_;
    MonitoringCommands& commands_;
    QLabel* icon_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* resume_ = nullptr;
    QPushButton* undo_ = nullptr;
};

}  // namespace plovik::ui

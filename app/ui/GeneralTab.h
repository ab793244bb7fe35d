#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include "app/ui/MonitoringCommands.h"
#include "app/ui/UiContext.h"

namespace plovik::ui {

// Monitoring, feedback, start-up and pause, updates, and the last status message.
class GeneralTab : public QWidget {
    Q_OBJECT
  public:
    // Updates come with the distribution's packages, so nothing here checks or downloads by
    // itself; the button opens the desktop's software-update application. Where there is
    // none, the caption does not promise it, and the updater's reason follows.
    static constexpr const char* kUpdatesCaption =
        "Updates come with your system's packages: “Check for Updates…” opens your desktop's "
        "software-update application. No typed text or correction history is sent.";
    static constexpr const char* kUpdatesCaptionWithoutUpdater =
        "Updates come with your system's packages. No typed text or correction history is "
        "sent.";

    GeneralTab(UiContext& context, MonitoringCommands& commands, QWidget* parent = nullptr);

    void refresh();

  private:
    QWidget* monitoringSection();
    void addEngineChoice(QVBoxLayout* layout);
    QWidget* feedbackSection();
    QWidget* startupSection();
    QWidget* updatesSection();
    void setNotificationsShown(bool shown);

    UiContext& context_;
    MonitoringCommands& commands_;
    QCheckBox* enablePlovik_ = nullptr;
    QCheckBox* automaticCorrection_ = nullptr;
    QSlider* threshold_ = nullptr;
    QLabel* thresholdValue_ = nullptr;
    QComboBox* engine_ = nullptr;
    QCheckBox* playSound_ = nullptr;
    QComboBox* sound_ = nullptr;
    QToolButton* preview_ = nullptr;
    QCheckBox* showNotification_ = nullptr;
    QCheckBox* launchAtLogin_ = nullptr;
    QPushButton* resume_ = nullptr;
    QPushButton* checkForUpdates_ = nullptr;
    QLabel* updatesCaption_ = nullptr;
    QLabel* updatesUnavailable_ = nullptr;
    QGroupBox* statusSection_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace plovik::ui

#pragma once

#include <QMenu>
#include <QObject>
#include <memory>

#include "app/ui/MonitoringCommands.h"
#include "app/ui/UiContext.h"

namespace plovik::ui {

// The tray icon's menu, rebuilt from the settings and the coordinator whenever either
// changes and each time it opens (a pause may have run out meanwhile).
class TrayMenu : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kActiveLabel = "Plovik active";
    static constexpr const char* kPausedLabel = "Plovik paused";
    // Characters of a text line shown before it is cut: a converted paragraph would make
    // the menu as wide as the screen.
    static constexpr int kLongestLine = 60;

    TrayMenu(UiContext& context, MonitoringCommands& commands, QObject* parent = nullptr);
    ~TrayMenu() override;

    QMenu* menu() { return menu_.get(); }
    // An open menu is left as it is while what it shows stays the same, so that the
    // coordinator's periodic announcements do not pull it from under the pointer.
    void rebuild();
    // The icon and the label of the tray icon for the current state.
    QIcon icon() const;
    QString accessibleLabel() const;

  signals:
    void settingsRequested();
    void onboardingRequested();
    void quitRequested();

  private:
    void addMonitoringSwitch();
    void addPauseCommands();
    void addTextLine(const QString& text);
    // What keeps the settings or history from being saved, a line each.
    std::string problemLines() const;
    void addLastCorrection();
    void addConversion();
    QString shownState() const;

    UiContext& context_;
    MonitoringCommands& commands_;
    std::unique_ptr<QMenu> menu_;
    QString shownState_;
};

}  // namespace plovik::ui

#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "app/ui/CoordinatorBridge.h"
#include "app/ui/MonitoringCommands.h"
#include "app/ui/OnboardingWindow.h"
#include "app/ui/SettingsWindow.h"
#include "app/ui/UiContext.h"

class QSystemTrayIcon;

namespace plovik::ui {

class TrayMenu;

// The application's user interface: the tray icon with its menu, and the settings and
// onboarding windows, opened when asked. Where the desktop shows no tray, the settings
// window opens at start and carries the menu's commands.
class DesktopShell : public QObject {
    Q_OBJECT
  public:
    DesktopShell(UiContext& context, bool hasTray, QObject* parent = nullptr);
    ~DesktopShell() override;

    // Shows the tray icon (or the settings window) and, once the event loop runs,
    // onboarding when it is not finished or a permission is missing.
    void start();
    // A second start of the program: onboarding when it is due, otherwise settings.
    void bringToFront();
    void showSettings();
    void showOnboarding();

    TrayMenu& trayMenu() { return *trayMenu_; }
    CoordinatorBridge& bridge() { return bridge_; }
    MonitoringCommands& commands() { return commands_; }
    SettingsWindow* settingsWindow() { return settings_; }
    OnboardingWindow* onboardingWindow() { return onboarding_; }

  signals:
    void quitRequested();

  private:
    void updateTrayIcon();
    static void raise(QWidget* window);

    UiContext& context_;
    bool hasTray_;
    CoordinatorBridge bridge_;
    MonitoringCommands commands_;
    std::unique_ptr<TrayMenu> trayMenu_;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
    QPointer<SettingsWindow> settings_;
    QPointer<OnboardingWindow> onboarding_;
};

}  // namespace plovik::ui

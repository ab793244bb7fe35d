#include "app/ui/DesktopShell.h"

#include <QSystemTrayIcon>
#include <QTimer>

#include "app/ui/OnboardingWindow.h"
#include "app/ui/SettingsWindow.h"
#include "app/ui/TrayMenu.h"

namespace plovik::ui {

DesktopShell::DesktopShell(UiContext& context, bool hasTray, QObject* parent)
    : QObject(parent),
      context_(context),
      hasTray_(hasTray),
      bridge_(context),
      commands_(context.coordinator, context.clock),
      trayMenu_(std::make_unique<TrayMenu>(context, commands_)) {
    connect(trayMenu_.get(), &TrayMenu::settingsRequested, this, &DesktopShell::showSettings);
    connect(trayMenu_.get(), &TrayMenu::onboardingRequested, this, &DesktopShell::showOnboarding);
    connect(trayMenu_.get(), &TrayMenu::quitRequested, this, &DesktopShell::quitRequested);
    connect(&bridge_, &CoordinatorBridge::changed, this, [this] {
        trayMenu_->rebuild();
        updateTrayIcon();
    });
}

DesktopShell::~DesktopShell() {
    delete settings_.data();
    delete onboarding_.data();
}

void DesktopShell::start() {
    if (hasTray_) {
        trayIcon_ = std::make_unique<QSystemTrayIcon>();
        trayIcon_->setContextMenu(trayMenu_->menu());
        // A left click opens the same menu: the tray icon is the only permanent interface.
        connect(trayIcon_.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) {
                        trayMenu_->menu()->popup(QCursor::pos());
                    }
                });
        updateTrayIcon();
        trayIcon_->show();
    } else {
        showSettings();
    }
    QTimer::singleShot(0, this, [this] {
        if (commands_.shouldShowOnboarding()) {
            showOnboarding();
        }
    });
}

void DesktopShell::updateTrayIcon() {
    if (!trayIcon_) {
        return;
    }
    trayIcon_->setIcon(trayMenu_->icon());
    trayIcon_->setToolTip(trayMenu_->accessibleLabel());
}

void DesktopShell::raise(QWidget* window) {
    window->show();
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->raise();
    window->activateWindow();
}

void DesktopShell::showSettings() {
    if (!settings_) {
        settings_ = new SettingsWindow(context_, commands_, bridge_, !hasTray_);
        settings_->setAttribute(Qt::WA_DeleteOnClose, hasTray_);
    }
    raise(settings_);
}

void DesktopShell::showOnboarding() {
    if (!onboarding_) {
        onboarding_ = new OnboardingWindow(context_, bridge_);
        onboarding_->setAttribute(Qt::WA_DeleteOnClose);
    }
    raise(onboarding_);
}

void DesktopShell::bringToFront() {
    if (onboarding_ || commands_.shouldShowOnboarding()) {
        showOnboarding();
    } else {
        showSettings();
    }
}

}  // namespace plovik::ui

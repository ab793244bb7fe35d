#include "app/ui/ScreenshotRenderer.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <iostream>
#include <variant>

#include "app/session/SimulatedSession.h"
#include "app/ui/ApplicationChooserDialog.h"
#include "app/ui/ApplicationsTab.h"
#include "app/ui/DesktopShell.h"
#include "app/ui/GeneralTab.h"
#include "app/ui/OnboardingWindow.h"
#include "app/ui/PrivacyTab.h"
#include "app/ui/SampleApplications.h"
#include "app/ui/SampleDesktopIntegration.h"
#include "app/ui/SettingsWindow.h"
#include "app/ui/ShortcutsTab.h"
#include "app/ui/SymbolIcons.h"
#include "app/ui/TrayMenu.h"
#include "core/settings/AppSettings.h"
#include "platform/linux/DesktopUpdaterController.h"

namespace plovik::ui {

namespace {

void settleEvents() {
    for (int round = 0; round < 5; ++round) {
        QApplication::processEvents();
    }
}

}  // namespace

ScreenshotRenderer::ScreenshotRenderer(QString directory) : directory_(std::move(directory)) {}

ScreenshotRenderer::~ScreenshotRenderer() {
    shell_.reset();
}

bool ScreenshotRenderer::prepare() {
    if (!QDir().mkpath(directory_)) {
        std::cerr << "plovik: cannot create " << directory_.toStdString() << "\n";
        return false;
    }
    SimulatedSession::Configuration configuration;
    configuration.layoutIds = {"xkb:us", "xkb:ru", "xkb:ua"};
    configuration.applicationBundleIdentifier = "org.gnome.TextEditor";
    configuration.applicationName = "Text Editor";
    // The engine a new user's settings choose.
    configuration.correctionEngine = AppSettings{}.correctionEngine;
    auto created = SimulatedSession::create(configuration);
    if (auto* error = std::get_if<std::string>(&created)) {
        std::cerr << "plovik: " << *error << "\n";
        return false;
    }
    session_ = std::move(std::get<std::unique_ptr<SimulatedSession>>(created));
    SampleApplications::install(session_->applicationCatalog(), SampleApplications::defaults());
    auto& store = session_->settingsStore();
    auto& service = session_->coordinator().installedApplicationService();
    for (const auto& installed : service.installedApplications()) {
        auto entry = service.chooseApplication(installed);
        if (entry.displayName == "Telegram Desktop") {
            entry.automaticCorrectionEnabled = false;
        } else if (entry.displayName == "Firefox") {
            entry.isEnabled = false;
        } else if (entry.displayName != "Slack") {
            continue;
        }
        store.addApplication(entry);
    }
    // Another program holds the pause shortcut, so the Shortcuts tab shows its warning.
    session_->shortcutProbe().hold(Key::p, Modifier::alt | Modifier::super);
    context_ =
        std::make_unique<UiContext>(UiContext{store, session_->coordinator(), session_->clock(),
                                              "/usr/bin/plovik", "0.1.0", "1", nullptr});
    shell_ = std::make_unique<DesktopShell>(*context_, true);
    return true;
}

void ScreenshotRenderer::save(QWidget* widget, const QString& name) {
    settleEvents();
    const auto path = QDir(directory_).filePath(name + QStringLiteral(".png"));
    if (!widget->grab().save(path, "PNG")) {
        std::cerr << "plovik: cannot write " << path.toStdString() << "\n";
        failed_ = true;
        return;
    }
    ++written_;
}

void ScreenshotRenderer::renderMenus() {
    auto& menu = shell_->trayMenu();
    const auto capture = [&](const QString& name) {
        settleEvents();
        menu.rebuild();
        menu.menu()->popup(QPoint(0, 0));
        save(menu.menu(), name);
        menu.menu()->hide();
    };
    for (const auto& [name, icon] :
         {std::pair{QStringLiteral("tray-icon-active"), SymbolIcons::activeIcon()},
          std::pair{QStringLiteral("tray-icon-paused"), SymbolIcons::pausedIcon()}}) {
        const auto path = QDir(directory_).filePath(name + QStringLiteral(".png"));
        if (icon.pixmap(64, 64).save(path, "PNG")) {
            ++written_;
        } else {
            failed_ = true;
        }
    }
    session_->settingsStore().update([](AppSettings& s) { s.hasCompletedOnboarding = true; });
    session_->coordinator().refreshPermissions();
    capture(QStringLiteral("tray-menu-active"));

    shell_->commands().pauseFor(MonitoringCommands::kShortPause);
    capture(QStringLiteral("tray-menu-paused"));
    shell_->commands().resume();

    session_->setInputMonitoringGranted(false);
    session_->coordinator().refreshPermissions();
    capture(QStringLiteral("tray-menu-permissions-missing"));
    session_->setInputMonitoringGranted(true);
    session_->coordinator().refreshPermissions();

    session_->type("ghbdtn ");
    session_->settle();
    capture(QStringLiteral("tray-menu-last-correction"));

    session_->field()->setText("Ghbdtn? rfr ltkf& Z pf,sk cdjq gfhjkm jn gjxns/");
    session_->field()->setSelection({0, 47});
    session_->coordinator().convertSelection();
    capture(QStringLiteral("tray-menu-last-conversion"));

    failSettingsWrites(true);
    capture(QStringLiteral("tray-menu-settings-not-saved"));
    failSettingsWrites(false);
}

// Settings that cannot be saved are said in the menu and the settings window until they can.
void ScreenshotRenderer::failSettingsWrites(bool fails) {
    session_->defaults().setFailsWrites(fails, "No space left on device");
    session_->settingsStore().update([](AppSettings&) {});
}

void ScreenshotRenderer::renderSettings() {
    shell_->showSettings();
    auto* window = shell_->settingsWindow();
    window->showTab(SettingsWindow::generalTab);
    save(window, QStringLiteral("settings-general"));
    // The lower half: updates, the version and the last status message.
    auto* generalScroll = window->general()->findChild<QScrollArea*>();
    settleEvents();
    generalScroll->verticalScrollBar()->setValue(generalScroll->verticalScrollBar()->maximum());
    save(window, QStringLiteral("settings-general-updates"));
    auto& updater = session_->systemServices().updater();
    updater.setUnavailableReason(std::string(DesktopUpdaterController::kNoUpdaterMessage));
    updater.canCheckForUpdates() = false;
    save(window, QStringLiteral("settings-general-updates-unavailable"));
    updater.setUnavailableReason(std::nullopt);
    updater.canCheckForUpdates() = true;
    failSettingsWrites(true);
    save(window, QStringLiteral("settings-general-settings-not-saved"));
    failSettingsWrites(false);
    generalScroll->verticalScrollBar()->setValue(0);

    window->showTab(SettingsWindow::applicationsTab);
    window->applications()->select(std::string("com.slack.Slack"));
    save(window, QStringLiteral("settings-applications"));
    window->applications()->select(std::string("org.telegram.desktop"));
    save(window, QStringLiteral("settings-applications-manual"));
    window->applications()->select(std::string("org.mozilla.firefox"));
    save(window, QStringLiteral("settings-applications-off"));
    window->applications()->select(std::nullopt);
    save(window, QStringLiteral("settings-applications-none-selected"));

    ApplicationChooserDialog chooser(
        session_->coordinator().installedApplicationService().installedApplications(), window);
    chooser.show();
    save(&chooser, QStringLiteral("settings-applications-chooser"));
    chooser.hide();

    window->showTab(SettingsWindow::languagesTab);
    save(window, QStringLiteral("settings-languages"));
    session_->inputSources().addSource(
        InputSource{"ibus:anthy", "Japanese (Anthy)", {"ja"}, "input method", nullptr});
    session_->inputSources().setCurrentSourceId(std::string("ibus:anthy"));
    session_->coordinator().inputSourceService().refresh();
    save(window, QStringLiteral("settings-languages-input-method"));
    session_->inputSources().setCurrentSourceId(std::string("xkb:us"));
    session_->coordinator().inputSourceService().refresh();

    window->showTab(SettingsWindow::shortcutsTab);
    save(window, QStringLiteral("settings-shortcuts"));
    window->shortcuts()->recorder(ShortcutsTab::manualRow)->click();
    save(window, QStringLiteral("settings-shortcuts-recording"));
    window->shortcuts()->setFocus();
    window->shortcuts()->refresh();

    session_->setInputMonitoringGranted(false);
    session_->coordinator().refreshPermissions();
    window->showTab(SettingsWindow::privacyTab);
    save(window, QStringLiteral("settings-privacy"));
    QTimer::singleShot(50, window, [this, window] {
        if (auto* box = window->privacy()->confirmation()) {
            save(box, QStringLiteral("settings-privacy-confirm-clear"));
            box->reject();
        }
    });
    window->privacy()->confirmClear();
    session_->setInputMonitoringGranted(true);
    session_->coordinator().refreshPermissions();
    window->close();
}

void ScreenshotRenderer::renderOnboarding() {
    session_->setInputMonitoringGranted(false);
    shell_->showOnboarding();
    auto* window = shell_->onboardingWindow();
    save(window, QStringLiteral("onboarding-welcome"));
    window->goOn();
    save(window, QStringLiteral("onboarding-permissions"));
    window->goOn();
    save(window, QStringLiteral("onboarding-applications"));
    window->close();
    session_->setInputMonitoringGranted(true);
    session_->coordinator().refreshPermissions();

    for (const auto& sample : SampleApplications::defaults()) {
        session_->applicationCatalog().uninstall(sample.identifier);
    }
    renderGnomeSetUp();

    OnboardingWindow empty(*context_, shell_->bridge());
    empty.show();
    empty.goOn();
    empty.goOn();
    save(&empty, QStringLiteral("onboarding-applications-none-installed"));
    empty.hide();
}

// The permissions page on GNOME on Wayland, before Plovik's input sources are set up.
void ScreenshotRenderer::renderGnomeSetUp() {
    SampleDesktopIntegration gnome;
    UiContext onGnome = *context_;
    onGnome.desktopIntegration = &gnome;
    session_->setInputMonitoringGranted(false);
    session_->coordinator().refreshPermissions();
    OnboardingWindow window(onGnome, shell_->bridge());
    window.show();
    window.goOn();
    save(&window, QStringLiteral("onboarding-permissions-gnome"));
    window.hide();
    session_->setInputMonitoringGranted(true);
    session_->coordinator().refreshPermissions();
}

void ScreenshotRenderer::renderWithoutTray() {
    DesktopShell withoutTray(*context_, false);
    withoutTray.showSettings();
    save(withoutTray.settingsWindow(), QStringLiteral("settings-without-tray"));
    withoutTray.settingsWindow()->close();
}

int ScreenshotRenderer::renderAll() {
    if (!prepare()) {
        return 0;
    }
    renderMenus();
    renderSettings();
    renderWithoutTray();
    // Last: it uninstalls the sample applications to show onboarding without any.
    renderOnboarding();
    return failed_ ? 0 : written_;
}

}  // namespace plovik::ui

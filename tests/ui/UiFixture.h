#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "app/session/SimulatedSession.h"
#include "app/ui/DesktopShell.h"
#include "app/ui/SampleApplications.h"
#include "app/ui/TrayMenu.h"
#include "app/ui/UiContext.h"
#include "core/capture/ShortcutConflictDetector.h"
#include "core/settings/AppSettings.h"
#include "platform/simulated/SimulatedShortcutProbe.h"

namespace plovik::ui::testing {

// The windows on a simulated desktop: a real settings store (in-memory defaults), a
// real coordinator with its installed-application service, sample installed
// applications, and shortcuts other programs hold.
class UiFixture {
  public:
    explicit UiFixture(bool hasTray = true,
                       std::vector<SampleApplications::Sample> samples = defaultSamples(),
                       SimulatedSession::Configuration configuration = newUserConfiguration()) {
        auto created = SimulatedSession::create(std::move(configuration));
        session_ = std::move(std::get<std::unique_ptr<SimulatedSession>>(created));
        SampleApplications::install(session_->applicationCatalog(), samples);
        context_ = std::make_unique<UiContext>(
            UiContext{session_->settingsStore(), session_->coordinator(), session_->clock(),
                      "/opt/plovik/bin/plovik", "0.1.0", "7", nullptr});
        shell_ = std::make_unique<DesktopShell>(*context_, hasTray);
        settle();
    }
    // The engine a new user's settings choose.
    static SimulatedSession::Configuration newUserConfiguration() {
        SimulatedSession::Configuration configuration;
        configuration.correctionEngine = AppSettings{}.correctionEngine;
        return configuration;
    }

    ~UiFixture() {
        shell_.reset();
        context_.reset();
    }

    // Slack and both Telegram packages, which onboarding suggests, and an editor.
    static std::vector<SampleApplications::Sample> defaultSamples() {
        return {{"com.slack.Slack", "Slack", 0x4a154b},
                {"org.telegram.desktop", "Telegram Desktop", 0x2aa3df},
                {"telegramdesktop", "Telegram", 0x229ed9},
                {"org.gnome.TextEditor", "Text Editor", 0xe66100}};
    }

    SimulatedSession& session() { return *session_; }
    AppCoordinator& coordinator() { return session_->coordinator(); }
    SettingsStore& store() { return session_->settingsStore(); }
    const AppSettings& settings() { return session_->settingsStore().settings(); }
    DesktopShell& shell() { return *shell_; }
    UiContext& context() { return *context_; }
    std::size_t conflictProbes() { return session_->shortcutProbe().probes().size(); }
    // Another program takes the combination.
    void hold(const ShortcutDefinition& shortcut) {
        session_->shortcutProbe().hold(*shortcut.key(), shortcut.comparedModifiers());
    }

    // Lets the coordinator's queue and the Qt events run until both are idle.
    void settle() {
        for (int round = 0; round < 4; ++round) {
            session_->mainQueue().runUntilIdle();
            QApplication::processEvents();
        }
    }

    void completeOnboardingWithBothPermissions() {
        store().update([](AppSettings& settings) { settings.hasCompletedOnboarding = true; });
        session_->setAccessibilityGranted(true);
        session_->setInputMonitoringGranted(true);
        coordinator().refreshPermissions();
        settle();
    }

    // The menu's entries as the user sees them, after the menu is about to open.
    QMenu* openMenu() {
        settle();
        shell_->trayMenu().rebuild();
        return shell_->trayMenu().menu();
    }
    static QAction* action(QMenu* menu, const QString& text) {
        for (auto* candidate : menu->actions()) {
            if (candidate->text() == text) {
                return candidate;
            }
        }
        return nullptr;
    }
    static QStringList texts(QMenu* menu) {
        QStringList result;
        for (auto* candidate : menu->actions()) {
            result << (candidate->isSeparator() ? QStringLiteral("---") : candidate->text());
        }
        return result;
    }

  private:
    std::unique_ptr<SimulatedSession> session_;
    std::unique_ptr<UiContext> context_;
    std::unique_ptr<DesktopShell> shell_;
};

}  // namespace plovik::ui::testing

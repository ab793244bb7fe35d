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

#include "app/coordinator/SimulatedSession.h"
#include "app/ui/DesktopShell.h"
#include "app/ui/SampleApplicationCatalog.h"
#include "app/ui/TrayMenu.h"
#include "app/ui/UiContext.h"

namespace plovik::ui::testing {

// The windows on a simulated desktop: a real settings store (in-memory defaults), a
// real coordinator, sample installed applications, and conflicts a test names.
class UiFixture {
  public:
    explicit UiFixture(bool hasTray = true,
                       std::vector<SampleApplicationCatalog::Sample> samples = defaultSamples())
        : catalog_(std::move(samples)) {
        auto created = SimulatedSession::create({});
        session_ = std::move(std::get<std::unique_ptr<SimulatedSession>>(created));
        context_ = std::make_unique<UiContext>(
            UiContext{session_->settingsStore(), session_->coordinator(), catalog_,
                      [this](const ShortcutDefinition& shortcut) -> std::optional<std::string> {
                          ++conflictProbes_;
                          for (const auto& [taken, message] : conflicts_) {
                              if (taken == std::make_pair(shortcut.keyCode, shortcut.modifiers)) {
                                  return message;
                              }
                          }
                          return std::nullopt;
                      },
                      session_->clock(), "/opt/plovik/bin/plovik", "0.1.0", "7"});
        shell_ = std::make_unique<DesktopShell>(*context_, hasTray);
        settle();
    }
    ~UiFixture() {
        shell_.reset();
        context_.reset();
    }

    static std::vector<SampleApplicationCatalog::Sample> defaultSamples() {
        return {{"com.slack.Slack", "Slack", 0x4a154b, true},
                {"org.telegram.desktop", "Telegram Desktop", 0x2aa3df, true},
                {"telegram-desktop", "Telegram", 0x229ed9, true},
                {"org.gnome.TextEditor", "Text Editor", 0xe66100, false}};
    }

    SimulatedSession& session() { return *session_; }
    AppCoordinator& coordinator() { return session_->coordinator(); }
    SettingsStore& store() { return session_->settingsStore(); }
    const AppSettings& settings() { return session_->settingsStore().settings(); }
    DesktopShell& shell() { return *shell_; }
    UiContext& context() { return *context_; }
    SampleApplicationCatalog& catalog() { return catalog_; }
    int conflictProbes() const { return conflictProbes_; }
    void setConflict(const ShortcutDefinition& shortcut, std::string message) {
        conflicts_[{shortcut.keyCode, shortcut.modifiers}] = std::move(message);
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
    SampleApplicationCatalog catalog_;
    std::unique_ptr<SimulatedSession> session_;
    std::unique_ptr<UiContext> context_;
    std::unique_ptr<DesktopShell> shell_;
    std::map<std::pair<std::uint16_t, std::uint64_t>, std::string> conflicts_;
    int conflictProbes_ = 0;
};

}  // namespace plovik::ui::testing

// The tray menu's rules: the switch, pause and resume, the text lines, the undo and
// conversion commands, the permissions entry, and the update command.
#include <QPointer>
#include <QTest>

#include "ui/UiFixture.h"
#include "ui/UiTests.h"

namespace plovik::ui::testing {

class TrayMenuTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        fixture_ = std::make_unique<UiFixture>();
        fixture_->completeOnboardingWithBothPermissions();
    }
    void cleanup() { fixture_.reset(); }

    void activeMenuListsItsEntriesInOrder() {
        auto* menu = fixture_->openMenu();
        QCOMPARE(UiFixture::texts(menu),
                 QStringList({"Enabled", "Pause", "---", "Input Source: English (US)",
                              "Last correction: None", "Convert Selected Text\tAlt+Super+C", "---",
                              "Check for Updates…", "Settings…", "Quit Plovik"}));
        auto* toggle = UiFixture::action(menu, "Enabled");
        QVERIFY(toggle->isCheckable());
        QVERIFY(toggle->isChecked());
        QVERIFY(!UiFixture::action(menu, "Input Source: English (US)")->isEnabled());
        QCOMPARE(UiFixture::action(menu, "Quit Plovik")->shortcut(), QKeySequence("Ctrl+Q"));
        QCOMPARE(fixture_->shell().trayMenu().accessibleLabel(), QString("Plovik active"));
    }

    void pausingFromTheSubmenuStoresTheEndAndClearsTheWord() {
        auto* pause = UiFixture::action(fixture_->openMenu(), "Pause")->menu();
        QVERIFY(pause);
        QCOMPARE(UiFixture::texts(pause), QStringList({"For 15 Minutes", "For 1 Hour"}));
        fixture_->session().type("ghb");
        QVERIFY(fixture_->coordinator().tokenBuffer().candidateForManualCorrection());
        const auto before = fixture_->session().clock().now();
        UiFixture::action(pause, "For 1 Hour")->trigger();
        QCOMPARE(fixture_->settings().pauseUntil, std::optional(before + std::chrono::hours(1)));
        QVERIFY(!fixture_->coordinator().tokenBuffer().candidateForManualCorrection());
        QVERIFY(fixture_->coordinator().isPaused());
    }

    void whilePausedTheSwitchReadsPausedAndResumeReplacesTheSubmenu() {
        auto* pause = UiFixture::action(fixture_->openMenu(), "Pause")->menu();
        UiFixture::action(pause, "For 15 Minutes")->trigger();
        auto* menu = fixture_->openMenu();
        auto* toggle = UiFixture::action(menu, "Paused");
        QVERIFY(toggle);
        QVERIFY(!toggle->isChecked());
        QVERIFY(!UiFixture::action(menu, "Pause"));
        QCOMPARE(fixture_->shell().trayMenu().accessibleLabel(), QString("Plovik paused"));
        // Resuming keeps the word being typed: the next keys may complete it.
        fixture_->session().type("ghb");
        UiFixture::action(menu, "Resume Now")->trigger();
        QVERIFY(!fixture_->settings().pauseUntil);
        QVERIFY(fixture_->settings().monitoringEnabled);
        QVERIFY(UiFixture::action(fixture_->openMenu(), "Pause"));
    }

    void switchedOffWithoutPauseReadsEnabledAndOff() {
        fixture_->store().update([&](AppSettings& settings) {
            settings.monitoringEnabled = false;
            // A pause that has run out: still stored, no longer in force.
            settings.pauseUntil = fixture_->session().clock().now() - std::chrono::minutes(1);
        });
        auto* menu = fixture_->openMenu();
        auto* toggle = UiFixture::action(menu, "Enabled");
        QVERIFY(toggle);
        QVERIFY(!toggle->isChecked());
        QVERIFY(UiFixture::action(menu, "Pause"));
        QCOMPARE(fixture_->shell().trayMenu().accessibleLabel(), QString("Plovik paused"));
        toggle->trigger();
        QVERIFY(fixture_->settings().monitoringEnabled);
        QVERIFY(!fixture_->settings().pauseUntil);
    }

    void switchingOffKeepsThePauseAndClearsTheWord() {
        fixture_->session().type("ghb");
        UiFixture::action(fixture_->openMenu(), "Enabled")->trigger();
        QVERIFY(!fixture_->settings().monitoringEnabled);
        QVERIFY(!fixture_->coordinator().tokenBuffer().candidateForManualCorrection());
    }

    void switchingOnAlsoEndsARunningPause() {
        fixture_->shell().commands().pauseFor(MonitoringCommands::kShortPause);
        UiFixture::action(fixture_->openMenu(), "Paused")->trigger();
        QVERIFY(fixture_->settings().monitoringEnabled);
        QVERIFY(!fixture_->settings().pauseUntil);
        QVERIFY(UiFixture::action(fixture_->openMenu(), "Enabled")->isChecked());
    }

    void noCurrentInputSourceReadsUnknown() {
        fixture_->session().inputSources().setCurrentSourceId(std::nullopt);
        fixture_->coordinator().inputSourceService().refresh();
        QVERIFY(UiFixture::action(fixture_->openMenu(), "Input Source: Unknown"));
    }

    void lastCorrectionOffersUndoAndTheStatusLine() {
        fixture_->session().type("ghbdtn ");
        fixture_->session().settle();
        auto* menu = fixture_->openMenu();
        QVERIFY(UiFixture::action(menu, "Last: ghbdtn → привет"));
        const auto summary =
            QString::fromStdString(fixture_->coordinator().statusMessage()->value());
        QVERIFY(summary.startsWith("ghbdtn → привет ("));
        QVERIFY(!UiFixture::action(menu, summary)->isEnabled());
        auto* undo = UiFixture::action(menu, "Undo Last Correction");
        QVERIFY(undo);
        QCOMPARE(undo->shortcut(), QKeySequence("Alt+Shift+Z"));
        undo->trigger();
        fixture_->settle();
        QCOMPARE(fixture_->session().fieldText(), std::string("ghbdtn "));
        menu = fixture_->openMenu();
        QVERIFY(UiFixture::action(menu, "Last correction: None"));
        QVERIFY(UiFixture::action(menu, "Restored “ghbdtn”."));
    }

    void convertingTheSelectionShowsItAsTheLastChangeCutToFit() {
        auto& session = fixture_->session();
        const std::string typed = "Ghbdtn? rfr ltkf& Z pf,sk cdjq gfhjkm jn gjxns/";
        session.field()->setText(typed);
        session.field()->setSelection({0, 47});
        // The menu names the shortcut as it is set.
        fixture_->store().update([](AppSettings& settings) {
            settings.convertShortcut = ShortcutDefinition(Key::k, Modifier::control);
        });
        auto* convert = UiFixture::action(fixture_->openMenu(), "Convert Selected Text\tCtrl+K");
        QVERIFY(convert);
        convert->trigger();
        fixture_->settle();
        const std::string converted = "Привет, как дела? Я забыл свой пароль от почты.";
        QCOMPARE(session.fieldText(), converted);
        auto* menu = fixture_->openMenu();
        const auto last = UiFixture::texts(menu).filter("Last: ");
        QCOMPARE(last.size(), 1);
        // "&" would underline the next character as a menu mnemonic.
        QVERIFY(last.front().contains("ltkf&& Z"));
        const QString shown = QString(last.front()).replace("&&", "&");
        QCOMPARE(shown.size(), TrayMenu::kLongestLine);
        QVERIFY(shown.endsWith("…"));
        QVERIFY(QString::fromStdString("Last: " + typed + " → " + converted)
                    .startsWith(shown.chopped(1)));
        UiFixture::action(menu, "Undo Last Correction")->trigger();
        fixture_->settle();
        QCOMPARE(session.fieldText(), typed);
    }

    void missingPermissionAddsTheEntryThatOpensOnboarding() {
        fixture_->session().setInputMonitoringGranted(false);
        fixture_->coordinator().refreshPermissions();
        auto* menu = fixture_->openMenu();
        const auto texts = UiFixture::texts(menu);
        const auto index = texts.indexOf("Permissions Required…");
        QVERIFY(index > 0);
        QCOMPARE(texts[index - 1], QString("---"));
        QVERIFY(!fixture_->shell().onboardingWindow());
        UiFixture::action(menu, "Permissions Required…")->trigger();
        QVERIFY(fixture_->shell().onboardingWindow());
        QVERIFY(fixture_->shell().onboardingWindow()->isVisible());
        QCOMPARE(fixture_->shell().onboardingWindow()->windowTitle(), QString("Welcome to Plovik"));
    }

    void updateCommandFollowsTheUpdater() {
        auto& updater = fixture_->session().systemServices().updater();
        UiFixture::action(fixture_->openMenu(), "Check for Updates…")->trigger();
        QCOMPARE(updater.checkCount(), 1);
        updater.canCheckForUpdates() = false;
        QVERIFY(!UiFixture::action(fixture_->openMenu(), "Check for Updates…")->isEnabled());
    }

    // The coordinator announces a change every few seconds while nothing the menu shows
    // changes: an open menu keeps its entries (and the one under the pointer).
    void anOpenMenuIsRebuiltOnlyWhenWhatItShowsChanges() {
        auto* menu = fixture_->openMenu();
        menu->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        const QPointer<QAction> settings = UiFixture::action(menu, "Settings…");
        QVERIFY(settings);
        fixture_->coordinator().refreshPermissions();
        fixture_->settle();
        QVERIFY(menu->isVisible());
        QVERIFY2(settings, "a rebuilt menu deletes its entries");

        fixture_->session().type("ghbdtn ");
        fixture_->session().settle();
        fixture_->settle();
        QVERIFY(menu->isVisible());
        QVERIFY(UiFixture::action(menu, "Last: ghbdtn → привет"));
        QVERIFY(UiFixture::action(menu, "Undo Last Correction"));
        menu->hide();
    }

    void settingsEntryOpensTheSettingsWindow() {
        UiFixture::action(fixture_->openMenu(), "Settings…")->trigger();
        QVERIFY(fixture_->shell().settingsWindow());
        QVERIFY(fixture_->shell().settingsWindow()->isVisible());
    }

  private:
    std::unique_ptr<UiFixture> fixture_;
};

std::unique_ptr<QObject> makeTrayMenuTest() {
    return std::make_unique<TrayMenuTest>();
}

}  // namespace plovik::ui::testing

#include "TrayMenuTest.moc"

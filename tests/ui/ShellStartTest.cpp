// What opens at start: onboarding when it is due, nothing else with a tray, the
// settings window with the menu's commands where there is no tray; and a second start.
#include <QPushButton>
#include <QTest>

#include "app/ui/CommandBar.h"
#include "app/ui/SettingsWindow.h"
#include "ui/UiFixture.h"
#include "ui/UiTests.h"

namespace plovik::ui::testing {

class ShellStartTest : public QObject {
    Q_OBJECT
  private slots:
    void freshInstallationOpensOnboarding() {
        UiFixture fixture;
        fixture.shell().start();
        fixture.settle();
        auto* onboarding = fixture.shell().onboardingWindow();
        QVERIFY(onboarding);
        QVERIFY(onboarding->isVisible());
        QCOMPARE(onboarding->windowTitle(), QString("Welcome to Plovik"));
        QVERIFY(!fixture.shell().settingsWindow());
    }

    void revokedInputMonitoringOpensOnboardingAgain() {
        UiFixture fixture;
        fixture.completeOnboardingWithBothPermissions();
        fixture.session().setInputMonitoringGranted(false);
        fixture.coordinator().refreshPermissions();
        fixture.shell().start();
        fixture.settle();
        QVERIFY(fixture.shell().onboardingWindow());
        QCOMPARE(fixture.shell().trayMenu().accessibleLabel(), QString("Plovik paused"));
        QVERIFY(UiFixture::action(fixture.openMenu(), "Permissions Required…"));
    }

    void finishedOnboardingWithPermissionsOpensNothing() {
        UiFixture fixture;
        fixture.completeOnboardingWithBothPermissions();
        fixture.shell().start();
        fixture.settle();
        QVERIFY(!fixture.shell().onboardingWindow());
        QVERIFY(!fixture.shell().settingsWindow());
        QCOMPARE(fixture.shell().trayMenu().accessibleLabel(), QString("Plovik active"));
    }

    void withoutTrayTheSettingsWindowCarriesTheCommands() {
        UiFixture fixture(false);
        fixture.completeOnboardingWithBothPermissions();
        fixture.shell().start();
        fixture.settle();
        auto* window = fixture.shell().settingsWindow();
        QVERIFY(window && window->isVisible());
        auto* bar = window->commandBar();
        QVERIFY(bar);
        QVERIFY(bar->pauseButton()->isVisible());
        QVERIFY(!bar->resumeButton()->isVisible());
        QVERIFY(!bar->undoButton()->isEnabled());

        bar->pauseButton()->menu()->actions().front()->trigger();
        fixture.settle();
        QVERIFY(fixture.coordinator().isPaused());
        QVERIFY(bar->resumeButton()->isVisible());
        bar->resumeButton()->click();
        fixture.settle();
        QVERIFY(!fixture.coordinator().isPaused());

        fixture.session().type("ghbdtn ");
        fixture.session().settle();
        fixture.settle();
        QVERIFY(bar->undoButton()->isEnabled());
        bar->undoButton()->click();
        fixture.settle();
        QCOMPARE(fixture.session().fieldText(), std::string("ghbdtn "));
    }

    void aSecondStartBringsOnboardingOrSettingsForward() {
        UiFixture fixture;
        fixture.shell().bringToFront();
        QVERIFY(fixture.shell().onboardingWindow());
        fixture.shell().onboardingWindow()->close();
        fixture.settle();
        fixture.completeOnboardingWithBothPermissions();
        fixture.shell().bringToFront();
        fixture.settle();
        QVERIFY(fixture.shell().settingsWindow());
        QVERIFY(fixture.shell().settingsWindow()->isVisible());
    }
};

std::unique_ptr<QObject> makeShellStartTest() {
    return std::make_unique<ShellStartTest>();
}

}  // namespace plovik::ui::testing

#include "ShellStartTest.moc"

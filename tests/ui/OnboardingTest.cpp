// Onboarding: the three pages, the permission rows, and "Start Plovik" with and
// without ticked suggestions.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/ui/OnboardingWindow.h"
#include "app/ui/PermissionRow.h"
#include "app/ui/SampleDesktopIntegration.h"
#include "ui/UiFixture.h"
#include "ui/UiTests.h"

namespace plovik::ui::testing {

namespace {

OnboardingWindow* openOnboarding(UiFixture& fixture) {
    fixture.shell().showOnboarding();
    fixture.settle();
    return fixture.shell().onboardingWindow();
}

void goToApplications(OnboardingWindow* window) {
    window->forwardButton()->click();
    window->forwardButton()->click();
}

}  // namespace

class OnboardingTest : public QObject {
    Q_OBJECT
  private slots:
    void pagesGoForwardAndBack() {
        UiFixture fixture;
        auto* window = openOnboarding(fixture);
        QCOMPARE(window->windowTitle(), QString("Welcome to Plovik"));
        QCOMPARE(window->page(), 0);
        QVERIFY(!window->backButton()->isVisible());
        QCOMPARE(window->forwardButton()->text(), QString("Continue"));
        window->forwardButton()->click();
        QCOMPARE(window->page(), 1);
        QVERIFY(window->backButton()->isVisible());
        window->forwardButton()->click();
        QCOMPARE(window->page(), 2);
        QCOMPARE(window->forwardButton()->text(), QString("Start Plovik"));
        window->backButton()->click();
        QCOMPARE(window->page(), 1);
        QVERIFY(!fixture.settings().hasCompletedOnboarding);
    }

    void onGnomeTheSetUpSaysWhatItReplacesAndDoesItInOneStep() {
        UiFixture fixture;
        SampleDesktopIntegration gnome;
        UiContext onGnome = fixture.context();
        onGnome.desktopIntegration = &gnome;
        OnboardingWindow window(onGnome, fixture.shell().bridge());
        window.show();
        window.goOn();
        fixture.settle();
        QPushButton* setUp = nullptr;
        for (auto* button : window.findChildren<QPushButton*>()) {
            if (button->text() == QString("Set Up Input Sources")) {
                setUp = button;
            }
        }
        QVERIFY(setUp);
        QVERIFY(setUp->isEnabled());
        const auto saysReplaced = [&](const QString& text) {
            for (auto* label : window.findChildren<QLabel*>()) {
                if (label->isVisible() && label->text().contains(text)) {
                    return true;
                }
            }
            return false;
        };
        QVERIFY(saysReplaced("(English (US), Russian)"));
        setUp->click();
        QVERIFY(gnome.status().isOn);
        QVERIFY(!setUp->isEnabled());
        QVERIFY(saysReplaced("Log out and in again"));

        // Elsewhere there is nothing to set up.
        OnboardingWindow elsewhere(fixture.context(), fixture.shell().bridge());
        for (auto* button : elsewhere.findChildren<QPushButton*>()) {
            QVERIFY(button->text() != QString("Set Up Input Sources"));
        }
    }

    void permissionRowsFollowThePublishedSnapshot() {
        UiFixture fixture;
        fixture.session().setAccessibilityGranted(false);
        auto* window = openOnboarding(fixture);
        window->goOn();
        QCOMPARE(window->accessibilityRow()->stateText(), QString("Required"));
        QCOMPARE(window->inputMonitoringRow()->stateText(), QString("Granted"));
        fixture.session().setAccessibilityGranted(true);
        fixture.session().mainQueue().advance(std::chrono::seconds(2));
        fixture.settle();
        QCOMPARE(window->accessibilityRow()->stateText(), QString("Granted"));
    }

    void startingWithNothingTickedCompletesWithoutApplications() {
        UiFixture fixture;
        const auto applications = fixture.settings().applications;
        auto* window = openOnboarding(fixture);
        goToApplications(window);
        QCOMPARE(window->suggestionToggles().size(), std::size_t(3));
        for (auto* toggle : window->suggestionToggles()) {
            QVERIFY(!toggle->isChecked());
        }
        window->forwardButton()->click();
        fixture.settle();
        QVERIFY(fixture.settings().hasCompletedOnboarding);
        QCOMPARE(fixture.settings().applications, applications);
        QVERIFY(!fixture.shell().onboardingWindow());
    }

    void exactlyTheTickedApplicationIsAddedWithEverySwitchOn() {
        UiFixture fixture;
        auto* window = openOnboarding(fixture);
        goToApplications(window);
        window->suggestionToggles()[1]->click();
        window->forwardButton()->click();
        fixture.settle();
        const auto& applications = fixture.settings().applications;
        QCOMPARE(applications.size(), std::size_t(2));
        const auto& telegram = applications[1];
        QCOMPARE(telegram.bundleIdentifier, std::string("org.telegram.desktop"));
        QVERIFY(telegram.iconData.has_value());
        QVERIFY(telegram.isEnabled && telegram.automaticCorrectionEnabled &&
                telegram.manualCorrectionEnabled && telegram.switchInputSourceAfterCorrection);
        QCOMPARE(telegram.confidenceThreshold, 0.9);
    }

    void finishingAgainListsEachApplicationOnceWithFreshSwitches() {
        UiFixture fixture;
        for (int round = 0; round < 2; ++round) {
            auto* window = openOnboarding(fixture);
            goToApplications(window);
            window->suggestionToggles()[0]->click();
            window->forwardButton()->click();
            fixture.settle();
            if (round == 0) {
                auto slack = fixture.settings().applications[1];
                QCOMPARE(slack.bundleIdentifier, std::string("com.slack.Slack"));
                slack.isEnabled = false;
                fixture.store().updateApplication(slack);
            }
        }
        int slack = 0;
        for (const auto& application : fixture.settings().applications) {
            if (application.bundleIdentifier == "com.slack.Slack") {
                ++slack;
                QVERIFY(application.isEnabled);
            }
        }
        QCOMPARE(slack, 1);
    }

    void withoutSuggestionsThePlaceholderShowsAndStartStillCompletes() {
        UiFixture fixture(true, {});
        auto* window = openOnboarding(fixture);
        goToApplications(window);
        QVERIFY(window->showsNoSuggestions());
        QVERIFY(window->suggestionToggles().empty());
        window->forwardButton()->click();
        fixture.settle();
        QVERIFY(fixture.settings().hasCompletedOnboarding);
    }

    void closingTheWindowLeavesOnboardingUnfinished() {
        UiFixture fixture;
        auto* window = openOnboarding(fixture);
        goToApplications(window);
        window->close();
        fixture.settle();
        QVERIFY(!fixture.settings().hasCompletedOnboarding);
        fixture.shell().start();
        fixture.settle();
        QVERIFY(fixture.shell().onboardingWindow());
        QCOMPARE(fixture.shell().onboardingWindow()->page(), 0);
    }
};

std::unique_ptr<QObject> makeOnboardingTest() {
    return std::make_unique<OnboardingTest>();
}

}  // namespace plovik::ui::testing

#include "OnboardingTest.moc"

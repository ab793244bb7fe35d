// The General tab: settings written by its controls, the notification permission,
// launch at login, pause and resume, the updater, and the status line.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "app/ui/GeneralTab.h"
#include "app/ui/SettingsWindow.h"
#include "ui/UiFixture.h"
#include "ui/UiTests.h"

namespace plovik::ui::testing {

class GeneralTabTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        fixture_ = std::make_unique<UiFixture>();
        fixture_->completeOnboardingWithBothPermissions();
        fixture_->shell().showSettings();
        tab_ = fixture_->shell().settingsWindow()->general();
        fixture_->settle();
    }
    void cleanup() { fixture_.reset(); }

    void controlsWriteTheirSettings() {
        checkBox("Enable automatic correction")->click();
        QVERIFY(!fixture_->settings().automaticCorrectionEnabled);
        checkBox("Play correction sound")->click();
        QVERIFY(!fixture_->settings().playCorrectionSound);
        auto* sounds = comboBox("Morse");
        QCOMPARE(sounds->count(), 6);
        QCOMPARE(sounds->itemText(5), QString("Morse"));
        sounds->setCurrentIndex(2);
        QCOMPARE(fixture_->settings().correctionSound, std::optional(CorrectionSound::submarine));
        auto* slider = tab_->findChild<QSlider*>();
        slider->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(fixture_->settings().confidenceThreshold, 0.5);
        QVERIFY(label("0.50"));
    }

    void engineChoiceShowsAndStoresTheSetting() {
        auto* engine = tab_->findChild<QComboBox*>("correctionEngine");
        QVERIFY(engine);
        QCOMPARE(engine->count(), 2);
        QCOMPARE(engine->currentText(), QString("Extended engine (recommended)"));
        QVERIFY(
            label("The extended engine, used unless you choose otherwise, reads whole words, "
                  "punctuation keys included, with word frequencies and letter statistics. "
                  "The standard engine scores letters alone with short word lists."));

        engine->setCurrentIndex(engine->findText("Standard engine"));
        QCOMPARE(fixture_->settings().correctionEngine, CorrectionEngineKind::described);
        engine->setCurrentIndex(engine->findText("Extended engine (recommended)"));
        QCOMPARE(fixture_->settings().correctionEngine, CorrectionEngineKind::extended);

        // A value stored elsewhere shows once the tab refreshes.
        fixture_->store().update([](AppSettings& settings) {
            settings.correctionEngine = CorrectionEngineKind::described;
        });
        fixture_->settle();
        QCOMPARE(engine->currentText(), QString("Standard engine"));
    }

    void refusedNotificationsSwitchBackOffWithTheReason() {
        auto& services = fixture_->session().systemServices();
        checkBox("Show correction notification")->click();
        QVERIFY(fixture_->settings().showCorrectionNotification);
        QCOMPARE(services.openAuthorizationRequestCount(), std::size_t(1));
        services.answerNotificationAuthorization(false, std::nullopt);
        fixture_->settle();
        QVERIFY(!fixture_->settings().showCorrectionNotification);
        QVERIFY(!checkBox("Show correction notification")->isChecked());
        QVERIFY(label("Notification permission was not granted."));
        QVERIFY(label("Notification permission was not granted.")->isVisibleTo(tab_));
    }

    void launchAtLoginShowsOnlyWhatTheDesktopAccepted() {
        auto& services = fixture_->session().systemServices();
        services.setLoginItemError("autostart folder is read-only");
        checkBox("Launch at login")->click();
        fixture_->settle();
        QVERIFY(!fixture_->settings().launchAtLogin);
        QVERIFY(!checkBox("Launch at login")->isChecked());
        QVERIFY(label("Launch at login could not be changed: autostart folder is read-only"));
        services.setLoginItemError(std::nullopt);
        checkBox("Launch at login")->click();
        fixture_->settle();
        QVERIFY(fixture_->settings().launchAtLogin);
        QVERIFY(services.isLoginItemRegistered());
    }

    void resumeIsOfferedOnlyWhilePaused() {
        QVERIFY(!button("Resume")->isVisibleTo(tab_));
        button("Pause 15 Minutes")->click();
        fixture_->settle();
        QVERIFY(fixture_->coordinator().isPaused());
        QVERIFY(button("Resume")->isVisibleTo(tab_));
        button("Resume")->click();
        fixture_->settle();
        QVERIFY(!fixture_->settings().pauseUntil);
        QVERIFY(!button("Resume")->isVisibleTo(tab_));
        // A pause that has run out offers no resume either.
        fixture_->store().update([&](AppSettings& settings) {
            settings.pauseUntil = fixture_->session().clock().now() - std::chrono::seconds(1);
        });
        fixture_->settle();
        QVERIFY(!button("Resume")->isVisibleTo(tab_));
    }

    // Updates come with the system's packages: a check button and no automatic switches.
    void updateControlsFollowTheUpdater() {
        auto& updater = fixture_->session().systemServices().updater();
        QVERIFY(!checkBox("Automatically check for updates"));
        QVERIFY(!checkBox("Automatically download and install updates"));
        button("Check for Updates…")->click();
        QCOMPARE(updater.checkCount(), 1);
        updater.canCheckForUpdates() = false;
        fixture_->settle();
        QVERIFY(!button("Check for Updates…")->isEnabled());
        QVERIFY(label("Version 0.1.0 (7)"));
    }

    // Without a software-update application the button is off, the caption promises
    // nothing to open, and the updater's reason is shown in its words.
    void withoutAnUpdateApplicationTheUpdatersReasonIsShown() {
        auto& updater = fixture_->session().systemServices().updater();
        const auto caption = QString::fromUtf8(GeneralTab::kUpdatesCaption);
        const auto plainCaption = QString::fromUtf8(GeneralTab::kUpdatesCaptionWithoutUpdater);
        const QString reason("No software-update application is installed to check for updates.");
        QVERIFY(label(caption));
        QVERIFY(!label(reason));

        updater.setUnavailableReason(reason.toStdString());
        updater.canCheckForUpdates() = false;
        fixture_->settle();
        QVERIFY(!button("Check for Updates…")->isEnabled());
        QVERIFY(label(reason) && label(reason)->isVisibleTo(tab_));
        QVERIFY(!label(caption));
        QVERIFY(label(plainCaption));

        updater.setUnavailableReason(std::nullopt);
        updater.canCheckForUpdates() = true;
        fixture_->settle();
        QVERIFY(label(caption));
        QVERIFY(!label(reason));

        // A launch that fails changes nothing the updater announces: the click shows it.
        const QString failure("GNOME Software could not be opened: no such program");
        updater.setUnavailableReason(failure.toStdString());
        button("Check for Updates…")->click();
        QVERIFY(label(failure) && label(failure)->isVisibleTo(tab_));
    }

  private:
    QCheckBox* checkBox(const QString& text) {
        for (auto* box : tab_->findChildren<QCheckBox*>()) {
            if (box->text() == text) {
                return box;
            }
        }
        return nullptr;
    }
    QPushButton* button(const QString& text) {
        for (auto* candidate : tab_->findChildren<QPushButton*>()) {
            if (candidate->text() == text) {
                return candidate;
            }
        }
        return nullptr;
    }
    QComboBox* comboBox(const QString& itemText) {
        for (auto* candidate : tab_->findChildren<QComboBox*>()) {
            if (candidate->findText(itemText) >= 0) {
                return candidate;
            }
        }
        return nullptr;
    }
    QLabel* label(const QString& text) {
        for (auto* candidate : tab_->findChildren<QLabel*>()) {
            if (candidate->text() == text) {
                return candidate;
            }
        }
        return nullptr;
    }

    std::unique_ptr<UiFixture> fixture_;
    GeneralTab* tab_ = nullptr;
};

std::unique_ptr<QObject> makeGeneralTabTest() {
    return std::make_unique<GeneralTabTest>();
}

}  // namespace plovik::ui::testing

#include "GeneralTabTest.moc"

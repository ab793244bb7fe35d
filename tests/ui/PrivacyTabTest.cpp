// The Privacy tab: the permission rows, the running copy, and clearing the learned
// data only through the confirmation.
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/ui/PermissionRow.h"
#include "app/ui/PrivacyTab.h"
#include "app/ui/SampleDesktopIntegration.h"
#include "app/ui/SettingsWindow.h"
#include "ui/UiFixture.h"
#include "ui/UiTests.h"

namespace plovik::ui::testing {

class PrivacyTabTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        fixture_ = std::make_unique<UiFixture>();
        fixture_->completeOnboardingWithBothPermissions();
        fixture_->shell().showSettings();
        auto* window = fixture_->shell().settingsWindow();
        window->showTab(SettingsWindow::privacyTab);
        tab_ = window->privacy();
        fixture_->settle();
    }
    void cleanup() { fixture_.reset(); }

    void rowsShowEachPermissionWithTheButtonThatSuitsIt() {
        fixture_->session().setInputMonitoringGranted(false);
        clickButton("Refresh Permission Status");
        fixture_->settle();
        auto* accessibility = tab_->accessibilityRow();
        auto* inputMonitoring = tab_->inputMonitoringRow();
        QCOMPARE(accessibility->stateText(), QString("Granted"));
        QCOMPARE(accessibility->button()->text(), QString("Open Desktop Settings"));
        QCOMPARE(inputMonitoring->stateText(), QString("Required"));
        QCOMPARE(inputMonitoring->button()->text(), QString("Request and Open Desktop Settings"));
        const int requests = fixture_->session().desktop().permissions().listenEventRequestCount();
        inputMonitoring->button()->click();
        QCOMPARE(fixture_->session().desktop().permissions().listenEventRequestCount(),
                 requests + 1);
    }

    void onGnomeTheInputSourcesGoEitherWayInOneStep() {
        SampleDesktopIntegration gnome;
        UiContext onGnome = fixture_->context();
        onGnome.desktopIntegration = &gnome;
        PrivacyTab tab(onGnome);
        const auto button = [&](const QString& text) -> QPushButton* {
            for (auto* candidate : tab.findChildren<QPushButton*>()) {
                if (candidate->text() == text) {
                    return candidate;
                }
            }
            return nullptr;
        };
        QVERIFY(!button("Give My Input Sources Back"));
        button("Set Up Input Sources")->click();
        QVERIFY(gnome.status().isOn);
        QVERIFY(button("Give My Input Sources Back"));
        button("Give My Input Sources Back")->click();
        QVERIFY(!gnome.status().isOn);
        QVERIFY(button("Set Up Input Sources"));
        QVERIFY(!tab_->findChildren<QPushButton*>().isEmpty());
        for (auto* candidate : tab_->findChildren<QPushButton*>()) {
            QVERIFY2(candidate->text() != "Set Up Input Sources", "only on GNOME");
        }
    }

    void theRunningCopyIsShown() {
        bool found = false;
        for (auto* label : tab_->findChildren<QLabel*>()) {
            found = found || label->text() == "Running copy: /opt/plovik/bin/plovik";
        }
        QVERIFY(found);
    }

    // The rows mean something else where an input method shows Plovik the keys.
    void thePermissionNoteSaysWhatIsTrueOnThisKindOfDesktop() {
        const auto texts = [](QWidget& tab) {
            QStringList all;
            for (auto* label : tab.findChildren<QLabel*>()) {
                all << label->text();
            }
            return all.join('\n');
        };
        QVERIFY(texts(*tab_).contains(PrivacyTab::kX11PermissionNote));
        UiContext onWayland = fixture_->context();
        onWayland.desktop = DesktopKind::inputMethod;
        PrivacyTab wayland(onWayland);
        QVERIFY(texts(wayland).contains(PrivacyTab::kInputMethodPermissionNote));
        QVERIFY(!texts(wayland).contains("X11"));
    }

    void cancellingTheConfirmationClearsNothing() {
        learnOneCorrection();
        answerConfirmation(false);
        tab_->confirmClear();
        QVERIFY(!fixture_->coordinator().historyStore().allRecords().empty());
        QVERIFY(fixture_->coordinator().lastCorrection().get().has_value());
    }

    void clearDataClearsTheHistoryAndSaysSo() {
        learnOneCorrection();
        const auto applications = fixture_->settings().applications;
        answerConfirmation(true);
        clickButton("Clear Learned Dictionary and Local History");
        QVERIFY(fixture_->coordinator().historyStore().allRecords().empty());
        QVERIFY(!fixture_->coordinator().lastCorrection().get().has_value());
        QCOMPARE(fixture_->coordinator().statusMessage().get(),
                 std::optional<std::string>(
                     "Local correction history and learned exceptions were cleared."));
        QCOMPARE(fixture_->settings().applications, applications);
    }

  private:
    void learnOneCorrection() {
        fixture_->session().type("ghbdtn ");
        fixture_->session().settle();
        QVERIFY(!fixture_->coordinator().historyStore().allRecords().empty());
    }
    void clickButton(const QString& text) {
        for (auto* button : tab_->findChildren<QPushButton*>()) {
            if (button->text() == text) {
                button->click();
                return;
            }
        }
        QFAIL("no such button");
    }
    // Answers the confirmation once it shows, checking its texts first.
    void answerConfirmation(bool clear) {
        QTimer::singleShot(0, tab_, [this, clear] {
            auto* box = tab_->confirmation();
            QVERIFY(box);
            QCOMPARE(box->text(), QString("Clear all local learning data?"));
            QCOMPARE(box->informativeText(),
                     QString("This removes correction outcomes and learned exceptions. "
                             "Application settings are kept."));
            for (auto* button : box->buttons()) {
                if (clear && button->text() == "Clear Data") {
                    button->click();
                    return;
                }
            }
            box->reject();
        });
    }

    std::unique_ptr<UiFixture> fixture_;
    PrivacyTab* tab_ = nullptr;
};

std::unique_ptr<QObject> makePrivacyTabTest() {
    return std::make_unique<PrivacyTabTest>();
}

}  // namespace plovik::ui::testing

#include "PrivacyTabTest.moc"

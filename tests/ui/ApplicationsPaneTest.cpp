// The Applications tab: adding, removing and selecting, the status badges, and the
// switches and threshold of the selected application.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "app/ui/ApplicationChooserDialog.h"
#include "app/ui/ApplicationDetailView.h"
#include "app/ui/ApplicationRowWidget.h"
#include "app/ui/ApplicationsTab.h"
#include "app/ui/SettingsWindow.h"
#include "ui/UiFixture.h"
#include "ui/UiTests.h"

namespace plovik::ui::testing {

namespace {

EnabledApplication application(const std::string& id, const std::string& name) {
    return EnabledApplication(id, name, std::nullopt, std::nullopt, true, true, true, true, 0.9);
}

const EnabledApplication* entry(UiFixture& fixture, const std::string& id) {
    for (const auto& candidate : fixture.settings().applications) {
        if (candidate.bundleIdentifier == id) {
            return &candidate;
        }
    }
    return nullptr;
}

}  // namespace

class ApplicationsPaneTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        fixture_ = std::make_unique<UiFixture>();
        fixture_->completeOnboardingWithBothPermissions();
        // The session lists its own editor; two more give the list an order to keep.
        fixture_->store().addApplication(application("com.slack.Slack", "Slack"));
        fixture_->store().addApplication(application("org.gnome.TextEditor", "Text Editor"));
        fixture_->shell().showSettings();
        auto* window = fixture_->shell().settingsWindow();
        window->showTab(SettingsWindow::applicationsTab);
        fixture_->settle();
        pane_ = window->applications();
    }
    void cleanup() { fixture_.reset(); }

    void showingThePaneSelectsTheFirstApplication() {
        QCOMPARE(pane_->list()->count(), 3);
        QCOMPARE(pane_->selectedBundleIdentifier(),
                 std::optional<std::string>("org.plovik.SimulatedEditor"));
        QVERIFY(!pane_->showsPlaceholder());
        QVERIFY(pane_->removeButton()->isEnabled());
    }

    void addingAListedApplicationReplacesItAndSelectsIt() {
        auto changed = *entry(*fixture_, "com.slack.Slack");
        changed.isEnabled = false;
        changed.confidenceThreshold = 0.55;
        fixture_->store().updateApplication(changed);
        pane_->setChooser([this] {
            auto& service = fixture_->coordinator().installedApplicationService();
            return std::optional(service.chooseApplication(
                *fixture_->session().applicationCatalog().application("com.slack.Slack")));
        });
        pane_->addButton()->click();
        fixture_->settle();
        int slackCount = 0;
        for (const auto& candidate : fixture_->settings().applications) {
            slackCount += candidate.bundleIdentifier == "com.slack.Slack";
        }
        QCOMPARE(slackCount, 1);
        const auto* slack = entry(*fixture_, "com.slack.Slack");
        QVERIFY(slack->isEnabled && slack->automaticCorrectionEnabled &&
                slack->manualCorrectionEnabled && slack->switchInputSourceAfterCorrection);
        QCOMPARE(slack->confidenceThreshold, 0.9);
        QVERIFY(slack->iconData.has_value());
        QCOMPARE(pane_->selectedBundleIdentifier(), std::optional<std::string>("com.slack.Slack"));
        QCOMPARE(pane_->list()->currentRow(), 1);  // Editor, Slack, Text Editor
        QVERIFY(pane_->detail()->processText()->isChecked());
    }

    void cancellingTheChooserChangesNothing() {
        const auto before = fixture_->settings();
        pane_->setChooser([] { return std::optional<EnabledApplication>(); });
        pane_->addButton()->click();
        fixture_->settle();
        QCOMPARE(fixture_->settings(), before);
    }

    void removingTheSelectionShowsThePlaceholder() {
        pane_->select(std::string("com.slack.Slack"));
        pane_->removeButton()->click();
        fixture_->settle();
        QVERIFY(!entry(*fixture_, "com.slack.Slack"));
        QCOMPARE(pane_->list()->count(), 2);
        QVERIFY(!pane_->selectedBundleIdentifier());
        QVERIFY(pane_->showsPlaceholder());
        QVERIFY(!pane_->removeButton()->isEnabled());
        pane_->list()->setCurrentRow(1);
        QCOMPARE(pane_->selectedBundleIdentifier(),
                 std::optional<std::string>("org.gnome.TextEditor"));
        QVERIFY(!pane_->showsPlaceholder());
    }

    void aSwitchedOffApplicationKeepsItsValuesBehindDisabledControls() {
        pane_->select(std::string("com.slack.Slack"));
        auto* detail = pane_->detail();
        detail->processText()->click();
        fixture_->settle();
        const auto* slack = entry(*fixture_, "com.slack.Slack");
        QVERIFY(!slack->isEnabled);
        QVERIFY(slack->automaticCorrectionEnabled);
        for (auto* box : {detail->automaticCorrection(), detail->manualCorrection(),
                          detail->switchInputSource()}) {
            QVERIFY(!box->isEnabled());
            QVERIFY(box->isChecked());
        }
        QVERIFY(!detail->thresholdBlock()->isEnabled());
        QCOMPARE(ApplicationRowWidget::statusOf(*slack).label, QString("Off"));
        auto* row = pane_->list()->itemWidget(pane_->list()->item(1));
        QCOMPARE(row->findChild<QLabel*>("status")->text(), QString("Off"));
    }

    void manualOnlyApplicationShowsManualAndDisablesTheThreshold() {
        pane_->select(std::string("com.slack.Slack"));
        pane_->detail()->automaticCorrection()->click();
        fixture_->settle();
        const auto* slack = entry(*fixture_, "com.slack.Slack");
        QCOMPARE(ApplicationRowWidget::statusOf(*slack).label, QString("On · Manual"));
        QVERIFY(!pane_->detail()->thresholdBlock()->isEnabled());
        pane_->detail()->manualCorrection()->click();
        fixture_->settle();
        QCOMPARE(ApplicationRowWidget::statusOf(*entry(*fixture_, "com.slack.Slack")).label,
                 QString("Not processed"));
        pane_->detail()->automaticCorrection()->click();
        fixture_->settle();
        QCOMPARE(ApplicationRowWidget::statusOf(*entry(*fixture_, "com.slack.Slack")).label,
                 QString("On · Automatic"));
    }

    void theSliderStoresItsEndsAndHundredths() {
        pane_->select(std::string("com.slack.Slack"));
        auto* slider = pane_->detail()->threshold();
        slider->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(entry(*fixture_, "com.slack.Slack")->confidenceThreshold, 0.5);
        slider->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(entry(*fixture_, "com.slack.Slack")->confidenceThreshold, 1.0);
        QCOMPARE(pane_->detail()->thresholdValue()->text(), QLocale().toString(1.0, 'f', 2));
        slider->setValue(73);
        QCOMPARE(entry(*fixture_, "com.slack.Slack")->confidenceThreshold, 0.73);
        QCOMPARE(pane_->detail()->thresholdValue()->text(), QLocale().toString(0.73, 'f', 2));
        // The position of every other application stays.
        QCOMPARE(fixture_->settings().applications[1].bundleIdentifier,
                 std::string("com.slack.Slack"));
    }

    void theDetailFollowsChangesMadeElsewhere() {
        pane_->select(std::string("org.gnome.TextEditor"));
        auto changed = *entry(*fixture_, "org.gnome.TextEditor");
        changed.manualCorrectionEnabled = false;
        fixture_->store().updateApplication(changed);
        fixture_->settle();
        QVERIFY(!pane_->detail()->manualCorrection()->isChecked());
    }

    // Where corrections are known to fail or to be unsafe, the tab says why.
    void applicationsPlovikCannotAlwaysCorrectInSaySo() {
        fixture_->store().addApplication(application("chromium", "Chromium"));
        fixture_->store().addApplication(application("debian-xterm", "XTerm"));
        fixture_->settle();
        const auto summaryOf = [this](const std::string& id) {
            for (int row = 0; row < pane_->list()->count(); ++row) {
                auto* widget = pane_->list()->itemWidget(pane_->list()->item(row));
                if (widget->findChild<QLabel*>("identifier")->text() ==
                    QString::fromStdString(id)) {
                    auto* summary = widget->findChild<QLabel*>("limitation");
                    return summary ? summary->text() : QString();
                }
            }
            return QString("(not listed)");
        };
        QCOMPARE(summaryOf("chromium"), QString("Needs a start option"));
        QVERIFY(summaryOf("debian-xterm").startsWith("Never corrected"));
        QCOMPARE(summaryOf("org.gnome.TextEditor"), QString());

        pane_->select(std::string("chromium"));
        QVERIFY(!pane_->detail()->limitationSection()->isHidden());
        QVERIFY(pane_->detail()->limitation()->text().contains("--force-renderer-accessibility"));
        pane_->select(std::string("org.gnome.TextEditor"));
        QVERIFY(pane_->detail()->limitationSection()->isHidden());
    }

    void theChooserSearchesNamesAndIdentifiers() {
        ApplicationChooserDialog chooser(
            fixture_->coordinator().installedApplicationService().installedApplications());
        QCOMPARE(chooser.list()->count(), 4);
        chooser.searchField()->setText("tele");
        int shown = 0;
        for (int row = 0; row < chooser.list()->count(); ++row) {
            shown += !chooser.list()->item(row)->isHidden();
        }
        QCOMPARE(shown, 2);
        chooser.searchField()->setText("gnome");
        for (int row = 0; row < chooser.list()->count(); ++row) {
            if (!chooser.list()->item(row)->isHidden()) {
                chooser.list()->setCurrentRow(row);
            }
        }
        QCOMPARE(chooser.chosenApplication()->identifier, std::string("org.gnome.TextEditor"));
        chooser.searchField()->setText("slack");
        QVERIFY(!chooser.chosenApplication());
    }

  private:
    std::unique_ptr<UiFixture> fixture_;
    ApplicationsTab* pane_ = nullptr;
};

std::unique_ptr<QObject> makeApplicationsPaneTest() {
    return std::make_unique<ApplicationsPaneTest>();
}

}  // namespace plovik::ui::testing

#include "ApplicationsPaneTest.moc"

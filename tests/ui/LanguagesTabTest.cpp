// The Languages tab: the count of usable layouts, the warning with fewer than two, the
// current source and why an input method cannot be used, and refreshing the list.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/ui/LanguagesTab.h"
#include "app/ui/SettingsWindow.h"
#include "ui/UiFixture.h"
#include "ui/UiTests.h"

namespace plovik::ui::testing {

namespace {

SimulatedSession::Configuration layouts(std::vector<std::string> ids) {
    SimulatedSession::Configuration configuration;
    configuration.layoutIds = std::move(ids);
    return configuration;
}

QStringList labelTexts(QWidget* tab) {
    QStringList texts;
    for (auto* label : tab->findChildren<QLabel*>()) {
        if (label->isVisibleTo(tab) && !label->text().isEmpty()) {
            texts << label->text();
        }
    }
    return texts;
}

LanguagesTab* openTab(UiFixture& fixture) {
    fixture.completeOnboardingWithBothPermissions();
    fixture.shell().showSettings();
    auto* window = fixture.shell().settingsWindow();
    window->showTab(SettingsWindow::languagesTab);
    fixture.settle();
    return window->languages();
}

}  // namespace

class LanguagesTabTest : public QObject {
    Q_OBJECT
  private slots:
    void twoLayoutsAreCountedAndListedWithTheirLanguages() {
        UiFixture fixture(true, UiFixture::defaultSamples(), layouts({"xkb:us", "xkb:ru"}));
        const auto texts = labelTexts(openTab(fixture));
        QVERIFY(texts.contains("2 standard layouts available"));
        QVERIFY(texts.contains("English (US)"));
        QVERIFY(texts.contains("Russian"));
        QVERIFY(texts.contains("ru"));
        QVERIFY(texts.contains("xkb:us"));
        QVERIFY(!texts.contains(QString(LanguagesTab::kTooFewLayoutsWarning)));
    }

    void oneLayoutWarnsToEnableAnother() {
        UiFixture fixture(true, UiFixture::defaultSamples(), layouts({"xkb:us"}));
        const auto texts = labelTexts(openTab(fixture));
        QVERIFY(texts.contains("1 standard layouts available"));
        QVERIFY(texts.contains(QString(LanguagesTab::kTooFewLayoutsWarning)));
    }

    void anInputMethodShowsWhyItIsNotUsed() {
        UiFixture fixture(true, UiFixture::defaultSamples(), layouts({"xkb:us", "xkb:ru"}));
        auto* tab = openTab(fixture);
        auto& sources = fixture.session().inputSources();
        sources.addSource(
            InputSource{"ibus:anthy", "Japanese (Anthy)", {"ja"}, "input method", {}});
        sources.setCurrentSourceId(std::string("ibus:anthy"));
        fixture.coordinator().inputSourceService().refresh();
        fixture.settle();
        const auto texts = labelTexts(tab);
        QVERIFY(texts.contains("ibus:anthy"));
        QCOMPARE(texts.count(InputSourceService::kComplexAsianReason), 2);  // current and row
        QVERIFY(texts.contains("2 standard layouts available"));
    }

    void refreshFindsALayoutAddedMeanwhile() {
        UiFixture fixture(true, UiFixture::defaultSamples(), layouts({"xkb:us", "xkb:ru"}));
        auto* tab = openTab(fixture);
        fixture.session().inputSources().addKeyboardLayout("xkb:ua");
        for (auto* button : tab->findChildren<QPushButton*>()) {
            if (button->text() == "Refresh Input Sources") {
                button->click();
            }
        }
        fixture.settle();
        const auto texts = labelTexts(tab);
        QVERIFY(texts.contains("3 standard layouts available"));
        QVERIFY(texts.contains("Ukrainian"));
    }
};

std::unique_ptr<QObject> makeLanguagesTabTest() {
    return std::make_unique<LanguagesTabTest>();
}

}  // namespace plovik::ui::testing

#include "LanguagesTabTest.moc"

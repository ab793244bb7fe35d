// The shortcut recorder and the Shortcuts tab: what a key press records or refuses,
// how shortcuts are written, and the conflict warning under the row it concerns.
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/ui/KeyEventShortcut.h"
#include "app/ui/SampleDesktopIntegration.h"
#include "app/ui/SettingsWindow.h"
#include "app/ui/ShortcutText.h"
#include "app/ui/ShortcutsTab.h"
#include "ui/UiFixture.h"
#include "ui/UiTests.h"

namespace plovik::ui::testing {

class ShortcutRecorderTest : public QObject {
    Q_OBJECT
  private slots:
    void init() {
        fixture_ = std::make_unique<UiFixture>();
        fixture_->completeOnboardingWithBothPermissions();
        fixture_->shell().showSettings();
        window_ = fixture_->shell().settingsWindow();
        window_->showTab(SettingsWindow::shortcutsTab);
        QApplication::setActiveWindow(window_);
        fixture_->settle();
        tab_ = window_->shortcuts();
    }
    void cleanup() { fixture_.reset(); }

    void shortcutsAreWrittenWithLinuxModifierNames() {
        QCOMPARE(ShortcutText::displayText(ShortcutDefinition::altSpace()),
                 std::string("Alt+Space"));
        QCOMPARE(ShortcutText::displayText(ShortcutDefinition::altShiftSpace()),
                 std::string("Alt+Shift+Space"));
        QCOMPARE(ShortcutText::displayText(ShortcutDefinition::altSuperP()),
                 std::string("Alt+Super+P"));
        const auto all = Modifier::control | Modifier::alt | Modifier::shift | Modifier::super;
        QCOMPARE(ShortcutText::displayText({Key::enter, all}),
                 std::string("Ctrl+Alt+Shift+Super+Enter"));
        QCOMPARE(ShortcutText::displayText({Key::up, Modifier::control}), std::string("Ctrl+↑"));
        // A stored key this system has no key for is named by its stored number.
        QCOMPARE(ShortcutText::displayText(ShortcutDefinition::fromStored(
                     52, ShortcutDefinition::altSpace().toJson()["modifiers"])),
                 std::string("Alt+Key 52"));
        QCOMPARE(tab_->recorder(ShortcutsTab::undoRow)->text(), QString("Alt+Shift+Space"));
        QCOMPARE(tab_->recorder(ShortcutsTab::convertRow)->text(), QString("Alt+Super+C"));
    }

    void onGnomeAltSpaceCanBeTakenFromTheWindowMenu() {
        SampleDesktopIntegration gnome;
        UiContext onGnome = fixture_->context();
        onGnome.desktopIntegration = &gnome;
        ShortcutsTab tab(onGnome);
        tab.show();
        fixture_->settle();
        QVERIFY(tab.freeButton(ShortcutsTab::manualRow)->isVisible());
        QVERIFY2(!tab.freeButton(ShortcutsTab::undoRow)->isVisible(), "Alt+Shift+Space is free");
        tab.freeButton(ShortcutsTab::manualRow)->click();
        QVERIFY(!gnome.desktopTakes(ShortcutDefinition::altSpace()));
        QVERIFY(!tab.freeButton(ShortcutsTab::manualRow)->isVisible());
        QVERIFY2(!tab_->freeButton(ShortcutsTab::manualRow)->isVisible(), "only on GNOME");
    }

    void aPlainKeyBeepsAndKeepsRecording() {
        auto* recorder = tab_->recorder(ShortcutsTab::manualRow);
        QTest::mouseClick(recorder, Qt::LeftButton);
        QVERIFY(recorder->isRecording());
        QCOMPARE(recorder->text(), QString("Type shortcut…"));
        QTest::keyClick(recorder, Qt::Key_K);
        QCOMPARE(recorder->refusedKeyCount(), 1);
        QVERIFY(recorder->isRecording());
        QCOMPARE(fixture_->settings().manualShortcut, ShortcutDefinition::altSpace());
        // Holding a modifier alone is part of building the combination: no beep.
        QTest::keyPress(recorder, Qt::Key_Control, Qt::ControlModifier);
        QCOMPARE(recorder->refusedKeyCount(), 1);
        QVERIFY(recorder->isRecording());
    }

    void altSpaceRecordsAndGivesUpTheFocus() {
        fixture_->store().update([](AppSettings& settings) {
            settings.manualShortcut = ShortcutDefinition(Key::p, Modifier::control);
        });
        fixture_->settle();
        auto* recorder = tab_->recorder(ShortcutsTab::manualRow);
        QCOMPARE(recorder->text(), QString("Ctrl+P"));
        QTest::mouseClick(recorder, Qt::LeftButton);
        QTest::keyClick(recorder, Qt::Key_Space, Qt::AltModifier);
        QCOMPARE(fixture_->settings().manualShortcut,
                 ShortcutDefinition(Key::space, Modifier::alt));
        QVERIFY(!recorder->isRecording());
        QVERIFY(!recorder->hasFocus());
        QCOMPARE(recorder->text(), QString("Alt+Space"));
        fixture_->settle();
        QCOMPARE(fixture_->settings().undoShortcut, ShortcutDefinition::altShiftSpace());
    }

    void superShiftLetterRecordsBothModifiers() {
        auto* recorder = tab_->recorder(ShortcutsTab::pauseRow);
        QTest::mouseClick(recorder, Qt::LeftButton);
        QTest::keyClick(recorder, Qt::Key_Y, Qt::MetaModifier | Qt::ShiftModifier);
        QCOMPARE(fixture_->settings().pauseShortcut,
                 ShortcutDefinition(Key::y, Modifier::super | Modifier::shift));
        QCOMPARE(recorder->text(), QString("Shift+Super+Y"));
    }

    void losingTheFocusEndsRecordingAndShowsTheStoredShortcut() {
        auto* recorder = tab_->recorder(ShortcutsTab::manualRow);
        QTest::mouseClick(recorder, Qt::LeftButton);
        QVERIFY(recorder->hasFocus());
        tab_->recorder(ShortcutsTab::undoRow)->setFocus();
        fixture_->settle();
        QVERIFY(!recorder->isRecording());
        QCOMPARE(recorder->text(), QString("Alt+Space"));
    }

    void aChangeMadeElsewhereShowsUnlessRecording() {
        auto* recorder = tab_->recorder(ShortcutsTab::undoRow);
        fixture_->store().update([](AppSettings& settings) {
            settings.undoShortcut = ShortcutDefinition(Key::z, Modifier::control);
        });
        fixture_->settle();
        QCOMPARE(recorder->text(), QString("Ctrl+Z"));
        QTest::mouseClick(recorder, Qt::LeftButton);
        fixture_->store().update([](AppSettings& settings) {
            settings.undoShortcut = ShortcutDefinition::altShiftSpace();
        });
        fixture_->settle();
        QCOMPARE(recorder->text(), QString("Type shortcut…"));
    }

    void aTakenShortcutWarnsUnderItsRowOnly() {
        fixture_->hold(ShortcutDefinition(Key::h, Modifier::control));
        QVERIFY(!tab_->conflictLabel(ShortcutsTab::undoRow)->isVisibleTo(tab_));
        auto* recorder = tab_->recorder(ShortcutsTab::undoRow);
        QTest::mouseClick(recorder, Qt::LeftButton);
        QTest::keyClick(recorder, Qt::Key_H, Qt::ControlModifier);
        fixture_->settle();
        QVERIFY(tab_->conflictLabel(ShortcutsTab::undoRow)->isVisibleTo(tab_));
        QCOMPARE(tab_->conflictLabel(ShortcutsTab::undoRow)->text(),
                 QString(ShortcutConflictDetector::kReservedMessage));
        QVERIFY(!tab_->conflictLabel(ShortcutsTab::pauseRow)->isVisibleTo(tab_));
        QVERIFY(!tab_->conflictLabel(ShortcutsTab::convertRow)->isVisibleTo(tab_));
    }

    void theConversionShortcutIsRecordedInItsOwnRow() {
        fixture_->hold(ShortcutDefinition(Key::k, Modifier::control | Modifier::alt));
        auto* recorder = tab_->recorder(ShortcutsTab::convertRow);
        QCOMPARE(recorder->accessibleName(), QString("Convert selection"));
        QTest::mouseClick(recorder, Qt::LeftButton);
        QTest::keyClick(recorder, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
        fixture_->settle();
        QCOMPARE(fixture_->settings().convertShortcut,
                 ShortcutDefinition(Key::k, Modifier::control | Modifier::alt));
        QCOMPARE(fixture_->settings().manualShortcut, ShortcutDefinition::altSpace());
        QVERIFY(tab_->conflictLabel(ShortcutsTab::convertRow)->isVisibleTo(tab_));
        QVERIFY(!tab_->conflictLabel(ShortcutsTab::undoRow)->isVisibleTo(tab_));
        // The keyboard monitor matches the new combination from the next key on.
        auto& session = fixture_->session();
        session.field()->setText("ghbdtn");
        session.field()->setSelection({0, 6});
        QCOMPARE(session.pressShortcut(fixture_->settings().convertShortcut),
                 KeyDisposition::swallow);
        QCOMPARE(session.fieldText(), std::string("привет"));
    }

    void altSpaceCarriesItsCaveat() {
        QVERIFY(tab_->conflictLabel(ShortcutsTab::manualRow)->isVisibleTo(tab_));
        QCOMPARE(tab_->conflictLabel(ShortcutsTab::manualRow)->text(),
                 QString(ShortcutConflictDetector::kAltSpaceCaveat));
    }

    void thePermissionPollDoesNotProbeTheDisplayAgain() {
        const auto probes = fixture_->conflictProbes();
        fixture_->coordinator().refreshPermissions();
        fixture_->coordinator().refreshPermissions();
        fixture_->settle();
        QCOMPARE(fixture_->conflictProbes(), probes);
    }

    void onX11TheScanCodeNamesTheKeyWhateverTheLayout() {
        // Alt and the key left of W with the Russian layout selected: Qt reports "Й".
        const QKeyEvent cyrillic(QEvent::KeyPress, 0x0419, Qt::AltModifier, 16 + 8, 0x6ca, 0);
        const auto onX11 = KeyEventShortcut::fromKeyEvent(cyrillic, true);
        QCOMPARE(onX11.kind, KeyEventShortcut::Kind::recorded);
        QCOMPARE(*onX11.shortcut, ShortcutDefinition(Key::q, Modifier::alt));
        // Without a physical key to go by, a key only other layouts have cannot be stored.
        QCOMPARE(KeyEventShortcut::fromKeyEvent(cyrillic, false).kind,
                 KeyEventShortcut::Kind::refused);
        // A key the settings have no number for is refused, not stored as something else.
        const QKeyEvent media(QEvent::KeyPress, Qt::Key_unknown, Qt::ControlModifier, 240 + 8, 0,
                              0);
        QCOMPARE(KeyEventShortcut::fromKeyEvent(media, true).kind, KeyEventShortcut::Kind::refused);
    }

  private:
    std::unique_ptr<UiFixture> fixture_;
    SettingsWindow* window_ = nullptr;
    ShortcutsTab* tab_ = nullptr;
};

std::unique_ptr<QObject> makeShortcutRecorderTest() {
    return std::make_unique<ShortcutRecorderTest>();
}

}  // namespace plovik::ui::testing

#include "ShortcutRecorderTest.moc"

#pragma once

#include <QObject>
#include <memory>

namespace plovik::ui::testing {

std::unique_ptr<QObject> makeTrayMenuTest();
std::unique_ptr<QObject> makeShellStartTest();
std::unique_ptr<QObject> makeShortcutRecorderTest();
std::unique_ptr<QObject> makeApplicationsPaneTest();
std::unique_ptr<QObject> makePrivacyTabTest();
std::unique_ptr<QObject> makeOnboardingTest();
std::unique_ptr<QObject> makeGeneralTabTest();
std::unique_ptr<QObject> makeLanguagesTabTest();
std::unique_ptr<QObject> makeSingleInstanceTest();

}  // namespace plovik::ui::testing

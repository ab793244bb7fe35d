// Runs one test class by name (as CTest does), or every class without an argument.
#include <QApplication>
#include <QTest>
#include <cstring>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "ui/UiTests.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QObject>()>>> classes{
        {"TrayMenuTest", plovik::ui::testing::makeTrayMenuTest},
        {"ShellStartTest", plovik::ui::testing::makeShellStartTest},
        {"ShortcutRecorderTest", plovik::ui::testing::makeShortcutRecorderTest},
        {"ApplicationsPaneTest", plovik::ui::testing::makeApplicationsPaneTest},
        {"PrivacyTabTest", plovik::ui::testing::makePrivacyTabTest},
        {"OnboardingTest", plovik::ui::testing::makeOnboardingTest},
        {"GeneralTabTest", plovik::ui::testing::makeGeneralTabTest},
        {"LanguagesTabTest", plovik::ui::testing::makeLanguagesTabTest},
        {"SingleInstanceTest", plovik::ui::testing::makeSingleInstanceTest},
    };
    const char* only = argc >= 2 ? argv[1] : nullptr;
    int failures = 0;
    bool ran = false;
    for (const auto& [name, make] : classes) {
        if (only && std::strcmp(only, name) != 0) {
            continue;
        }
        ran = true;
        auto test = make();
        failures += QTest::qExec(test.get(), 1, argv);
    }
    return ran ? (failures == 0 ? 0 : 1) : 2;
}

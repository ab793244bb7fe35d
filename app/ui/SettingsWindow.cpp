#include "app/ui/SettingsWindow.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ui/ApplicationsTab.h"
#include "app/ui/CommandBar.h"
#include "app/ui/GeneralTab.h"
#include "app/ui/LanguagesTab.h"
#include "app/ui/PrivacyTab.h"
#include "app/ui/ShortcutsTab.h"
#include "app/ui/SymbolIcons.h"

namespace plovik::ui {

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 520;
constexpr int kCommandBarHeight = 64;
constexpr int kPadding = 16;

}  // namespace

SettingsWindow::SettingsWindow(UiContext& context, MonitoringCommands& commands,
                               CoordinatorBridge& bridge, bool showsCommandBar, QWidget* parent)
    : QWidget(parent) {
    setWindowTitle(QStringLiteral("Plovik Settings"));
    setWindowIcon(SymbolIcons::activeIcon());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    if (showsCommandBar) {
        commandBar_ = new CommandBar(context, commands);
        layout->addWidget(commandBar_);
    }
    tabs_ = new QTabWidget;
    general_ = new GeneralTab(context, commands);
    applications_ = new ApplicationsTab(context);
    languages_ = new LanguagesTab(context.coordinator.inputSourceService());
    shortcuts_ = new ShortcutsTab(context);
    privacy_ = new PrivacyTab(context);
    const auto iconColor = palette().color(QPalette::WindowText);
    tabs_->addTab(general_, SymbolIcons::icon(Symbol::gear, iconColor), QStringLiteral("General"));
    tabs_->addTab(applications_, SymbolIcons::icon(Symbol::grid, iconColor),
                  QStringLiteral("Applications"));
    tabs_->addTab(languages_, SymbolIcons::icon(Symbol::book, iconColor),
                  QStringLiteral("Languages"));
    tabs_->addTab(shortcuts_, SymbolIcons::icon(Symbol::keyboard, iconColor),
                  QStringLiteral("Shortcuts"));
    tabs_->addTab(privacy_, SymbolIcons::icon(Symbol::hand, iconColor), QStringLiteral("Privacy"));
    layout->addWidget(tabs_, 1);
    setFixedSize(kWidth, kHeight + (showsCommandBar ? kCommandBarHeight : 0));
    connect(&bridge, &CoordinatorBridge::changed, this, &SettingsWindow::refresh);
}

void SettingsWindow::refresh() {
    if (commandBar_) {
        commandBar_->refresh();
    }
    general_->refresh();
    applications_->refresh();
    languages_->refresh();
    shortcuts_->refresh();
    privacy_->refresh();
}

void SettingsWindow::showTab(Tab tab) {
    tabs_->setCurrentIndex(tab);
}

}  // namespace plovik::ui

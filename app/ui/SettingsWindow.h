#pragma once

#include <QWidget>

#include "app/ui/CoordinatorBridge.h"
#include "app/ui/MonitoringCommands.h"
#include "app/ui/UiContext.h"

class QTabWidget;

namespace plovik::ui {

class ApplicationsTab;
class CommandBar;
class GeneralTab;
class LanguagesTab;
class PrivacyTab;
class ShortcutsTab;

// The settings window: five tabs, every control writing straight into the settings
// or asking the coordinator; with the command bar on top where there is no tray.
class SettingsWindow : public QWidget {
    Q_OBJECT
  public:
    enum Tab { generalTab, applicationsTab, languagesTab, shortcutsTab, privacyTab };

    SettingsWindow(UiContext& context, MonitoringCommands& commands, CoordinatorBridge& bridge,
                   bool showsCommandBar, QWidget* parent = nullptr);

    void refresh();
    void showTab(Tab tab);
    QTabWidget* tabs() { return tabs_; }
    GeneralTab* general() { return general_; }
    ApplicationsTab* applications() { return applications_; }
    LanguagesTab* languages() { return languages_; }
    ShortcutsTab* shortcuts() { return shortcuts_; }
    PrivacyTab* privacy() { return privacy_; }
    CommandBar* commandBar() { return commandBar_; }

  private:
    QTabWidget* tabs_ = nullptr;
    CommandBar* commandBar_ = nullptr;
    GeneralTab* general_ = nullptr;
    ApplicationsTab* applications_ = nullptr;
    LanguagesTab* languages_ = nullptr;
    ShortcutsTab* shortcuts_ = nullptr;
    PrivacyTab* privacy_ = nullptr;
};

}  // namespace plovik::ui

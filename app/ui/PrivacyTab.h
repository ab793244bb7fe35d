#pragma once

#include <QWidget>

#include "app/ui/UiContext.h"

class QMessageBox;

namespace plovik::ui {

class PermissionRow;

// The two permissions with their requests, the running copy, what stays local, and
// clearing the learned data behind a confirmation.
class PrivacyTab : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kStaleRowNote =
        "If Plovik still says Required after you granted a permission, press “Refresh "
        "Permission Status”; applications started before accessibility was switched on must be "
        "restarted.";

    explicit PrivacyTab(UiContext& context, QWidget* parent = nullptr);

    void refresh();
    // Asks before clearing; only "Clear Data" clears.
    void confirmClear();
    PermissionRow* accessibilityRow() { return accessibility_; }
    PermissionRow* inputMonitoringRow() { return inputMonitoring_; }
    // The confirmation while it is shown.
    QMessageBox* confirmation() { return confirmation_; }

  private:
    QWidget* permissionsSection();
    QWidget* inputSourcesSection(DesktopIntegration& integration);
    QWidget* localProcessingSection();
    QWidget* learnedDataSection();

    UiContext& context_;
    PermissionRow* accessibility_ = nullptr;
    PermissionRow* inputMonitoring_ = nullptr;
    QMessageBox* confirmation_ = nullptr;
};

}  // namespace plovik::ui

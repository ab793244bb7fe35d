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

    static constexpr const char* kX11PermissionNote =
        "Input Monitoring needs an X11 session, where programs may observe keys; in a Wayland "
        "session Plovik works through the Fcitx5 input method and its Plovik module instead, "
        "or on GNOME through Plovik's input sources.";
    static constexpr const char* kInputMethodPermissionNote =
        "In this session Plovik works through the Fcitx5 input method: its Plovik module shows "
        "Plovik the keys typed and the focused field, and makes the corrections. Both "
        "permissions are there while Fcitx5 runs with the module (install plovik-fcitx5, then "
        "restart Fcitx5 with fcitx5 -r).";

    static constexpr const char* kGnomePermissionNote =
        "On GNOME Plovik works through its own input sources, which take the place of yours: "
        "they show Plovik the keys typed and the focused field, and make the corrections.";

    explicit PrivacyTab(UiContext& context, QWidget* parent = nullptr);
    // What the permission rows mean on this kind of desktop.
    static const char* permissionNote(DesktopKind desktop);

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

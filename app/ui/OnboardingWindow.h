#pragma once

#include <QWidget>
#include <vector>

#include "app/ui/CoordinatorBridge.h"
#include "app/ui/UiContext.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace plovik::ui {

class PermissionRow;

// "Welcome to Plovik": what Plovik does, the two permissions, and the known chat
// applications to enable. Closing it any other way than "Start Plovik" leaves
// onboarding unfinished, so it opens again at the next start.
class OnboardingWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kTitle = "Welcome to Plovik";
    enum Page { welcomePage, permissionsPage, applicationsPage };
    static constexpr const char* kX11PermissionNote =
        "Accessibility lets Plovik read and edit the focused field through the desktop's "
        "assistive technology support; applications started before it was switched on must be "
        "restarted. Input Monitoring needs an X11 session; in a Wayland session both come from "
        "Plovik's Fcitx5 module, or on GNOME from Plovik's input sources. If the status still "
        "says Required, press Refresh Status.";
    static constexpr const char* kInputMethodPermissionNote =
        "In this session both come from Plovik's Fcitx5 module, which shows Plovik the keys "
        "typed and the focused field and makes the corrections: install it (sudo apt install "
        "plovik-fcitx5), make Fcitx5 the input method (im-config -n fcitx5, or System Settings "
        "on KDE Plasma) and restart Fcitx5 (fcitx5 -r). If the status still says Required, "
        "press Refresh Status.";

    static constexpr const char* kGnomePermissionNote =
        "On GNOME both come from Plovik's input sources, which take the place of yours (the "
        "same layouts, in the same order) and show Plovik the keys typed and the focused "
        "field. If the status still says Required, press Refresh Status.";

    // What the permission rows mean on this kind of desktop.
    static const char* permissionNote(DesktopKind desktop);

    OnboardingWindow(UiContext& context, CoordinatorBridge& bridge, QWidget* parent = nullptr);

    int page() const { return page_; }
    void goBack();
    void goOn();
    // Adds the ticked suggestions, marks onboarding complete and closes the window.
    void start();
    void refresh();

    QPushButton* backButton() { return back_; }
    QPushButton* forwardButton() { return forward_; }
    const std::vector<QCheckBox*>& suggestionToggles() const { return toggles_; }
    PermissionRow* accessibilityRow() { return accessibility_; }
    PermissionRow* inputMonitoringRow() { return inputMonitoring_; }
    bool showsNoSuggestions() const;

  signals:
    void finished();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* welcome();
    QWidget* permissions();
    QWidget* gnomeSetUp(DesktopIntegration& integration);
    QWidget* applications();
    void fillSuggestions();
    void showPage(int page);

    UiContext& context_;
    std::vector<InstalledApplicationSuggestion> suggestions_;
    std::vector<QCheckBox*> toggles_;
    int page_ = welcomePage;
    QLabel* symbol_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QWidget* suggestionList_ = nullptr;
    QWidget* noSuggestions_ = nullptr;
    PermissionRow* accessibility_ = nullptr;
    QLabel* gnomeResult_ = nullptr;
    PermissionRow* inputMonitoring_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* forward_ = nullptr;
};

}  // namespace plovik::ui

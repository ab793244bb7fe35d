#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace plovik {
class SimulatedSession;
}  // namespace plovik

namespace plovik::ui {

class DesktopShell;
struct UiContext;

// Renders every window, tab, onboarding page and tray menu state to PNG files, off
// screen, on the simulated desktop with sample data: the user's own settings and
// history are never read or written.
class ScreenshotRenderer {
  public:
    explicit ScreenshotRenderer(QString directory);
    ~ScreenshotRenderer();

    // Returns the number of pictures written; writes a message and returns 0 on failure.
    int renderAll();

  private:
    bool prepare();
    void save(QWidget* widget, const QString& name);
    void renderMenus();
    void failSettingsWrites(bool fails);
    void renderSettings();
    void renderOnboarding();
    void renderWithoutTray();
    void renderGnomeSetUp();

    QString directory_;
    int written_ = 0;
    bool failed_ = false;
    std::unique_ptr<SimulatedSession> session_;
    std::unique_ptr<UiContext> context_;
    std::unique_ptr<DesktopShell> shell_;
};

}  // namespace plovik::ui

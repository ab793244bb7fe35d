#include "app/ui/UiModes.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>
#include <iostream>
#include <variant>

#include "app/ui/DesktopShell.h"
#include "app/ui/ScreenshotRenderer.h"
#include "app/ui/SingleInstance.h"
#include "platform/simulated/session/SimulatedSession.h"

#ifndef PLOVIK_VERSION
#define PLOVIK_VERSION ""
#endif
#ifndef PLOVIK_BUILD
#define PLOVIK_BUILD ""
#endif

namespace plovik::ui {

namespace {

// The off-screen platform says for every window that it cannot raise or grab it.
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("This plugin does not support"))) {
        return;
    }
    std::cerr << qPrintable(qFormatLogMessage(type, context, text)) << "\n";
}

}  // namespace

int runScreenshots(const std::string& directory, int argc, char** argv) {
    // Rendering never needs (or touches) the user's display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietOffscreenNotes);
    QApplication application(argc, argv);
    ScreenshotRenderer renderer(QString::fromStdString(directory));
    const int written = renderer.renderAll();
    if (written == 0) {
        return 1;
    }
    std::cout << "plovik: wrote " << written << " pictures to " << directory << "\n";
    return 0;
}

int runDesktopApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plovik"));
    QApplication::setDesktopFileName(QStringLiteral("plovik"));
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(SingleInstance::defaultSocketPath());
    if (instance.notifyRunningInstance()) {
        return 0;
    }
    if (!instance.listen()) {
        std::cerr << "plovik: cannot listen for a second start: "
                  << instance.errorString().toStdString() << "\n";
    }

    // Until the X11 desktop backends are part of the program, the windows drive the
    // simulated desktop; say so rather than let the tray claim corrections it cannot make.
    std::cerr << "plovik: this build has no X11 desktop backend yet; the windows drive the "
                 "simulated desktop\n";
    auto created = SimulatedSession::create({});
    if (auto* error = std::get_if<std::string>(&created)) {
        std::cerr << "plovik: " << *error << "\n";
        return 1;
    }
    auto session = std::move(std::get<std::unique_ptr<SimulatedSession>>(created));
    // The simulated desktop keeps virtual time: let it follow the wall clock.
    QTimer clockTick;
    QObject::connect(&clockTick, &QTimer::timeout,
                     [&session] { session->mainQueue().advance(SimulatedSession::kKeyInterval); });
    clockTick.start(static_cast<int>(SimulatedSession::kKeyInterval.count()));

    UiContext context{
        session->settingsStore(), session->coordinator(),
        session->clock(),         QCoreApplication::applicationFilePath().toStdString(),
        PLOVIK_VERSION,           PLOVIK_BUILD};
    DesktopShell shell(context, QSystemTrayIcon::isSystemTrayAvailable());
    QObject::connect(&shell, &DesktopShell::quitRequested, &application, &QApplication::quit);
    QObject::connect(&instance, &SingleInstance::activationRequested, &shell,
                     &DesktopShell::bringToFront);
    shell.start();
    return application.exec();
}

}  // namespace plovik::ui

#include "app/modes/UiModes.h"

#include <glib-unix.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <chrono>
#include <csignal>
#include <iostream>
#include <variant>

#include "app/BuildVersion.h"
#include "app/modes/DesktopAssembly.h"
#include "app/modes/InstanceLock.h"
#include "app/modes/TeardownDeadline.h"
#include "app/ui/DesktopShell.h"
#include "app/ui/ScreenshotRenderer.h"
#include "app/ui/SingleInstance.h"

namespace plovik::ui {

namespace {

// The off-screen platform says for every window that it cannot raise or grab it.
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("This plugin does not support"))) {
        return;
    }
    std::cerr << qPrintable(qFormatLogMessage(type, context, text)) << "\n";
}

// How long stopping may take, as for `plovik --headless`.
constexpr std::chrono::milliseconds kStopLimit{3000};
constexpr std::chrono::milliseconds kStopLimitAfterLoss{500};

gboolean quitApplication(gpointer) {
    QCoreApplication::quit();
    return G_SOURCE_CONTINUE;
}

// Qt's event dispatcher on Linux is GLib's, serving the default main context that the
// X11 connection, AT-SPI and the main queue are attached to.
bool servesGLibMainContext() {
    const auto* dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher && dispatcher->inherits("QEventDispatcherGlib");
}

// Said on standard error and, where there is already a window system, in a window:
// started from the application menu nobody reads standard error.
int refuseToStart(const std::string& reason) {
    std::cerr << "plovik: " << reason << "\n";
    QMessageBox::critical(nullptr, QStringLiteral("Plovik cannot start"),
                          QString::fromStdString(reason));
    return 1;
}

// Before the application object: only a Wayland session still offers a window to say it in.
int refuseToStart(const std::string& reason, int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        std::cerr << "plovik: " << reason << "\n";
        return 1;
    }
    QApplication application(argc, argv);
    return refuseToStart(reason);
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
    // Destroyed last: it bounds the teardown of everything below.
    TeardownDeadline deadline(std::cerr);
    auto opened = DesktopAssembly::open("plovik");
    if (auto* error = std::get_if<std::string>(&opened)) {
        return refuseToStart(*error, argc, argv);
    }
    auto assembly = std::move(std::get<std::unique_ptr<DesktopAssembly>>(opened));

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Plovik"));
    QApplication::setDesktopFileName(QStringLiteral("plovik"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (!servesGLibMainContext()) {
        return refuseToStart(
            "Qt does not run GLib's main loop here (is QT_NO_GLIB set?), so Plovik's desktop "
            "events would never be handled");
    }

    // A running copy with a window comes to the front instead; one without (`plovik
    // --headless`) has nothing to show, and this copy says which it is and stops.
    SingleInstance instance(SingleInstance::defaultSocketPath());
    auto lock = InstanceLock::acquire(InstanceLock::defaultPath());
    if (const auto* other = std::get_if<InstanceLock::HeldByAnother>(&lock)) {
        if (instance.notifyRunningInstance()) {
            return 0;
        }
        std::cerr << "plovik: " << InstanceLock::describe(*other) << "\n";
        return 1;
    }
    if (const auto* unavailable = std::get_if<InstanceLock::Unavailable>(&lock)) {
        std::cerr << "plovik: cannot make sure that only one copy runs: " << unavailable->reason
                  << "\n";
        if (instance.notifyRunningInstance()) {
            return 0;
        }
    }
    if (!instance.listen()) {
        std::cerr << "plovik: cannot listen for a second start: "
                  << instance.errorString().toStdString() << "\n";
    }

    if (const auto error = assembly->startCoordinator()) {
        return refuseToStart(*error);
    }
    if (const auto missing = assembly->missingPermission()) {
        std::cerr << "plovik: " << *missing << "\n";
    }
    std::cerr << "plovik: running " << assembly->sessionDescription() << "\n";
    int status = 0;
    assembly->watchForLoss([&status](const std::string& reason) {
        std::cerr << "plovik: " << reason << "\n";
        status = 1;
        QCoreApplication::exit(1);
    });

    UiContext context{
        assembly->settingsStore(), assembly->coordinator(),
        assembly->clock(),         QCoreApplication::applicationFilePath().toStdString(),
        build::kVersion,           build::kCommit,
        assembly->integration(),   assembly->kind()};
    DesktopShell shell(context, QSystemTrayIcon::isSystemTrayAvailable());
    QObject::connect(&shell, &DesktopShell::quitRequested, &application, &QApplication::quit);
    QObject::connect(&instance, &SingleInstance::activationRequested, &shell,
                     &DesktopShell::bringToFront);
    // Stopped from outside, the keyboard's grabs and bindings are released as on Quit.
    const guint interrupt = g_unix_signal_add(SIGINT, quitApplication, nullptr);
    const guint terminate = g_unix_signal_add(SIGTERM, quitApplication, nullptr);
    shell.start();
    const int exitCode = application.exec();
    g_source_remove(interrupt);
    g_source_remove(terminate);
    deadline.arm(status == 0 ? kStopLimit : kStopLimitAfterLoss, exitCode);
    assembly->coordinator().historyStore().flush();
    return exitCode;
}

}  // namespace plovik::ui

#include "SessionOptions.h"

namespace plovik {

std::optional<SessionOptions> SessionOptions::parse(const std::vector<std::string>& arguments,
                                                    std::string& error) {
    SessionOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            options.command.assign(arguments.begin() + static_cast<long>(i) + 1, arguments.end());
            if (options.command.empty()) {
                error = "no command after --";
                return std::nullopt;
            }
            return options;
        }
        if (argument == "--tray") {
            options.session.trayHost = true;
        } else if (argument == "--notifications") {
            options.session.notificationDaemon = true;
        } else if (argument == "--screen" && i + 1 < arguments.size()) {
            options.session.screen = arguments[++i];
        } else if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else {
            error = "unknown argument: " + argument;
            return std::nullopt;
        }
    }
    return options;
}

std::string SessionOptions::usage() {
    return "usage: plovik-session [--tray] [--notifications] [--screen WxHxD] [-- COMMAND...]\n"
           "Runs COMMAND inside a private X11 desktop: a virtual X server, a session bus,\n"
           "a window manager and the accessibility bus with accessibility on; --tray adds a\n"
           "tray host, --notifications a notification daemon. Without a command it prints\n"
           "the session's DISPLAY and DBUS_SESSION_BUS_ADDRESS and runs until interrupted.\n"
           "Everything is stopped when COMMAND ends or plovik-session is told to stop.\n"
           "Exits with COMMAND's status, 77 when a needed program is not installed.\n";
}

}  // namespace plovik

#include "platform/linux/AutostartEntry.h"

#include <system_error>

#include "core/support/AtomicFile.h"

namespace plovik {

namespace {

constexpr const char* kNoFolder =
    "there is no configuration folder ($XDG_CONFIG_HOME and $HOME are not set)";

// A string value of a desktop entry; execValue() has already refused line breaks and tabs.
std::string keyFileString(const std::string& text) {
    std::string value;
    for (const char c : text) {
        if (c == '\\') {
            value += '\\';
        }
        value += c;
    }
    return value;
}

}  // namespace

AutostartEntry::AutostartEntry(XdgDirectories::Environment environment,
                               std::filesystem::path program)
    : environment_(std::move(environment)), program_(std::move(program)) {}

std::optional<std::filesystem::path> AutostartEntry::runningProgram() {
    std::error_code error;
    auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || program.empty()) {
        return std::nullopt;
    }
    return program;
}

std::optional<std::filesystem::path> AutostartEntry::path() const {
    const auto config = XdgDirectories::configHome(environment_);
    if (!config) {
        return std::nullopt;
    }
    return *config / "autostart" / kFileName;
}

std::optional<std::string> AutostartEntry::execValue(const std::filesystem::path& program) {
    const auto text = program.string();
    if (text.empty() || text.front() != '/') {
        return std::nullopt;
    }
    // Inside the quotes ", `, $ and \ take a backslash; the key file then doubles every
    // backslash, and a literal % is written %%.
    std::string value = "\"";
    for (const char c : text) {
        if (c == '\n' || c == '\r' || c == '\t') {
            return std::nullopt;
        }
        if (c == '"' || c == '`' || c == '$') {
            value += "\\\\";
        } else if (c == '\\') {
            value += "\\\\\\";
        } else if (c == '%') {
            value += '%';
        }
        value += c;
    }
    return value + "\"";
}

std::optional<std::string> AutostartEntry::install() const {
    const auto file = path();
    if (!file) {
        return std::string(kNoFolder);
    }
    const auto exec = execValue(program_);
    if (!exec) {
        return "the program's location (" + program_.string() +
               ") cannot be written into an autostart entry";
    }
    const std::string entry =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Plovik\n"
        "Comment=Corrects words typed with the wrong keyboard layout\n"
        "Exec=" +
        *exec +
        "\n"
        // Once the program is removed (the package purged), desktops skip the entry
        // rather than fail at every login.
        "TryExec=" +
        keyFileString(program_.string()) +
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    if (!AtomicFile(*file).replace(entry, 0644)) {
        return "the autostart entry " + file->string() + " could not be written";
    }
    return std::nullopt;
}

std::optional<std::string> AutostartEntry::remove() const {
    const auto file = path();
    if (!file) {
        return std::string(kNoFolder);
    }
    std::error_code error;
    std::filesystem::remove(*file, error);
    if (error) {
        return "the autostart entry " + file->string() +
               " could not be removed: " + error.message();
    }
    return std::nullopt;
}

}  // namespace plovik

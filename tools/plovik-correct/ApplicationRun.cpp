#include "tools/plovik-correct/ApplicationRun.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <variant>

#include "app/session/ReapedFolder.h"
#include "app/session/SimulatedSession.h"
#include "core/support/InputText.h"
#include "tools/plovik-correct/ExitStatus.h"

namespace plovik {

namespace {

// A field costs in proportion to its text on every key, as a real one does: it is emptied
// after every piece of about this size.
constexpr std::size_t kPieceBytes = 1024;

// Where the application keeps its history below the per-user folder.
std::filesystem::path historyFileIn(const std::filesystem::path& perUserFolder) {
    return perUserFolder / "Application Support" / "Plovik" / "correction-history.json";
}

// Types one piece of a line and writes it once every correction it can cause is done; the
// field is then emptied so that each key costs the same however long the input is.
void typePiece(SimulatedSession& session, std::string_view piece, std::ostream& output) {
    session.type(piece);
    session.settle();
    output << session.fieldText();
    session.field()->setText("");
}

// The folder for the run's settings and history: where TMPDIR says, otherwise in memory
// when the machine offers it, because every correction rewrites the history file and
// waits for it to reach the disk. A message when TMPDIR names no usable folder. The
// folder holds every word typed: it goes with the run, also when the run is killed.
// Throws std::system_error when no helper can be started to remove it.
std::variant<std::unique_ptr<ReapedFolder>, std::string> makeHome() {
    const char* chosen = std::getenv("TMPDIR");
    std::error_code error;
    try {
        if (chosen != nullptr && *chosen != '\0') {
            const std::filesystem::path folder = chosen;
            if (!folder.is_absolute() || !std::filesystem::is_directory(folder, error)) {
                return "TMPDIR is not an absolute path to a folder: " + folder.string();
            }
            return std::make_unique<ReapedFolder>(folder);
        }
        const std::filesystem::path memory = "/dev/shm";
        if (std::filesystem::is_directory(memory, error) && ::access(memory.c_str(), W_OK) == 0) {
            return std::make_unique<ReapedFolder>(memory);
        }
        return std::make_unique<ReapedFolder>(std::filesystem::temp_directory_path());
    } catch (const std::filesystem::filesystem_error& failure) {
        return std::string("cannot create a temporary folder: ") + failure.what();
    }
}

// The session scores with a copy, so the user's history is never written.
std::optional<std::string> copyHistory(const std::filesystem::path& from,
                                       const std::filesystem::path& home) {
    const auto copy = historyFileIn(home);
    std::error_code error;
    std::filesystem::create_directories(copy.parent_path(), error);
    if (error || !std::filesystem::copy_file(from, copy, error)) {
        return "--history: cannot copy " + from.string() + ": " + error.message();
    }
    return std::nullopt;
}

}  // namespace

int ApplicationRun::run(const CorrectOptions& options, std::string_view text, std::ostream& output,
                        std::ostream& errors) {
    // The application's own folders: the user's real settings and history stay untouched.
    std::variant<std::unique_ptr<ReapedFolder>, std::string> made;
    try {
        made = makeHome();
    } catch (const std::system_error&) {
        errors << "plovik-correct: cannot watch the temporary folder\n";
        return ExitStatus::kFailure;
    }
    if (const auto* error = std::get_if<std::string>(&made)) {
        return ExitStatus::usageError(errors, *error);
    }
    const auto& home = std::get<std::unique_ptr<ReapedFolder>>(made);
    if (options.historyFile) {
        if (const auto error = copyHistory(*options.historyFile, home->path())) {
            return ExitStatus::usageError(errors, *error);
        }
    }
    SimulatedSession::Configuration configuration;
    configuration.layoutIds = options.layoutIds();
    configuration.typedInId = CorrectOptions::inputSourceId(options.typedIn);
    configuration.switchInputSourceAfterCorrection = options.switchAfterCorrection;
    configuration.confidenceThreshold = options.threshold;
    configuration.correctionEngine = options.engine;
    configuration.perUserFolder = home->path();
    configuration.applicationBundleIdentifier =
        options.applicationId.value_or(CorrectOptions::kApplication);
    auto created = SimulatedSession::create(configuration);
    if (const auto* error = std::get_if<std::string>(&created)) {
        return ExitStatus::usageError(errors, *error);
    }
    auto& session = *std::get<std::unique_ptr<SimulatedSession>>(created);
    // A closed output ends the run like any write error, so that the folder goes at once.
    ::signal(SIGPIPE, SIG_IGN);
    while (!text.empty() && output) {
        const std::size_t length = InputText::firstPieceLength(text, kPieceBytes);
        typePiece(session, text.substr(0, length), output);
        text.remove_prefix(length);
    }
    output.flush();
    return output ? ExitStatus::kSuccess : ExitStatus::kFailure;
}

}  // namespace plovik

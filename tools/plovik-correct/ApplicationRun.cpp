#include "tools/plovik-correct/ApplicationRun.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <variant>

#include "app/coordinator/SimulatedSession.h"
#include "app/coordinator/TemporaryFolder.h"

namespace plovik {

namespace {

// Where the application keeps its history below the per-user folder.
std::filesystem::path historyFileIn(const std::filesystem::path& perUserFolder) {
    return perUserFolder / "Application Support" / "Plovik" / "correction-history.json";
}

// Types one line (with its line break, if any) and writes it once every correction
// it can cause is done; the field is then emptied so that long input stays cheap.
void typeLine(SimulatedSession& session, std::string_view line, std::ostream& output) {
    session.type(line);
    session.settle();
    output << session.fieldText();
    session.field()->setText("");
}

// The folder for the run's settings and history: where TMPDIR says, otherwise in memory
// when the machine offers it, because every correction rewrites the history file and
// waits for it to reach the disk.
std::unique_ptr<TemporaryFolder> makeHome() {
    const char* chosen = std::getenv("TMPDIR");
    const std::filesystem::path memory = "/dev/shm";
    std::error_code error;
    if ((chosen == nullptr || *chosen == '\0') && std::filesystem::is_directory(memory, error) &&
        ::access(memory.c_str(), W_OK) == 0) {
        return std::make_unique<TemporaryFolder>(memory);
    }
    return std::make_unique<TemporaryFolder>();
}

}  // namespace

int ApplicationRun::run(const CorrectOptions& options, std::string_view text, std::ostream& output,
                        std::ostream& errors) {
    // The application's own folders: the user's real settings and history stay untouched.
    const auto home = makeHome();
    if (options.historyFile) {
        const auto copy = historyFileIn(home->path());
        std::filesystem::create_directories(copy.parent_path());
        std::filesystem::copy_file(*options.historyFile, copy);
    }
    SimulatedSession::Configuration configuration;
    configuration.layoutIds.clear();
    for (const auto& layout : options.layouts) {
        configuration.layoutIds.push_back("xkb:" + layout);
    }
    configuration.typedInId = "xkb:" + options.typedIn;
    configuration.switchInputSourceAfterCorrection = options.switchAfterCorrection;
    configuration.confidenceThreshold = options.threshold;
    configuration.correctionEngine = options.engine;
    configuration.perUserFolder = home->path();
    auto created = SimulatedSession::create(configuration);
    if (const auto* error = std::get_if<std::string>(&created)) {
        errors << "plovik-correct: " << *error << "\nTry 'plovik-correct --help'.\n";
        return 2;
    }
    auto& session = *std::get<std::unique_ptr<SimulatedSession>>(created);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        typeLine(session, text.substr(0, length), output);
        text.remove_prefix(length);
    }
    output.flush();
    return output ? 0 : 1;
}

}  // namespace plovik

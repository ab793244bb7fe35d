#include "tools/plovik-correct/CorrectProgram.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <optional>
#include <variant>

#include "app/workbench/CorrectionWorkbench.h"
#include "core/support/FileDescriptor.h"
#include "core/support/InputText.h"
#include "tools/plovik-correct/ApplicationRun.h"
#include "tools/plovik-correct/ConvertRun.h"
#include "tools/plovik-correct/CorrectOptions.h"
#include "tools/plovik-correct/ExitStatus.h"
#include "tools/plovik-correct/ExplainWriter.h"

namespace plovik {

namespace {

// Types the text piece by piece, writing each piece once nothing can change it any more
// (nowhere when `output` is null).
void correct(TypedTextReplayer& replayer, std::string_view text, std::ostream* output) {
    while (!text.empty()) {
        const std::size_t length = InputText::firstPieceLength(text);
        replayer.type(text.substr(0, length));
        text.remove_prefix(length);
        if (text.empty()) {
            replayer.finishInput();
        }
        const std::string shown = replayer.takeText();
        if (output) {
            *output << shown;
        }
    }
}

// Only a regular file the user can read is a history. Opened without blocking: a FIFO
// in its place would otherwise wait for a writer forever.
std::optional<std::string> historyFileProblem(const std::string& path) {
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.isOpen()) {
        return "cannot read";
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return "not a regular file";
    }
    return std::nullopt;
}

}  // namespace

int CorrectProgram::run(const std::vector<std::string>& arguments, std::istream& input,
                        std::ostream& output, std::ostream& errors) {
    const auto parsed = CorrectOptions::parse(arguments);
    if (const auto* error = std::get_if<CorrectOptions::Error>(&parsed)) {
        return ExitStatus::usageError(errors, error->message);
    }
    const auto& options = std::get<CorrectOptions>(parsed);
    if (options.help) {
        output << CorrectOptions::usage();
        return ExitStatus::kSuccess;
    }
    if (options.historyFile) {
        // The store would start empty without a word; a mistyped path should not go unnoticed.
        if (const auto problem = historyFileProblem(*options.historyFile)) {
            return ExitStatus::usageError(errors,
                                          "--history: " + *problem + ": " + *options.historyFile);
        }
    }
    if (options.app || options.convert) {
        const auto text = InputText::read(input);
        if (const auto* error = std::get_if<InputText::Error>(&text)) {
            return ExitStatus::usageError(errors, error->message);
        }
        const auto& whole = std::get<std::string>(text);
        return options.app ? ApplicationRun::run(options, whole, output, errors)
                           : ConvertRun::run(options, whole, output, errors);
    }
    CorrectionWorkbench::Configuration configuration;
    configuration.layoutIds = options.layoutIds();
    configuration.typedInId = CorrectOptions::inputSourceId(
        options.typesUnderAnyLayout() ? options.layouts.front() : options.typedIn);
    configuration.historyFile = options.historyFile;
    configuration.engine = options.engine;
    configuration.typeUnderAnyLayout = options.typesUnderAnyLayout();
    auto workbench = CorrectionWorkbench::create(configuration);
    if (const auto* error = std::get_if<std::string>(&workbench)) {
        return ExitStatus::usageError(errors, *error);
    }
    const auto text = InputText::read(input);
    if (const auto* error = std::get_if<InputText::Error>(&text)) {
        return ExitStatus::usageError(errors, error->message);
    }
    auto& bench = *std::get<std::unique_ptr<CorrectionWorkbench>>(workbench);
    const auto replayer =
        bench.makeReplayer({bench.typedInLayout(), options.threshold, options.switchAfterCorrection,
                            CorrectOptions::kApplication});
    ExplainWriter explainer(output);
    if (options.explain) {
        replayer->setObserver(
            [&](const TypedTextReplayer::Judgement& judgement) { explainer.write(judgement); });
    }
    correct(*replayer, std::get<std::string>(text), options.explain ? nullptr : &output);
    output.flush();
    return output ? ExitStatus::kSuccess : ExitStatus::kFailure;
}

}  // namespace plovik

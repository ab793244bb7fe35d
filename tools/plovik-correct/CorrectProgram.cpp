#include "tools/plovik-correct/CorrectProgram.h"

#include <filesystem>
#include <fstream>
#include <variant>

#include "core/support/InputText.h"
#include "platform/simulated/CorrectionWorkbench.h"
#include "tools/plovik-correct/ApplicationRun.h"
#include "tools/plovik-correct/CorrectOptions.h"
#include "tools/plovik-correct/ExplainWriter.h"

namespace plovik {

namespace {

// The application a correction is recorded for in the history.
constexpr const char* kApplication = "plovik-correct";

int usageError(std::ostream& errors, const std::string& message) {
    errors << "plovik-correct: " << message << "\nTry 'plovik-correct --help'.\n";
    return CorrectProgram::kUsageError;
}

std::string inputSourceId(const std::string& layoutName) {
    return "xkb:" + layoutName;
}

// Types the text line by line, writing each line once nothing can change it any more
// (nowhere when `output` is null).
void correct(TypedTextReplayer& replayer, std::string_view text, std::ostream* output) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
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

}  // namespace

int CorrectProgram::run(const std::vector<std::string>& arguments, std::istream& input,
                        std::ostream& output, std::ostream& errors) {
    const auto parsed = CorrectOptions::parse(arguments);
    if (const auto* error = std::get_if<CorrectOptions::Error>(&parsed)) {
        return usageError(errors, error->message);
    }
    const auto& options = std::get<CorrectOptions>(parsed);
    if (options.help) {
        output << CorrectOptions::usage();
        return kSuccess;
    }
    if (options.historyFile) {
        // The store would start empty without a word; a mistyped path should not go unnoticed.
        std::ifstream history(*options.historyFile);
        if (!history || std::filesystem::is_directory(*options.historyFile)) {
            return usageError(errors, "--history: cannot read " + *options.historyFile);
        }
    }
    if (options.app) {
        const auto text = InputText::read(input);
        if (const auto* error = std::get_if<InputText::Error>(&text)) {
            return usageError(errors, error->message);
        }
        return ApplicationRun::run(options, std::get<std::string>(text), output, errors);
    }
    CorrectionWorkbench::Configuration configuration;
    for (const auto& layout : options.layouts) {
        configuration.layoutIds.push_back(inputSourceId(layout));
    }
    configuration.typedInId = inputSourceId(
        options.typesUnderAnyLayout() ? options.layouts.front() : options.typedIn);
    configuration.historyFile = options.historyFile;
    configuration.engine = options.engine;
    configuration.typeUnderAnyLayout = options.typesUnderAnyLayout();
    auto workbench = CorrectionWorkbench::create(configuration);
    if (const auto* error = std::get_if<std::string>(&workbench)) {
        return usageError(errors, *error);
    }
    const auto text = InputText::read(input);
    if (const auto* error = std::get_if<InputText::Error>(&text)) {
        return usageError(errors, error->message);
    }
    auto& bench = *std::get<std::unique_ptr<CorrectionWorkbench>>(workbench);
    TypedTextReplayer replayer = bench.makeReplayer(
        {bench.typedInLayout(), options.threshold, options.switchAfterCorrection, kApplication});
    ExplainWriter explainer(output);
    if (options.explain) {
        replayer.setObserver(
            [&](const TypedTextReplayer::Judgement& judgement) { explainer.write(judgement); });
    }
    correct(replayer, std::get<std::string>(text), options.explain ? nullptr : &output);
    output.flush();
    return output ? kSuccess : 1;
}

}  // namespace plovik

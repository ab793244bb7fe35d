#include "tools/plovik-correct/ConvertRun.h"

#include <vector>

#include "core/layouts/LayoutPairChooser.h"
#include "core/layouts/LayoutTextConverter.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "tools/plovik-correct/ExitStatus.h"

namespace plovik {

int ConvertRun::run(const CorrectOptions& options, std::string_view text, std::ostream& output,
                    std::ostream& errors) {
    XkbKeymapLibrary keymaps;
    std::vector<LayoutTextConverter::Side> sides;
    for (const auto& id : options.layoutIds()) {
        auto keyMap = keymaps.keyLayoutData(id);
        if (!keyMap) {
            return ExitStatus::usageError(errors, "unknown layout \"" + id.substr(4) + "\"");
        }
        sides.push_back({KeyboardLayout{id, id, {}}, std::move(keyMap)});
    }
    const std::string selected = CorrectOptions::inputSourceId(
        options.typesUnderAnyLayout() ? options.layouts.front() : options.typedIn);
    const auto pair = LayoutPairChooser::choose(sides, selected);
    if (!pair) {
        return ExitStatus::usageError(errors, "--convert needs two layouts in --layouts");
    }
    output << LayoutTextConverter(pair->first, pair->second).convert(text).text;
    output.flush();
    return output ? ExitStatus::kSuccess : ExitStatus::kFailure;
}

}  // namespace plovik

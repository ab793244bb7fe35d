#include "app/coordinator/SelectionConversionFlow.h"

#include <vector>

#include "core/layouts/LayoutPairChooser.h"
#include "core/replacement/LastCorrection.h"
#include "core/support/Uuid.h"
#include "core/text/CodePoints.h"

namespace plovik {

namespace {

std::int64_t codePointLength(std::string_view text) {
    return static_cast<std::int64_t>(text::CodePoints::length(text));
}

}  // namespace

SelectionConversionFlow::SelectionConversionFlow(Collaborators collaborators)
    : services_(collaborators) {}

bool SelectionConversionFlow::canConvert() {
    return services_.gate.policy().allowsManualCorrection(services_.gate.frontmostApplication()) &&
           services_.gate.usableField();
}

void SelectionConversionFlow::convert(KeyPressNumber press) {
    const auto application = services_.gate.frontmostApplication();
    if (!application || !services_.gate.policy().allowsManualCorrection(application) ||
        !services_.gate.usableField()) {
        return;
    }
    const auto selection = services_.selections.selection();
    if (convertBack(*application, selection, press)) {
        return;
    }
    if (selection) {
        convertSelection(*application, *selection, press);
    } else {
        convertPhrase(*application, press);
    }
}

std::string SelectionConversionFlow::summary(const std::string& original,
                                             const std::string& converted) {
    return "Converted “" + LastConversion::excerpt(original) + "” to “" +
           LastConversion::excerpt(converted) + "”.";
}

// The text just converted goes back exactly as it was, whatever the layouts would make of
// the converted text now.
bool SelectionConversionFlow::convertBack(
    const std::string& application,
    const std::optional<SelectionConverterService::FieldText>& selection, KeyPressNumber press) {
    const auto& last = services_.undo.lastConversion();
    if (!last || last->applicationBundleIdentifier != application) {
        return false;
    }
    LastConversion back{application,        last->converted,    last->original, std::nullopt,
                        last->targetLayout, last->sourceLayout, std::nullopt};
    if (last->selectedRange) {
        if (!selection || selection->range != *last->selectedRange ||
            selection->text != last->converted) {
            return false;
        }
        back.selectedRange = TextRange{selection->range.location, codePointLength(back.converted)};
        const auto result = services_.selections.replace(*selection, back.converted, true, press);
        finish(std::move(back), result);
        return true;
    }
    if (selection) {
        return false;
    }
    // Not before the caret any more: the phrase typed since is what is meant.
    const TextReplacementResult result = services_.replacement.replace(last->requestBack(), press);
    if (!result.succeeded) {
        return false;
    }
    finish(std::move(back), result);
    return true;
}

void SelectionConversionFlow::convertSelection(
    const std::string& application, const SelectionConverterService::FieldText& selection,
    KeyPressNumber press) {
    const auto pair = converter();
    if (!pair) {
        return;
    }
    const auto conversion = pair->convert(selection.text);
    if (!conversion.target) {
        return;
    }
    LastConversion done{application,
                        selection.text,
                        conversion.text,
                        TextRange{selection.range.location, codePointLength(conversion.text)},
                        *conversion.target == pair->preferredLayout() ? pair->otherLayout()
                                                                      : pair->preferredLayout(),
                        conversion.target,
                        std::nullopt};
    const auto result = services_.selections.replace(selection, conversion.text, true, press);
    finish(std::move(done), result);
}

void SelectionConversionFlow::convertPhrase(const std::string& application, KeyPressNumber press) {
    const std::string phrase = services_.phrase.text();
    if (phrase.empty()) {
        return;
    }
    const auto pair = converter();
    if (!pair) {
        return;
    }
    const auto conversion = pair->convert(phrase);
    if (!conversion.target) {
        return;
    }
    LastConversion done{application,
                        phrase,
                        conversion.text,
                        std::nullopt,
                        *conversion.target == pair->preferredLayout() ? pair->otherLayout()
                                                                      : pair->preferredLayout(),
                        conversion.target,
                        std::nullopt};
    const auto result = services_.replacement.replace(
        LastConversion::requestBeforeCaret(phrase, conversion.text), press);
    finish(std::move(done), result);
}

std::shared_ptr<const LayoutTextConverter> SelectionConversionFlow::converter() {
    services_.inputSources.refresh();
    std::vector<LayoutTextConverter::Side> sides;
    for (const auto& layout : services_.inputSources.supportedLayouts()) {
        const auto source = services_.keyMaps.installedSource(layout.id);
        sides.push_back({layout, source ? source->keyLayoutData : nullptr});
    }
    const auto current = services_.inputSources.currentLayout();
    const auto pair =
        LayoutPairChooser::choose(sides, current ? std::optional(current->id) : std::nullopt);
    if (!pair) {
        services_.state.statusMessage = std::string(kNeedsTwoLayoutsMessage);
        return nullptr;
    }
    const std::pair keyMaps{pair->first.keyMap.get(), pair->second.keyMap.get()};
    if (!converter_ || keyMaps != converterKeyMaps_ ||
        converter_->preferredLayout() != pair->first.layout ||
        converter_->otherLayout() != pair->second.layout) {
        converter_ = std::make_shared<LayoutTextConverter>(pair->first, pair->second);
        converterKeyMaps_ = keyMaps;
    }
    return converter_;
}

void SelectionConversionFlow::finish(LastConversion conversion,
                                     const TextReplacementResult& result) {
    CoordinatorState& state = services_.state;
    if (!result.succeeded) {
        state.statusMessage = result.errorMessage;
        return;
    }
    // The buffer cannot tell what the field holds around the caret now.
    services_.tokenBuffer.reset();
    const auto switchError = switchLayout(conversion);
    publish(conversion);
    state.lastReplacementMethod = result.method;
    services_.feedback.playCorrectionSound();
    state.statusMessage = switchError ? switchError->description()
                                      : summary(conversion.original, conversion.converted);
    services_.undo.rememberConversion(std::move(conversion));
}

std::optional<InputSourceError> SelectionConversionFlow::switchLayout(LastConversion& conversion) {
    const auto entry = services_.gate.policy().application(conversion.applicationBundleIdentifier);
    const auto before = services_.inputSources.currentLayout();
    if (!entry || !entry->switchInputSourceAfterCorrection || !conversion.targetLayout ||
        before == conversion.targetLayout) {
        return std::nullopt;
    }
    auto error = services_.inputSources.switchTo(*conversion.targetLayout);
    if (!error) {
        conversion.layoutBeforeSwitch = before;
    }
    return error;
}

// Shown as the last change, so that the menu can undo it like a correction; it has no
// history record.
void SelectionConversionFlow::publish(const LastConversion& conversion) {
    const KeyboardLayout target = conversion.targetLayout.value_or(KeyboardLayout{});
    services_.state.lastCorrection =
        LastCorrection(Uuid::random(), conversion.original, conversion.converted, "", "",
                       conversion.applicationBundleIdentifier,
                       conversion.sourceLayout.value_or(target), target, services_.clock.now());
}

}  // namespace plovik

#include "core/layouts/InputSourceService.h"

#include <algorithm>

#include "core/text/CharacterClass.h"
#include "core/text/Utf8.h"

namespace plovik {
namespace {

bool containsControl(std::string_view text) {
    const auto scalars = text::Utf8::scalars(text);
    return std::any_of(scalars.begin(), scalars.end(),
                       [](char32_t scalar) { return text::CharacterClass::isControl(scalar); });
}

}  // namespace

InputSourceService::InputSourceService(LayoutSource& platform,
                                       SystemKeyboardLayoutTranslator translator)
    : platform_(platform),
      translator_(translator),
      lifetime_(std::make_shared<Lifetime>(Lifetime{this})) {
    refresh();
    std::weak_ptr<Lifetime> weak = lifetime_;
    inputSourceObserver_ = platform_.observeSelectionChanges([weak] {
        if (const auto lifetime = weak.lock()) {
            lifetime->service->refresh();
        }
    });
}

InputSourceService::~InputSourceService() {
    lifetime_.reset();
    inputSourceObserver_.cancel();
}

Subscription InputSourceService::subscribeAvailableSources(
    Published<std::vector<InputSourceDescriptor>>::Observer observer) {
    return availableSources_.subscribe(std::move(observer));
}

Subscription InputSourceService::subscribeCurrentSource(
    Published<std::optional<InputSourceDescriptor>>::Observer observer) {
    return currentSource_.subscribe(std::move(observer));
}

Subscription InputSourceService::subscribeLastError(
    Published<std::optional<InputSourceError>>::Observer observer) {
    return lastError_.subscribe(std::move(observer));
}

std::optional<std::string> InputSourceService::unsupportedReason(
    const std::optional<std::string>& type, const std::vector<std::string>& languages,
    bool hasKeyLayoutData) {
    for (const auto& tag : languages) {
        const std::string subtag = KeyboardLayout::baseLanguageOf(tag).value_or("");
        if (subtag == "zh" || subtag == "ja" || subtag == "ko") {
            return kComplexAsianReason;
        }
    }
    if (type == InputSource::kKeyboardLayoutType) {
        if (hasKeyLayoutData) {
            return std::nullopt;
        }
        return kNoKeyMapReason;
    }
    return kCompositeReason;
}

void InputSourceService::list(const std::string& currentId) {
    std::vector<InputSourceDescriptor> descriptors;
    for (const auto& source : platform_.enabledKeyboardSources()) {
        if (!source.id) {
            continue;
        }
        InputSourceDescriptor descriptor;
        descriptor.id = *source.id;
        descriptor.name = source.localizedName.value_or(*source.id);
        descriptor.languages = source.languages;
        descriptor.isSelected = *source.id == currentId;
        descriptor.unsupportedReason =
            unsupportedReason(source.type, source.languages, source.keyLayoutData != nullptr);
        descriptor.isSupported = !descriptor.unsupportedReason;
        descriptors.push_back(std::move(descriptor));
    }
    std::optional<InputSourceDescriptor> current;
    const auto selected = std::find_if(descriptors.begin(), descriptors.end(),
                                       [](const auto& d) { return d.isSelected; });
    if (selected != descriptors.end()) {
        current = *selected;
    }
    availableSources_ = std::move(descriptors);
    currentSource_ = std::move(current);
}

void InputSourceService::refresh() {
    list(platform_.currentSourceId().value_or(""));
}

bool InputSourceService::synchronizeCurrentSource() {
    const std::string currentId = platform_.currentSourceId().value_or("");
    if (currentSource_->has_value() && (*currentSource_)->id == currentId) {
        return false;
    }
    list(currentId);
    return true;
}

std::vector<KeyboardLayout> InputSourceService::supportedLayouts() const {
    std::vector<KeyboardLayout> layouts;
    for (const auto& descriptor : *availableSources_) {
        if (descriptor.isSupported) {
            layouts.push_back(descriptor.layout());
        }
    }
    return layouts;
}

std::optional<KeyboardLayout> InputSourceService::currentLayout() const {
    const auto& current = *currentSource_;
    if (!current || !current->isSupported) {
        return std::nullopt;
    }
    return current->layout();
}

std::optional<KeyboardLayout> InputSourceService::inferredCurrentLayout() const {
    return currentLayout();
}

std::optional<InputSource> InputSourceService::lookUp(const KeyboardLayout& layout) const {
    const auto sources = platform_.enabledKeyboardSources();
    const auto byId = std::find_if(sources.begin(), sources.end(),
                                   [&](const InputSource& s) { return s.id == layout.id; });
    if (byId != sources.end()) {
        return *byId;
    }
    if (layout.languages.empty()) {
        return std::nullopt;
    }
    const std::string subtag =
        KeyboardLayout::baseLanguageOf(layout.languages.front()).value_or("");
    if (subtag.empty()) {
        return std::nullopt;
    }
    const auto byLanguage = std::find_if(sources.begin(), sources.end(), [&](const InputSource& s) {
        return s.id && std::any_of(s.languages.begin(), s.languages.end(), [&](const auto& tag) {
                   return KeyboardLayout::normalizedLanguageTag(tag).starts_with(subtag);
               });
    });
    if (byLanguage == sources.end()) {
        return std::nullopt;
    }
    return *byLanguage;
}

bool InputSourceService::isAvailable(const KeyboardLayout& layout) const {
    return lookUp(layout).has_value();
}

std::optional<InputSourceError> InputSourceService::switchTo(const KeyboardLayout& layout) {
    const auto source = lookUp(layout);
    if (!source) {
        auto error = InputSourceError::sourceNotInstalled(layout);
        lastError_ = error;
        return error;
    }
    if (!platform_.select(*source)) {
        auto error =
            InputSourceError::selectionFailed(source->localizedName.value_or(layout.displayName));
        lastError_ = error;
        return error;
    }
    lastError_ = std::nullopt;
    refresh();
    return std::nullopt;
}

bool InputSourceService::switchWithNextEdit(const std::optional<KeyboardLayout>& layout) {
    return platform_.selectWithNextEdit(layout ? lookUp(*layout) : std::nullopt);
}

std::optional<std::string> InputSourceService::text(const PhysicalKeyStroke& stroke) const {
    const auto& current = *currentSource_;
    if (!current || !current->isSupported) {
        return std::nullopt;
    }
    auto translation = translator_.translate({stroke}, {}, current->id);
    if (!translation || translation->token.empty() || containsControl(translation->token)) {
        return std::nullopt;
    }
    return std::move(translation->token);
}

std::vector<LayoutConversionCandidate> InputSourceService::conversionCandidates(
    const TokenCompletion& completion, const KeyboardLayout& excluding) const {
    std::vector<LayoutConversionCandidate> candidates;
    if (completion.physicalStrokes.empty()) {
        return candidates;
    }
    for (const auto& descriptor : *availableSources_) {
        if (!descriptor.isSupported || descriptor.id == excluding.id) {
            continue;
        }
        auto translation = translator_.translate(completion.physicalStrokes,
                                                 completion.delimiterStrokes, descriptor.id);
        if (!translation || translation->token.empty() ||
            containsControl(translation->token + translation->delimiter)) {
            continue;
        }
        std::string delimiter = completion.delimiterStrokes.empty()
                                    ? completion.delimiter
                                    : std::move(translation->delimiter);
        candidates.push_back(
            {descriptor.layout(), std::move(translation->token), std::move(delimiter)});
    }
    return candidates;
}

}  // namespace plovik

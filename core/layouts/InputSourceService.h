#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/capture/PhysicalKeyStroke.h"
#include "core/layouts/InputSourceDescriptor.h"
#include "core/layouts/InputSourceError.h"
#include "core/layouts/KeyboardLayout.h"
#include "core/layouts/LayoutConversionCandidate.h"
#include "core/layouts/SystemKeyboardLayoutTranslator.h"
#include "core/platform/LayoutSource.h"
#include "core/support/Published.h"
#include "core/tokens/TokenCompletion.h"

namespace plovik {

// The enabled keyboard input sources, which one is selected, selection, and the
// re-reading of physical strokes through the other layouts' key maps.
class InputSourceService {
  public:
    static constexpr const char* kComplexAsianReason = "Complex Asian input method";
    static constexpr const char* kCompositeReason = "Composite input method";
    static constexpr const char* kNoKeyMapReason = "No direct Unicode key map";

    // Lists the sources once, then follows the system's selection changes.
    InputSourceService(LayoutSource& platform, SystemKeyboardLayoutTranslator translator);
    ~InputSourceService();
    InputSourceService(const InputSourceService&) = delete;
    InputSourceService& operator=(const InputSourceService&) = delete;

    const std::vector<InputSourceDescriptor>& availableSources() const {
        return *availableSources_;
    }
    const std::optional<InputSourceDescriptor>& currentSource() const { return *currentSource_; }
    const std::optional<InputSourceError>& lastError() const { return *lastError_; }

    // Each delivers the current value first, then every assignment.
    [[nodiscard]] Subscription subscribeAvailableSources(
        Published<std::vector<InputSourceDescriptor>>::Observer observer);
    [[nodiscard]] Subscription subscribeCurrentSource(
        Published<std::optional<InputSourceDescriptor>>::Observer observer);
    [[nodiscard]] Subscription subscribeLastError(
        Published<std::optional<InputSourceError>>::Observer observer);

    void refresh();
    // Lists again unless the selected source is still the current one; true when it listed.
    bool synchronizeCurrentSource();

    std::vector<KeyboardLayout> supportedLayouts() const;
    std::optional<KeyboardLayout> currentLayout() const;
    std::optional<KeyboardLayout> inferredCurrentLayout() const;
    bool isAvailable(const KeyboardLayout& layout) const;
    // Absent on success; the error is also published in lastError().
    std::optional<InputSourceError> switchTo(const KeyboardLayout& layout);
    // The layout the next edit switches to as it lands, where the desktop can; absent asks
    // for none. True when an edit made the switch asked for before. switchTo() still follows
    // the edit, for the desktops that cannot.
    bool switchWithNextEdit(const std::optional<KeyboardLayout>& layout);

    // What one stroke types in the current layout; absent when it types nothing
    // printable or the current source is unsupported.
    std::optional<std::string> text(const PhysicalKeyStroke& stroke) const;
    // The completion's strokes re-read in every other supported layout.
    std::vector<LayoutConversionCandidate> conversionCandidates(
        const TokenCompletion& completion, const KeyboardLayout& excluding) const;

    // The reason a source cannot be used for corrections; absent when it can.
    static std::optional<std::string> unsupportedReason(const std::optional<std::string>& type,
                                                        const std::vector<std::string>& languages,
                                                        bool hasKeyLayoutData);

  private:
    struct Lifetime {
        InputSourceService* service;
    };

    void list(const std::string& currentId);
    std::optional<InputSource> lookUp(const KeyboardLayout& layout) const;

    LayoutSource& platform_;
    Published<std::vector<InputSourceDescriptor>> availableSources_;
    Published<std::optional<InputSourceDescriptor>> currentSource_;
    Published<std::optional<InputSourceError>> lastError_;
    SystemKeyboardLayoutTranslator translator_;
    // The selection handler holds this weakly and does nothing once it is gone.
    std::shared_ptr<Lifetime> lifetime_;
    Subscription inputSourceObserver_;
};

}  // namespace plovik

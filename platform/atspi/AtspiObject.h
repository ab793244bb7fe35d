#pragma once

#include <atspi/atspi.h>
#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/Accessibility.h"
#include "platform/atspi/TextUnits.h"
#include "platform/atspi/UnresponsiveApplications.h"
#include "platform/linux/GObjectRef.h"

namespace plovik {

// A text range in code points: [start, end).
struct CodePointRange {
    long start = 0;
    long end = 0;

    long length() const { return end - start; }
    bool operator==(const CodePointRange&) const = default;
};

// One accessible object of some application, in AT-SPI's own terms. Text positions are
// code points whatever the toolkit counts; every call is bounded by libatspi's timeout
// and fails at once while the application is known not to answer.
class AtspiObject {
  public:
    AtspiObject(GObjectRef<AtspiAccessible> accessible,
                std::shared_ptr<UnresponsiveApplications> unresponsive);

    AtspiAccessible* get() const { return accessible_.get(); }
    std::string busName() const;
    std::string path() const;
    bool sameObject(const AtspiObject& other) const;
    bool sameApplication(const AtspiObject& other) const;

    std::optional<AtspiRole> role() const;
    // Read from the application, not from libatspi's cache.
    std::optional<bool> hasState(AtspiStateType state) const;
    std::optional<GObjectRef<AtspiStateSet>> states() const;
    // What text the object holds, from its role and line states. Password text is its
    // own role whatever its states say: the only sure sign of a secret.
    std::optional<AccessibilityRole> textRole() const;
    static AccessibilityRole textRole(AtspiRole role, AtspiStateSet* states);
    bool hasText() const;
    bool hasEditableText() const;
    std::optional<std::string> name() const;
    std::optional<std::string> description() const;
    std::optional<std::string> accessibleId() const;
    std::optional<pid_t> processId() const;
    std::optional<AtspiObject> application() const;
    std::optional<std::string> toolkitName() const;
    std::optional<TextUnits> textUnits() const;
    std::optional<std::vector<AtspiObject>> children() const;

    std::optional<std::string> text() const;
    // Absent when the range leaves the text. Toolkits that count code points are asked
    // for the range alone: reading a long field whole keeps the user's keys waiting.
    std::optional<std::string> textIn(CodePointRange range) const;
    std::optional<long> characterCount() const;
    std::optional<long> caretOffset() const;
    // The caret, its position found in `current`, the whole text as just read.
    std::optional<long> caretOffset(const std::string& current) const;
    bool setCaretOffset(long offset) const;
    // Absent when the call failed; an empty range at the caret when nothing is selected.
    std::optional<CodePointRange> selection() const;
    bool setSelection(CodePointRange range) const;
    bool deleteText(CodePointRange range) const;
    bool insertText(long offset, const std::string& text) const;
    // The same, positions found in `current`, the whole text as just read, rather than
    // in a fresh read: the text before `offset` is the same after deleting from there.
    bool deleteText(CodePointRange range, const std::string& current) const;
    bool insertText(long offset, const std::string& text, const std::string& current) const;

  private:
    bool hasInterface(const char* interfaceName) const;
    // Runs one libatspi call unless the application is known not to answer, and records
    // whether it answered. `call` gets the GError out-parameter.
    template <typename Result, typename Call>
    std::optional<Result> guarded(Call call) const;
    std::optional<long> toToolkit(long offset, TextUnits units,
                                  const std::optional<std::string_view>& text) const;
    std::optional<long> fromToolkit(long offset, TextUnits units,
                                    const std::optional<std::string_view>& text) const;
    std::optional<long> toolkitCaret() const;
    // The text when the toolkit's units need it for conversions.
    std::optional<std::string> textForUnits(TextUnits units) const;

    GObjectRef<AtspiAccessible> accessible_;
    std::shared_ptr<UnresponsiveApplications> unresponsive_;
};

}  // namespace plovik

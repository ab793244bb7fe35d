#include "core/replacement/FocusedElementService.h"

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/replacement/AccessibleText.h"
#include "core/replacement/ApplicationTraits.h"
#include "core/text/CaseMapping.h"
#include "core/text/CharacterClass.h"
#include "core/text/CodePoints.h"
#include "core/text/Graphemes.h"
#include "core/text/Utf8.h"

namespace plovik {

namespace {

// Password text is a text field too; the secret check keeps Plovik out of it.
constexpr std::array<AccessibilityRole, 4> kEditableRoles = {
    AccessibilityRole::singleLineText, AccessibilityRole::multiLineText,
    AccessibilityRole::passwordText, AccessibilityRole::webDocument};
constexpr std::array<std::string_view, 6> kSecretMarkers = {
    "secure", "password", "passcode", "one-time code", "credit card", "cvv"};
constexpr std::string_view kExcludedFieldMarker = "code editor";

bool readsTrue(const AccessibilityResult<bool>& result) {
    return result.valueIfPresent().value_or(false);
}

bool isFocused(const AccessibilityElementRef& element) {
    return element && readsTrue(element->isFocused());
}

// Breadth-first from `root` at depth 0: the first element that satisfies `matches`
// among at most `limit` examined; children are read only up to `maxParentDepth`.
AccessibilityElementRef breadthFirst(
    const AccessibilityElementRef& root, std::size_t limit, std::size_t maxParentDepth,
    const std::function<bool(const AccessibilityElement&)>& matches) {
    std::deque<std::pair<AccessibilityElementRef, std::size_t>> queue{{root, 0}};
    std::size_t examined = 0;
    while (!queue.empty() && examined < limit) {
        auto [element, depth] = std::move(queue.front());
        queue.pop_front();
        ++examined;
        if (!element) {
            continue;
        }
        if (matches(*element)) {
            return element;
        }
        if (depth > maxParentDepth) {
            continue;
        }
        for (auto& child : element->children().valueIfPresent().value_or(
                 std::vector<AccessibilityElementRef>{})) {
            queue.emplace_back(std::move(child), depth + 1);
        }
    }
    return nullptr;
}

std::string lowercasedOrEmpty(const AccessibilityResult<std::string>& result) {
    return text::CaseMapping::lowercased(result.valueIfPresent().value_or(""));
}

bool containsAny(const std::string& text, const auto& markers) {
    return std::any_of(markers.begin(), markers.end(), [&](std::string_view marker) {
        return text.find(marker) != std::string::npos;
    });
}

// The last whitespace-separated piece of the text, "" when there is none. Read back from the
// end without copying each character: it runs for every key.
std::string lastWord(std::string_view text) {
    const std::string clean = text::Utf8::sanitized(text);
    const auto cuts = text::Graphemes::boundaries(clean);
    const auto isWhitespaceBefore = [&](std::size_t cut) {
        return text::CharacterClass::isWhitespace(
            std::string_view(clean).substr(cuts[cut - 1], cuts[cut] - cuts[cut - 1]));
    };
    std::size_t end = cuts.size() - 1;
    while (end > 0 && isWhitespaceBefore(end)) {
        --end;
    }
    std::size_t start = end;
    while (start > 0 && !isWhitespaceBefore(start)) {
        --start;
    }
    return clean.substr(cuts[start], cuts[end] - cuts[start]);
}

}  // namespace

FocusedElementService::FocusedElementService(const Accessibility& accessibility,
                                             const ActiveApplication& workspace)
    : accessibility_(accessibility), workspace_(workspace) {}

std::optional<FocusedElementContext> FocusedElementService::focusedElement() {
    const auto element = findFocusedElement();
    if (!element) {
        return std::nullopt;
    }
    return context(element);
}

AccessibilityElementRef FocusedElementService::findFocusedElement() {
    if (auto element = accessibility_.systemWideFocusedElement().valueIfPresent();
        element && *element) {
        cachedDescendantFocus_.reset();
        return *element;
    }
    const auto frontmost = workspace_.frontmostApplication();
    if (!frontmost || !frontmost->bundleIdentifier ||
        !ApplicationTraits::usesDescendantSearch(*frontmost->bundleIdentifier)) {
        cachedDescendantFocus_.reset();
        return nullptr;
    }
    return descendantFocus(*frontmost);
}

AccessibilityElementRef FocusedElementService::descendantFocus(
    const RunningApplication& application) {
    if (cachedDescendantFocus_ &&
        cachedDescendantFocus_->processIdentifier == application.processIdentifier &&
        isFocused(cachedDescendantFocus_->element)) {
        return cachedDescendantFocus_->element;
    }
    const auto applicationElement =
        accessibility_.applicationElement(application.processIdentifier);
    const auto window =
        applicationElement ? applicationElement->focusedWindow().valueIfPresent() : std::nullopt;
    if (window && *window) {
        if (auto element = focusedDescendant(*window)) {
            cachedDescendantFocus_ = CachedDescendantFocus{application.processIdentifier, element};
            return element;
        }
    }
    cachedDescendantFocus_.reset();
    return nullptr;
}

AccessibilityElementRef FocusedElementService::focusedDescendant(
    const AccessibilityElementRef& window) const {
    return breadthFirst(
        window, kFocusSearchElementLimit, kFocusSearchMaxParentDepth,
        [](const AccessibilityElement& element) { return readsTrue(element.isFocused()); });
}

FocusedElementContext FocusedElementService::context(const AccessibilityElementRef& element) const {
    FocusedElementContext context;
    context.element = element;
    context.role = element->role().valueIfPresent().value_or(AccessibilityRole::other);
    context.applicationBundleIdentifier = owningBundleIdentifier(*element);
    context.isEditable = readsTrue(element->isValueSettable()) ||
                         readsTrue(element->isSelectedTextSettable()) ||
                         std::find(kEditableRoles.begin(), kEditableRoles.end(), context.role) !=
                             kEditableRoles.end();
    const std::string descriptionText =
        lowercasedOrEmpty(element->identifier()) + " " + lowercasedOrEmpty(element->description());
    context.isSecure = context.role == AccessibilityRole::passwordText ||
                       containsAny(descriptionText, kSecretMarkers);
    context.isAppSpecificExcludedField =
        descriptionText.find(kExcludedFieldMarker) != std::string::npos;
    return context;
}

std::optional<std::string> FocusedElementService::owningBundleIdentifier(
    const AccessibilityElement& element) const {
    const auto processIdentifier = element.processIdentifier().valueIfPresent();
    if (!processIdentifier) {
        return std::nullopt;
    }
    const auto application = workspace_.runningApplication(*processIdentifier);
    return application ? application->bundleIdentifier : std::nullopt;
}

std::optional<std::string> FocusedElementService::visibleTextSinceWhitespaceBeforeCaret(
    const FocusedElementContext& context) const {
    if (!context.canProcessText() || !context.element) {
        return std::nullopt;
    }
    const auto selection = context.element->selectedTextRange().valueIfPresent();
    if (!selection || selection->length != 0 || selection->location < 0) {
        return std::nullopt;
    }
    const std::int64_t caret = selection->location;
    const std::int64_t start = std::max<std::int64_t>(caret - kVisibleTextWindow, 0);
    const auto text = AccessibleText::read(*context.element, {start, caret - start});
    if (!text) {
        return std::nullopt;
    }
    return lastWord(*text);
}

std::string FocusedElementService::textSinceWhitespace(std::string_view textBeforeCaret) {
    return lastWord(
        text::CodePoints::last(textBeforeCaret, static_cast<std::size_t>(kVisibleTextWindow)));
}

}  // namespace plovik

#include "platform/atspi/AtspiObject.h"

#include <cstring>

#include "core/text/CodePoints.h"
#include "core/text/Utf8.h"

namespace plovik {

AtspiObject::AtspiObject(GObjectRef<AtspiAccessible> accessible,
                         std::shared_ptr<UnresponsiveApplications> unresponsive)
    : accessible_(std::move(accessible)), unresponsive_(std::move(unresponsive)) {}

std::string AtspiObject::busName() const {
    const AtspiApplication* application = accessible_.get()->parent.app;
    return application && application->bus_name ? application->bus_name : "";
}

std::string AtspiObject::path() const {
    const char* path = accessible_.get()->parent.path;
    return path ? path : "";
}

bool AtspiObject::sameObject(const AtspiObject& other) const {
    return accessible_.get() == other.accessible_.get() ||
           (sameApplication(other) && path() == other.path());
}

bool AtspiObject::sameApplication(const AtspiObject& other) const {
    return busName() == other.busName();
}

template <typename Result, typename Call>
std::optional<Result> AtspiObject::guarded(Call call) const {
    const std::string application = busName();
    if (unresponsive_->isQuarantined(application)) {
        return std::nullopt;
    }
    const auto start = UnresponsiveApplications::Clock::now();
    GError* rawError = nullptr;
    Result result = call(&rawError);
    const GErrorPtr error(rawError);
    unresponsive_->record(application, !error, start);
    if (error) {
        return std::nullopt;
    }
    return result;
}

std::optional<AtspiRole> AtspiObject::role() const {
    const auto role =
        guarded<AtspiRole>([&](GError** error) { return atspi_accessible_get_role(get(), error); });
    if (role == ATSPI_ROLE_INVALID) {
        return std::nullopt;
    }
    return role;
}

std::optional<GObjectRef<AtspiStateSet>> AtspiObject::states() const {
    // libatspi reports a failed GetState only as a missing set.
    const auto states = guarded<AtspiStateSet*>([&](GError** error) {
        AtspiStateSet* set = atspi_accessible_get_state_set(get());
        if (!set) {
            g_set_error_literal(error, g_quark_from_static_string("plovik-atspi"), 0,
                                "no state set");
        }
        return set;
    });
    if (!states || !*states) {
        return std::nullopt;
    }
    return GObjectRef<AtspiStateSet>::adopt(*states);
}

std::optional<bool> AtspiObject::hasState(AtspiStateType state) const {
    const auto set = states();
    if (!set) {
        return std::nullopt;
    }
    return atspi_state_set_contains(set->get(), state) != FALSE;
}

std::optional<AccessibilityRole> AtspiObject::textRole() const {
    const auto objectRole = role();
    const auto set = objectRole ? states() : std::nullopt;
    if (!set) {
        return std::nullopt;
    }
    return textRole(*objectRole, set->get());
}

AccessibilityRole AtspiObject::textRole(AtspiRole role, AtspiStateSet* states) {
    switch (role) {
        case ATSPI_ROLE_PASSWORD_TEXT:
            return AccessibilityRole::passwordText;
        case ATSPI_ROLE_DOCUMENT_WEB:
            return AccessibilityRole::webDocument;
        case ATSPI_ROLE_ENTRY:
        case ATSPI_ROLE_TEXT:
        case ATSPI_ROLE_PARAGRAPH:
        case ATSPI_ROLE_DOCUMENT_TEXT:
        case ATSPI_ROLE_EDITBAR:
        case ATSPI_ROLE_COMBO_BOX:
            break;
        default:
            // Chromium's editable blocks (contenteditable) are sections that say they are
            // editable, without an editable-text interface.
            if (!atspi_state_set_contains(states, ATSPI_STATE_EDITABLE)) {
                return AccessibilityRole::other;
            }
            return atspi_state_set_contains(states, ATSPI_STATE_SINGLE_LINE)
                       ? AccessibilityRole::singleLineText
                       : AccessibilityRole::multiLineText;
    }
    if (atspi_state_set_contains(states, ATSPI_STATE_MULTI_LINE)) {
        return AccessibilityRole::multiLineText;
    }
    if (atspi_state_set_contains(states, ATSPI_STATE_SINGLE_LINE)) {
        return AccessibilityRole::singleLineText;
    }
    // Qt's line edit carries neither line state: without MULTI_LINE a field is one line.
    const bool document = role == ATSPI_ROLE_PARAGRAPH || role == ATSPI_ROLE_DOCUMENT_TEXT ||
                          role == ATSPI_ROLE_EDITBAR;
    return document ? AccessibilityRole::multiLineText : AccessibilityRole::singleLineText;
}

bool AtspiObject::hasInterface(const char* interfaceName) const {
    // libatspi keeps the list after the first read.
    return guarded<bool>([&](GError** error) {
               GArray* interfaces = atspi_accessible_get_interfaces(get());
               if (!interfaces || interfaces->len == 0) {
                   g_set_error_literal(error, g_quark_from_static_string("plovik-atspi"), 0,
                                       "no interfaces");
               }
               bool found = false;
               for (guint i = 0; interfaces && i < interfaces->len; ++i) {
                   gchar* name = g_array_index(interfaces, gchar*, i);
                   found = found || std::strcmp(name, interfaceName) == 0;
                   g_free(name);
               }
               if (interfaces) {
                   g_array_free(interfaces, TRUE);
               }
               return found;
           })
        .value_or(false);
}

bool AtspiObject::hasText() const {
    return hasInterface("Text");
}

bool AtspiObject::hasEditableText() const {
    return hasInterface("EditableText");
}

std::optional<std::string> AtspiObject::name() const {
    return guarded<std::string>(
        [&](GError** error) { return takeString(atspi_accessible_get_name(get(), error)); });
}

std::optional<std::string> AtspiObject::description() const {
    return guarded<std::string>(
        [&](GError** error) { return takeString(atspi_accessible_get_description(get(), error)); });
}

std::optional<std::string> AtspiObject::accessibleId() const {
    return guarded<std::string>([&](GError** error) {
        return takeString(atspi_accessible_get_accessible_id(get(), error));
    });
}

std::optional<pid_t> AtspiObject::processId() const {
    const auto pid = guarded<guint>(
        [&](GError** error) { return atspi_accessible_get_process_id(get(), error); });
    if (!pid || *pid == 0) {
        return std::nullopt;
    }
    return static_cast<pid_t>(*pid);
}

std::optional<AtspiObject> AtspiObject::application() const {
    const auto root = guarded<AtspiAccessible*>(
        [&](GError** error) { return atspi_accessible_get_application(get(), error); });
    if (!root || !*root) {
        return std::nullopt;
    }
    return AtspiObject(GObjectRef<AtspiAccessible>::adopt(*root), unresponsive_);
}

std::optional<std::string> AtspiObject::toolkitName() const {
    // Qt answers only on the application's root; libatspi keeps the answer per application.
    const auto own = guarded<std::string>([&](GError** error) {
        return takeString(atspi_accessible_get_toolkit_name(get(), error));
    });
    if (own && !own->empty()) {
        return own;
    }
    const auto root = application();
    if (!root) {
        return std::nullopt;
    }
    return root->guarded<std::string>([&](GError** error) {
        return takeString(atspi_accessible_get_toolkit_name(root->get(), error));
    });
}

std::optional<TextUnits> AtspiObject::textUnits() const {
    const auto toolkit = toolkitName();
    if (!toolkit) {
        return std::nullopt;
    }
    return TextUnitConversion::forToolkit(*toolkit);
}

std::optional<std::vector<AtspiObject>> AtspiObject::children() const {
    const auto count = guarded<gint>(
        [&](GError** error) { return atspi_accessible_get_child_count(get(), error); });
    if (!count) {
        return std::nullopt;
    }
    std::vector<AtspiObject> result;
    for (gint index = 0; index < *count; ++index) {
        const auto child = guarded<AtspiAccessible*>([&](GError** error) {
            return atspi_accessible_get_child_at_index(get(), index, error);
        });
        if (!child) {
            return std::nullopt;
        }
        if (*child) {
            result.emplace_back(GObjectRef<AtspiAccessible>::adopt(*child), unresponsive_);
        }
    }
    return result;
}

std::optional<std::string> AtspiObject::text() const {
    return guarded<std::string>([&](GError** error) {
        return takeString(atspi_text_get_text(ATSPI_TEXT(get()), 0, -1, error));
    });
}

std::optional<std::string> AtspiObject::textIn(CodePointRange range) const {
    const auto units = textUnits();
    if (!units || range.start < 0 || range.end < range.start) {
        return std::nullopt;
    }
    if (*units != TextUnits::codePoints) {
        const auto whole = text();
        return whole ? text::CodePoints::substring(*whole, static_cast<std::size_t>(range.start),
                                                   static_cast<std::size_t>(range.length()))
                     : std::nullopt;
    }
    auto part = guarded<std::string>([&](GError** error) {
        return takeString(atspi_text_get_text(ATSPI_TEXT(get()), range.start, range.end, error));
    });
    // A range past the end comes back short.
    if (!part || TextUnitConversion::codePointCount(*part) != range.length()) {
        return std::nullopt;
    }
    return text::Utf8::sanitized(*part);
}

std::optional<std::string> AtspiObject::textForUnits(TextUnits units) const {
    return units == TextUnits::codePoints ? std::optional<std::string>("") : text();
}

std::optional<long> AtspiObject::toToolkit(long offset, TextUnits units,
                                           const std::optional<std::string_view>& text) const {
    if (units == TextUnits::codePoints) {
        return offset >= 0 ? std::optional(offset) : std::nullopt;
    }
    return text ? TextUnitConversion::toToolkit(*text, offset, units) : std::nullopt;
}

std::optional<long> AtspiObject::fromToolkit(long offset, TextUnits units,
                                             const std::optional<std::string_view>& text) const {
    if (units == TextUnits::codePoints) {
        return offset >= 0 ? std::optional(offset) : std::nullopt;
    }
    return text ? TextUnitConversion::fromToolkit(*text, offset, units) : std::nullopt;
}

std::optional<long> AtspiObject::characterCount() const {
    const auto units = textUnits();
    if (units == TextUnits::codePoints) {
        return guarded<long>([&](GError** error) {
            return static_cast<long>(atspi_text_get_character_count(ATSPI_TEXT(get()), error));
        });
    }
    const auto whole = units ? text() : std::nullopt;
    return whole ? std::optional(TextUnitConversion::codePointCount(*whole)) : std::nullopt;
}

std::optional<long> AtspiObject::caretOffset() const {
    const auto units = textUnits();
    const auto caret = units ? toolkitCaret() : std::nullopt;
    return caret ? fromToolkit(*caret, *units, textForUnits(*units)) : std::nullopt;
}

std::optional<long> AtspiObject::caretOffset(const std::string& current) const {
    const auto units = textUnits();
    const auto caret = units ? toolkitCaret() : std::nullopt;
    return caret ? fromToolkit(*caret, *units, std::string_view(current)) : std::nullopt;
}

std::optional<long> AtspiObject::toolkitCaret() const {
    return guarded<long>([&](GError** error) {
        return static_cast<long>(atspi_text_get_caret_offset(ATSPI_TEXT(get()), error));
    });
}

bool AtspiObject::setCaretOffset(long offset) const {
    const auto units = textUnits();
    const auto position = units ? toToolkit(offset, *units, textForUnits(*units)) : std::nullopt;
    return position &&
           guarded<bool>([&](GError** error) {
               return atspi_text_set_caret_offset(ATSPI_TEXT(get()), *position, error) != FALSE;
           }).value_or(false);
}

std::optional<CodePointRange> AtspiObject::selection() const {
    const auto units = textUnits();
    if (!units) {
        return std::nullopt;
    }
    const auto count = guarded<gint>(
        [&](GError** error) { return atspi_text_get_n_selections(ATSPI_TEXT(get()), error); });
    if (!count) {
        return std::nullopt;
    }
    if (*count == 0) {
        const auto caret = caretOffset();
        return caret ? std::optional(CodePointRange{*caret, *caret}) : std::nullopt;
    }
    const auto range = guarded<AtspiRange*>(
        [&](GError** error) { return atspi_text_get_selection(ATSPI_TEXT(get()), 0, error); });
    if (!range || !*range) {
        return std::nullopt;
    }
    const long start = (*range)->start_offset;
    const long end = (*range)->end_offset;
    g_free(*range);
    const auto text = textForUnits(*units);
    const auto from = fromToolkit(std::min(start, end), *units, text);
    const auto to = fromToolkit(std::max(start, end), *units, text);
    return from && to ? std::optional(CodePointRange{*from, *to}) : std::nullopt;
}

bool AtspiObject::setSelection(CodePointRange range) const {
    const auto units = textUnits();
    const auto text = units ? textForUnits(*units) : std::nullopt;
    const auto start = units ? toToolkit(range.start, *units, text) : std::nullopt;
    const auto end = units ? toToolkit(range.end, *units, text) : std::nullopt;
    const auto count = guarded<gint>(
        [&](GError** error) { return atspi_text_get_n_selections(ATSPI_TEXT(get()), error); });
    if (!start || !end || !count || *start > *end) {
        return false;
    }
    if (*start == *end) {
        for (gint index = *count - 1; index >= 0; --index) {
            guarded<gboolean>([&](GError** error) {
                return atspi_text_remove_selection(ATSPI_TEXT(get()), index, error);
            });
        }
        return setCaretOffset(range.start);
    }
    // Setting a selection fails where there is none yet; adding one works.
    return guarded<gboolean>([&](GError** error) {
               return *count > 0
                          ? atspi_text_set_selection(ATSPI_TEXT(get()), 0, *start, *end, error)
                          : atspi_text_add_selection(ATSPI_TEXT(get()), *start, *end, error);
           }).value_or(FALSE) != FALSE;
}

bool AtspiObject::deleteText(CodePointRange range) const {
    const auto units = textUnits();
    const auto text = units ? textForUnits(*units) : std::nullopt;
    return text && deleteText(range, *text);
}

bool AtspiObject::deleteText(CodePointRange range, const std::string& current) const {
    const auto units = textUnits();
    const std::optional<std::string_view> text = current;
    const auto start = units ? toToolkit(range.start, *units, text) : std::nullopt;
    const auto end = units ? toToolkit(range.end, *units, text) : std::nullopt;
    if (!start || !end || *start > *end) {
        return false;
    }
    return guarded<gboolean>([&](GError** error) {
               return atspi_editable_text_delete_text(ATSPI_EDITABLE_TEXT(get()), *start, *end,
                                                      error);
           }).value_or(FALSE) != FALSE;
}

bool AtspiObject::insertText(long offset, const std::string& inserted) const {
    const auto units = textUnits();
    const auto text = units ? textForUnits(*units) : std::nullopt;
    return text && insertText(offset, inserted, *text);
}

bool AtspiObject::insertText(long offset, const std::string& inserted,
                             const std::string& current) const {
    const auto units = textUnits();
    const auto position =
        units ? toToolkit(offset, *units, std::string_view(current)) : std::nullopt;
    if (!position) {
        return false;
    }
    const long length = TextUnitConversion::insertLength(inserted, *units);
    return guarded<gboolean>([&](GError** error) {
               return atspi_editable_text_insert_text(ATSPI_EDITABLE_TEXT(get()), *position,
                                                      inserted.c_str(), length, error);
           }).value_or(FALSE) != FALSE;
}

}  // namespace plovik

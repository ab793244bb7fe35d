#pragma once

#include <atspi/atspi.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/atspi/AtspiConnection.h"

namespace plovik::testing {

// What an application's focused editable text holds, read over AT-SPI from the test's
// side. The field is found once (LibreOffice's tree is too deep to walk, but answers a
// Collection query; GTK 4 has no Collection but a small tree) and read again after that.
class FocusedFieldReader {
  public:
    // `processGroup`: the application's processes (a launcher script's children too).
    FocusedFieldReader(const AtspiConnection& connection, pid_t processGroup)
        : connection_(connection), processGroup_(processGroup) {}

    std::optional<std::string> text() {
        if (!field_) {
            field_ = find();
        }
        return field_ ? field_->text() : std::nullopt;
    }
    // The text of a document whose paragraphs are objects of their own (LibreOffice):
    // the focused paragraph and its siblings, one line each.
    std::optional<std::string> documentText() {
        const auto paragraph = find();
        AtspiAccessible* parent =
            paragraph ? atspi_accessible_get_parent(paragraph->get(), nullptr) : nullptr;
        if (!parent) {
            return std::nullopt;
        }
        const auto lines = connection_.adopted(parent).children();
        std::optional<std::string> text;
        for (const auto& line : lines.value_or(std::vector<AtspiObject>{})) {
            const auto part = line.text();
            if (!part) {
                return std::nullopt;
            }
            text = text ? *text + "\n" + *part : *part;
        }
        return text;
    }
    // The field's caret, in code points.
    std::optional<long> caret() { return field_ ? field_->caretOffset() : std::nullopt; }
    void forget() { field_.reset(); }

  private:
    static constexpr std::size_t kWalkLimit = 4000;

    std::optional<AtspiObject> find() const {
        for (const auto& application : connection_.applications()) {
            const auto pid = application.processId();
            if (pid && ::getpgid(*pid) == processGroup_) {
                if (auto field = matching(application)) {
                    return field;
                }
                if (auto field = walked(application)) {
                    return field;
                }
            }
        }
        return std::nullopt;
    }

    static bool isField(const AtspiObject& object) {
        return object.hasText() && object.hasState(ATSPI_STATE_EDITABLE).value_or(false) &&
               object.hasState(ATSPI_STATE_FOCUSED).value_or(false);
    }

    std::optional<AtspiObject> matching(const AtspiObject& application) const {
        AtspiCollection* collection = atspi_accessible_get_collection_iface(application.get());
        if (!collection) {
            return std::nullopt;
        }
        AtspiStateSet* states = atspi_state_set_new(nullptr);
        atspi_state_set_add(states, ATSPI_STATE_FOCUSED);
        AtspiMatchRule* rule = atspi_match_rule_new(
            states, ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_NONE, nullptr,
            ATSPI_Collection_MATCH_NONE, nullptr, ATSPI_Collection_MATCH_NONE, FALSE);
        GError* error = nullptr;
        GArray* found = atspi_collection_get_matches(
            collection, rule, ATSPI_Collection_SORT_ORDER_CANONICAL, 0, TRUE, &error);
        std::optional<AtspiObject> field;
        for (guint i = 0; found && i < found->len; ++i) {
            AtspiObject object = connection_.adopted(g_array_index(found, AtspiAccessible*, i));
            if (!field && isField(object)) {
                field = std::move(object);
            }
        }
        if (found) {
            g_array_free(found, TRUE);
        }
        g_clear_error(&error);
        g_object_unref(rule);
        g_object_unref(states);
        g_object_unref(collection);
        return field;
    }

    static std::optional<AtspiObject> walked(const AtspiObject& application) {
        std::deque<AtspiObject> queue{application};
        for (std::size_t examined = 0; !queue.empty() && examined < kWalkLimit; ++examined) {
            AtspiObject object = std::move(queue.front());
            queue.pop_front();
            if (isField(object)) {
                return object;
            }
            for (auto& child : object.children().value_or(std::vector<AtspiObject>{})) {
                queue.push_back(std::move(child));
            }
        }
        return std::nullopt;
    }

    const AtspiConnection& connection_;
    pid_t processGroup_;
    std::optional<AtspiObject> field_;
};

}  // namespace plovik::testing

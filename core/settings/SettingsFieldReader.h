#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "core/settings/SettingsFieldProblem.h"

namespace plovik {

// Reads the members of one object of the stored settings each on its own: a member that is
// missing or cannot be read leaves the value it was to be read into as it was, and is noted
// as a problem. One bad value then costs that value only.
class SettingsFieldReader {
  public:
    // `place` names the object in problems ("applications[2]"); empty for the top level.
    SettingsFieldReader(const nlohmann::json& object, std::string place,
                        std::vector<SettingsFieldProblem>& problems);

    void boolean(const char* key, bool& value);
    void number(const char* key, double& value);
    void text(const char* key, std::string& value);
    // `parse` turns the member into a value, or absent when it cannot; `expected` says what
    // it should have been ("a shortcut").
    template <typename T, typename Parse>
    void required(const char* key, T& value, const char* expected, Parse parse) {
        if (const auto* member = find(key)) {
            assign(key, value, expected, parse(*member));
        }
    }
    // As `required`, but a missing or null member means absent.
    template <typename T, typename Parse>
    void optional(const char* key, std::optional<T>& value, const char* expected, Parse parse) {
        const auto found = object_.find(key);
        if (found == object_.end() || found->is_null()) {
            value.reset();
            return;
        }
        std::optional<T> parsed = parse(*found);
        if (parsed) {
            value = std::move(parsed);
        } else {
            note(key, std::string("is not ") + expected);
        }
    }
    void note(const char* key, std::string reason);

  private:
    // The member; absent (and noted) when it is missing.
    const nlohmann::json* find(const char* key);
    template <typename T>
    void assign(const char* key, T& value, const char* expected, std::optional<T> parsed) {
        if (parsed) {
            value = std::move(*parsed);
        } else {
            note(key, std::string("is not ") + expected);
        }
    }

    const nlohmann::json& object_;
    std::string place_;
    std::vector<SettingsFieldProblem>& problems_;
};

}  // namespace plovik

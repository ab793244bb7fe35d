#pragma once

#include <functional>

#include "core/settings/AppSettings.h"

namespace plovik {

// What users of the settings need: the current record, edits and a reset.
class SettingsPersisting {
  public:
    virtual ~SettingsPersisting() = default;

    virtual const AppSettings& settings() const = 0;
    // The edit receives a copy of the current settings; the result replaces them.
    virtual void update(const std::function<void(AppSettings&)>& edit) = 0;
    virtual void reset() = 0;
};

}  // namespace plovik

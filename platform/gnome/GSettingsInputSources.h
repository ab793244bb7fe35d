#pragma once

#include "platform/gnome/GnomeInputSourceSettings.h"

namespace plovik {

// The input-source settings through GSettings (dconf in a GNOME session).
class GSettingsInputSources final : public GnomeInputSourceSettings {
  public:
    static constexpr const char* kSchema = "org.gnome.desktop.input-sources";

    std::optional<std::vector<GnomeInputSource>> sources() const override;
    std::optional<std::vector<GnomeInputSource>> mruSources() const override;
    bool write(const std::vector<GnomeInputSource>& sources,
               const std::vector<GnomeInputSource>& mruSources) override;

  private:
    std::optional<std::vector<GnomeInputSource>> read(const char* key) const;
};

}  // namespace plovik

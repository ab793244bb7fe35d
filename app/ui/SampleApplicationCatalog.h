#pragma once

#include <string>
#include <vector>

#include "app/ui/ApplicationCatalog.h"

namespace plovik::ui {

// A fixed set of applications with drawn icons, for the screenshots and the window
// tests, so that neither depends on what the machine has installed.
class SampleApplicationCatalog final : public ApplicationCatalog {
  public:
    struct Sample {
        std::string desktopId;
        std::string name;
        unsigned colour;
        bool isSuggested;
    };

    SampleApplicationCatalog();
    explicit SampleApplicationCatalog(std::vector<Sample> samples);

    std::vector<EnabledApplication> suggestedApplications() override;
    std::vector<EnabledApplication> installedApplications() override;

    // A new entry as adding an application builds it: every switch on, threshold 0.9.
    static EnabledApplication entryFor(const Sample& sample);

  private:
    std::vector<Sample> samples_;
};

}  // namespace plovik::ui

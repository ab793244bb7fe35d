#include <fcitx/addonfactory.h>
#include <fcitx/addonmanager.h>

#include "framework/fcitx5/PlovikModule.h"

namespace plovik {

// Fcitx5 creates the module through this when it loads the add-on.
class PlovikModuleFactory final : public fcitx::AddonFactory {
  public:
    fcitx::AddonInstance* create(fcitx::AddonManager* manager) override {
        return new PlovikModule(manager->instance());
    }
};

}  // namespace plovik

FCITX_ADDON_FACTORY(plovik::PlovikModuleFactory)

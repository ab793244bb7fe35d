#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/layouts/LayoutTextConverter.h"
#include "core/platform/KeyLayoutData.h"

namespace plovik {

// Which two of the enabled layouts text is converted between: the selected one, and the
// one whose letter keys type most letters the selected one has no key for (beside English,
// Russian rather than German), another alphabet before a few extra letters, the earlier in
// the system's order on a tie. Without a selected layout among them, the first one stands
// in for it.
class LayoutPairChooser {
  public:
    using Side = LayoutTextConverter::Side;

    // `layouts` in the system's order; those without a key map are passed over. Absent
    // with fewer than two layouts that have one.
    static std::optional<std::pair<Side, Side>> choose(
        const std::vector<Side>& layouts, const std::optional<std::string>& selectedId);

  private:
    // Letter keys of `candidate`, unshifted, whose letter no key of `selected` types.
    static int foreignLetterKeys(const KeyLayoutData& selected, const KeyLayoutData& candidate);
};

}  // namespace plovik

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/capture/ShortcutDefinition.h"

namespace plovik {
namespace {

using nlohmann::json;

TEST(ShortcutDefinition, ReadsEveryWholeNumberAndRefusesTheRest) {
    for (const auto& shortcut :
         {ShortcutDefinition::optionSpace(), ShortcutDefinition::optionShiftSpace(),
          ShortcutDefinition::optionCommandP(), ShortcutDefinition()}) {
        EXPECT_EQ(ShortcutDefinition::fromJson(json::parse(shortcut.toJson().dump())), shortcut);
    }
    // A document built in code holds signed numbers where a parsed one holds unsigned.
    EXPECT_EQ(ShortcutDefinition::fromJson(json{{"keyCode", 49}, {"modifiers", 0x80000}}),
              ShortcutDefinition::optionSpace());
    EXPECT_EQ(ShortcutDefinition::fromJson(json{{"keyCode", 65535}, {"modifiers", 0}}),
              ShortcutDefinition(65535, 0));
    for (const json& bad :
         {json{{"keyCode", -1}, {"modifiers", 0}}, json{{"keyCode", 65536}, {"modifiers", 0}},
          json{{"keyCode", 49}, {"modifiers", -524288}}, json{{"keyCode", 49.5}, {"modifiers", 0}},
          json{{"keyCode", "49"}, {"modifiers", 0}}, json{{"keyCode", 49}}, json::array({49, 0})}) {
        EXPECT_FALSE(ShortcutDefinition::fromJson(bad)) << bad;
    }
}

}  // namespace
}  // namespace plovik

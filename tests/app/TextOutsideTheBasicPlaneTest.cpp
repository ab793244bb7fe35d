#include <gtest/gtest.h>

#include <string>

#include "SessionSupport.h"

namespace plovik {
namespace {

using testing::makeSession;

// Characters outside the basic plane take one code point each but two UTF-16 units: a
// position counted in the wrong unit would replace or restore the wrong characters.
TEST(TextOutsideTheBasicPlane, CorrectionUndoAndManualCorrectionLandOnTheWordAfterIt) {
    const ShortcutDefinition undo = ShortcutDefinition::altShiftSpace();
    const ShortcutDefinition manual = ShortcutDefinition::altSpace();
    for (const std::string prefix : {"😀𝐀 ok ", "𝔸𝔹\n🎉 ", "👨‍👩‍👧 "}) {
        SCOPED_TRACE(prefix);
        auto session = makeSession();
        session->field()->setText(prefix);

        session->type("ghbdtn ");
        session->settle();
        EXPECT_EQ(session->fieldText(), prefix + "привет ");

        EXPECT_EQ(session->pressShortcut(undo), KeyDisposition::swallow);
        EXPECT_EQ(session->fieldText(), prefix + "ghbdtn ");

        session->field()->setText(prefix);
        session->type("vbh");
        EXPECT_EQ(session->pressShortcut(manual), KeyDisposition::swallow);
        EXPECT_EQ(session->fieldText(), prefix + "мир");
    }
}

}  // namespace
}  // namespace plovik

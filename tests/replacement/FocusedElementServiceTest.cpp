#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/replacement/ApplicationTraits.h"
#include "replacement/ReplacementFixture.h"

namespace plovik {
namespace {

using testing::ReplacementFixture;

constexpr std::int32_t kHiddenFocusPid = 300;

TEST(FocusedElementService, DescribesTheFocusedFieldAndDecidesWhetherItMayBeTouched) {
    struct Case {
        std::string name;
        std::function<void(SimulatedElement&)> prepare;
        bool editable;
        bool secure;
        bool excluded;
    };
    const auto readOnly = [](SimulatedElement& f) {
        f.setValueSettable(false);
        f.setSelectedTextSettable(false);
    };
    const Case cases[] = {
        {"plain text field", [](SimulatedElement&) {}, true, false, false},
        {"text field whose value is not settable", readOnly, true, false, false},
        {"static text",
         [&](SimulatedElement& f) {
             readOnly(f);
             f.setRole(AccessibilityRole::other);
         },
         false, false, false},
        {"static text with settable value",
         [](SimulatedElement& f) {
             f.setRole(AccessibilityRole::other);
             f.setSelectedTextSettable(false);
         },
         true, false, false},
        {"group with settable selected text",
         [](SimulatedElement& f) {
             f.setRole(AccessibilityRole::other);
             f.setValueSettable(false);
         },
         true, false, false},
        {"settable checks fail, single-line text (an editable combo box)",
         [](SimulatedElement& f) {
             f.quirks().supportsSettableChecks = false;
             f.setRole(AccessibilityRole::singleLineText);
         },
         true, false, false},
        {"settable checks fail, web area",
         [](SimulatedElement& f) {
             f.quirks().supportsSettableChecks = false;
             f.setRole(AccessibilityRole::webDocument);
         },
         true, false, false},
        {"settable checks fail, other role",
         [](SimulatedElement& f) {
             f.quirks().supportsSettableChecks = false;
             f.setRole(AccessibilityRole::other);
         },
         false, false, false},
        {"settable checks fail, password text",
         [](SimulatedElement& f) {
             f.quirks().supportsSettableChecks = false;
             f.setRole(AccessibilityRole::passwordText);
         },
         true, true, false},
        {"no role, not settable",
         [&](SimulatedElement& f) {
             readOnly(f);
             f.setRole(std::nullopt);
         },
         false, false, false},
        {"one-time code description",
         [](SimulatedElement& f) { f.setDescription("Enter your One-Time Code"); }, true, true,
         false},
        {"password identifier", [](SimulatedElement& f) { f.setIdentifier("userPASSWORD"); }, true,
         true, false},
        {"passcode", [](SimulatedElement& f) { f.setDescription("PassCode"); }, true, true, false},
        {"credit card", [](SimulatedElement& f) { f.setIdentifier("Credit Card Number"); }, true,
         true, false},
        {"cvv", [](SimulatedElement& f) { f.setDescription("CVV"); }, true, true, false},
        {"password text", [](SimulatedElement& f) { f.setRole(AccessibilityRole::passwordText); },
         true, true, false},
        {"code editor description",
         [](SimulatedElement& f) { f.setDescription("Source Code Editor"); }, true, false, true},
        {"code editor identifier", [](SimulatedElement& f) { f.setIdentifier("CODE EDITOR"); },
         true, false, true},
        {"code without editor", [](SimulatedElement& f) { f.setDescription("code"); }, true, false,
         false},
        // The attributes are joined with spaces before the markers are looked for.
        {"markers split across attributes",
         [](SimulatedElement& f) {
             f.setIdentifier("code");
             f.setDescription("editor");
         },
         true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReplacementFixture fixture;
        auto field = fixture.field("text");
        c.prepare(*field);
        const auto context = fixture.focusService.focusedElement();
        ASSERT_TRUE(context.has_value());
        EXPECT_EQ(context->element, field);
        EXPECT_EQ(context->role, field->roleValue().value_or(AccessibilityRole::other));
        EXPECT_EQ(context->isEditable, c.editable);
        EXPECT_EQ(context->isSecure, c.secure);
        EXPECT_EQ(context->isAppSpecificExcludedField, c.excluded);
        EXPECT_EQ(context->canProcessText(), c.editable && !c.secure && !c.excluded);
        EXPECT_EQ(context->applicationBundleIdentifier, "org.gnome.gedit");
    }
}

TEST(FocusedElementService, ReportsTheOwnerOnlyWhenKnownAndAnUnreadableRoleAsOther) {
    ReplacementFixture fixture;
    auto anonymous = fixture.desktop.launch(std::nullopt, "Anonymous", 400);
    auto field = fixture.desktop.addFocusedTextField(*anonymous, "x");
    fixture.desktop.activate(400);
    auto context = fixture.focusService.focusedElement();
    ASSERT_TRUE(context.has_value());
    EXPECT_EQ(context->applicationBundleIdentifier, std::nullopt);
    EXPECT_EQ(context->role, AccessibilityRole::singleLineText);
    field->setRole(std::nullopt);
    context = fixture.focusService.focusedElement();
    EXPECT_EQ(context->role, AccessibilityRole::other);
    // The element's process has quit.
    fixture.desktop.workspace().terminate(400);
    EXPECT_FALSE(fixture.focusService.focusedElement().has_value());
}

TEST(FocusedElementService, FindsNothingWithoutFocusFrontmostApplicationOrPermission) {
    ReplacementFixture fixture;
    fixture.field("x");
    fixture.editor->clearFocus();
    EXPECT_FALSE(fixture.focusService.focusedElement().has_value());
    fixture.editor->focus(fixture.desktop.focusedElement());
    fixture.desktop.workspace().clearFrontmost();
    EXPECT_FALSE(fixture.focusService.focusedElement().has_value());
    fixture.desktop.activate(ReplacementFixture::kEditorPid);
    fixture.desktop.permissions().setAccessibilityGranted(false);
    EXPECT_FALSE(fixture.focusService.focusedElement().has_value());
}

// A GTK 4-like application: its window holds the focused field, but the system-wide
// query does not report it.
struct HiddenFocusApplication {
    std::shared_ptr<SimulatedApplication> application;
    SimulatedElementRef window;
    SimulatedElementRef field;
};

HiddenFocusApplication launchHiddenFocusApplication(ReplacementFixture& fixture,
                                                    const std::string& identifier,
                                                    std::int32_t pid) {
    HiddenFocusApplication hidden;
    hidden.application = fixture.desktop.launch(identifier, "Text Editor", pid);
    hidden.window = hidden.application->applicationElement()->childElements().front();
    hidden.field = hidden.application->addTextField(hidden.window, "hello wor");
    hidden.field->quirks().reportsFocusToSystemWide = false;
    hidden.application->focus(hidden.field);
    fixture.desktop.activate(pid);
    return hidden;
}

TEST(FocusedElementService, SearchesTheWindowOfTheListedApplicationAndCachesTheResult) {
    ReplacementFixture fixture;
    auto hidden = launchHiddenFocusApplication(fixture, "org.gnome.TextEditor", kHiddenFocusPid);
    auto& accessibility = fixture.desktop.accessibility();

    auto context = fixture.focusService.focusedElement();
    ASSERT_TRUE(context.has_value());
    EXPECT_EQ(context->element, hidden.field);
    EXPECT_EQ(context->applicationBundleIdentifier, "org.gnome.TextEditor");
    ASSERT_TRUE(fixture.focusService.cachedDescendantFocus().has_value());
    EXPECT_EQ(*fixture.focusService.cachedDescendantFocus(),
              (FocusedElementService::CachedDescendantFocus{kHiddenFocusPid, hidden.field}));
    EXPECT_GT(accessibility.accessCount("children"), 0);

    // Still focused: the cached element after a single focus read, no search.
    accessibility.resetAccessCounts();
    context = fixture.focusService.focusedElement();
    EXPECT_EQ(context->element, hidden.field);
    EXPECT_EQ(accessibility.accessCount("children"), 0);
    EXPECT_EQ(accessibility.accessCount("focusedWindow"), 0);

    // Focus moved to another field: searched again, cache updated.
    auto other = hidden.application->addTextField(hidden.window, "other");
    other->quirks().reportsFocusToSystemWide = false;
    hidden.application->focus(other);
    accessibility.resetAccessCounts();
    EXPECT_EQ(fixture.focusService.focusedElement()->element, other);
    EXPECT_GT(accessibility.accessCount("children"), 0);
    EXPECT_EQ(fixture.focusService.cachedDescendantFocus()->element, other);

    // Nothing focused any more: absent, cache cleared.
    hidden.application->clearFocus();
    EXPECT_FALSE(fixture.focusService.focusedElement().has_value());
    EXPECT_FALSE(fixture.focusService.cachedDescendantFocus().has_value());
}

TEST(FocusedElementService, ClearsTheCacheWheneverTheSearchDoesNotApply) {
    struct Case {
        std::string name;
        std::function<void(ReplacementFixture&)> then;
        bool found;
    };
    const Case cases[] = {
        {"system-wide query succeeds",
         [](ReplacementFixture& f) {
             f.field("x");
             f.desktop.activate(ReplacementFixture::kEditorPid);
         },
         true},
        {"system-wide query fails outside the list",
         [](ReplacementFixture& f) {
             f.field("x")->quirks().reportsFocusToSystemWide = false;
             f.desktop.activate(ReplacementFixture::kEditorPid);
         },
         false},
        {"no frontmost application",
         [](ReplacementFixture& f) { f.desktop.workspace().clearFrontmost(); }, false},
        {"frontmost application without identifier",
         [](ReplacementFixture& f) {
             f.desktop.launch(std::nullopt, "Nameless", 900);
             f.desktop.activate(900);
         },
         false},
        {"the same identifier in another process, nothing focused",
         [](ReplacementFixture& f) {
             f.desktop.launch("org.gnome.TextEditor", "Text Editor 2", 901);
             f.desktop.activate(901);
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReplacementFixture fixture;
        launchHiddenFocusApplication(fixture, "org.gnome.TextEditor", kHiddenFocusPid);
        ASSERT_TRUE(fixture.focusService.focusedElement().has_value());
        ASSERT_TRUE(fixture.focusService.cachedDescendantFocus().has_value());
        c.then(fixture);
        EXPECT_EQ(fixture.focusService.focusedElement().has_value(), c.found);
        EXPECT_FALSE(fixture.focusService.cachedDescendantFocus().has_value());
    }
}

TEST(FocusedElementService, SearchesOnlyForTheListedApplication) {
    ReplacementFixture fixture;
    launchHiddenFocusApplication(fixture, "org.gnome.TextEditor.helper", kHiddenFocusPid);
    EXPECT_FALSE(fixture.focusService.focusedElement().has_value());
    EXPECT_EQ(fixture.desktop.accessibility().accessCount("children"), 0);
    EXPECT_TRUE(ApplicationTraits::usesDescendantSearch("org.gnome.TextEditor"));
    EXPECT_FALSE(ApplicationTraits::usesDescendantSearch("org.gnome.texteditor"));
}

// A chain of groups below the window; the element at `depth` (window = 0) is a
// focused field.
SimulatedElementRef nestAt(SimulatedElementRef parent, std::size_t depth, AccessibilityRole role) {
    for (std::size_t level = 1; level < depth; ++level) {
        parent = parent->addChild(AccessibilityRole::other);
    }
    return parent->addChild(role);
}

TEST(FocusedElementService, BoundsTheBreadthFirstSearch) {
    struct Case {
        std::string name;
        std::function<SimulatedElementRef(SimulatedElementRef window)> build;
        bool found;
    };
    const auto siblingAt = [](std::size_t index) {
        return [index](SimulatedElementRef window) {
            for (std::size_t i = 0; i < index; ++i) {
                window->addChild(AccessibilityRole::other);
            }
            return window->addChild(AccessibilityRole::singleLineText);
        };
    };
    const Case cases[] = {
        // Children are read up to depth 63, so depth 64 is still examined.
        {"depth 64",
         [](SimulatedElementRef w) { return nestAt(w, 64, AccessibilityRole::singleLineText); },
         true},
        {"depth 65",
         [](SimulatedElementRef w) { return nestAt(w, 65, AccessibilityRole::singleLineText); },
         false},
        // The window is the first of 3000 examined elements.
        {"3000th element", siblingAt(2998), true},
        {"3001st element", siblingAt(2999), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReplacementFixture fixture;
        auto application =
            fixture.desktop.launch("org.gnome.TextEditor", "Text Editor", kHiddenFocusPid);
        auto field = c.build(application->applicationElement()->childElements().front());
        field->setText("x");
        field->quirks().reportsFocusToSystemWide = false;
        application->focus(field);
        fixture.desktop.activate(kHiddenFocusPid);
        const auto context = fixture.focusService.focusedElement();
        EXPECT_EQ(context.has_value(), c.found);
        if (c.found) {
            EXPECT_EQ(context->element, field);
        }
    }
}

TEST(FocusedElementService, ReadsTheWordBeforeTheCaret) {
    struct Case {
        std::string text;
        TextRange selection;
        std::optional<std::string> expected;
        std::function<void(SimulatedElement&)> prepare = [](SimulatedElement&) {};
    };
    const std::string longPrefix(300, 'a');
    const Case cases[] = {
        {"hello wor", {9, 0}, "wor"},
        {"hello world", {0, 0}, ""},
        {"hello world", {3, 1}, std::nullopt},
        {"one two ", {8, 0}, "two"},
        {"one two   ", {10, 0}, "two"},
        {"    ", {4, 0}, ""},
        {"line\nword", {9, 0}, "word"},
        {"tab\tword\u00a0next", {13, 0}, "next"},
        {"hello world", {8, 0}, "wo"},
        {"привет мир", {10, 0}, "мир"},
        {"a 😀😀", {4, 0}, "😀😀"},
        // Only the last 256 code points are read.
        {longPrefix, {300, 0}, std::string(256, 'a')},
        {longPrefix + " end", {304, 0}, "end"},
        // The value stands in for an unsupported range read.
        {"hello wor",
         {9, 0},
         "wor",
         [](SimulatedElement& f) { f.quirks().supportsStringForRange = false; }},
        {"hello wor",
         {9, 0},
         std::nullopt,
         [](SimulatedElement& f) {
             f.quirks().supportsStringForRange = false;
             f.quirks().reportsValue = false;
         }},
        {"hello wor",
         {9, 0},
         std::nullopt,
         [](SimulatedElement& f) { f.quirks().reportsSelectedTextRange = false; }},
        {"hello wor",
         {9, 0},
         std::nullopt,
         [](SimulatedElement& f) { f.setDescription("Password"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ReplacementFixture fixture;
        auto field = fixture.field(c.text);
        ASSERT_TRUE(field->setSelection(c.selection));
        c.prepare(*field);
        const auto context = fixture.focusService.focusedElement();
        ASSERT_TRUE(context.has_value());
        EXPECT_EQ(fixture.focusService.visibleTextSinceWhitespaceBeforeCaret(*context), c.expected);
    }
}

TEST(FocusedElementService, CountsTheVisibleWindowInCodePoints) {
    // 256 code points back from the caret: the character outside the basic plane right
    // after "x" is inside the window whole, "x" is not.
    for (const bool rangeReads : {true, false}) {
        SCOPED_TRACE(rangeReads);
        ReplacementFixture fixture;
        auto field = fixture.field("x😀" + std::string(250, 'b') + " word");
        field->quirks().supportsStringForRange = rangeReads;
        const auto context = fixture.focusService.focusedElement();
        EXPECT_EQ(fixture.focusService.visibleTextSinceWhitespaceBeforeCaret(*context), "word");
        auto glued = fixture.field("x𝐀" + std::string(255, 'c'));
        glued->quirks().supportsStringForRange = rangeReads;
        EXPECT_EQ(fixture.focusService.visibleTextSinceWhitespaceBeforeCaret(
                      *fixture.focusService.focusedElement()),
                  "𝐀" + std::string(255, 'c'));
    }
}

TEST(FocusedElementService, FindsTheSameWordInTextAsInTheField) {
    // The replay reads its own text with the same window and splitting as the field reading.
    for (const std::string& text :
         {std::string("x😀") + std::string(250, 'b') + " word", "x𝐀" + std::string(255, 'c'),
          std::string("two words "), std::string("«quoted» ok\u00A0"), std::string()}) {
        SCOPED_TRACE(text);
        ReplacementFixture fixture;
        fixture.field(text);
        EXPECT_EQ(fixture.focusService.visibleTextSinceWhitespaceBeforeCaret(
                      *fixture.focusService.focusedElement()),
                  FocusedElementService::textSinceWhitespace(text));
    }
}

}  // namespace
}  // namespace plovik

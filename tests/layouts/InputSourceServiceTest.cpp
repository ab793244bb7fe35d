#include <gtest/gtest.h>

#include <memory>

#include "core/layouts/InputSourceService.h"
#include "core/layouts/TypingSimulator.h"
#include "platform/linux/XkbKeymapLibrary.h"
#include "platform/simulated/SimulatedLayoutSource.h"
#include "support/KeyEvents.h"

namespace plovik {
namespace {

// A code no key map has a place for.
constexpr Key kNoSuchKey = static_cast<Key>(0x2FF);

using testing::kShift;

class InputSourceServiceTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { library_ = std::make_unique<XkbKeymapLibrary>(); }
    static void TearDownTestSuite() { library_.reset(); }

    InputSourceService makeService() {
        return InputSourceService(sources_, SystemKeyboardLayoutTranslator(sources_));
    }

    void addLayouts(std::initializer_list<const char*> ids) {
        for (const char* id : ids) {
            ASSERT_TRUE(sources_.addKeyboardLayout(id)) << id;
        }
    }

    static InputSource source(std::string id, std::vector<std::string> languages,
                              std::optional<std::string> type, bool hasKeyMap) {
        return {id, id + " name", std::move(languages), std::move(type),
                hasKeyMap ? library_->keyLayoutData("xkb:us") : nullptr};
    }

    static std::vector<PhysicalKeyStroke> strokes(std::string_view text, std::string_view layout) {
        const auto keyMap = library_->keyLayoutData(layout);
        auto result = TypingSimulator(*keyMap).strokes(text);
        EXPECT_TRUE(result) << text;
        return result.value_or(std::vector<PhysicalKeyStroke>{});
    }

    static inline std::unique_ptr<XkbKeymapLibrary> library_;
    SimulatedLayoutSource sources_{*library_};
};

TEST_F(InputSourceServiceTest, ListsEnabledSourcesWithReasonsInOrder) {
    addLayouts({"xkb:us", "xkb:ru"});
    sources_.addSource(source("kbd.ja", {"ja"}, "keyboard layout", true));
    sources_.addSource(source("im.zh", {"en", "zh_Hant"}, "input method", true));
    sources_.addSource(source("im.zh2", {"ZH-hans"}, "keyboard layout", false));
    sources_.addSource(source("im.de", {"de"}, "input method", true));
    sources_.addSource(source("untyped", {"en"}, std::nullopt, true));
    sources_.addSource(source("nokeymap", {"en"}, "keyboard layout", false));
    sources_.addSource({std::nullopt, "No id", {"en"}, "keyboard layout", nullptr});
    sources_.addSource({"unnamed", std::nullopt, {}, "keyboard layout", nullptr});
    sources_.addSource(source("disabled", {"en"}, "keyboard layout", true), false);
    sources_.setCurrentSourceId("xkb:ru");
    const auto service = makeService();

    std::vector<std::pair<std::string, std::optional<std::string>>> listed;
    for (const auto& d : service.availableSources()) {
        listed.emplace_back(d.id, d.unsupportedReason);
        EXPECT_EQ(d.isSupported, !d.unsupportedReason) << d.id;
        EXPECT_EQ(d.isSelected, d.id == "xkb:ru") << d.id;
    }
    const std::vector<std::pair<std::string, std::optional<std::string>>> expected{
        {"xkb:us", std::nullopt},
        {"xkb:ru", std::nullopt},
        {"kbd.ja", "Complex Asian input method"},
        {"im.zh", "Complex Asian input method"},
        {"im.zh2", "Complex Asian input method"},
        {"im.de", "Composite input method"},
        {"untyped", "Composite input method"},
        {"nokeymap", "No direct Unicode key map"},
        {"unnamed", "No direct Unicode key map"},
    };
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(service.availableSources()[1].name, "Russian");
    EXPECT_EQ(service.availableSources()[1].layout(),
              (KeyboardLayout{"xkb:ru", "Russian", {"ru"}}));
    EXPECT_EQ(service.availableSources()[8].name, "unnamed");
    ASSERT_TRUE(service.currentSource());
    EXPECT_EQ(service.currentSource()->id, "xkb:ru");
    EXPECT_EQ(service.currentLayout(), service.availableSources()[1].layout());
    EXPECT_EQ(service.inferredCurrentLayout(), service.currentLayout());
    ASSERT_EQ(service.supportedLayouts().size(), 2u);
    EXPECT_EQ(service.supportedLayouts()[0].id, "xkb:us");

    // An unsupported selection is current but gives no layout and no text.
    sources_.setCurrentSourceId("im.de");
    ASSERT_TRUE(service.currentSource());
    EXPECT_EQ(service.currentLayout(), std::nullopt);
    EXPECT_EQ(service.text({Key::a, {}}), std::nullopt);
}

TEST_F(InputSourceServiceTest, WithoutSourcesOrSelectionEverythingIsEmpty) {
    sources_.setCurrentSourceId("xkb:us");
    auto empty = makeService();
    EXPECT_TRUE(empty.availableSources().empty());
    EXPECT_EQ(empty.currentSource(), std::nullopt);
    EXPECT_TRUE(empty.supportedLayouts().empty());
    const TokenCompletion completion{
        "ghbdtn", " ", "", strokes("ghbdtn", "xkb:us"), {{Key::space, {}}}};
    EXPECT_TRUE(empty.conversionCandidates(completion, KeyboardLayout::english()).empty());

    // Selected but not enabled.
    addLayouts({"xkb:ru"});
    sources_.addKeyboardLayout("xkb:us", false);
    empty.refresh();
    EXPECT_EQ(empty.availableSources().size(), 1u);
    EXPECT_EQ(empty.currentSource(), std::nullopt);
    EXPECT_EQ(empty.currentLayout(), std::nullopt);
}

TEST_F(InputSourceServiceTest, FollowsSelectionChangesWhileAlive) {
    addLayouts({"xkb:us", "xkb:ru"});
    sources_.setCurrentSourceId("xkb:us");
    auto service =
        std::make_unique<InputSourceService>(sources_, SystemKeyboardLayoutTranslator(sources_));
    std::vector<std::optional<std::string>> published;
    auto subscription = service->subscribeCurrentSource([&](const auto& current) {
        published.push_back(current ? std::optional(current->id) : std::nullopt);
    });
    int listings = 0;
    auto listingSubscription = service->subscribeAvailableSources([&](const auto&) { ++listings; });

    sources_.setCurrentSourceId("xkb:ru");
    EXPECT_EQ(service->currentSource()->id, "xkb:ru");

    // Unchanged selection: nothing published.
    EXPECT_FALSE(service->synchronizeCurrentSource());
    EXPECT_EQ(listings, 2);
    // No current source: lists, even when it finds none again.
    sources_.setCurrentSourceId("elsewhere");
    EXPECT_EQ(service->currentSource(), std::nullopt);
    EXPECT_TRUE(service->synchronizeCurrentSource());
    EXPECT_TRUE(service->synchronizeCurrentSource());
    EXPECT_EQ(listings, 5);
    const std::vector<std::optional<std::string>> expected{"xkb:us", "xkb:ru", std::nullopt,
                                                           std::nullopt, std::nullopt};
    EXPECT_EQ(published, expected);

    subscription.cancel();
    listingSubscription.cancel();
    service.reset();
    sources_.setCurrentSourceId("xkb:us");  // must not reach the destroyed service
}

TEST_F(InputSourceServiceTest, SwitchesByIdOrLanguageAndReportsErrors) {
    addLayouts({"xkb:us", "xkb:de", "xkb:ru"});
    sources_.setCurrentSourceId("xkb:us");
    auto service = makeService();
    std::vector<std::optional<InputSourceError>> errors;
    auto subscription = service.subscribeLastError([&](const auto& e) { errors.push_back(e); });

    EXPECT_EQ(service.switchTo({"xkb:de", "whatever", {}}), std::nullopt);
    EXPECT_EQ(service.currentSource()->id, "xkb:de");

    // Not enabled itself, but its language is.
    const KeyboardLayout phonetic{"xkb:ru(phonetic)", "Russian (phonetic)", {"RU_ru"}};
    EXPECT_TRUE(service.isAvailable(phonetic));
    EXPECT_EQ(service.switchTo(phonetic), std::nullopt);
    EXPECT_EQ(service.currentSource()->id, "xkb:ru");

    const KeyboardLayout greek{"xkb:gr", "Greek", {"el"}};
    EXPECT_FALSE(service.isAvailable(greek));
    EXPECT_FALSE(service.isAvailable({"xkb:gr", "Greek", {}}));
    EXPECT_FALSE(service.isAvailable({"xkb:gr", "Greek", {"_"}}));
    const auto missing = service.switchTo(greek);
    ASSERT_TRUE(missing);
    EXPECT_EQ(*missing, InputSourceError::sourceNotInstalled(greek));
    EXPECT_EQ(missing->description(), "The Greek keyboard input source is no longer available.");
    EXPECT_EQ(service.lastError(), missing);

    const auto before = service.availableSources();
    sources_.setSelectionFails(true);
    const auto refused = service.switchTo(KeyboardLayout::english());
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->kind(), InputSourceError::Kind::selectionFailed);
    EXPECT_EQ(refused->description(),
              "The desktop could not select the English (US) input source.");
    EXPECT_EQ(service.availableSources(), before);
    EXPECT_EQ(service.currentSource()->id, "xkb:ru");

    sources_.setSelectionFails(false);
    EXPECT_EQ(service.switchTo(KeyboardLayout::english()), std::nullopt);
    EXPECT_EQ(service.lastError(), std::nullopt);
    EXPECT_EQ(errors,
              (std::vector<std::optional<InputSourceError>>{
                  std::nullopt, std::nullopt, std::nullopt, missing, refused, std::nullopt}));
    EXPECT_EQ(sources_.selectionRequests(),
              (std::vector<std::string>{"xkb:de", "xkb:ru", "xkb:us", "xkb:us"}));
}

TEST_F(InputSourceServiceTest, SelectionFailureNamesTheLayoutWhenTheSourceHasNoName) {
    sources_.addSource({"nameless", std::nullopt, {"en"}, "keyboard layout", nullptr});
    sources_.setSelectionFails(true);
    auto service = makeService();
    const auto error = service.switchTo({"nameless", "My Layout", {}});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->sourceName(), "My Layout");
}

TEST_F(InputSourceServiceTest, ConversionCandidatesReplayStrokesThroughOtherLayouts) {
    addLayouts({"xkb:us", "xkb:ru", "xkb:de"});
    sources_.addSource(source("im.de", {"de"}, "input method", true));
    sources_.setCurrentSourceId("xkb:us");
    const auto service = makeService();
    const auto english = service.availableSources()[0].layout();
    const auto russian = service.availableSources()[1].layout();
    const auto german = service.availableSources()[2].layout();

    const TokenCompletion hello{"ghbdtn", " ", "", strokes("ghbdtn", "xkb:us"), {{Key::space, {}}}};
    EXPECT_EQ(service.conversionCandidates(hello, english),
              (std::vector<LayoutConversionCandidate>{{russian, "привет", " "},
                                                      {german, "ghbdtn", " "}}));
    // The excluded layout never appears, the current one does when not excluded.
    const auto all = service.conversionCandidates(hello, russian);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], (LayoutConversionCandidate{english, "ghbdtn", " "}));

    // A dead key ending the token composes with the delimiter.
    const TokenCompletion accent{
        "ab`", " ", "", {{Key::a, {}}, {Key::b, {}}, {Key::grave, {}}}, {{Key::space, {}}}};
    const auto candidates = service.conversionCandidates(accent, english);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[1], (LayoutConversionCandidate{german, "ab", "^"}));

    // No delimiter strokes: the completion's own delimiter, even a line break.
    const TokenCompletion newline{"ghbdtn", "\n", "", hello.physicalStrokes, {}};
    for (const auto& candidate : service.conversionCandidates(newline, english)) {
        EXPECT_EQ(candidate.delimiter, "\n");
    }
    EXPECT_EQ(service.conversionCandidates(newline, english).size(), 2u);
    // A delimiter key that types a control character rules the layout out.
    const TokenCompletion returned{"ghbdtn", "\n", "", hello.physicalStrokes, {{Key::enter, {}}}};
    EXPECT_TRUE(service.conversionCandidates(returned, english).empty());
    // An empty token (a lone dead key in German) gives no German candidate.
    const TokenCompletion lone{"`", "", "", {{Key::grave, {}}}, {}};
    EXPECT_EQ(service.conversionCandidates(lone, russian).size(), 1u);
    EXPECT_TRUE(
        service.conversionCandidates({"", " ", "", {}, {{Key::space, {}}}}, english).empty());
}

TEST_F(InputSourceServiceTest, TextOfOneStrokeInTheCurrentLayout) {
    addLayouts({"xkb:us", "xkb:ru", "xkb:de"});
    sources_.setCurrentSourceId("xkb:ru");
    const auto service = makeService();
    EXPECT_EQ(service.text({Key::a, {}}), "ф");
    EXPECT_EQ(service.text({Key::a, kShift}), "Ф");
    EXPECT_EQ(service.text({Key::enter, {}}), std::nullopt);  // Return: a control character
    EXPECT_EQ(service.text({Key::left, {}}), std::nullopt);   // an arrow types nothing
    EXPECT_EQ(service.text({kNoSuchKey, {}}), std::nullopt);  // no such key
    sources_.setCurrentSourceId("xkb:de");
    EXPECT_EQ(service.text({Key::grave, {}}), std::nullopt);  // a dead key waits
    EXPECT_EQ(service.text({Key::z, {}}), "y");
}

// A key map whose D key starts a sequence that the next key ends with "[" and its own
// text, whose S key has no place, and whose other keys type "x" (with Shift: "X").
class ScriptedKeyMap final : public KeyLayoutData {
  public:
    std::optional<std::string> translate(Key key, Modifiers modifiers,
                                         ComposeState& compose) const override {
        if (key == Key::s) {
            return std::nullopt;
        }
        if (key == Key::d) {
            compose.pending.push_back(1);
            return "";
        }
        const std::string own = modifiers.has(Modifier::shift) ? "X" : "x";
        const std::string pending(compose.pending.size(), '[');
        compose.pending.clear();
        return pending + own;
    }
};

TEST_F(InputSourceServiceTest, TranslatorNeedsAnInstalledKeyMapAndCarriesTheComposeState) {
    addLayouts({"xkb:us"});
    sources_.addSource(
        {"scripted", "Scripted", {"en"}, "keyboard layout", std::make_shared<ScriptedKeyMap>()});
    sources_.addSource(source("im.de", {"de"}, "input method", true));
    sources_.addSource(source("nokeymap", {"en"}, "keyboard layout", false));
    sources_.addKeyboardLayout("xkb:ru", false);
    const SystemKeyboardLayoutTranslator translator(sources_);

    EXPECT_TRUE(translator.canTranslate("xkb:us"));
    EXPECT_TRUE(translator.canTranslate("xkb:ru"));  // installed, though not enabled
    EXPECT_FALSE(translator.canTranslate("im.de"));
    EXPECT_FALSE(translator.canTranslate("nokeymap"));
    EXPECT_FALSE(translator.canTranslate("xkb:fr"));

    EXPECT_EQ(translator.translate({{Key::h, {}}}, {}, "xkb:ru"),
              (SystemKeyboardLayoutTranslator::Translation{"р", ""}));
    EXPECT_EQ(translator.translate({}, {}, "xkb:us"),
              (SystemKeyboardLayoutTranslator::Translation{"", ""}));
    EXPECT_EQ(translator.translate({{Key::a, {}}}, {}, "nokeymap"), std::nullopt);
    EXPECT_EQ(translator.translate({{Key::a, {}}}, {}, "xkb:fr"), std::nullopt);
    // A sequence the token leaves open ends in the delimiter.
    EXPECT_EQ(translator.translate({{Key::a, kShift}, {Key::d, {}}}, {{Key::a, {}}}, "scripted"),
              (SystemKeyboardLayoutTranslator::Translation{"X", "[x"}));
    EXPECT_EQ(translator.translate({{Key::a, {}}}, {{Key::s, {}}}, "scripted"), std::nullopt);
    EXPECT_EQ(translator.translate({{Key::s, {}}}, {{Key::a, {}}}, "scripted"), std::nullopt);
    EXPECT_EQ(translator.translate({{kNoSuchKey, {}}}, {}, "xkb:us"), std::nullopt);
}

}  // namespace
}  // namespace plovik

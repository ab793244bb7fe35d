#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/simulated/SimulatedClock.h"
#include "platform/simulated/SimulatedMainQueue.h"
#include "replacement/ReplacementFixture.h"
#include "tests/support/KeyEvents.h"

namespace plovik {
namespace {

using testing::ReplacementFixture;

const TextReplacementRequest kWord{"ghbdtn", "привет", " "};
constexpr std::int32_t kBrowser = 300;

// A keystroke replacement in a browser, whose field is read back before anything is
// reported. `duringCheck` runs each time the check gives the application a moment.
struct BrowserCase {
    ReplacementFixture fixture;
    SimulatedElementRef field = fixture.fieldIn("firefox-esr", kBrowser, "hello ghbdtn ");

    explicit BrowserCase(std::function<void(BrowserCase&)> duringCheck = {}) {
        if (duringCheck) {
            fixture.desktop.eventPoster().setDeliveryWait(
                [this, duringCheck = std::move(duringCheck)] { duringCheck(*this); });
        }
    }
    SimulatedKeyInjector& poster() { return fixture.desktop.eventPoster(); }
    std::size_t typedTexts() const {
        std::size_t count = 0;
        for (const auto& event : fixture.posted()) {
            count += event.text && event.isKeyDown ? 1 : 0;
        }
        return count;
    }
};

TEST(KeystrokeReplacementCheck, TheTypedWordComesBackWhenTheReplacementDoesNotArrive) {
    BrowserCase browser;
    browser.poster().loseNextTypedTexts(1);
    EXPECT_EQ(browser.fixture.service.replace(kWord),
              TextReplacementResult::failure(KeystrokeReplacementCheck::kRestoredMessage));
    EXPECT_EQ(browser.field->text(), "hello ghbdtn ");
    EXPECT_EQ(browser.field->selection(), (TextRange{13, 0}));
    EXPECT_EQ(browser.typedTexts(), 2u) << "the replacement, then the typed word";
}

TEST(KeystrokeReplacementCheck, AReplacementThatArrivesIsReportedAsDone) {
    // The application takes a while: the keys show only when it is given time.
    BrowserCase browser;
    SimulatedClock clock;
    SimulatedMainQueue queue(clock);
    browser.fixture.desktop.setApplicationDelay(queue, std::chrono::milliseconds(30));
    EXPECT_EQ(browser.fixture.service.replace(kWord),
              TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard));
    EXPECT_EQ(browser.field->text(), "hello привет ");
    EXPECT_EQ(browser.typedTexts(), 1u);
}

TEST(KeystrokeReplacementCheck, ALossThatCannotBeUndoneSafelyIsReportedAndLeftAlone) {
    struct Case {
        const char* name;
        std::size_t lostTexts;
        std::function<void(BrowserCase&)> duringCheck;
        std::string field;
    };
    const Case cases[] = {
        // Putting the word back is lost as well.
        {"twice lost", 2, {}, "hello "},
        // The user typed on: the field holds keys nobody can tell from ours.
        {"typed on", 1,
         [](BrowserCase& browser) {
             if (browser.field->text() == "hello ") {
                 browser.fixture.desktop.pressKey(testing::keyEvent(Key::x, "x"));
             }
         },
         "hello x"},
        // The caret went elsewhere: a Backspace would erase other text.
        {"caret moved", 1,
         [](BrowserCase& browser) {
             browser.field->setSelection({0, 0});
         },
         "hello "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BrowserCase browser(c.duringCheck);
        browser.poster().loseNextTypedTexts(c.lostTexts);
        EXPECT_EQ(browser.fixture.service.replace(kWord),
                  TextReplacementResult::failure(KeystrokeReplacementCheck::kLostMessage));
        EXPECT_EQ(browser.field->text(), c.field);
        EXPECT_EQ(browser.typedTexts(), c.lostTexts);
    }
}

// Keys still on their way would be handled before anything sent now, and a count of
// Backspaces taken from a field that is still changing would erase the wrong text.
TEST(KeystrokeReplacementCheck, NothingIsPutBackWhileTheFieldIsStillChanging) {
    BrowserCase browser(
        [](BrowserCase& browser) { browser.field->setText(browser.field->text() + "x"); });
    browser.poster().loseNextTypedTexts(1);
    EXPECT_EQ(browser.fixture.service.replace(kWord),
              TextReplacementResult::failure(KeystrokeReplacementCheck::kLostMessage));
    EXPECT_EQ(browser.typedTexts(), 1u) << "the typed word was not sent again";
    EXPECT_TRUE(browser.field->text().starts_with("hello xx"));
}

TEST(KeystrokeReplacementCheck, KeysTheUserTypesAfterAnArrivedReplacementDoNotMakeItFail) {
    BrowserCase browser([](BrowserCase& browser) {
        if (browser.field->text() == "hello привет ") {
            browser.fixture.desktop.pressKey(testing::keyEvent(Key::d, "d"));
        }
    });
    EXPECT_EQ(browser.fixture.service.replace(kWord),
              TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard));
    EXPECT_EQ(browser.field->text(), "hello привет d");
}

// A browser's editable block keeps a space typed at its end as a no-break space.
TEST(KeystrokeReplacementCheck, ASpaceShownAsANoBreakSpaceIsTheTypedSpace) {
    BrowserCase browser;
    browser.field->setText("hello ghbdtn\u00A0");
    EXPECT_EQ(browser.fixture.service.replace(kWord),
              TextReplacementResult::success(TextReplacementMethod::syntheticKeyboard));
    EXPECT_EQ(browser.field->text(), "hello привет ");

    BrowserCase lossy;
    lossy.field->setText("hello\u00A0ghbdtn\u00A0");
    lossy.poster().loseNextTypedTexts(1);
    EXPECT_EQ(lossy.fixture.service.replace(kWord),
              TextReplacementResult::failure(KeystrokeReplacementCheck::kRestoredMessage));
    EXPECT_EQ(lossy.field->text(), "hello\u00A0ghbdtn ");
}

TEST(KeystrokeReplacementCheck, TheRestOfTheFieldIsNeverTouched) {
    // Text after the caret, and text that changed elsewhere meanwhile.
    BrowserCase browser;
    browser.field->setText("hello ghbdtn tail");
    browser.field->setSelection({13, 0});
    browser.poster().loseNextTypedTexts(1);
    EXPECT_EQ(browser.fixture.service.replace(kWord),
              TextReplacementResult::failure(KeystrokeReplacementCheck::kRestoredMessage));
    EXPECT_EQ(browser.field->text(), "hello ghbdtn tail");

    BrowserCase changed([](BrowserCase& browser) {
        if (browser.field->text() == "hello ") {
            browser.field->setText("HELLO ");
        }
    });
    changed.poster().loseNextTypedTexts(1);
    EXPECT_EQ(changed.fixture.service.replace(kWord),
              TextReplacementResult::failure(KeystrokeReplacementCheck::kLostMessage));
    EXPECT_EQ(changed.field->text(), "HELLO ");
}

}  // namespace
}  // namespace plovik

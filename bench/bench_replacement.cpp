// The replacement path on the simulated desktop: a verified accessibility replacement,
// the keystroke replacement of a listed application, the word before the caret, and a
// descendant focus search at its element bound.
#include <benchmark/benchmark.h>

#include <string>

#include "core/replacement/FocusedElementService.h"
#include "core/replacement/SyntheticKeyboardService.h"
#include "core/replacement/TextReplacementService.h"
#include "platform/simulated/SimulatedDesktop.h"

namespace {

using namespace plovik;

struct Desktop {
    SimulatedDesktop desktop;
    FocusedElementService focus{desktop.accessibility(), desktop.workspace()};
    SyntheticKeyboardService keyboard{desktop.eventPoster()};
    ReentrancyGuard guard;
    TextReplacementService service{focus, keyboard, guard, desktop.keyEventTapFactory(),
                                   desktop.keyboardHolder()};
    SimulatedElementRef field;

    explicit Desktop(const std::string& application) {
        auto app = desktop.launch(application, application, 10);
        desktop.activate(10);
        // A paragraph of 200 words before the token.
        std::string text;
        for (int i = 0; i < 200; ++i) {
            text += "слово ";
        }
        field = desktop.addFocusedTextField(*app, text + "ghbdtn ");
    }

    // Replaces the token and back again, so that every iteration sees the same field.
    void roundTrip(benchmark::State& state) {
        const TextReplacementRequest forward{"ghbdtn", "привет", " "};
        const TextReplacementRequest back{"привет", "ghbdtn", " "};
        for (auto _ : state) {
            benchmark::DoNotOptimize(service.replace(forward));
            benchmark::DoNotOptimize(service.replace(back));
            desktop.eventPoster().clearPostedEvents();
        }
        if (field->text().find("ghbdtn ") == std::string::npos) {
            state.SkipWithError("the replacement did not round-trip");
        }
    }
};

void BM_AccessibilityReplacementRoundTrip(benchmark::State& state) {
    Desktop desktop("org.gnome.TextEditor");
    desktop.roundTrip(state);
}
BENCHMARK(BM_AccessibilityReplacementRoundTrip);

void BM_KeystrokeReplacementRoundTrip(benchmark::State& state) {
    Desktop desktop("com.google.Chrome");
    desktop.roundTrip(state);
}
BENCHMARK(BM_KeystrokeReplacementRoundTrip);

void BM_VisibleTextBeforeCaret(benchmark::State& state) {
    Desktop desktop("org.gnome.TextEditor");
    const auto context = desktop.focus.focusedElement();
    for (auto _ : state) {
        benchmark::DoNotOptimize(desktop.focus.visibleTextSinceWhitespaceBeforeCaret(*context));
    }
}
BENCHMARK(BM_VisibleTextBeforeCaret);

// The focused field is the last of the 3000 elements the search may examine.
void BM_DescendantSearchAtItsBound(benchmark::State& state) {
    SimulatedDesktop desktop;
    auto app = desktop.launch("com.openai.codex", "Codex", 20);
    auto window = app->applicationElement()->childElements().front();
    for (int i = 0; i < 2998; ++i) {
        window->addChild(AccessibilityRole::other);
    }
    auto field = window->addChild(AccessibilityRole::singleLineText);
    field->setText("x");
    field->quirks().reportsFocusToSystemWide = false;
    app->focus(field);
    desktop.activate(20);
    for (auto _ : state) {
        // A fresh service each time: the cache would skip the search.
        FocusedElementService focus(desktop.accessibility(), desktop.workspace());
        benchmark::DoNotOptimize(focus.focusedElement());
    }
}
BENCHMARK(BM_DescendantSearchAtItsBound);

}  // namespace

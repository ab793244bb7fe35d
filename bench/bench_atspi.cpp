// AT-SPI on a private X11 desktop: how long the session takes to come up, and what one
// call to a GTK 3 and a Qt 6 field costs (Qt's UTF-16 units need the text for every
// position, so its calls cost more round trips).
#include <benchmark/benchmark.h>

#include <memory>

#include "desktop/AtspiDesktop.h"
#include "platform/atspi/AtspiElement.h"

namespace plovik::testing {
namespace {

struct Desktop {
    std::unique_ptr<AtspiDesktop> desktop;
    std::unique_ptr<FixtureWindow> gtk;
    std::unique_ptr<FixtureWindow> qt;
    std::optional<AtspiObject> gtkField;
    std::optional<AtspiObject> qtField;
};

std::optional<AtspiObject> focusedField(AtspiDesktop& desktop, FixtureWindow& window) {
    window.setText(fixture::Field::single, "😀 ghbdtn vbh");
    window.focus(fixture::Field::single);
    return desktop.waitForFocus(window.pid(), "Single line");
}

Desktop* desktop() {
    static std::unique_ptr<Desktop> shared;
    if (!shared && fixtureBuilt(Toolkit::gtk) && fixtureBuilt(Toolkit::qt)) {
        shared = std::make_unique<Desktop>();
        shared->desktop = std::make_unique<AtspiDesktop>();
        shared->gtk = std::make_unique<FixtureWindow>(shared->desktop->session, Toolkit::gtk);
        shared->qt = std::make_unique<FixtureWindow>(shared->desktop->session, Toolkit::qt);
        shared->gtk->waitUntilReady();
        shared->qt->waitUntilReady();
        shared->gtkField = focusedField(*shared->desktop, *shared->gtk);
        shared->qtField = focusedField(*shared->desktop, *shared->qt);
    }
    return shared.get();
}

const AtspiObject* field(benchmark::State& state) {
    auto* shared = desktop();
    const std::optional<AtspiObject>* field =
        shared ? (state.range(0) == 0 ? &shared->gtkField : &shared->qtField) : nullptr;
    if (!field || !*field) {
        state.SkipWithError("no desktop or fixture");
        return nullptr;
    }
    state.SetLabel(state.range(0) == 0 ? "gtk" : "qt");
    return &**field;
}

void BM_SessionStart(benchmark::State& state) {
    for (auto _ : state) {
        VirtualSession session;
        state.SetIterationTime(std::chrono::duration<double>(session.startupDuration()).count());
    }
}
BENCHMARK(BM_SessionStart)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_ReadText(benchmark::State& state) {
    const auto* object = field(state);
    for (auto _ : state) {
        if (!object) {
            break;
        }
        benchmark::DoNotOptimize(object->text());
    }
}
BENCHMARK(BM_ReadText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ReadCaret(benchmark::State& state) {
    const auto* object = field(state);
    for (auto _ : state) {
        if (!object) {
            break;
        }
        benchmark::DoNotOptimize(object->caretOffset());
    }
}
BENCHMARK(BM_ReadCaret)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_CheckFocus(benchmark::State& state) {
    const auto* object = field(state);
    for (auto _ : state) {
        if (!object) {
            break;
        }
        benchmark::DoNotOptimize(object->hasState(ATSPI_STATE_FOCUSED));
    }
}
BENCHMARK(BM_CheckFocus)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Delete a word and insert its replacement, then put the word back: two replacements.
void BM_ReplaceWordTwice(benchmark::State& state) {
    const auto* object = field(state);
    for (auto _ : state) {
        if (!object) {
            break;
        }
        object->deleteText({2, 8});
        object->insertText(2, "привет");
        object->deleteText({2, 8});
        object->insertText(2, "ghbdtn");
    }
}
BENCHMARK(BM_ReplaceWordTwice)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One correction's steps while the keyboard is held (choose the word, read it, write the
// replacement, place the caret, read the result) at the end of a multi-line field that
// already holds range(1) characters: the user's keys wait this long.
void BM_EditAtEndOfField(benchmark::State& state) {
    auto* shared = desktop();
    FixtureWindow* window =
        shared ? (state.range(0) == 0 ? shared->gtk.get() : shared->qt.get()) : nullptr;
    std::string text;
    while (static_cast<long>(text.size()) < state.range(1)) {
        text += "hello world hello world hello world hello world hello world\n";
    }
    std::optional<AtspiObject> object;
    if (window && window->setText(fixture::Field::multi, text + "ghbdtn ") &&
        window->focus(fixture::Field::multi)) {
        object = shared->desktop->waitForFocus(window->pid(), "Multi line");
    }
    if (!object) {
        state.SkipWithError("no desktop or fixture");
        return;
    }
    state.SetLabel(state.range(0) == 0 ? "gtk" : "qt");
    AtspiElement element(*object);
    const auto start = static_cast<std::int64_t>(text.size());
    const auto edit = [&](const std::string& from, const std::string& to) {
        (void)element.setSelectedTextRange({start, 6});
        benchmark::DoNotOptimize(element.selectedText().valueIfPresent() == from);
        (void)element.setSelectedText(to);
        (void)element.setSelectedTextRange({start + 7, 0});
        benchmark::DoNotOptimize(element.stringForRange({start, 6}).valueIfPresent() == to);
    };
    for (auto _ : state) {
        edit("ghbdtn", "привет");
        edit("привет", "ghbdtn");
    }
}
BENCHMARK(BM_EditAtEndOfField)
    ->ArgsProduct({{0, 1}, {0, 5000, 35000}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plovik::testing

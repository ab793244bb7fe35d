#include <gtest/gtest.h>

#include "core/capture/ShortcutDefinition.h"
#include "core/text/Utf8.h"
#include "platform/x11/X11CaptureHold.h"
#include "x11/X11DesktopFixture.h"

namespace plovik::testing {
namespace {

using namespace std::chrono_literals;

// X key codes (evdev + 8) of the keys the tests press.
constexpr std::uint32_t kG = 42, kH = 43, kB = 56, kD = 40, kT = 28, kN = 57, kE = 26, kA = 38;
constexpr std::uint32_t kEqual = 21;
constexpr std::uint32_t kApostrophe = 48, kSpace = 65, kReturn = 36, kBackSpace = 22;
constexpr std::uint32_t kCapsLock = 66, kKeypadEnter = 104, kShiftLeft = 50;
constexpr Key kReturnCode = Key::enter, kSpaceCode = Key::space;

const std::vector<std::uint32_t> kGhbdtn{kG, kH, kB, kD, kT, kN};

using X11CaptureTest = X11DesktopFixture;

// Letters no group of the tests' layouts types: each takes a spare code of its own.
const std::u32string kLettersOfNoGroup =
    U"àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþÿāăąćĉċčďđēĕėęěĝğġģĥħĩīĭįıĳĵķĸ";

// The `n`-th run of `length` of them.
std::string lettersOfNoGroup(std::size_t n, std::size_t length) {
    const auto first = kLettersOfNoGroup.begin() + static_cast<std::ptrdiff_t>(n * length);
    return text::Utf8::encode(
        std::vector<char32_t>(first, first + static_cast<std::ptrdiff_t>(length)));
}

TEST_F(X11CaptureTest, EveryPressCarriesWhatItTypedInTheLockedGroup) {
    installTap();
    userTypes("hI!");
    ASSERT_TRUE(runUntil([&] { return tappedText(false) == "hI!"; })) << tappedText(false);
    const auto shifted = std::find_if(events_.begin(), events_.end(),
                                      [](const KeyEvent& e) { return e.text == "I"; });
    ASSERT_NE(shifted, events_.end());
    EXPECT_TRUE(shifted->modifiers.has(Modifier::shift));
    EXPECT_EQ(shifted->key, Key::i) << "the key's position, not its character";

    events_.clear();
    auto sources = desktop_->inputSources().enabledKeyboardSources();
    ASSERT_EQ(sources.size(), 2u);
    ASSERT_TRUE(desktop_->inputSources().select(sources[1]));
    userPresses(kGhbdtn);
    ASSERT_TRUE(runUntil([&] { return tappedText(false) == "привет"; })) << tappedText(false);
    EXPECT_TRUE(runUntil([&] { return window_->text() == "hI!привет"; })) << window_->text();
    EXPECT_TRUE(std::none_of(events_.begin(), events_.end(), [](const KeyEvent& e) {
        return e.isSwallowable;
    })) << "keys that are not grabbed are on their way already";
}

// A new key map (a layout added, a spare code bound) while Shift is held: the capture goes
// on from the keys, neither losing the Shift nor keeping it after its release.
TEST_F(X11CaptureTest, AKeyMapChangedWhileShiftIsHeldFollowsShiftToItsRelease) {
    installTap();
    runFor(50ms);
    user_->key(kShiftLeft, true);
    runFor(100ms);
    x_->setLayouts("us,ru");
    runFor(200ms);
    userPresses({kH});
    user_->key(kShiftLeft, false);
    userPresses({kH});
    EXPECT_TRUE(runUntil([&] { return tappedText(false) == "Hh"; })) << tappedText(false);
}

TEST_F(X11CaptureTest, DeadKeysComposeWithTheNextKey) {
    x_->setLayouts("us", "intl");
    installTap();
    runFor(50ms);
    userPresses({kApostrophe, kE, kH, kApostrophe, kH});
    ASSERT_TRUE(runUntil([&] { return events_.size() >= 5; }));
    EXPECT_EQ(events_[0].text, "") << "a dead key types nothing yet";
    EXPECT_EQ(events_[1].text, "é");
    EXPECT_EQ(events_[2].text, "h");
    EXPECT_EQ(events_[3].text, "");
    EXPECT_EQ(events_[4].text, "h") << "a key the accent does not compose with types alone";
}

// The simulated desktop's key maps must agree (DesktopParity tests the same keys there).
TEST_F(X11CaptureTest, TwoDeadKeysThatDoNotComposeDropBothAccents) {
    x_->setLayouts("de");
    installTap();
    runFor(50ms);
    // In German the key left of Backspace is a dead acute, with Shift a dead grave.
    userPresses({kEqual});
    userPresses({kEqual}, X11KeyboardState::kShiftMask);
    userPresses({kE, kEqual});
    userPresses({kEqual, kEqual}, X11KeyboardState::kShiftMask);
    userPresses({kE, kEqual});
    userPresses({kEqual}, X11KeyboardState::kShiftMask);
    userPresses({kEqual, kA, kEqual});
    userPresses({kEqual}, X11KeyboardState::kShiftMask);
    userPresses({kSpace});
    std::vector<std::string> texts;
    ASSERT_TRUE(runUntil([&] {
        texts.clear();
        for (const auto& event : events_) {
            if (event.key == Key::equal || event.key == Key::e || event.key == Key::a ||
                event.key == kSpaceCode) {
                texts.push_back(event.text.value_or("(none)"));
            }
        }
        return texts.size() >= 14;
    })) << texts.size();
    EXPECT_EQ(texts, (std::vector<std::string>{"", "", "e", "", "", "", "è", "", "", "", "á", "",
                                               "", " "}));
}

TEST_F(X11CaptureTest, GrabbedReturnIsSwallowedOrReplayedAndReportedOnce) {
    bool swallows = true;
    installTap([&](const KeyEvent& event) {
        return event.key == kReturnCode && swallows ? KeyDisposition::swallow
                                                    : KeyDisposition::pass;
    });
    userPresses({kH, kReturn, kKeypadEnter});
    ASSERT_TRUE(runUntil(
        [&] { return tappedCount(kReturnCode) == 1 && tappedCount(Key::keypadEnter) == 1; }));
    runFor(50ms);
    EXPECT_EQ(tappedCount(kReturnCode), 1u) << "the raw press of a grabbed key is not counted";
    EXPECT_EQ(receivedCount(kReturn), 0u);
    EXPECT_EQ(receivedCount(kKeypadEnter), 1u) << "passed on unchanged";

    // With Caps Lock and Num Lock on, the same grab holds the key.
    swallows = false;
    userPresses({kCapsLock});
    userPresses({kReturn});
    ASSERT_TRUE(runUntil([&] { return receivedCount(kReturn) == 1; }));
    EXPECT_EQ(tappedCount(kReturnCode), 2u);
    swallows = true;
    userPresses({kReturn});
    ASSERT_TRUE(runUntil([&] { return tappedCount(kReturnCode) == 3; }));
    runFor(50ms);
    EXPECT_EQ(receivedCount(kReturn), 1u);
}

// The keys went on when the hold outlived its limit, before Plovik let go of it: a Return
// typed then is the application's, not the hold's.
TEST_F(X11CaptureTest, AReturnTypedAfterAHoldOutlivedItsLimitReachesTheApplication) {
    installTap();
    auto held = desktop_->keyboardHold().hold(10ms);
    ASSERT_TRUE(held);
    ASSERT_TRUE(runUntil([&] { return !held->isHeld(); }));
    userPresses({kReturn, kH});
    EXPECT_TRUE(runUntil([&] { return receivedCount(kReturn) == 1 && receivedCount(kH) == 1; }))
        << "Return " << receivedCount(kReturn) << ", h " << receivedCount(kH);
    held.reset();
    runFor(50ms);
    EXPECT_EQ(receivedCount(kReturn), 1u);
}

// An edit that takes over a withheld Return's hold late gets what is left of the press's
// limit: the Return goes on by then, not at that limit plus the edit's own.
TEST_F(X11CaptureTest, AWithheldReturnGoesOnByItsLimitHoweverLateTheEditTakesItsHoldOver) {
    installTap([](const KeyEvent& event) {
        return event.key == kReturnCode ? KeyDisposition::swallowAndHold : KeyDisposition::pass;
    });
    userPresses({kReturn, kH});
    ASSERT_TRUE(runUntil([&] { return tappedCount(kReturnCode) == 1; }));
    const auto answered = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(X11CaptureHold::kPressHoldLimit - 10ms);
    auto held = desktop_->keyboardHold().hold(30ms);
    ASSERT_TRUE(held);
    ASSERT_TRUE(runUntil([&] { return receivedCount(kReturn) == 1; }));
    EXPECT_LT(std::chrono::steady_clock::now() - answered, X11CaptureHold::kPressHoldLimit + 20ms);
    held.reset();
    EXPECT_TRUE(runUntil([&] { return window_->text() == "\nh"; })) << window_->text();
    runFor(50ms);
    EXPECT_EQ(receivedCount(kReturn), 1u);
}

TEST_F(X11CaptureTest, ABusyMainThreadNeverHoldsTheKeyboard) {
    installTap([](const KeyEvent&) { return KeyDisposition::swallow; });
    userPresses({kH});
    ASSERT_TRUE(runUntil([&] { return events_.size() == 1; }));
    // The main loop is not turned at all while the user presses Return.
    userPresses({kReturn, kH});
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (window_->text() != "hh\n" && window_->text() != "h\nh" &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(window_->text(), "h\nh") << "the Return went on, in order";
    EXPECT_EQ(desktop_->tapFactory().lateAnswerCount(), 1u);
    // The last press may be reported a moment after the Return: wait for all three.
    EXPECT_TRUE(runUntil([&] { return tappedText(false) == "h\rh"; }))
        << "a press that went on is still reported, in order: " << tappedText(false);
    for (const auto& event : events_) {
        EXPECT_FALSE(event.isSwallowable) << "the application has it already";
    }
}

// A slow check (a call to a hung application) must not hold the keyboard: the press goes on
// at the budget's end, and taking it afterwards is refused, so nothing acts on it twice.
TEST_F(X11CaptureTest, ASlowCheckNeverHoldsTheKeyAndALateClaimIsRefused) {
    std::size_t swallowed = 0;
    std::size_t refused = 0;
    installTap([&](const KeyEvent& event) {
        if (event.key != kReturnCode || !event.isSwallowable) {
            return KeyDisposition::pass;
        }
        std::this_thread::sleep_for(X11KeyCaptureFactory::kGrabAnswerBudget * 10);
        if (!event.takeForSwallowing()) {
            ++refused;
            return KeyDisposition::pass;
        }
        ++swallowed;
        return KeyDisposition::swallow;
    });
    constexpr std::size_t kPresses = 5;
    for (std::size_t i = 0; i < kPresses; ++i) {
        userPresses({kReturn});
        ASSERT_TRUE(runUntil([&] { return tappedCount(kReturnCode) == i + 1; }));
    }
    runFor(100ms);
    EXPECT_GE(refused, 1u) << "the check outlasted the budget, so the press had gone on";
    EXPECT_EQ(receivedCount(kReturn), kPresses - swallowed)
        << "every Return either reached the window or was swallowed, never both";
}

// Taken in time, a press is the taker's: it never reaches the window on its own.
TEST_F(X11CaptureTest, APressTakenInTimeIsSwallowedEvenWhenTheAnswerComesLater) {
    installTap([&](const KeyEvent& event) {
        if (event.key != kReturnCode || !event.takeForSwallowing()) {
            return KeyDisposition::pass;
        }
        std::this_thread::sleep_for(X11KeyCaptureFactory::kGrabAnswerBudget * 5);
        return KeyDisposition::swallow;
    });
    constexpr std::size_t kPresses = 3;
    for (std::size_t i = 0; i < kPresses; ++i) {
        userPresses({kReturn});
        ASSERT_TRUE(runUntil([&] { return tappedCount(kReturnCode) == i + 1; }));
    }
    runFor(100ms);
    const std::size_t late = desktop_->tapFactory().lateAnswerCount();
    EXPECT_LT(late, kPresses) << "the loop was idle: most presses are taken at once";
    EXPECT_EQ(receivedCount(kReturn), late)
        << "only a press the loop took up too late may reach the window";
}

// Raw events do not repeat: a key held past the repeat delay is reported once as held,
// while the application types it many times. Modifiers do not repeat and are not held.
TEST_F(X11CaptureTest, AKeyHeldDownIsReportedOnceAsHeld) {
    installTap();
    userKeyboard_->reload();
    user_->key(kN, true);
    runFor(900ms);
    user_->key(kN, false);
    user_->key(kShiftLeft, true);
    runFor(900ms);
    user_->key(kShiftLeft, false);
    userPresses({kH});
    ASSERT_TRUE(runUntil([&] { return tappedText(false).ends_with("h"); }));
    std::vector<std::pair<KeyEventKind, Key>> seen;
    for (const auto& event : events_) {
        if (event.key != Key::leftShift) {
            seen.emplace_back(event.kind, event.key);
        }
    }
    EXPECT_EQ(seen, (std::vector<std::pair<KeyEventKind, Key>>{{KeyEventKind::keyPress, Key::n},
                                                               {KeyEventKind::keyHeld, Key::n},
                                                               {KeyEventKind::keyPress, Key::h}}));
    EXPECT_GT(receivedCount(kN), 2u) << "the server repeated the key for the window";
}

// The coordinator posts the withheld Return as soon as the word is corrected, often
// while the user's finger is still on the key: the server would drop a second press of a
// key that is down, so Plovik's keys wait until the user's key is up.
TEST_F(X11CaptureTest, AReturnPostedWhileTheUsersReturnIsDownArrivesAfterItIsReleased) {
    auto& poster = desktop_->eventPoster();
    installTap([&](const KeyEvent& event) {
        if (event.key != kReturnCode || event.isOwnEvent) {
            return KeyDisposition::pass;
        }
        for (const bool isKeyDown : {true, false}) {
            SyntheticKeyEvent repost;
            repost.key = Key::enter;
            repost.isKeyDown = isKeyDown;
            poster.post(repost);
        }
        return KeyDisposition::swallow;
    });
    userKeyboard_->reload();
    user_->key(kReturn, true);
    ASSERT_TRUE(runUntil([&] { return tappedCount(kReturnCode) == 1; }));
    runFor(100ms);
    EXPECT_EQ(receivedCount(kReturn), 0u) << "nothing reaches the window while the key is down";
    EXPECT_EQ(poster.waitingCount(), 2u);
    user_->key(kReturn, false);
    EXPECT_TRUE(runUntil([&] { return receivedCount(kReturn) == 1; }));
    runFor(100ms);
    EXPECT_EQ(receivedCount(kReturn), 1u);
    EXPECT_EQ(poster.waitingCount(), 0u);
    EXPECT_EQ(desktop_->expectedKeys().pendingCount(), 0u) << "our Return came back as ours";
}

TEST_F(X11CaptureTest, ShortcutsAreHeldOnlyWithTheirModifiers) {
    desktop_->tapFactory().setShortcuts({ShortcutDefinition::altSpace()});
    installTap([](const KeyEvent& event) {
        return event.key == kSpaceCode && event.modifiers.has(Modifier::alt)
                   ? KeyDisposition::swallow
                   : KeyDisposition::pass;
    });
    userPresses({kSpace}, X11KeyboardState::kAltMask);
    userPresses({kSpace});
    ASSERT_TRUE(runUntil([&] { return tappedCount(kSpaceCode) == 2; }));
    EXPECT_TRUE(runUntil([&] { return receivedCount(kSpace) == 1; }));
    runFor(50ms);
    EXPECT_EQ(receivedCount(kSpace), 1u) << "Alt+Space never reached the window";
    EXPECT_EQ(tappedCount(kSpaceCode), 2u);
}

TEST_F(X11CaptureTest, PlovikTypesAnyTextInAnyGroupAndKnowsItsOwnKeys) {
    installTap([](const KeyEvent&) { return KeyDisposition::swallow; });
    auto& poster = desktop_->eventPoster();
    SyntheticKeyEvent typing;
    typing.text = "привет, Ёж!";
    poster.post(typing);
    ASSERT_TRUE(runUntil([&] { return window_->text() == "привет, Ёж!"; })) << window_->text();

    ASSERT_TRUE(
        desktop_->inputSources().select(desktop_->inputSources().enabledKeyboardSources()[1]));
    runFor(20ms);
    typing.text = "Hello\n";
    poster.post(typing);
    SyntheticKeyEvent backspace;
    backspace.key = Key::backspace;
    poster.post(backspace);
    backspace.isKeyDown = false;
    poster.post(backspace);
    ASSERT_TRUE(runUntil([&] { return window_->text() == "привет, Ёж!Hello"; })) << window_->text();
    runFor(50ms);
    EXPECT_EQ(tappedText(false), "") << "none of them counts as the user's";
    EXPECT_EQ(tappedCount(kReturnCode), 0u) << "our own Return went through the grab at once";
    EXPECT_EQ(receivedCount(kReturn), 1u);
    EXPECT_EQ(desktop_->expectedKeys().pendingCount(), 0u);
}

// The rehearsals' typist: the keys of Russian text, Space included, pressed while US is on.
TEST_F(X11CaptureTest, AUserTypesWithTheOtherLayoutInMindWhateverGroupIsLocked) {
    installTap();
    userKeyboard_->reload();
    ASSERT_TRUE(user_->pressKeysOf("привет, мир", 1));
    EXPECT_TRUE(runUntil([&] { return window_->text() == "ghbdtn? vbh"; })) << window_->text();
}

// Spare key codes are few (about twenty beside US and Russian): every letter of both
// alphabets, in both cases, is more than they can hold at once. The user's group is
// locked again after each edit, and no layout switch is reported for it.
TEST_F(X11CaptureTest, PlovikTypesBothAlphabetsInEitherGroupAndLeavesTheGroupAsItWas) {
    installTap();
    int switches = 0;
    auto subscription = desktop_->inputSources().observeSelectionChanges([&] { ++switches; });
    const std::string russian =
        "абвгдеёжзийклмнопрстуфхцчшщъыьэюя АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ, ";
    const std::string english = "The quick brown fox: JUMPS over 12 lazy dogs! ";
    auto& poster = desktop_->eventPoster();
    const auto sources = desktop_->inputSources().enabledKeyboardSources();
    ASSERT_EQ(sources.size(), 2u);
    // The server's first injected key swaps in the XTest keyboard's map, which reads as
    // a new key map: one key goes before the count starts.
    SyntheticKeyEvent space;
    space.text = " ";
    poster.post(space);
    std::string expected = " ";
    for (const auto& source : {sources[0], sources[1], sources[0]}) {
        ASSERT_TRUE(desktop_->inputSources().select(source));
        runFor(150ms);
        switches = 0;
        for (const auto& text : {russian, english}) {
            ASSERT_TRUE(poster.prepareText(text)) << text;
            SyntheticKeyEvent typing;
            typing.text = text;
            poster.post(typing);
            expected += text;
        }
        ASSERT_TRUE(runUntil([&] { return window_->text() == expected; })) << window_->text();
        runFor(50ms);
        EXPECT_EQ(desktop_->inputSources().currentSourceId(), source.id);
        EXPECT_EQ(switches, 0) << "Plovik's own group changes are not the user's, in "
                               << *source.id;
    }
    EXPECT_EQ(tappedText(false), "") << "none of them counts as the user's";
    EXPECT_EQ(desktop_->injector().boundSpareCount(), 0u) << "every letter has a group's key";
}

// Characters no group types borrow spare codes. When the few codes are all in recent use
// a text is refused whole before any key goes out; codes that have rested are lent again.
TEST_F(X11CaptureTest, CharactersOfNoGroupBorrowSpareCodesThatAreLentAgainAfterARest) {
    installTap();
    auto& poster = desktop_->eventPoster();
    const auto type = [&](const std::string& text) {
        if (!poster.prepareText(text)) {
            return false;
        }
        SyntheticKeyEvent typing;
        typing.text = text;
        poster.post(typing);
        return true;
    };
    const std::string first = "àáâãäåæçèé";
    ASSERT_TRUE(type(first));
    ASSERT_TRUE(runUntil([&] { return window_->text() == first; })) << window_->text();
    EXPECT_EQ(desktop_->injector().boundSpareCount(), 10u);
    // Its presses may still wait in a held keyboard when the code is lent again.
    EXPECT_FALSE(desktop_->injector().keyOf(U'à', 0)) << "a lent code is no key of the keyboard";

    EXPECT_FALSE(type("êëìíîïðñòóôõöøùúûüýþÿāăąćĉċčďđēĕėęěĝğġģĥħĩīĭįıĳĵķĸĺļľŀłńņňŋ"))
        << "more characters than spare codes";
    runFor(100ms);
    EXPECT_EQ(window_->text(), first) << "nothing of a refused text is typed";

    std::this_thread::sleep_for(XTestKeyTyper::kRebindAge + 100ms);
    const std::string later = "œŕŗřśŝşšţť";
    ASSERT_TRUE(type(later));
    EXPECT_TRUE(runUntil([&] { return window_->text() == first + later; })) << window_->text();
}

// Spare codes typed in a hold are lent again as soon as the application has read their
// keys, which it tells by answering a ping sent behind them. Until then it may still look
// the codes up anew for those keys (this window does, at each press), so they rest.
TEST_F(X11CaptureTest, SpareCodesTypedInAHoldAreLentAgainOnceTheApplicationHasReadTheirKeys) {
    window_->acceptPings();
    installTap();
    // A hold keeps a few spares for the user's keys; the rest of them type each text.
    const std::size_t perText = emptyKeycodeCount() - 1 - X11CaptureHold::kSparesForLateKeys;
    ASSERT_GE(perText, 4u);
    ASSERT_LE(2 * perText, kLettersOfNoGroup.size());
    const auto textNumber = [&](std::size_t n) { return lettersOfNoGroup(n, perText); };
    auto& holder = desktop_->keyboardHold();
    const auto typeHeld = [&](const std::string& text) {
        auto held = holder.hold(200ms);
        SyntheticKeyEvent typing;
        typing.text = text;
        return held && held->postAhead({typing});
    };
    const auto began = std::chrono::steady_clock::now();
    window_->setReading(false);
    ASSERT_TRUE(typeHeld(textNumber(0)));
    EXPECT_FALSE(typeHeld(textNumber(1))) << "the application has not read the first text";

    window_->setReading(true);
    ASSERT_TRUE(runUntil([&] { return window_->text() == textNumber(0); })) << window_->text();
    bool typed = false;
    for (int attempt = 0; attempt < 100 && !typed; ++attempt) {
        typed = typeHeld(textNumber(1));
        runFor(5ms);
    }
    EXPECT_TRUE(typed);
    EXPECT_LT(std::chrono::steady_clock::now() - began, XTestKeyTyper::kRebindAge)
        << "lent again by the answer, not by the rest";
    EXPECT_TRUE(runUntil([&] { return window_->text() == textNumber(0) + textNumber(1); }))
        << window_->text();
}

// Keys taken back from a held keyboard before any application saw them leave their spare
// codes free at once, but a code whose earlier keys may still be on their way rests.
TEST_F(X11CaptureTest, SpareCodesOfKeysTakenBackAreFreeAtOnceUnlessUsedBefore) {
    auto& typer = desktop_->injector();
    // One empty code is kept to type nothing.
    const std::size_t spares = emptyKeycodeCount() - 1;
    ASSERT_LE(2 * spares, kLettersOfNoGroup.size());
    const auto textNumber = [&](std::size_t n) { return lettersOfNoGroup(n, spares); };
    typer.beginBatch();
    typer.startLog();
    ASSERT_TRUE(typer.prepare(textNumber(0)));
    EXPECT_FALSE(typer.prepare(textNumber(1))) << "every code is taken in this batch";
    typer.withdrawBatch();
    EXPECT_EQ(typer.availableSpares(), spares);
    EXPECT_TRUE(typer.prepare(textNumber(1)));
    (void)typer.takeLog();

    typer.beginBatch();
    typer.startLog();
    ASSERT_TRUE(typer.prepare(textNumber(1)));
    typer.withdrawBatch();
    EXPECT_EQ(typer.availableSpares(), 0u) << "bound in the last batch, not yet read";
    (void)typer.takeLog();
}

// Whether a key of the user may still be on its way to the application is known on the
// capture thread, before the main thread has heard of the press.
TEST_F(X11CaptureTest, TheUsersPressesAreNumberedAsTheCaptureReadsThem) {
    installTap([](const KeyEvent& event) {
        return event.key == kReturnCode ? KeyDisposition::swallow : KeyDisposition::pass;
    });
    auto& taps = desktop_->tapFactory();
    EXPECT_EQ(taps.latestPress(), 0u);
    // The main loop is not turned.
    userPresses({kH});
    const auto deadline = std::chrono::steady_clock::now() + 2s;
    while (taps.latestPress() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    ASSERT_EQ(taps.latestPress(), 1u);
    EXPECT_TRUE(events_.empty()) << "numbered before the tap callback ran";
    EXPECT_TRUE(taps.hasPressGoneOnSince(0));
    EXPECT_FALSE(taps.hasPressGoneOnSince(1));
    ASSERT_TRUE(runUntil([&] { return events_.size() == 1; }));
    EXPECT_EQ(events_[0].pressNumber, 1u);

    // A swallowed Return never reaches the application; the next key does.
    userPresses({kReturn});
    ASSERT_TRUE(runUntil([&] { return tappedCount(kReturnCode) == 1; }));
    EXPECT_EQ(events_.back().pressNumber, 2u);
    EXPECT_FALSE(taps.hasPressGoneOnSince(1));
    userPresses({kG});
    ASSERT_TRUE(runUntil([&] { return events_.size() == 3; }));
    EXPECT_TRUE(taps.hasPressGoneOnSince(1));
    EXPECT_FALSE(taps.hasPressGoneOnSince(3));

    // Plovik's own keys are not the user's.
    SyntheticKeyEvent typing;
    typing.text = "x";
    desktop_->eventPoster().post(typing);
    ASSERT_TRUE(runUntil([&] { return tappedText(true) == "x"; }));
    EXPECT_EQ(taps.latestPress(), 3u);
    EXPECT_EQ(events_.back().pressNumber, 0u);
}

TEST_F(X11CaptureTest, OnlyTheNextExpectedXTestPressCountsAsOurs) {
    installTap();
    // Plovik expects a press that another program sends first: it is not taken for ours.
    desktop_->expectedKeys().expect(kH);
    userPresses({kH});
    ASSERT_TRUE(runUntil([&] { return events_.size() == 1; }));
    EXPECT_TRUE(events_[0].isOwnEvent) << "the XTest device is shared: the queue decides";
    events_.clear();
    userPresses({kG});
    ASSERT_TRUE(runUntil([&] { return events_.size() == 1; }));
    EXPECT_FALSE(events_[0].isOwnEvent);
}

}  // namespace
}  // namespace plovik::testing

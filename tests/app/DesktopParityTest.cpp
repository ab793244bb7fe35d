// What the real X11 desktop showed, on the simulated desktop: the same flows must give the
// same results on both (the X11 side is tested under Xvfb in the x11 and endtoend tests).
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "SessionSupport.h"

namespace plovik {
namespace {

using namespace std::chrono_literals;
using testing::makeSession;

// Presses the keys of the text `gap` apart, as a quick typist does.
void typeWithGap(SimulatedSession& session, std::string_view text, std::chrono::milliseconds gap) {
    for (const auto& stroke : session.strokesOf(text)) {
        session.desktop().pressStroke(stroke);
        session.mainQueue().advance(gap);
    }
}

TEST(DesktopParity, AKeyHeldDownLeavesTheWordUnknown) {
    auto session = makeSession();
    session->type("ghbdt");
    const auto n = session->strokesOf("n").front();
    EXPECT_EQ(session->desktop().holdStroke(n, 4), TapDisposition::pass);
    session->type(" ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtnnnnn ");
    EXPECT_FALSE(session->coordinator().statusMessage().get()) << "nothing was even tried";

    // Held at the start of a word, where the field's end still reads like the word.
    session->type("\n");
    session->settle();
    const auto g = session->strokesOf("g").front();
    session->desktop().holdStroke(g, 3);
    session->type("hbdtn ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtnnnnn \ngggghbdtn ");

    // The next word is a word again.
    session->type("vbh ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtnnnnn \ngggghbdtn мир ");
}

TEST(DesktopParity, AnApplicationThatShowsKeysLateIsCorrectedOnlyWhenItHasCaughtUp) {
    // It catches up within the delay before a correction: corrected.
    auto quick = makeSession();
    quick->desktop().setApplicationDelay(quick->mainQueue(), 20ms);
    quick->type("ghbdtn ");
    quick->settle();
    EXPECT_EQ(quick->fieldText(), "привет ");

    // It is still behind when the correction looks: the word is given up, nothing is
    // touched, and the keys still arrive in order.
    auto slow = makeSession();
    slow->desktop().setApplicationDelay(slow->mainQueue(), 60ms);
    slow->type("ghbdtn ");
    slow->settle();
    slow->mainQueue().advance(100ms);
    EXPECT_EQ(slow->fieldText(), "ghbdtn ");
    EXPECT_EQ(slow->coordinator().statusMessage().get().value_or("").find("→"), std::string::npos);
}

TEST(DesktopParity, TypingOnWhileACorrectionWaitsCancelsIt) {
    auto session = makeSession();
    // 20 ms per key: the next word's first key lands before the 35 ms delay is over.
    typeWithGap(*session, "ghbdtn lheu vjq ", 20ms);
    session->settle();
    EXPECT_EQ(session->fieldText(), "ghbdtn lheu мой ");
}

TEST(DesktopParity, ADeadKeyThenAKeyItDoesNotComposeWithTypesThatKeyAlone) {
    SimulatedSession::Configuration configuration;
    configuration.layoutIds = {"xkb:de", "xkb:us"};
    configuration.typedInId = "xkb:de";
    auto session = makeSession(configuration);
    // The key left of Backspace is a dead acute in German.
    session->pressStroke({Key::equal, {}});
    session->pressStroke({Key::q, {}});
    session->pressStroke({Key::equal, {}});
    session->pressStroke({Key::e, {}});
    session->settle();
    EXPECT_EQ(session->fieldText(), "qé");
}

// Two dead keys that do not compose (acute, then grave) drop both accents, and the key
// after them types alone, as on X11 with Qt and in the key capture (GTK 3 types the
// accents too, and a correction there gives up).
TEST(DesktopParity, TwoDeadKeysThatDoNotComposeDropBothAccents) {
    SimulatedSession::Configuration configuration;
    configuration.layoutIds = {"xkb:de", "xkb:ru"};
    configuration.typedInId = "xkb:de";
    auto session = makeSession(configuration);
    const PhysicalKeyStroke acute{Key::equal, {}};
    const PhysicalKeyStroke grave{Key::equal, {Modifier::shift}};
    session->type("hello ghbdtn");
    session->pressStroke(acute);
    session->pressStroke(grave);
    session->type(" ");
    session->settle();
    // The space ended the word; the accent keys are retyped in Russian with it.
    EXPECT_EQ(session->fieldText(), "hello привет=+ ");

    for (const auto& stroke :
         {acute, grave, PhysicalKeyStroke{Key::e, {}}, acute, grave, grave,
          PhysicalKeyStroke{Key::e, {}}, acute, grave, acute, PhysicalKeyStroke{Key::a, {}}}) {
        session->pressStroke(stroke);
    }
    session->type(" vbh ");
    session->settle();
    EXPECT_EQ(session->fieldText(), "hello привет=+ eèá мир ")
        << "after a dropped accent the next dead key starts afresh";
}

}  // namespace
}  // namespace plovik

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/ActivationNotifier.h"

namespace plovik {
namespace {

ApplicationActivation activationOf(const std::string& id) {
    RunningApplication application;
    application.processIdentifier = 100;
    application.bundleIdentifier = id;
    return ApplicationActivation{application};
}

std::string idOf(const ApplicationActivation& activation) {
    return activation.application ? activation.application->bundleIdentifier.value_or("") : "";
}

TEST(ActivationNotifier, TellsEachObserverInTurnUntilItsSubscriptionEnds) {
    std::vector<std::string> heard;
    auto notifier = std::make_unique<ActivationNotifier>();
    auto first = notifier->observe([&](const auto& a) { heard.push_back("first " + idOf(a)); });
    auto second = notifier->observe([&](const auto& a) { heard.push_back("second " + idOf(a)); });

    notifier->notify(activationOf("org.gnome.gedit"));
    first.cancel();
    notifier->notify(ApplicationActivation{std::nullopt});
    EXPECT_EQ(heard, (std::vector<std::string>{"first org.gnome.gedit", "second org.gnome.gedit",
                                               "second "}));

    notifier.reset();
    second.cancel();  // outliving the notifier is harmless
}

TEST(ActivationNotifier, ObserversMayComeAndGoWhileBeingNotified) {
    std::vector<std::string> heard;
    ActivationNotifier notifier;
    Subscription cancelled;
    Subscription late;
    auto first = notifier.observe([&](const auto& a) {
        heard.push_back("first " + idOf(a));
        cancelled.cancel();
        if (idOf(a) == "one") {
            late = notifier.observe([&](const auto& b) { heard.push_back("late " + idOf(b)); });
        }
    });
    cancelled = notifier.observe([&](const auto& a) { heard.push_back("cancelled " + idOf(a)); });

    notifier.notify(activationOf("one"));
    notifier.notify(activationOf("two"));
    EXPECT_EQ(heard, (std::vector<std::string>{"first one", "first two", "late two"}))
        << "a cancelled observer hears nothing more; a new one waits for the next activation";
}

TEST(ActivationNotifier, AnObserverMayDestroyTheNotifierThatTellsIt) {
    std::vector<std::string> heard;
    auto notifier = std::make_unique<ActivationNotifier>();
    auto first = notifier->observe([&](const auto&) {
        heard.push_back("first");
        notifier.reset();
    });
    auto second = notifier->observe([&](const auto&) { heard.push_back("second"); });

    notifier->notify(activationOf("org.gnome.gedit"));
    EXPECT_EQ(heard, std::vector<std::string>{"first"})
        << "the notifier is gone: no one else hears";
}

TEST(ActivationNotifier, AnotherWindowOfTheSameApplicationOrNoneIsNoActivation) {
    std::vector<std::string> heard;
    ActivationNotifier notifier;
    auto subscription = notifier.observe([&](const auto& a) { heard.push_back(idOf(a)); });
    notifier.startFrom(activationOf("org.gnome.gedit").application);

    notifier.notifyIfChanged(activationOf("org.gnome.gedit").application);
    notifier.notifyIfChanged(std::nullopt);
    notifier.notifyIfChanged(activationOf("org.kde.kate").application);
    notifier.notifyIfChanged(activationOf("org.kde.kate").application);
    notifier.notifyIfChanged(activationOf("org.gnome.gedit").application);
    EXPECT_EQ(heard, (std::vector<std::string>{"org.kde.kate", "org.gnome.gedit"}));
}

}  // namespace
}  // namespace plovik

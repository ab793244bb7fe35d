#include <gtest/gtest.h>

#include <atomic>

#include "fcitx5/FakeModule.h"
#include "platform/fcitx5/Fcitx5ModuleClient.h"

namespace plovik::testing {
namespace {

TEST(Fcitx5ModuleClient, ConnectsToAModuleOfItsOwnReleaseAndSaysWhyNotOtherwise) {
    Fcitx5ModuleClient nowhere(std::nullopt);
    EXPECT_NE(nowhere.connect()->find("XDG_RUNTIME_DIR"), std::string::npos);

    TemporaryDirectory empty;
    Fcitx5ModuleClient absent((empty.path() / "module.socket").string());
    const auto reason = absent.connect();
    ASSERT_TRUE(reason);
    EXPECT_NE(reason->find("does not answer"), std::string::npos) << *reason;

    FakeModule older(module::kProtocolVersion + 1);
    Fcitx5ModuleClient mismatched(older.path());
    const auto refused = mismatched.connect();
    ASSERT_TRUE(refused);
    EXPECT_NE(refused->find("same release"), std::string::npos) << *refused;
    EXPECT_FALSE(mismatched.isConnected());
}

TEST(Fcitx5ModuleClient, NoticesTheModuleGoingAndConnectsAgainWhenAsked) {
    FakeModule fake;
    Fcitx5ModuleClient client(fake.path());
    std::atomic<int> connections{0};
    std::atomic<int> losses{0};
    Fcitx5ModuleClient::Handlers handlers;
    handlers.connectionChanged = [&](bool connected) { ++(connected ? connections : losses); };
    client.setHandlers(handlers);
    TestLoop loop;
    ASSERT_FALSE(client.connect());
    EXPECT_TRUE(client.isConnected());
    EXPECT_FALSE(client.connect()) << "connecting again while connected changes nothing";
    EXPECT_TRUE(loop.runUntil([&] { return connections == 1; }));

    fake.hangUp();
    ASSERT_TRUE(loop.runUntil([&] { return losses == 1; }));
    EXPECT_FALSE(client.isConnected());
    EXPECT_FALSE(client.send(module::Sync{1}));
    EXPECT_FALSE(client.focusedField()) << "a field of a module that is gone is no field";

    ASSERT_FALSE(client.connect());
    EXPECT_TRUE(loop.runUntil([&] { return connections == 2; }));
    EXPECT_EQ(losses, 1);
}

TEST(Fcitx5ModuleClient, ClaimsEditsAndSyncsWaitForTheModulesWordAndNoLonger) {
    FakeModule fake;
    fake.respond([](const ModuleMessage& message) -> std::vector<ModuleMessage> {
        if (const auto* answer = std::get_if<module::Answer>(&message)) {
            // Press 1 is still held; press 2 has gone on.
            if (answer->sequence == 1) {
                return {module::PressTaken{1}};
            }
            return {module::PressWentOn{answer->sequence}};
        }
        if (const auto* edit = std::get_if<module::Edit>(&message)) {
            if (edit->before == "silence") {
                return {};
            }
            return {module::EditDone{edit->request, module::EditStatus::textChanged}};
        }
        if (const auto* sync = std::get_if<module::Sync>(&message)) {
            return {module::Synced{sync->request}};
        }
        return {};
    });
    Fcitx5ModuleClient client(fake.path());
    ASSERT_FALSE(client.connect());

    EXPECT_TRUE(client.claim(1));
    EXPECT_FALSE(client.claim(2));
    const auto answer = fake.next<module::Answer>();
    ASSERT_TRUE(answer);
    EXPECT_TRUE(answer->swallow) << "a claim asks to swallow";

    EXPECT_EQ(client.edit(module::Edit{0, 3, 4, "ghbdtn ", "привет ", {}}),
              module::EditStatus::textChanged);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.edit(module::Edit{0, 3, 4, "silence", "x", {}}));
    EXPECT_GE(std::chrono::steady_clock::now() - before, Fcitx5ModuleClient::kReplyLimit);
    EXPECT_TRUE(client.sync());
}

// The input method asked for goes with every edit that may carry it until one is made: a
// refused edit selects nothing, nor does an edit after the one made (taking it back), nor
// one that keeps keys typed after the word.
TEST(Fcitx5ModuleClient, AnInputMethodRidesWithEditsUntilOneIsMade) {
    FakeModule fake;
    fake.respond([](const ModuleMessage& message) -> std::vector<ModuleMessage> {
        if (const auto* edit = std::get_if<module::Edit>(&message)) {
            return {module::EditDone{edit->request, edit->before == "moved"
                                                        ? module::EditStatus::textChanged
                                                        : module::EditStatus::done}};
        }
        return {};
    });
    Fcitx5ModuleClient client(fake.path());
    ASSERT_FALSE(client.connect());
    const auto sentWith = [&](const std::string& before, bool mayCarry = true) {
        (void)client.edit(module::Edit{0, 3, 4, before, "x", {}}, mayCarry);
        const auto sent = fake.next<module::Edit>();
        return sent ? sent->selectAfter : std::string("(none sent)");
    };

    EXPECT_FALSE(client.selectWithNextEdit("keyboard-ru"));
    EXPECT_EQ(sentWith("ghbdtn l", false), "");
    EXPECT_EQ(sentWith("moved"), "keyboard-ru");
    EXPECT_EQ(sentWith("ghbdtn "), "keyboard-ru");
    EXPECT_EQ(sentWith("привет "), "");
    EXPECT_TRUE(client.selectWithNextEdit(std::nullopt)) << "an edit selected it";
    EXPECT_FALSE(client.selectWithNextEdit(std::nullopt));

    EXPECT_FALSE(client.selectWithNextEdit("keyboard-ru"));
    EXPECT_FALSE(client.selectWithNextEdit(std::nullopt)) << "asked for, never made";
    EXPECT_EQ(sentWith("ghbdtn "), "");
}

TEST(Fcitx5ModuleClient, KeepsTheFocusedFieldAndItsTextAsTheModuleDescribesThem) {
    FakeModule fake;
    Fcitx5ModuleClient client(fake.path());
    std::atomic<int> changes{0};
    Fcitx5ModuleClient::Handlers handlers;
    handlers.fieldChanged = [&] { ++changes; };
    client.setHandlers(handlers);
    ASSERT_FALSE(client.connect());

    fake.say(module::Focus{1, true, 0x40, "gedit", "dbus"});
    fake.say(module::Surrounding{1, true, "ab cd", 5, 5});
    fake.say(module::Surrounding{7, true, "another field's", 3, 3});
    fake.say(module::InputMethods{"keyboard-ru", {"keyboard-us", "keyboard-ru"}});
    ASSERT_TRUE(client.sync());
    auto field = client.focusedField();
    ASSERT_TRUE(field);
    EXPECT_EQ(field->focus.program, "gedit");
    EXPECT_EQ(field->surrounding, (module::Surrounding{1, true, "ab cd", 5, 5}));
    EXPECT_EQ(client.inputMethods().current, "keyboard-ru");
    EXPECT_EQ(changes, 3);

    fake.say(module::Focus{2, true, 0x40, "gedit", "dbus"});
    ASSERT_TRUE(client.sync());
    field = client.focusedField();
    EXPECT_FALSE(field->surrounding.valid) << "the new field's text is not known yet";

    fake.say(module::Press{41, 30, 0, "a", false, false});
    ASSERT_TRUE(client.sync());
    EXPECT_EQ(client.latestSequence(), 41u);
}

}  // namespace
}  // namespace plovik::testing

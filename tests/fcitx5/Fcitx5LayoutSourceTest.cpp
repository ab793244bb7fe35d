#include <gtest/gtest.h>

#include "fcitx5/FakeModule.h"
#include "platform/fcitx5/Fcitx5LayoutSource.h"

namespace plovik::testing {
namespace {

TEST(Fcitx5LayoutSource, KeyboardInputMethodsAreTheirXkbLayouts) {
    EXPECT_EQ(Fcitx5LayoutSource::sourceId("keyboard-us"), "xkb:us");
    EXPECT_EQ(Fcitx5LayoutSource::sourceId("keyboard-de-nodeadkeys"), "xkb:de(nodeadkeys)");
    EXPECT_EQ(Fcitx5LayoutSource::sourceId("keyboard-us-alt-intl"), "xkb:us(alt-intl)");
    EXPECT_EQ(Fcitx5LayoutSource::sourceId("pinyin"), "pinyin");
}

TEST(Fcitx5LayoutSource, ListsFcitxsLayoutsAndSwitchesBetweenThem) {
    FakeModule fake;
    module::InputMethods methods{"keyboard-us", {"keyboard-us", "keyboard-ru", "pinyin"}};
    fake.respond([&](const ModuleMessage& message) -> std::vector<ModuleMessage> {
        if (const auto* select = std::get_if<module::SelectInputMethod>(&message)) {
            methods.current = select->name;
            return {methods};
        }
        return {};
    });
    fake.say(methods);
    Fcitx5ModuleClient client(fake.path());
    TestLoop loop;
    XkbKeymapLibrary keymaps;
    Fcitx5LayoutSource sources(client, keymaps, loop.queue());
    int selections = 0;
    const auto subscription = sources.observeSelectionChanges([&] { ++selections; });
    Fcitx5ModuleClient::Handlers handlers;
    handlers.inputMethodsChanged = [&] { sources.inputMethodsChanged(); };
    client.setHandlers(handlers);
    ASSERT_FALSE(client.connect());
    ASSERT_TRUE(client.sync());
    EXPECT_TRUE(loop.runUntil([&] { return selections == 1; })) << "the greeting's list";

    const auto enabled = sources.enabledKeyboardSources();
    ASSERT_EQ(enabled.size(), 3u);
    EXPECT_EQ(enabled[1].id, "xkb:ru");
    EXPECT_TRUE(enabled[1].keyLayoutData) << "a layout comes with its key map";
    EXPECT_EQ(enabled[2].type, Fcitx5LayoutSource::kInputMethodType);
    EXPECT_EQ(sources.currentSourceId(), "xkb:us");

    EXPECT_TRUE(sources.select(enabled[1]));
    EXPECT_EQ(sources.currentSourceId(), "xkb:ru") << "switched by the time select returns";
    EXPECT_TRUE(loop.runUntil([&] { return selections == 2; })) << "the switch";
    EXPECT_FALSE(sources.select(*keymaps.inputSource("xkb:de"))) << "not one of Fcitx5's";
    client.close();
}

}  // namespace
}  // namespace plovik::testing

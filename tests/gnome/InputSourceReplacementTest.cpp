#include <gtest/gtest.h>

#include "platform/gnome/GnomeLayoutSource.h"
#include "platform/gnome/GnomeShellCurrentSource.h"
#include "platform/gnome/InputSourceReplacement.h"

namespace plovik {
namespace {

using Sources = std::vector<GnomeInputSource>;

TEST(InputSourceReplacementTest, EachLayoutBecomesPloviksEngineInItsPlaceAndOthersStay) {
    const Sources user{{"xkb", "us"}, {"ibus", "anthy"}, {"xkb", "ru+phonetic"}, {"xkb", "a b"}};
    const Sources replaced = InputSourceReplacement::replaced(user);
    EXPECT_EQ(replaced, (Sources{{"ibus", "plovik-us"},
                                 {"ibus", "anthy"},
                                 {"ibus", "plovik-ru+phonetic"},
                                 {"xkb", "a b"}}));
    EXPECT_TRUE(InputSourceReplacement::hasPlovikSources(replaced));
    EXPECT_FALSE(InputSourceReplacement::hasPlovikSources(user));
    EXPECT_EQ(InputSourceReplacement::restored(replaced, std::nullopt), user)
        << "the record lost, the layouts are still given back";
}

TEST(InputSourceReplacementTest, TheRecordGivesBackExactlyWhatWasThereUnlessTheUserChangedIt) {
    const Sources user{{"xkb", "us"}, {"xkb", "ru"}};
    const InputSourceReplacement::Record record{
        user, {{"xkb", "ru"}, {"xkb", "us"}}, InputSourceReplacement::replaced(user), true, {}};
    EXPECT_EQ(InputSourceReplacement::restored(record.applied, record), user);
    // The user added a layout to Plovik's list since: it is kept, as a layout.
    const Sources changed{{"ibus", "plovik-us"}, {"ibus", "plovik-ru"}, {"ibus", "plovik-de"}};
    EXPECT_EQ(InputSourceReplacement::restored(changed, record),
              (Sources{{"xkb", "us"}, {"xkb", "ru"}, {"xkb", "de"}}));
}

TEST(InputSourceReplacementTest, TheRecordIsReadBackAsWrittenAndOtherTextIsNotARecord) {
    InputSourceReplacement::Record record{{{"xkb", "us"}, {"xkb", "ua"}},
                                          {{"xkb", "ua"}},
                                          {{"ibus", "plovik-us"}, {"ibus", "plovik-ua"}},
                                          false,
                                          {}};
    const std::string text = record.text();
    EXPECT_NE(text.find("sources=[('xkb', 'us'), ('xkb', 'ua')]"), std::string::npos)
        << "as gsettings reads it: " << text;
    EXPECT_EQ(text.find("switch-to"), std::string::npos) << "no change under way";
    EXPECT_EQ(InputSourceReplacement::Record::parse(text), record);
    record.switchTo = GnomeInputSource{"ibus", "plovik-ua"};
    EXPECT_EQ(InputSourceReplacement::Record::parse(record.text()), record);
    EXPECT_FALSE(InputSourceReplacement::Record::parse("# nothing\n"));
    EXPECT_FALSE(InputSourceReplacement::Record::parse("sources=[('xkb')]\n"));
    EXPECT_FALSE(InputSourceReplacement::Record::parse("sources=[]\nmru-sources=oops\n"));
    EXPECT_FALSE(InputSourceReplacement::Record::parse(
        "sources=[]\nswitch-to=[('xkb', 'us'), ('xkb', 'ru')]\n"))
        << "one source is current, not two";
}

TEST(InputSourceReplacementTest, TheCurrentSourceLeadsTheOrderOfUse) {
    const Sources mru{{"ibus", "plovik-us"}, {"ibus", "anthy"}, {"ibus", "plovik-ru"}};
    EXPECT_EQ(InputSourceReplacement::orderOfUse(mru, GnomeInputSource{"ibus", "plovik-ru"}),
              (Sources{{"ibus", "plovik-ru"}, {"ibus", "plovik-us"}, {"ibus", "anthy"}}));
    EXPECT_EQ(InputSourceReplacement::orderOfUse({}, GnomeInputSource{"xkb", "ru"}),
              (Sources{{"xkb", "ru"}}))
        << "GNOME had not written an order yet";
    EXPECT_EQ(InputSourceReplacement::orderOfUse(mru, std::nullopt), mru);
    EXPECT_EQ(InputSourceReplacement::originals(mru),
              (Sources{{"xkb", "us"}, {"ibus", "anthy"}, {"xkb", "ru"}}));
}

TEST(InputSourceReplacementTest, TheShellHasTheWrittenListEvenWithSourcesItCannotOfferLeftOut) {
    const Sources written{{"ibus", "plovik-us"}, {"ibus", "anthy"}, {"ibus", "plovik-ru"}};
    EXPECT_TRUE(GnomeShellCurrentSource::shows(written, written));
    EXPECT_TRUE(
        GnomeShellCurrentSource::shows({{"ibus", "plovik-us"}, {"ibus", "plovik-ru"}}, written))
        << "IBus has no engine anthy";
    EXPECT_FALSE(GnomeShellCurrentSource::shows({{"xkb", "us"}, {"xkb", "ru"}}, written))
        << "the Shell still has the list from before";
    EXPECT_FALSE(GnomeShellCurrentSource::shows({{"xkb", "us"}}, written))
        << "the Shell's fallback while IBus restarts";
    EXPECT_FALSE(
        GnomeShellCurrentSource::shows({{"ibus", "plovik-ru"}, {"ibus", "plovik-us"}}, written))
        << "another order is another list";
}

TEST(InputSourceReplacementTest, PloviksEnginesAreTheLayoutsTheyDeclare) {
    EXPECT_EQ(GnomeLayoutSource::idOf({"ibus", "plovik-us+dvorak"}), "xkb:us(dvorak)");
    EXPECT_EQ(GnomeLayoutSource::idOf({"ibus", "plovik-ru"}), "xkb:ru");
    EXPECT_EQ(GnomeLayoutSource::idOf({"xkb", "ru"}), "gnome:xkb:ru")
        << "a layout Plovik's engines do not serve is not Plovik's layout";
    EXPECT_EQ(GnomeLayoutSource::idOf({"ibus", "anthy"}), "gnome:ibus:anthy");
}

}  // namespace
}  // namespace plovik

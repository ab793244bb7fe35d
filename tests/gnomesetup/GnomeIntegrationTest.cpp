#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <set>

#include "app/modes/GnomeIntegration.h"

namespace plovik {
namespace {

using Sources = std::vector<GnomeInputSource>;

// GNOME Shell's input sources as GNOME 43 keeps them: its own order of use, which it
// reads from the settings only as it starts, and whose first source it makes current
// whenever the list in the settings changes.
class FakeShell final : public GnomeCurrentSource {
  public:
    Sources listed;
    Sources used;
    bool answers = true;
    // Plovik stops as it asks the Shell to switch.
    bool stopOnActivate = false;

    struct Stopped {};

    void start(const Sources& sources, const Sources& mru) {
        listed = sources;
        used.clear();
        std::copy_if(mru.begin(), mru.end(), std::back_inserter(used), [&](const auto& source) {
            return std::find(sources.begin(), sources.end(), source) != sources.end();
        });
        takeUp(sources);
    }
    void takeUp(const Sources& sources) {
        Sources order;
        for (const auto& source : used) {
            if (std::find(sources.begin(), sources.end(), source) != sources.end()) {
                order.push_back(source);
            }
        }
        for (const auto& source : sources) {
            if (std::find(order.begin(), order.end(), source) == order.end()) {
                order.push_back(source);
            }
        }
        listed = sources;
        used = order;
    }
    GnomeInputSource currentOne() const { return used.front(); }

    std::optional<GnomeInputSource> current() override {
        return answers && !used.empty() ? std::optional(used.front()) : std::nullopt;
    }
    bool activate(const GnomeInputSource& source, const Sources& sources) override {
        if (stopOnActivate) {
            throw Stopped{};
        }
        const auto at = std::find(used.begin(), used.end(), source);
        if (!answers || listed != sources || at == used.end()) {
            return false;
        }
        std::rotate(used.begin(), at, at + 1);
        return true;
    }
};

class MemorySourceSettings final : public GnomeInputSourceSettings {
  public:
    explicit MemorySourceSettings(FakeShell& shell) : shell_(shell) {
        shell_.start(sources_, mru_);
    }

    Sources sources_{{"xkb", "us"}, {"xkb", "ru"}};
    Sources mru_{{"xkb", "ru"}, {"xkb", "us"}};
    bool writable = true;
    std::function<void()> beforeWrite;
    int writes = 0;

    void userChose(Sources sources, Sources mru) {
        sources_ = std::move(sources);
        mru_ = std::move(mru);
        shell_.start(sources_, mru_);
    }

    std::optional<Sources> sources() const override { return sources_; }
    std::optional<Sources> mruSources() const override { return mru_; }
    bool write(const Sources& sources, const Sources& mru) override {
        if (beforeWrite) {
            beforeWrite();
        }
        if (!writable) {
            return false;
        }
        ++writes;
        sources_ = sources;
        mru_ = mru;
        shell_.takeUp(sources);
        return true;
    }

  private:
    FakeShell& shell_;
};

class KnownEngines final : public IbusEngineRegistry {
  public:
    std::set<std::string> known;
    bool reloadFinds = true;
    int reloads = 0;

    std::optional<bool> knows(const std::vector<std::string>& names) override {
        return std::all_of(names.begin(), names.end(),
                           [&](const std::string& name) { return known.contains(name); });
    }
    bool reload(const std::vector<std::string>& names, std::chrono::milliseconds) override {
        ++reloads;
        if (reloadFinds) {
            known.insert(names.begin(), names.end());
        }
        return reloadFinds;
    }
};

class Extensions final : public GnomeExtensionControl {
  public:
    State current = State::inactive;
    int enables = 0;
    int disables = 0;

    State state(const std::string&) override { return current; }
    bool enable(const std::string&) override {
        ++enables;
        if (current != State::unknownToShell) {
            current = State::active;
        }
        return true;
    }
    bool disable(const std::string&) override {
        ++disables;
        current = State::inactive;
        return true;
    }
};

class GnomeIntegrationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "plovik-integration-XXXXXX").string();
        ASSERT_TRUE(::mkdtemp(pattern.data()));
        folder_ = pattern;
        integration_ = startPlovik();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // Plovik's integration as a new start of Plovik finds it.
    std::unique_ptr<GnomeIntegration> startPlovik() {
        return std::make_unique<GnomeIntegration>(GnomeIntegration::Collaborators{
            settings_, engines_, extensions_, shell_, AtomicFile(record()),
            [](const GnomeInputSource& source) { return "layout " + source.id; },
            [](const ShortcutDefinition&) { return true; },
            [this](const ShortcutDefinition&) { return ++freed_ > 0; }});
    }

    std::filesystem::path record() const { return folder_ / "plovik" / "gnome-input-sources"; }

    std::filesystem::path folder_;
    FakeShell shell_;
    MemorySourceSettings settings_{shell_};
    KnownEngines engines_;
    Extensions extensions_;
    int freed_ = 0;
    std::unique_ptr<GnomeIntegration> integration_;
};

TEST_F(GnomeIntegrationTest, TurningOnReplacesEachLayoutInPlaceKeepsTheCurrentOneAndRecordsFirst) {
    bool recordedBeforeTheChange = false;
    settings_.beforeWrite = [&] { recordedBeforeTheChange = std::filesystem::exists(record()); };
    const auto status = integration_->status();
    EXPECT_FALSE(status.isOn);
    EXPECT_EQ(status.changes, (std::vector<std::string>{"layout us", "layout ru"}));

    EXPECT_EQ(integration_->turnOn(), std::nullopt);
    EXPECT_TRUE(recordedBeforeTheChange);
    EXPECT_EQ(settings_.sources_, (Sources{{"ibus", "plovik-us"}, {"ibus", "plovik-ru"}}));
    EXPECT_EQ(settings_.mru_, (Sources{{"ibus", "plovik-ru"}, {"ibus", "plovik-us"}}));
    EXPECT_EQ(shell_.currentOne(), (GnomeInputSource{"ibus", "plovik-ru"}))
        << "Russian was the current source";
    EXPECT_EQ(engines_.reloads, 1) << "IBus had not read Plovik's engines for these layouts";
    EXPECT_EQ(extensions_.current, GnomeExtensionControl::State::active);
    EXPECT_TRUE(integration_->status().isOn);
    const auto kept = integration_->record();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->sources, (Sources{{"xkb", "us"}, {"xkb", "ru"}}));
    EXPECT_EQ(kept->switchTo, std::nullopt) << "the change is done";
    EXPECT_EQ(std::filesystem::status(record()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(GnomeIntegrationTest, TurningOffGivesEverythingBackExactly) {
    settings_.userChose({{"xkb", "us"}, {"ibus", "anthy"}, {"xkb", "ru"}},
                        {{"xkb", "ru"}, {"xkb", "us"}});
    const Sources original = settings_.sources_;
    ASSERT_EQ(integration_->turnOn(), std::nullopt);
    ASSERT_EQ(integration_->turnOff(), std::nullopt);
    EXPECT_EQ(settings_.sources_, original);
    EXPECT_EQ(settings_.mru_, (Sources{{"xkb", "ru"}, {"xkb", "us"}}));
    EXPECT_EQ(shell_.currentOne(), (GnomeInputSource{"xkb", "ru"}))
        << "Russian stays the current source";
    EXPECT_EQ(extensions_.disables, 1) << "Plovik turned its extension on, so it turns it off";
    EXPECT_FALSE(std::filesystem::exists(record()));
    EXPECT_FALSE(integration_->status().isOn);
}

TEST_F(GnomeIntegrationTest, TheSourceInUseIsKeptNotTheOrderTheSettingsLastSaw) {
    ASSERT_EQ(integration_->turnOn(), std::nullopt);
    // Plovik's own switches, like GNOME's per-window sources, leave the settings' order.
    ASSERT_TRUE(shell_.activate({"ibus", "plovik-us"}, settings_.sources_));
    ASSERT_EQ(settings_.mru_.front(), (GnomeInputSource{"ibus", "plovik-ru"}));
    ASSERT_EQ(integration_->turnOff(), std::nullopt);
    EXPECT_EQ(shell_.currentOne(), (GnomeInputSource{"xkb", "us"}));
    EXPECT_EQ(settings_.mru_, (Sources{{"xkb", "us"}, {"xkb", "ru"}}))
        << "the Shell reads this order at the next log-in";
}

TEST_F(GnomeIntegrationTest, PlovikStoppedBeforeTheSwitchSwitchesAsItStartsAgain) {
    shell_.stopOnActivate = true;
    EXPECT_THROW((void)integration_->turnOn(), FakeShell::Stopped);
    EXPECT_EQ(shell_.currentOne(), (GnomeInputSource{"ibus", "plovik-us"})) << "GNOME's pick";
    EXPECT_EQ(settings_.mru_.front(), (GnomeInputSource{"ibus", "plovik-ru"}));
    shell_.stopOnActivate = false;
    integration_ = startPlovik();
    integration_->settleUnfinishedChange();
    EXPECT_EQ(shell_.currentOne(), (GnomeInputSource{"ibus", "plovik-ru"}));
    ASSERT_TRUE(integration_->record());
    EXPECT_EQ(integration_->record()->switchTo, std::nullopt);
    // Switched once only: the user's own switches after that stay.
    ASSERT_TRUE(shell_.activate({"ibus", "plovik-us"}, settings_.sources_));
    integration_->settleUnfinishedChange();
    EXPECT_EQ(shell_.currentOne(), (GnomeInputSource{"ibus", "plovik-us"}));

    ASSERT_TRUE(shell_.activate({"ibus", "plovik-ru"}, settings_.sources_));
    shell_.stopOnActivate = true;
    EXPECT_THROW((void)integration_->turnOff(), FakeShell::Stopped);
    EXPECT_EQ(shell_.currentOne(), (GnomeInputSource{"xkb", "us"}));
    shell_.stopOnActivate = false;
    integration_ = startPlovik();
    integration_->settleUnfinishedChange();
    EXPECT_EQ(shell_.currentOne(), (GnomeInputSource{"xkb", "ru"}));
    EXPECT_EQ(settings_.sources_, (Sources{{"xkb", "us"}, {"xkb", "ru"}}));
    EXPECT_FALSE(std::filesystem::exists(record())) << "nothing of Plovik's is left to give back";
}

TEST_F(GnomeIntegrationTest, WithoutTheExtensionTheOrderOfUseCarriesTheCurrentSource) {
    shell_.answers = false;
    ASSERT_EQ(integration_->turnOn(), std::nullopt);
    EXPECT_EQ(settings_.mru_, (Sources{{"ibus", "plovik-ru"}, {"ibus", "plovik-us"}}))
        << "GNOME makes it current at the next log-in";
    EXPECT_EQ(integration_->record()->switchTo, std::nullopt);
}

TEST_F(GnomeIntegrationTest, AnExtensionTheUserHadOnAndLayoutsAddedSinceStay) {
    extensions_.current = GnomeExtensionControl::State::active;
    ASSERT_EQ(integration_->turnOn(), std::nullopt);
    settings_.sources_.push_back({"ibus", "plovik-de"});
    shell_.takeUp(settings_.sources_);
    ASSERT_EQ(integration_->turnOff(), std::nullopt);
    EXPECT_EQ(settings_.sources_, (Sources{{"xkb", "us"}, {"xkb", "ru"}, {"xkb", "de"}}));
    EXPECT_EQ(extensions_.disables, 0);
}

TEST_F(GnomeIntegrationTest, NothingChangesWhenIBusCannotOfferTheEnginesOrTheSettingsRefuse) {
    engines_.reloadFinds = false;
    EXPECT_TRUE(integration_->turnOn().has_value());
    EXPECT_EQ(settings_.sources_, (Sources{{"xkb", "us"}, {"xkb", "ru"}}));
    EXPECT_EQ(settings_.writes, 0);

    engines_.reloadFinds = true;
    settings_.writable = false;
    EXPECT_TRUE(integration_->turnOn().has_value());
    EXPECT_EQ(settings_.sources_, (Sources{{"xkb", "us"}, {"xkb", "ru"}}));
    // Plovik stopped here would find the record of a change never made, and drop it.
    ASSERT_TRUE(std::filesystem::exists(record()));
    integration_->settleUnfinishedChange();
    EXPECT_FALSE(std::filesystem::exists(record()));
}

TEST_F(GnomeIntegrationTest, ARecordOfAChangeMadeStaysAndKnownEnginesNeedNoReload) {
    engines_.known = {"plovik-us", "plovik-ru"};
    ASSERT_EQ(integration_->turnOn(), std::nullopt);
    EXPECT_EQ(engines_.reloads, 0);
    integration_->settleUnfinishedChange();
    EXPECT_TRUE(std::filesystem::exists(record()));
    // Turning on again keeps the user's original sources in the record.
    ASSERT_EQ(integration_->turnOn(), std::nullopt);
    EXPECT_EQ(integration_->record()->sources, (Sources{{"xkb", "us"}, {"xkb", "ru"}}));
}

TEST_F(GnomeIntegrationTest, AShellThatDoesNotKnowTheExtensionYetNeedsALogOut) {
    extensions_.current = GnomeExtensionControl::State::unknownToShell;
    ASSERT_EQ(integration_->turnOn(), std::nullopt);
    EXPECT_EQ(extensions_.enables, 1) << "listed for the next log-in";
    EXPECT_TRUE(integration_->status().needsLogOut);
    EXPECT_TRUE(integration_->status().isOn) << "the sources work already";
}

TEST_F(GnomeIntegrationTest, TheWindowMenusShortcutIsGivenUpOnlyOnRequest) {
    const ShortcutDefinition altSpace(Key::space, Modifier::alt);
    EXPECT_TRUE(integration_->desktopTakes(altSpace));
    EXPECT_EQ(freed_, 0);
    EXPECT_TRUE(integration_->freeForPlovik(altSpace));
    EXPECT_EQ(freed_, 1);
}

}  // namespace
}  // namespace plovik

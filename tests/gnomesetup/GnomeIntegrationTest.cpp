#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/modes/GnomeIntegration.h"

namespace plovik {
namespace {

using Sources = std::vector<GnomeInputSource>;

class MemorySourceSettings final : public GnomeInputSourceSettings {
  public:
    Sources sources_{{"xkb", "us"}, {"xkb", "ru"}};
    Sources mru_{{"xkb", "ru"}, {"xkb", "us"}};
    bool writable = true;
    std::function<void()> beforeWrite;
    int writes = 0;

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
        return true;
    }
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
        integration_ = std::make_unique<GnomeIntegration>(GnomeIntegration::Collaborators{
            settings_, engines_, extensions_, AtomicFile(record()),
            [this](std::size_t index) {
                activated_.push_back(index);
                return true;
            },
            [](const GnomeInputSource& source) { return "layout " + source.id; },
            [](const ShortcutDefinition&) { return true; },
            [this](const ShortcutDefinition&) { return ++freed_ > 0; }});
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path record() const { return folder_ / "plovik" / "gnome-input-sources"; }

    std::filesystem::path folder_;
    MemorySourceSettings settings_;
    KnownEngines engines_;
    Extensions extensions_;
    std::vector<std::size_t> activated_;
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
    EXPECT_EQ(activated_, std::vector<std::size_t>{1}) << "Russian was the current source";
    EXPECT_EQ(engines_.reloads, 1) << "IBus had not read Plovik's engines for these layouts";
    EXPECT_EQ(extensions_.current, GnomeExtensionControl::State::active);
    EXPECT_TRUE(integration_->status().isOn);
    const auto kept = integration_->record();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->sources, (Sources{{"xkb", "us"}, {"xkb", "ru"}}));
    EXPECT_EQ(std::filesystem::status(record()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(GnomeIntegrationTest, TurningOffGivesEverythingBackExactly) {
    settings_.sources_ = {{"xkb", "us"}, {"ibus", "anthy"}, {"xkb", "ru"}};
    const Sources original = settings_.sources_;
    ASSERT_EQ(integration_->turnOn(), std::nullopt);
    ASSERT_EQ(integration_->turnOff(), std::nullopt);
    EXPECT_EQ(settings_.sources_, original);
    EXPECT_EQ(settings_.mru_, (Sources{{"xkb", "ru"}, {"xkb", "us"}}));
    EXPECT_EQ(activated_.back(), 2u) << "Russian stays the current source";
    EXPECT_EQ(extensions_.disables, 1) << "Plovik turned its extension on, so it turns it off";
    EXPECT_FALSE(std::filesystem::exists(record()));
    EXPECT_FALSE(integration_->status().isOn);
}

TEST_F(GnomeIntegrationTest, AnExtensionTheUserHadOnAndLayoutsAddedSinceStay) {
    extensions_.current = GnomeExtensionControl::State::active;
    ASSERT_EQ(integration_->turnOn(), std::nullopt);
    settings_.sources_.push_back({"ibus", "plovik-de"});
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

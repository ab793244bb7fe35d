#include <fstream>

#include "apps/PageServer.h"
#include "apps/RealApplicationTest.h"
#include "core/replacement/AccessibleText.h"

namespace plovik::testing {
namespace {

using Launch = ApplicationLaunch;

// LibreOffice with a profile of its own: no first-start dialogs, and AutoCorrect leaves
// the first letter of a sentence alone (it would capitalise the typed word, which Plovik
// then no longer finds) and completes no words.
Launch libreOfficeWriter(const std::filesystem::path& folder) {
    const auto profile = folder / "libreoffice";
    const auto item = [](const std::string& path, const std::string& name,
                         const std::string& value) {
        return "<item oor:path=\"" + path + "\"><prop oor:name=\"" + name +
               "\" oor:op=\"fuse\"><value>" + value + "</value></prop></item>\n";
    };
    writeFile(
        profile / "user" / "registrymodifications.xcu",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
        "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n" +
            item("/org.openoffice.Office.Common/Misc", "ShowTipOfTheDay", "false") +
            item("/org.openoffice.Office.Common/Misc", "FirstRun", "false") +
            item("/org.openoffice.Office.Common/AutoCorrect", "CapitalStartSentence", "false") +
            item("/org.openoffice.Office.Writer/AutoFunction/Completion", "Enable", "false") +
            "</oor:items>\n");
    return {
        "soffice",
        {"--writer", "--norestore", "--nologo", "-env:UserInstallation=file://" + profile.string()},
        {"SAL_USE_VCLPLUGIN=gtk3"}};
}

// Editors whose text view Plovik edits through accessibility.
struct Editor {
    const char* name;
    const char* desktopId;
    std::function<Launch(const std::filesystem::path&)> launch;
    // Each paragraph is an object of its own.
    bool hasParagraphs = false;
    std::chrono::milliseconds keyInterval = kKeyInterval;
};

void PrintTo(const Editor& editor, std::ostream* out) {
    *out << editor.name;
}

class EditorTest : public RealApplicationTest, public ::testing::WithParamInterface<Editor> {};

TEST_P(EditorTest, LinesEndAsInTheSimulatedApplicationAndUndoRestoresTheWord) {
    keyInterval_ = GetParam().keyInterval;
    start(GetParam().desktopId, GetParam().launch(folder()));
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    FocusedFieldReader field(*atspi_, applicationPid());
    const auto read = [&] {
        return GetParam().hasParagraphs ? field.documentText() : field.text();
    };
    const auto ready = waitFor(
        read, [](const std::string&) { return true; }, 30s);
    ASSERT_TRUE(ready) << "no focused text field\n" << rehearsal_->log();
    const std::size_t before = ready->size();
    const std::string keys = typeLines(kLines, "\n");
    EXPECT_EQ(settledText(read, before), simulated(keys)) << rehearsal_->log();
    EXPECT_TRUE(undoRestoresTheTypedWord(read));
}

INSTANTIATE_TEST_SUITE_P(
    Toolkits, EditorTest,
    ::testing::Values(
        Editor{"Gtk3Mousepad", "org.xfce.mousepad",
               [](const auto&) {
                   return Launch{"mousepad", {"--disable-server"}, {}};
               }},
        Editor{"Gtk4TextEditor", "org.gnome.TextEditor",
               [](const auto&) {
                   return Launch{"gnome-text-editor", {"--standalone", "--new-window"}, {}};
               },
               false, 300ms},
        Editor{"Qt5FeatherPad", "featherpad",
               [](const auto&) {
                   return Launch{"featherpad", {}, {}};
               }},
        Editor{"LibreOfficeWriter", "libreoffice-writer", libreOfficeWriter, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plovik::testing

namespace plovik::testing {
namespace {

Launch firefox(const std::filesystem::path& folder, const std::string& url) {
    const auto profile = folder / "firefox";
    std::string preferences;
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"browser.shell.checkDefaultBrowser", "false"},
             {"browser.aboutwelcome.enabled", "false"},
             {"browser.startup.homepage_override.mstone", "\"ignore\""},
             {"datareporting.policy.dataSubmissionEnabled", "false"},
             {"toolkit.telemetry.reportingpolicy.firstRun", "false"},
             {"browser.sessionstore.resume_from_crash", "false"},
             {"signon.rememberSignons", "false"},
             {"network.captive-portal-service.enabled", "false"}}) {
        preferences += "user_pref(\"" + name + "\", " + value + ");\n";
    }
    writeFile(profile / "user.js", preferences);
    return {"firefox-esr", {"--no-remote", "--profile", profile.string(), url}, {}};
}

Launch chromium(const std::filesystem::path& folder, const std::string& url, bool accessible) {
    std::vector<std::string> arguments{"--no-sandbox",
                                       "--disable-background-networking",
                                       "--disable-component-update",
                                       "--disable-sync",
                                       "--no-first-run",
                                       "--no-default-browser-check",
                                       "--password-store=basic",
                                       "--user-data-dir=" + (folder / "chromium").string()};
    if (accessible) {
        arguments.push_back("--force-renderer-accessibility");
    }
    arguments.push_back(url);
    return {"chromium", arguments, {}};
}

struct Browser {
    const char* name;
    const char* desktopId;
    std::function<Launch(const std::filesystem::path&, const std::string&)> launch;
    // Whether Plovik can see its fields at all.
    bool corrects = true;
};

void PrintTo(const Browser& browser, std::ostream* out) {
    *out << browser.name;
}

class BrowserTest : public RealApplicationTest, public ::testing::WithParamInterface<Browser> {
  protected:
    // What the page holds in `field`, and what it should hold after `keys`.
    // A space typed at the end of the editable block shows as a no-break space.
    std::function<std::optional<std::string>()> reader(const char* field) {
        return [this, field]() -> std::optional<std::string> {
            const auto value = page_.value(field);
            return value ? std::optional(AccessibleText::withTypedSpaces(*value)) : std::nullopt;
        };
    }
    std::string expected(const std::string& keys) {
        return GetParam().corrects ? simulated(keys, GetParam().desktopId) : keys;
    }
    void nextField() {
        rehearsal_->pressKey(kTabKey);
        std::this_thread::sleep_for(500ms);
    }

    PageServer page_;
};

// The text area, the line and the editable block each end as in the simulated
// application (or as typed where Plovik cannot see the field); the password is never
// touched; undo brings back the typed word.
TEST_P(BrowserTest, EveryKindOfFieldEndsAsInTheSimulatedApplication) {
    start(GetParam().desktopId, GetParam().launch(folder(), page_.url()));
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    ASSERT_TRUE(waitFor(
        reader(PageServer::kBlock), [](const auto&) { return true; }, 60s))
        << "the page did not load\n"
        << rehearsal_->log();
    // The field has the focus once the browser has drawn it.
    std::this_thread::sleep_for(2s);

    const std::string lines = typeLines(kLines, "\n");
    EXPECT_EQ(settledText(reader(PageServer::kArea)), expected(lines)) << rehearsal_->log();

    nextField();
    const std::string line = typeLines({kLine}, " ");
    EXPECT_EQ(settledText(reader(PageServer::kLine)), expected(line)) << rehearsal_->log();

    nextField();
    const int before = corrections();
    rehearsal_->typeKeys("ghbdtn ", 0, keyInterval_);
    EXPECT_EQ(settledText(reader(PageServer::kSecret)), "ghbdtn ");
    EXPECT_EQ(corrections(), before) << "a password is never read or changed";

    nextField();
    const std::string block = typeLines({kLine}, " ");
    EXPECT_EQ(settledText(reader(PageServer::kBlock)), expected(block)) << rehearsal_->log();
    if (GetParam().corrects) {
        EXPECT_TRUE(undoRestoresTheTypedWord(reader(PageServer::kBlock)));
    } else {
        EXPECT_TRUE(reasonIsShown());
    }
}

INSTANTIATE_TEST_SUITE_P(Browsers, BrowserTest,
                         ::testing::Values(Browser{"FirefoxEsr", "firefox-esr", firefox},
                                           Browser{"ChromiumAccessible", "chromium",
                                                   [](const auto& folder, const auto& url) {
                                                       return chromium(folder, url, true);
                                                   }},
                                           Browser{"ChromiumPlain", "chromium",
                                                   [](const auto& folder, const auto& url) {
                                                       return chromium(folder, url, false);
                                                   },
                                                   false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plovik::testing

namespace plovik::testing {
namespace {

// A shell that keeps every line it reads in a history file: what the terminal really
// passed on, with no accessibility needed.
Launch shellIn(const std::string& terminal, const std::vector<std::string>& prefix,
               const std::filesystem::path& folder) {
    std::vector<std::string> arguments = prefix;
    for (const auto* argument : {"bash", "--norc", "--noprofile", "-i"}) {
        arguments.emplace_back(argument);
    }
    return {terminal,
            arguments,
            {"HISTFILE=" + (folder / "history").string(), "PROMPT_COMMAND=history -a", "PS1=$ "}};
}

struct Terminal {
    const char* name;
    const char* desktopId;
    std::function<Launch(const std::filesystem::path&)> launch;
};

void PrintTo(const Terminal& terminal, std::ostream* out) {
    *out << terminal.name;
}

class TerminalTest : public RealApplicationTest, public ::testing::WithParamInterface<Terminal> {
  protected:
    std::function<std::optional<std::string>()> history() {
        return [this]() -> std::optional<std::string> { return readFile(folder() / "history"); };
    }
    // Lines the shell takes as comments, as the user typed them.
    std::string typeComments(const std::vector<std::string>& lines) {
        std::string keys;
        for (const auto& line : lines) {
            rehearsal_->typeKeys("#", 0, keyInterval_);
            rehearsal_->typeKeys(" " + line + "\n", 1, keyInterval_);
            keys += "# " + usKeysOf(line) + "\n";
        }
        return keys;
    }
};

// A terminal offers no text field: nothing typed at its prompt is touched, a secret read
// without echo is exactly what was typed, and the Applications tab says why.
TEST_P(TerminalTest, WordsAtThePromptAndAPasswordStayAsTyped) {
    start(GetParam().desktopId, GetParam().launch(folder()));
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    // The shell answers once it is up; what it read until then does not count.
    const std::string ready = "echo ready\n";
    std::optional<std::string> started;
    for (int attempt = 0; attempt < 10 && !started; ++attempt) {
        if (rehearsal_->activateWindowOf(applicationPid())) {
            rehearsal_->typeKeys(ready, 0);
        }
        started = waitFor(
            history(), [&](const std::string& text) { return text.ends_with(ready); }, 3s);
        started = started && started->ends_with(ready) ? started : std::nullopt;
    }
    ASSERT_TRUE(started) << "the shell did not come up";
    const std::size_t before = started->size();
    const std::string keys = typeComments(kLines);
    EXPECT_EQ(settledText(history(), before), keys);

    const auto secret = folder() / "secret";
    rehearsal_->typeKeys("read -rs s; printf %s \"$s\" >" + secret.string() + "\n", 0);
    std::this_thread::sleep_for(500ms);
    rehearsal_->typeKeys("ghbdtn\n", 0, keyInterval_);
    EXPECT_EQ(settledText([&]() -> std::optional<std::string> { return readFile(secret); }),
              "ghbdtn");
    EXPECT_EQ(corrections(), 0) << rehearsal_->log();
    EXPECT_TRUE(reasonIsShown());
}

INSTANTIATE_TEST_SUITE_P(
    Terminals, TerminalTest,
    ::testing::Values(Terminal{"Xterm", "debian-xterm",
                               [](const auto& folder) { return shellIn("xterm", {"-e"}, folder); }},
                      Terminal{
                          "Xfce4Terminal", "xfce4-terminal",
                          [](const auto& folder) {
                              return shellIn("xfce4-terminal", {"--disable-server", "-x"}, folder);
                          }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plovik::testing

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/platform/Clock.h"
#include "core/platform/SettingsFiles.h"
#include "core/settings/AppSettings.h"
#include "core/settings/SettingsDocument.h"
#include "core/settings/SettingsEdit.h"
#include "core/support/Published.h"
#include "core/text/LocalizedComparison.h"

namespace plovik {

// Owns the current settings, publishes every change and then stores it under one key of the
// defaults database. Other programs may store there too (a second copy, a file sync, the
// user's editor): what they store is taken in as soon as the database reports it, and a
// change made here is made, member by member, to the document as it is stored by then, so
// neither side loses the other's changes. Main thread only.
class SettingsStore final {
  public:
    static constexpr const char* kStandardStorageKey = "Plovik.AppSettings.v1";

    // Loads at once; a missing document gives the defaults, and every setting that cannot be
    // read its default (the document is then kept aside under another key). The clock names
    // that copy; the comparison orders applications.
    SettingsStore(SettingsFiles& defaults, std::string storageKey, const Clock& clock,
                  text::LocalizedComparison nameOrder);
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    const AppSettings& settings() const { return settings_.get(); }
    // Delivers the current settings at once, then every assignment before it is stored.
    [[nodiscard]] Subscription subscribe(Published<AppSettings>::Observer observer) {
        return settings_.subscribe(std::move(observer));
    }
    const std::string& storageKey() const { return storageKey_; }
    // The stored document could not be read at all (permissions, I/O error, not a file):
    // it is left untouched, and changes are kept for this run only.
    bool storedDocumentUnreadable() const { return storedDocumentUnreadable_; }
    // What went wrong reading or saving the settings, one line each for the user; empty
    // when nothing did.
    const std::vector<std::string>& problems() const { return problems_.get(); }
    [[nodiscard]] Subscription subscribeProblems(
        Published<std::vector<std::string>>::Observer observer) {
        return problems_.subscribe(std::move(observer));
    }

    // The edit receives a copy of the current settings; the result replaces them.
    void update(const std::function<void(AppSettings&)>& edit);
    // Replaces any entry with the same identifier and keeps the list sorted by name.
    void addApplication(EnabledApplication application);
    // Replaces the first entry with the same identifier in place, or appends.
    void updateApplication(EnabledApplication application);
    void removeApplication(const std::string& bundleIdentifier);
    // Back to the defaults, and the stored document is removed.
    void reset();
    // Takes in what is stored now; the database's change reports call it.
    void reload();

  private:
    AppSettings load();
    // The settings a stored document holds, members it lacks or spoils taken from `fallback`.
    AppSettings adopt(const std::vector<std::uint8_t>& document, const AppSettings& fallback,
                      bool atStart);
    // Stores what changed since the settings were last stored or read.
    void persist();
    // The stored document with the change made to it; absent when it must not be written.
    std::optional<nlohmann::json> mergedDocument(const SettingsEdit& edit, const AppSettings& after,
                                                 bool& othersChanged);
    // The settings to take in when others had changed the document; absent otherwise.
    std::optional<AppSettings> write(const nlohmann::json& document, const AppSettings& after,
                                     bool othersChanged);
    void noteUnreadableFields(std::vector<SettingsFieldProblem> problems, bool atStart);
    bool preserveUnreadableDocument();
    std::string preservedKey() const;
    std::string readProblem() const;
    void publishProblems();

    SettingsFiles& defaults_;
    std::string storageKey_;
    const Clock& clock_;
    text::LocalizedComparison nameOrder_;
    // The document as this store last read or wrote it; absent when there was none.
    std::optional<std::vector<std::uint8_t>> knownDocument_;
    // The settings that document holds: a write stores every change made since, also those
    // an earlier write that failed could not.
    AppSettings storedSettings_;
    // A stored document that could not be read; kept aside before it is overwritten.
    std::optional<std::vector<std::uint8_t>> unreadableDocument_;
    // Where the last one was kept aside.
    std::optional<std::string> preservedLocation_;
    bool storedDocumentUnreadable_ = false;
    // Set while this store writes: the database's report of it is no news.
    bool writing_ = false;
    // Why the stored entry could not be read at all.
    std::optional<std::string> entryProblem_;
    // The members of the stored document that could not be read, and whether that was at
    // start (defaults stood in) or later (the values in use stayed).
    std::vector<SettingsFieldProblem> fieldProblems_;
    bool fieldProblemsAtStart_ = true;
    // Why the damaged document could not be copied aside yet.
    std::optional<std::string> preserveProblem_;
    std::optional<std::string> saveProblem_;
    Published<AppSettings> settings_;
    Published<std::vector<std::string>> problems_;
    // Last, so that no report arrives while the rest is torn down.
    Subscription changes_;
};

}  // namespace plovik

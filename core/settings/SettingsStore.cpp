#include "core/settings/SettingsStore.h"

#include <algorithm>
#include <ctime>

namespace plovik {
namespace {

// Problems named in one message; the rest are counted.
constexpr std::size_t kProblemsNamed = 3;

// Drops icons too large to keep; reports whether any was dropped.
bool dropOversizedIcons(AppSettings& settings) {
    bool dropped = false;
    for (auto& application : settings.applications) {
        if (application.iconData &&
            application.iconData->size() > EnabledApplication::kMaximumIconBytes) {
            application.iconData.reset();
            dropped = true;
        }
    }
    return dropped;
}

bool isWholeDocument(const std::vector<SettingsFieldProblem>& problems) {
    return problems.size() == 1 && problems.front().field.empty();
}

// "confidenceThreshold is not a number; undoShortcut is missing"
std::string reasonsOf(const std::vector<SettingsFieldProblem>& problems) {
    std::string text;
    for (std::size_t i = 0; i < problems.size() && i < kProblemsNamed; ++i) {
        const auto& problem = problems[i];
        text += (i == 0 ? "" : "; ") +
                (problem.field.empty() ? problem.reason : problem.field + " " + problem.reason);
    }
    if (problems.size() > kProblemsNamed) {
        text += "; and " + std::to_string(problems.size() - kProblemsNamed) + " more";
    }
    return text;
}

std::string fieldsOf(const std::vector<SettingsFieldProblem>& problems) {
    std::string text;
    for (const auto& problem : problems) {
        text += (text.empty() ? "" : ", ") + problem.field;
    }
    return text;
}

}  // namespace

SettingsStore::SettingsStore(SettingsFiles& defaults, std::string storageKey, const Clock& clock,
                             text::LocalizedComparison nameOrder)
    : defaults_(defaults),
      storageKey_(std::move(storageKey)),
      clock_(clock),
      nameOrder_(std::move(nameOrder)) {
    settings_ = load();
    publishProblems();
    changes_ = defaults_.observe(storageKey_, [this] { reload(); });
}

AppSettings SettingsStore::load() {
    auto entry = defaults_.entry(storageKey_);
    if (auto* unreadable = std::get_if<SettingsFiles::Unreadable>(&entry)) {
        storedDocumentUnreadable_ = true;
        entryProblem_ = unreadable->reason;
        return AppSettings{};
    }
    auto* document = std::get_if<std::vector<std::uint8_t>>(&entry);
    if (document == nullptr) {
        return AppSettings{};
    }
    AppSettings loaded = adopt(*document, AppSettings{}, true);
    if (dropOversizedIcons(loaded)) {
        settings_ = loaded;
        persist();
    }
    return loaded;
}

AppSettings SettingsStore::adopt(const std::vector<std::uint8_t>& document,
                                 const AppSettings& fallback, bool atStart) {
    auto reading = SettingsDocument::read(document, fallback);
    knownDocument_ = document;
    storedSettings_ = reading.settings;
    if (reading.problems.empty()) {
        fieldProblems_.clear();
    } else {
        // The user's damaged settings are copied aside before anything replaces them, so that
        // they can still be recovered by hand.
        unreadableDocument_ = document;
        preserveUnreadableDocument();
        noteUnreadableFields(std::move(reading.problems), atStart);
    }
    return std::move(reading.settings);
}

void SettingsStore::update(const std::function<void(AppSettings&)>& edit) {
    AppSettings copy = settings_.get();
    edit(copy);
    settings_ = std::move(copy);
    persist();
}

void SettingsStore::addApplication(EnabledApplication application) {
    update([&](AppSettings& settings) {
        auto& list = settings.applications;
        std::erase_if(list, [&](const EnabledApplication& entry) {
            return entry.bundleIdentifier == application.bundleIdentifier;
        });
        list.push_back(std::move(application));
        std::stable_sort(list.begin(), list.end(),
                         [this](const EnabledApplication& a, const EnabledApplication& b) {
                             return nameOrder_(a.displayName, b.displayName);
                         });
    });
}

void SettingsStore::updateApplication(EnabledApplication application) {
    update([&](AppSettings& settings) {
        auto& list = settings.applications;
        const auto found =
            std::find_if(list.begin(), list.end(), [&](const EnabledApplication& entry) {
                return entry.bundleIdentifier == application.bundleIdentifier;
            });
        if (found != list.end()) {
            *found = std::move(application);
        } else {
            list.push_back(std::move(application));
        }
    });
}

void SettingsStore::removeApplication(const std::string& bundleIdentifier) {
    update([&](AppSettings& settings) {
        std::erase_if(settings.applications, [&](const EnabledApplication& entry) {
            return entry.bundleIdentifier == bundleIdentifier;
        });
    });
}

void SettingsStore::reset() {
    settings_ = AppSettings{};
    if (storedDocumentUnreadable_ || !preserveUnreadableDocument()) {
        publishProblems();
        return;
    }
    writing_ = true;
    defaults_.exclusively([this] { defaults_.removeKey(storageKey_); });
    writing_ = false;
    knownDocument_.reset();
    storedSettings_ = AppSettings{};
}

void SettingsStore::reload() {
    if (writing_) {
        return;
    }
    auto entry = defaults_.entry(storageKey_);
    if (auto* unreadable = std::get_if<SettingsFiles::Unreadable>(&entry)) {
        if (!storedDocumentUnreadable_) {
            storedDocumentUnreadable_ = true;
            entryProblem_ = unreadable->reason;
            fieldProblemsAtStart_ = false;
            publishProblems();
        }
        return;
    }
    const bool wasUnreadable = std::exchange(storedDocumentUnreadable_, false);
    entryProblem_.reset();
    auto* document = std::get_if<std::vector<std::uint8_t>>(&entry);
    if (document == nullptr) {
        if (knownDocument_ || wasUnreadable) {
            // Removed, as another copy's reset does: the defaults apply.
            knownDocument_.reset();
            storedSettings_ = AppSettings{};
            unreadableDocument_.reset();
            fieldProblems_.clear();
            publishProblems();
            settings_ = AppSettings{};
        }
        return;
    }
    if (!wasUnreadable && knownDocument_ == *document) {
        return;
    }
    AppSettings taken = adopt(*document, settings_.get(), false);
    dropOversizedIcons(taken);
    publishProblems();
    if (taken != settings_.get()) {
        settings_ = std::move(taken);
    }
}

void SettingsStore::persist() {
    const AppSettings after = settings_.get();
    const auto edit = SettingsEdit::between(storedSettings_, after);
    if (storedDocumentUnreadable_ || !edit || !preserveUnreadableDocument()) {
        publishProblems();
        return;
    }
    std::optional<AppSettings> taken;
    writing_ = true;
    // Read, merge and write with no other writer in between; the settings are published
    // only after, since a subscriber may change them again.
    defaults_.exclusively([&] {
        bool othersChanged = false;
        if (const auto document = mergedDocument(*edit, after, othersChanged)) {
            taken = write(*document, after, othersChanged);
        }
    });
    writing_ = false;
    publishProblems();
    if (taken && *taken != settings_.get()) {
        settings_ = std::move(*taken);
    }
}

std::optional<nlohmann::json> SettingsStore::mergedDocument(const SettingsEdit& edit,
                                                            const AppSettings& after,
                                                            bool& othersChanged) {
    auto entry = defaults_.entry(storageKey_);
    if (auto* unreadable = std::get_if<SettingsFiles::Unreadable>(&entry)) {
        storedDocumentUnreadable_ = true;
        entryProblem_ = unreadable->reason;
        fieldProblemsAtStart_ = false;
        return std::nullopt;
    }
    nlohmann::json document;
    if (auto* stored = std::get_if<std::vector<std::uint8_t>>(&entry)) {
        othersChanged = knownDocument_ != *stored;
        auto reading = SettingsDocument::read(*stored, after);
        if (othersChanged && !reading.problems.empty()) {
            unreadableDocument_ = *stored;
            const bool preserved = preserveUnreadableDocument();
            noteUnreadableFields(std::move(reading.problems), false);
            if (!preserved) {
                return std::nullopt;
            }
        }
        document = std::move(reading.object);
    } else {
        othersChanged = knownDocument_.has_value();
    }
    edit.applyTo(document);
    const auto check = SettingsDocument::read(SettingsDocument::encode(document), after);
    SettingsDocument::repair(document, check.settings, check.problems);
    return document;
}

std::optional<AppSettings> SettingsStore::write(const nlohmann::json& document,
                                                const AppSettings& after, bool othersChanged) {
    const auto bytes = SettingsDocument::encode(document);
    if (const auto failure = defaults_.storeData(storageKey_, bytes)) {
        // The settings in memory stay the truth for this run.
        saveProblem_ = "settings cannot be saved: " + *failure;
        return std::nullopt;
    }
    saveProblem_.reset();
    knownDocument_ = bytes;
    if (!othersChanged) {
        storedSettings_ = after;
        return std::nullopt;
    }
    storedSettings_ = SettingsDocument::read(bytes, after).settings;
    return storedSettings_;
}

void SettingsStore::noteUnreadableFields(std::vector<SettingsFieldProblem> problems, bool atStart) {
    fieldProblems_ = std::move(problems);
    fieldProblemsAtStart_ = atStart;
}

// While the copy cannot be made, the original is left in place.
bool SettingsStore::preserveUnreadableDocument() {
    if (!unreadableDocument_) {
        return true;
    }
    const std::string key = preservedKey();
    if (auto failure = defaults_.storeData(key, *unreadableDocument_)) {
        preserveProblem_ = std::move(failure);
        return false;
    }
    preservedLocation_ = defaults_.locationOf(key);
    preserveProblem_.reset();
    unreadableDocument_.reset();
    return true;
}

std::string SettingsStore::preservedKey() const {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(clock_.now());
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    const std::string base = storageKey_ + ".unreadable-" + stamp;
    std::string key = base;
    for (int suffix = 2; !std::holds_alternative<SettingsFiles::Absent>(defaults_.entry(key));
         ++suffix) {
        key = base + "-" + std::to_string(suffix);
    }
    return key;
}

std::string SettingsStore::readProblem() const {
    const std::string location = defaults_.locationOf(storageKey_);
    if (entryProblem_) {
        return "settings could not be read (" + *entryProblem_ + "): " +
               (fieldProblemsAtStart_ ? "using defaults for every setting"
                                      : "keeping the current settings") +
               "; your file is kept as " + location + ", and changes are not saved";
    }
    const bool whole = isWholeDocument(fieldProblems_);
    std::string fallback;
    if (fieldProblemsAtStart_) {
        fallback = "using defaults for " + (whole ? "every setting" : fieldsOf(fieldProblems_));
    } else {
        fallback = whole ? "keeping the current settings"
                         : "keeping the current " + fieldsOf(fieldProblems_);
    }
    const std::string kept =
        unreadableDocument_
            ? "your file is left as it is at " + location +
                  " (a copy could not be made: " + preserveProblem_.value_or("unknown error") + ")"
            : "your file is kept as " + preservedLocation_.value_or(location);
    return "settings could not be read (" + reasonsOf(fieldProblems_) + "): " + fallback + "; " +
           kept;
}

void SettingsStore::publishProblems() {
    std::vector<std::string> lines;
    if (entryProblem_ || !fieldProblems_.empty()) {
        lines.push_back(readProblem());
    }
    if (saveProblem_) {
        lines.push_back(*saveProblem_);
    }
    if (lines != problems_.get()) {
        problems_ = std::move(lines);
    }
}

}  // namespace plovik

#include "core/history/FileCorrectionHistoryStore.h"

#include <algorithm>
#include <utility>

#include "core/history/HistoryFileFormat.h"

namespace plovik {

namespace {

std::optional<HistoryFile> historyFileAt(std::optional<std::filesystem::path> path) {
    if (!path) {
        return std::nullopt;
    }
    return HistoryFile(std::move(*path));
}

}  // namespace

FileCorrectionHistoryStore::FileCorrectionHistoryStore(std::filesystem::path fileURL,
                                                       int maximumRecordCount, const Clock& clock)
    : FileCorrectionHistoryStore(std::optional<HistoryFile>(std::move(fileURL)), maximumRecordCount,
                                 clock) {}

FileCorrectionHistoryStore::FileCorrectionHistoryStore(const ApplicationSupportDirectory& directory,
                                                       int maximumRecordCount, const Clock& clock)
    : FileCorrectionHistoryStore(historyFileAt(defaultFileURL(directory)), maximumRecordCount,
                                 clock) {}

FileCorrectionHistoryStore::FileCorrectionHistoryStore(std::optional<HistoryFile> file,
                                                       int maximumRecordCount, const Clock& clock)
    : file_(std::move(file)),
      maximumRecordCount_(static_cast<std::size_t>(std::max(maximumRecordCount, 0))),
      clock_(clock) {
    load();
}

std::optional<std::filesystem::path> FileCorrectionHistoryStore::defaultFileURL(
    const ApplicationSupportDirectory& directory) {
    const auto folder = directory.path();
    if (!folder) {
        return std::nullopt;
    }
    return *folder / "Plovik" / "correction-history.json";
}

std::optional<std::filesystem::path> FileCorrectionHistoryStore::fileURL() const {
    if (!file_) {
        return std::nullopt;
    }
    return file_->path();
}

void FileCorrectionHistoryStore::load() {
    if (!file_) {
        return;
    }
    const auto contents = file_->read();
    if (std::holds_alternative<HistoryFile::Absent>(contents)) {
        return;
    }
    if (const auto* bytes = std::get_if<std::string>(&contents)) {
        if (auto records = HistoryFileFormat::decode(*bytes)) {
            records_ = CorrectionRecordList(std::move(*records));
            records_.keepNewest(maximumRecordCount_);
            return;
        }
        // An empty file holds no history worth keeping.
        hasUnreadableFileToKeep_ = !bytes->empty();
        return;
    }
    hasUnreadableFileToKeep_ = true;
}

std::vector<CorrectionRecord> FileCorrectionHistoryStore::allRecords() const {
    std::lock_guard guard(lock_);
    return records_.records();
}

void FileCorrectionHistoryStore::append(const CorrectionRecord& record) {
    std::lock_guard guard(lock_);
    records_.append(record);
    records_.keepNewest(maximumRecordCount_);
    save();
}

void FileCorrectionHistoryStore::markOutcome(const Uuid& id, CorrectionOutcome outcome) {
    std::lock_guard guard(lock_);
    if (records_.markOutcome(id, outcome)) {
        save();
    }
}

void FileCorrectionHistoryStore::clear() {
    std::lock_guard guard(lock_);
    records_.clear();
    if (file_) {
        // Clearing forgets the whole history, an unreadable earlier file included.
        file_->remove();
        hasUnreadableFileToKeep_ = false;
    }
}

double FileCorrectionHistoryStore::confidenceAdjustment(
    std::string_view original, std::string_view corrected,
    std::string_view applicationBundleIdentifier) const {
    std::lock_guard guard(lock_);
    return records_.confidenceAdjustment(original, corrected, applicationBundleIdentifier);
}

void FileCorrectionHistoryStore::save() {
    if (!file_) {
        return;
    }
    if (hasUnreadableFileToKeep_) {
        // Until the old file is safe, do not replace it; the next change tries again.
        if (!file_->keepAside(clock_.now())) {
            return;
        }
        hasUnreadableFileToKeep_ = false;
    }
    if (const auto bytes = HistoryFileFormat::encode(records_.records())) {
        file_->write(*bytes);
    }
}

}  // namespace plovik

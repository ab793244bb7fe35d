#include "core/history/FileCorrectionHistoryStore.h"

#include <algorithm>
#include <deque>
#include <map>
#include <utility>

#include "core/history/HistoryFileFormat.h"
#include "core/support/FolderLock.h"

namespace plovik {

namespace {

std::optional<HistoryFile> historyFileAt(std::optional<std::filesystem::path> path) {
    if (!path) {
        return std::nullopt;
    }
    return HistoryFile(std::move(*path));
}

// `base` with the records whose ids changed here taken from `ours`: in place where the id
// is already there (the n-th of an id for the n-th), appended in our order where it is not.
std::vector<CorrectionRecord> mergedById(const std::vector<CorrectionRecord>& base,
                                         const std::vector<CorrectionRecord>& ours,
                                         const std::set<Uuid>& changedIds) {
    std::map<Uuid, std::deque<const CorrectionRecord*>> pending;
    for (const auto& record : ours) {
        if (changedIds.contains(record.id)) {
            pending[record.id].push_back(&record);
        }
    }
    std::vector<CorrectionRecord> merged;
    merged.reserve(base.size() + ours.size());
    for (const auto& record : base) {
        const auto found = pending.find(record.id);
        if (found == pending.end() || found->second.empty()) {
            merged.push_back(record);
            continue;
        }
        merged.push_back(*found->second.front());
        found->second.pop_front();
    }
    for (const auto& record : ours) {
        const auto found = pending.find(record.id);
        if (found != pending.end() && !found->second.empty() && found->second.front() == &record) {
            merged.push_back(record);
            found->second.pop_front();
        }
    }
    return merged;
}

}  // namespace

FileCorrectionHistoryStore::FileCorrectionHistoryStore(std::filesystem::path fileURL,
                                                       int maximumRecordCount, const Clock& clock)
    : FileCorrectionHistoryStore(std::optional<HistoryFile>(std::move(fileURL)), maximumRecordCount,
                                 clock) {}

FileCorrectionHistoryStore::FileCorrectionHistoryStore(const UserDataFolder& directory,
                                                       int maximumRecordCount, const Clock& clock)
    : FileCorrectionHistoryStore(historyFileAt(defaultFileURL(directory)), maximumRecordCount,
                                 clock) {}

FileCorrectionHistoryStore::FileCorrectionHistoryStore(std::optional<HistoryFile> file,
                                                       int maximumRecordCount, const Clock& clock)
    : file_(std::move(file)),
      retention_(static_cast<std::size_t>(std::max(maximumRecordCount, 0))),
      clock_(clock) {
    load();
    if (file_) {
        writer_ = std::thread([this] { writeLoop(); });
    } else {
        saveProblem_ =
            "the learning history cannot be saved: the system names no folder for "
            "application data";
    }
}

FileCorrectionHistoryStore::~FileCorrectionHistoryStore() {
    if (!writer_.joinable()) {
        return;
    }
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    writer_.join();
}

std::optional<std::filesystem::path> FileCorrectionHistoryStore::defaultFileURL(
    const UserDataFolder& directory) {
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
    // A damaged file loads nothing; the first write keeps it aside before replacing it.
    auto contents = file_->readRetained(retention_);
    if (auto* records = std::get_if<std::vector<CorrectionRecord>>(&contents)) {
        records_ = CorrectionRecordList(std::move(*records));
    }
}

std::vector<CorrectionRecord> FileCorrectionHistoryStore::allRecords() const {
    std::lock_guard guard(lock_);
    return records_.records();
}

void FileCorrectionHistoryStore::append(const CorrectionRecord& record) {
    std::lock_guard guard(lock_);
    records_.append(record);
    records_.retain(retention_);
    changedIds_.insert(record.id);
    requestWrite();
}

void FileCorrectionHistoryStore::markOutcome(const Uuid& id, CorrectionOutcome outcome) {
    std::lock_guard guard(lock_);
    if (records_.markOutcome(id, outcome)) {
        changedIds_.insert(id);
        requestWrite();
    }
}

void FileCorrectionHistoryStore::clear() {
    std::unique_lock guard(lock_);
    records_.clear();
    changedIds_.clear();
    if (!file_) {
        return;
    }
    // Clearing forgets the whole history, copies of damaged files included.
    clearRequested_ = true;
    requestWrite();
    written_.wait(guard, [this] { return completedWrites_ == requestedWrites_; });
}

std::optional<std::string> FileCorrectionHistoryStore::saveProblem() const {
    std::lock_guard guard(lock_);
    return saveProblem_;
}

void FileCorrectionHistoryStore::flush() {
    std::unique_lock guard(lock_);
    written_.wait(guard, [this] { return completedWrites_ == requestedWrites_; });
}

double FileCorrectionHistoryStore::confidenceAdjustment(
    std::string_view original, std::string_view corrected,
    std::string_view applicationBundleIdentifier) const {
    std::lock_guard guard(lock_);
    return records_.confidenceAdjustment(original, corrected, applicationBundleIdentifier);
}

void FileCorrectionHistoryStore::requestWrite() {
    if (!file_) {
        return;
    }
    ++requestedWrites_;
    wake_.notify_one();
}

void FileCorrectionHistoryStore::writeLoop() {
    std::unique_lock guard(lock_);
    for (;;) {
        wake_.wait(guard, [this] { return stopping_ || completedWrites_ != requestedWrites_; });
        if (completedWrites_ == requestedWrites_) {
            return;
        }
        const std::uint64_t generation = requestedWrites_;
        const Snapshot snapshot{records_.records(), std::exchange(changedIds_, {}),
                                std::exchange(clearRequested_, false)};
        guard.unlock();
        std::string problem;
        const auto written = write(snapshot, problem);
        guard.lock();
        saveProblem_ =
            written
                ? std::nullopt
                : std::optional<std::string>("the learning history cannot be saved: " + problem);
        if (!written) {
            // Tried again with the next change.
            if (!clearRequested_) {
                changedIds_.insert(snapshot.changedIds.begin(), snapshot.changedIds.end());
            }
        } else {
            // Records other processes wrote count from now on too.
            auto current = mergedById(*written, records_.records(), changedIds_);
            retention_.apply(current);
            if (current != records_.records()) {
                records_ = CorrectionRecordList(std::move(current));
            }
        }
        completedWrites_ = generation;
        written_.notify_all();
    }
}

std::optional<std::vector<CorrectionRecord>> FileCorrectionHistoryStore::write(
    const Snapshot& snapshot, std::string& problem) {
    const FolderLock folderLock(file_->path().parent_path());
    if (snapshot.clears) {
        file_->remove();
        file_->pruneCopiesKeptAside(0);
        if (snapshot.changedIds.empty()) {
            return std::vector<CorrectionRecord>{};
        }
    }
    auto contents = file_->readRetained(retention_);
    std::vector<CorrectionRecord> base;
    if (std::holds_alternative<HistoryFile::Damaged>(contents)) {
        // Until the old file is safe, do not replace it.
        if (!file_->keepAside(clock_.now())) {
            problem = "its damaged file " + file_->path().string() + " cannot be set aside";
            return std::nullopt;
        }
        file_->pruneCopiesKeptAside(kCopiesKeptAside);
    } else if (auto* records = std::get_if<std::vector<CorrectionRecord>>(&contents)) {
        base = std::move(*records);
    }
    auto merged = mergedById(base, snapshot.records, snapshot.changedIds);
    retention_.apply(merged);
    const auto bytes = HistoryFileFormat::encode(merged);
    if (!bytes) {
        problem = "its records cannot be encoded";
        return std::nullopt;
    }
    std::error_code error;
    if (!file_->write(*bytes, error)) {
        problem = error.message();
        return std::nullopt;
    }
    return merged;
}

}  // namespace plovik

#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "core/history/CorrectionHistoryStoring.h"
#include "core/history/CorrectionRecordList.h"
#include "core/history/HistoryFile.h"
#include "core/platform/Clock.h"
#include "core/platform/UserDataFolder.h"

namespace plovik {

// The application's history: the records its retention keeps (declined corrections never
// push out learned ones), in memory and written to a JSON file by a writer thread of its own
// after each change, so that no caller waits for the disk. Changes made while a write is under
// way are coalesced into the next one. Other processes may write the same file: every write
// takes a lock on the folder, reads the file again and merges it by record id, so no process
// loses another's records. A write that fails is tried again with the next change, and the
// records in memory stay authoritative; saveProblem() says why meanwhile.
class FileCorrectionHistoryStore final : public CorrectionHistoryStoring {
  public:
    // Loads the file (nothing is written at load time). A negative maximum counts as zero.
    // The clock only names a damaged file when it is set aside.
    FileCorrectionHistoryStore(std::filesystem::path fileURL, int maximumRecordCount,
                               const Clock& clock);
    // At defaultFileURL; when the system names no application-support directory the store
    // keeps its records in memory only.
    FileCorrectionHistoryStore(const UserDataFolder& directory, int maximumRecordCount,
                               const Clock& clock);
    // Writes what is still pending.
    ~FileCorrectionHistoryStore() override;
    FileCorrectionHistoryStore(const FileCorrectionHistoryStore&) = delete;
    FileCorrectionHistoryStore& operator=(const FileCorrectionHistoryStore&) = delete;

    // "<application support>/Plovik/correction-history.json".
    static std::optional<std::filesystem::path> defaultFileURL(const UserDataFolder& directory);
    // Copies of damaged files kept aside; older ones are removed.
    static constexpr std::size_t kCopiesKeptAside = 3;

    std::optional<std::filesystem::path> fileURL() const;
    int maximumRecordCount() const { return static_cast<int>(*retention_.maximumRecordCount()); }

    std::vector<CorrectionRecord> allRecords() const override;
    void append(const CorrectionRecord& record) override;
    void markOutcome(const Uuid& id, CorrectionOutcome outcome) override;
    // Removes the file and every copy kept aside, and returns once they are gone.
    void clear() override;
    double confidenceAdjustment(std::string_view original, std::string_view corrected,
                                std::string_view applicationBundleIdentifier) const override;

    // Waits until every change made so far has been written (or failed to be).
    void flush();
    // Why the last write failed, for the user ("the learning history cannot be saved: No
    // space left on device"); absent while writes succeed. Any thread.
    std::optional<std::string> saveProblem() const;

  private:
    // What one write works from, taken under the lock.
    struct Snapshot {
        std::vector<CorrectionRecord> records;
        std::set<Uuid> changedIds;
        bool clears = false;
    };

    FileCorrectionHistoryStore(std::optional<HistoryFile> file, int maximumRecordCount,
                               const Clock& clock);

    void load();
    // Lock held.
    void requestWrite();
    void writeLoop();
    // The records now in the file, or absent when nothing was written (and why in `problem`).
    std::optional<std::vector<CorrectionRecord>> write(const Snapshot& snapshot,
                                                       std::string& problem);

    const std::optional<HistoryFile> file_;
    const HistoryRetention retention_;
    const Clock& clock_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::condition_variable written_;
    CorrectionRecordList records_;
    // Records appended or changed here since the last write: these win over the file's.
    std::set<Uuid> changedIds_;
    bool clearRequested_ = false;
    std::uint64_t requestedWrites_ = 0;
    std::uint64_t completedWrites_ = 0;
    bool stopping_ = false;
    std::optional<std::string> saveProblem_;
    std::thread writer_;
};

}  // namespace plovik

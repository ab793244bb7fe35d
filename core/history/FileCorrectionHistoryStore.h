#pragma once

#include <cstddef>
#include <filesystem>
#include <mutex>
#include <optional>

#include "core/history/CorrectionHistoryStoring.h"
#include "core/history/CorrectionRecordList.h"
#include "core/history/HistoryFile.h"
#include "core/platform/ApplicationSupportDirectory.h"
#include "core/platform/Clock.h"

namespace plovik {

// The application's history: the newest records in memory, written to a JSON file after every
// change. File errors are never reported; the records in memory stay authoritative.
class FileCorrectionHistoryStore final : public CorrectionHistoryStoring {
  public:
    // Loads the file (nothing is written at load time). A negative maximum counts as zero.
    // The clock only names a damaged file when it is set aside.
    FileCorrectionHistoryStore(std::filesystem::path fileURL, int maximumRecordCount,
                               const Clock& clock);
    // At defaultFileURL; when the system names no application-support directory the store
    // keeps its records in memory only.
    FileCorrectionHistoryStore(const ApplicationSupportDirectory& directory, int maximumRecordCount,
                               const Clock& clock);

    // "<application support>/Plovik/correction-history.json".
    static std::optional<std::filesystem::path> defaultFileURL(
        const ApplicationSupportDirectory& directory);

    std::optional<std::filesystem::path> fileURL() const;
    int maximumRecordCount() const { return static_cast<int>(maximumRecordCount_); }

    std::vector<CorrectionRecord> allRecords() const override;
    void append(const CorrectionRecord& record) override;
    void markOutcome(const Uuid& id, CorrectionOutcome outcome) override;
    void clear() override;
    double confidenceAdjustment(std::string_view original, std::string_view corrected,
                                std::string_view applicationBundleIdentifier) const override;

  private:
    FileCorrectionHistoryStore(std::optional<HistoryFile> file, int maximumRecordCount,
                               const Clock& clock);

    void load();
    // Lock held.
    void save();

    const std::optional<HistoryFile> file_;
    const std::size_t maximumRecordCount_;
    const Clock& clock_;
    mutable std::mutex lock_;
    CorrectionRecordList records_;
    // A file that was there at load but could not be decoded: it holds the user's earlier
    // history, so the first save moves it aside instead of replacing it.
    bool hasUnreadableFileToKeep_ = false;
};

}  // namespace plovik

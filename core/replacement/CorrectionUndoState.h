#pragma once

#include <optional>
#include <string>

#include "core/replacement/LastCorrection.h"
#include "core/replacement/TextReplacementRequest.h"

namespace plovik {

// Holds the last correction and hands out its reversal, only in the application
// where it was made and at most once.
class CorrectionUndoState {
  public:
    explicit CorrectionUndoState(std::optional<LastCorrection> lastCorrection = std::nullopt);

    const std::optional<LastCorrection>& lastCorrection() const { return lastCorrection_; }
    void setLastCorrection(std::optional<LastCorrection> correction);

    void record(LastCorrection correction);
    std::optional<TextReplacementRequest> requestForUndo(
        const std::string& applicationBundleIdentifier) const;
    std::optional<LastCorrection> consumeUndo(const std::string& applicationBundleIdentifier);
    void clear();

  private:
    bool holdsCorrectionFor(const std::string& applicationBundleIdentifier) const;

    std::optional<LastCorrection> lastCorrection_;
};

}  // namespace plovik

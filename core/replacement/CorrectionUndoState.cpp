#include "core/replacement/CorrectionUndoState.h"

#include <utility>

namespace plovik {

CorrectionUndoState::CorrectionUndoState(std::optional<LastCorrection> lastCorrection)
    : lastCorrection_(std::move(lastCorrection)) {}

void CorrectionUndoState::setLastCorrection(std::optional<LastCorrection> correction) {
    lastCorrection_ = std::move(correction);
}

void CorrectionUndoState::record(LastCorrection correction) {
    lastCorrection_ = std::move(correction);
}

std::optional<TextReplacementRequest> CorrectionUndoState::requestForUndo(
    const std::string& applicationBundleIdentifier) const {
    if (!holdsCorrectionFor(applicationBundleIdentifier)) {
        return std::nullopt;
    }
    return TextReplacementRequest(lastCorrection_->corrected, lastCorrection_->original,
                                  lastCorrection_->delimiter, lastCorrection_->originalDelimiter);
}

std::optional<LastCorrection> CorrectionUndoState::consumeUndo(
    const std::string& applicationBundleIdentifier) {
    if (!holdsCorrectionFor(applicationBundleIdentifier)) {
        return std::nullopt;
    }
    return std::exchange(lastCorrection_, std::nullopt);
}

void CorrectionUndoState::clear() {
    lastCorrection_.reset();
}

bool CorrectionUndoState::holdsCorrectionFor(const std::string& applicationBundleIdentifier) const {
    return lastCorrection_ &&
           lastCorrection_->applicationBundleIdentifier == applicationBundleIdentifier;
}

}  // namespace plovik

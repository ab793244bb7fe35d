#include "core/text/LocalizedComparison.h"

#include <unicode/coll.h>
#include <unicode/unistr.h>

#include <cstdlib>

#include "core/text/CaseMapping.h"

namespace plovik::text {

struct LocalizedComparison::Collator {
    std::unique_ptr<icu::Collator> collator;
};

LocalizedComparison::LocalizedComparison(const std::string& localeName)
    : collator_(std::make_unique<Collator>()) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = localeName.empty()
                                   ? icu::Locale::getRoot()
                                   : icu::Locale::createCanonical(localeName.c_str());
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !collator) {
        return;
    }
    // Secondary strength: base letters and accents count, case does not.
    collator->setStrength(icu::Collator::SECONDARY);
    collator_->collator = std::move(collator);
}

LocalizedComparison::LocalizedComparison(LocalizedComparison&&) noexcept = default;
LocalizedComparison& LocalizedComparison::operator=(LocalizedComparison&&) noexcept = default;
LocalizedComparison::~LocalizedComparison() = default;

int LocalizedComparison::compare(std::string_view a, std::string_view b) const {
    if (!collator_ || !collator_->collator) {
        // Without collation data, caseless code-point order is the best left.
        return CaseMapping::folded(a).compare(CaseMapping::folded(b));
    }
    UErrorCode status = U_ZERO_ERROR;
    const auto result = collator_->collator->compareUTF8(
        icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
        icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
    if (U_FAILURE(status)) {
        return CaseMapping::folded(a).compare(CaseMapping::folded(b));
    }
    return result == UCOL_LESS ? -1 : (result == UCOL_GREATER ? 1 : 0);
}

std::string LocalizedComparison::userLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return localeNameFromPosix(value);
        }
    }
    return {};
}

std::string LocalizedComparison::localeNameFromPosix(std::string_view posixLocale) {
    const std::string_view name = posixLocale.substr(0, posixLocale.find_first_of(".@"));
    if (name == "C" || name == "POSIX") {
        return {};
    }
    return std::string(name);
}

}  // namespace plovik::text

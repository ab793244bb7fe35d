#pragma once

namespace plovik {

// How well a text reads in one layout's language.
struct LanguagePlausibility {
    double score = 0.0;  // 0.0 to 1.0
    // The lower-cased, trimmed text is a known word of the language.
    bool isDictionaryMatch = false;

    bool operator==(const LanguagePlausibility&) const = default;
};

}  // namespace plovik

#include "platform/linux/EnchantSpellChecker.h"

#include <enchant.h>
#include <stdlib.h>

#include <algorithm>

#include "core/text/Utf8.h"

namespace plovik {

namespace {

// Enchant takes C strings and validates words with glib, which refuses an embedded NUL.
bool isUsableText(std::string_view text) {
    return !text.empty() && text.find('\0') == std::string_view::npos && text::Utf8::isValid(text);
}

void collectTag(const char* tag, const char*, const char*, const char*, void* data) {
    static_cast<std::vector<std::string>*>(data)->emplace_back(tag);
}

}  // namespace

void EnchantSpellChecker::BrokerDeleter::operator()(EnchantBroker* broker) const {
    enchant_broker_free(broker);
}

void EnchantSpellChecker::DictionaryDeleter::operator()(EnchantDict* dictionary) const {
    enchant_broker_free_dict(broker, dictionary);
}

EnchantSpellChecker::EnchantSpellChecker() : broker_(enchant_broker_init()) {}

EnchantSpellChecker::EnchantSpellChecker(const std::optional<std::filesystem::path>& configHome)
    : broker_([&] {
          // Enchant's only way to be told; read whenever it opens a file of its own.
          if (configHome && configHome->is_absolute()) {
              ::setenv("ENCHANT_CONFIG_DIR", (*configHome / "enchant").c_str(), 0);
          }
          return enchant_broker_init();
      }()) {}

EnchantSpellChecker::~EnchantSpellChecker() = default;

std::vector<std::string> EnchantSpellChecker::availableLanguages() {
    if (!languages_) {
        std::vector<std::string> tags;
        if (broker_) {
            enchant_broker_list_dicts(broker_.get(), collectTag, &tags);
        }
        // Several providers may offer the same tag; their listing order is not stable.
        std::ranges::sort(tags);
        // Not std::ranges::unique: clang 14 (the fuzz build) rejects it over GCC 12's library.
        tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
        languages_ = std::move(tags);
    }
    return *languages_;
}

bool EnchantSpellChecker::isSpelledCorrectly(std::string_view word, std::string_view language) {
    // Enchant rejects empty and malformed words with a critical warning.
    if (!isUsableText(word)) {
        return false;
    }
    EnchantDict* dict = dictionary(language);
    return dict && enchant_dict_check(dict, word.data(), static_cast<ssize_t>(word.size())) == 0;
}

std::size_t EnchantSpellChecker::loadedDictionaryCount() const {
    return static_cast<std::size_t>(std::ranges::count_if(
        dictionaries_, [](const auto& entry) { return entry.second != nullptr; }));
}

EnchantDict* EnchantSpellChecker::dictionary(std::string_view language) {
    if (const auto found = dictionaries_.find(language); found != dictionaries_.end()) {
        return found->second.get();
    }
    const std::string tag(language);
    EnchantDict* loaded = broker_ && isUsableText(tag)
                              ? enchant_broker_request_dict(broker_.get(), tag.c_str())
                              : nullptr;
    dictionaries_.emplace(tag, Dictionary(loaded, DictionaryDeleter{broker_.get()}));
    return loaded;
}

}  // namespace plovik

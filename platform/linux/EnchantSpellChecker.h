#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/SpellChecker.h"

struct str_enchant_broker;
struct str_enchant_dict;

namespace plovik {

// The spell checker over Enchant-2. Languages are Enchant's dictionary tags ("en_US", not
// "en"). A dictionary takes tens of milliseconds to load and microseconds to ask, so each one
// is loaded on first use and kept. Not thread-safe: it belongs to the main thread.
class EnchantSpellChecker final : public SpellChecker {
  public:
    // Enchant keeps its own files (personal word lists) where the environment says.
    EnchantSpellChecker();
    // Enchant keeps them in "enchant" below this configuration folder, the one the program
    // resolved for itself: Enchant alone would take a relative XDG_CONFIG_HOME as it is, and
    // write below whatever folder the program was started in. An ENCHANT_CONFIG_DIR the
    // user set stays in force.
    explicit EnchantSpellChecker(const std::optional<std::filesystem::path>& configHome);
    ~EnchantSpellChecker() override;
    EnchantSpellChecker(const EnchantSpellChecker&) = delete;
    EnchantSpellChecker& operator=(const EnchantSpellChecker&) = delete;

    // Sorted, without duplicates; read once and kept, as dictionaries rarely come and go.
    std::vector<std::string> availableLanguages() override;
    bool isSpelledCorrectly(std::string_view word, std::string_view language) override;

    // How many dictionaries are loaded and kept.
    std::size_t loadedDictionaryCount() const;

  private:
    struct BrokerDeleter {
        void operator()(str_enchant_broker* broker) const;
    };
    // A dictionary is released through the broker that made it.
    struct DictionaryDeleter {
        str_enchant_broker* broker;
        void operator()(str_enchant_dict* dictionary) const;
    };
    using Dictionary = std::unique_ptr<str_enchant_dict, DictionaryDeleter>;

    str_enchant_dict* dictionary(std::string_view language);

    // Declared first so that it outlives the dictionaries it released.
    std::unique_ptr<str_enchant_broker, BrokerDeleter> broker_;
    std::optional<std::vector<std::string>> languages_;
    // A null entry remembers a language Enchant could not load.
    std::map<std::string, Dictionary, std::less<>> dictionaries_;
};

}  // namespace plovik

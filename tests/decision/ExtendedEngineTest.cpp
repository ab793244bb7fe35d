#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/decision/EngineFactory.h"
#include "core/decision/ExtendedEngine.h"
#include "core/decision/LanguageDataDirectory.h"
#include "decision/DecisionTestDoubles.h"

namespace plovik {
namespace {

using testing::TableHistory;
using testing::TableLanguageDetector;

// A spell checker with a fixed vocabulary, so that results do not depend on the system's.
class FixedSpellChecker final : public SpellChecker {
  public:
    std::vector<std::string> availableLanguages() override { return {"en_US", "ru_RU"}; }
    bool isSpelledCorrectly(std::string_view word, std::string_view language) override {
        static const std::set<std::string, std::less<>> english{"the", "cat", "hello", "here"};
        static const std::set<std::string, std::less<>> russian{
            "область", "событие", "привет", "еру", "руку", "хорошо",
            "Москва",  "ты",      "ша",     "тут", "дай"};
        return (language == "en_US" ? english : russian).contains(word);
    }
};

const KeyboardLayout kEnglish = KeyboardLayout::english();
const KeyboardLayout kRussian = KeyboardLayout::russian();
const KeyboardLayout kGerman{"xkb:de", "German", {"de"}};

class ExtendedEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto directory = LanguageDataDirectory::locate();
        ASSERT_TRUE(directory);
        auto detector = std::make_unique<TableLanguageDetector>();
        detector_ = detector.get();
        engine_ =
            EngineFactory::extended(EngineFactory::standard(std::move(detector), &history_),
                                    ExtendedEngine::loadLanguageModels(*directory), &spellChecker_);
    }

    std::optional<CorrectionVerdict> decide(const std::string& typed, const KeyboardLayout& from,
                                            const std::string& reread, const KeyboardLayout& to,
                                            const std::string& context = "",
                                            double threshold = 0.9) const {
        return engine_->automaticDecision(typed, context, "org.example.Editor", from,
                                          {{to, reread, " "}}, threshold);
    }

    std::optional<std::string> corrected(const std::string& typed, const KeyboardLayout& from,
                                         const std::string& reread, const KeyboardLayout& to,
                                         const std::string& context = "") const {
        const auto decision = decide(typed, from, reread, to, context);
        return decision ? std::optional(decision->corrected) : std::nullopt;
    }

    FixedSpellChecker spellChecker_;
    TableHistory history_;
    TableLanguageDetector* detector_ = nullptr;
    std::unique_ptr<ExtendedEngine> engine_;
};

TEST_F(ExtendedEngineTest, PunctuationKeysInsideAndAtTheEndsAreLetters) {
    EXPECT_TRUE(engine_->judgesWholeRuns());
    EXPECT_EQ(corrected("j,kfcnm", kEnglish, "область", kRussian), "область");
    EXPECT_EQ(corrected("cj,snbt", kEnglish, "событие", kRussian), "событие");
    EXPECT_EQ(corrected("[jhjij", kEnglish, "хорошо", kRussian), "хорошо");
    // Russian punctuation typed under US is read as the target layout reads it.
    EXPECT_EQ(corrected("ghbdtn?", kEnglish, "привет,", kRussian), "привет,");
    EXPECT_EQ(corrected("(ghbdtn)", kEnglish, "(привет)", kRussian), "(привет)");
    // A final comma is read both ways: as б it makes no word, as typed it ends one.
    EXPECT_EQ(corrected("ghbdtn,", kEnglish, "приветб", kRussian), "привет,");
    EXPECT_EQ(corrected("Vjcrdf", kEnglish, "Москва", kRussian), "Москва");
    EXPECT_EQ(corrected("xnj-nj", kEnglish, "что-то", kRussian), "что-то");
}

TEST_F(ExtendedEngineTest, WordsTypedRightStay) {
    EXPECT_FALSE(decide("the", kEnglish, "еру", kRussian));
    EXPECT_FALSE(decide("hello,", kEnglish, "руддщб", kRussian));
    EXPECT_FALSE(decide("привет", kRussian, "ghbdtn", kEnglish));
    EXPECT_FALSE(decide("область,", kRussian, "j,kfcnm?", kEnglish));
    // Lone letters joined by a hyphen are an abbreviation, not a compound of known words.
    EXPECT_FALSE(decide("Д-р", kRussian, "L-h", kEnglish));
    // х read as a bracket would make a word of the rest: brackets are not read from letters.
    EXPECT_FALSE(decide("хеша", kRussian, "[tif", kEnglish));
    EXPECT_EQ(corrected("еру", kRussian, "the", kEnglish), "the");
    EXPECT_EQ(corrected("сфе", kRussian, "cat", kEnglish), "cat");
}

TEST_F(ExtendedEngineTest, DigitsAddressesAndAcronymsAreKept) {
    EXPECT_FALSE(decide("ghbdtn2", kEnglish, "привет2", kRussian));
    EXPECT_FALSE(decide("www.ghbdtn.ru", kEnglish, "цццюпрбветкюкг", kRussian));
    EXPECT_FALSE(decide("/usr/ghbdtn", kEnglish, ".гыкюпрбвет", kRussian));
    // Capital letters of an acronym stay unless the other reading is a listed word.
    EXPECT_FALSE(decide("NT", kEnglish, "ТЕ", kRussian));
    EXPECT_FALSE(decide("NASA", kEnglish, "ТФЫФ", kRussian));
}

TEST_F(ExtendedEngineTest, CapitalsAmidSmallLettersAreAnAcronymUnlessTheyShout) {
    // "еды" is a listed word but never an acronym: TLS amid Russian is a term.
    const std::string russian = "поддержка протокола ";
    EXPECT_FALSE(decide("TLS", kEnglish, "ЕДЫ", kRussian, russian));
    // An acronym of the other language typed under the wrong layout is one.
    EXPECT_EQ(corrected("ПТГ", kRussian, "GNU", kEnglish, "the tools of the "), "GNU");
    // After a word in capitals the text shouts, and a listed word is enough.
    EXPECT_EQ(corrected("ЕРУ", kRussian, "THE", kEnglish, "READ "), "THE");
    EXPECT_FALSE(decide("ЕРУ", kRussian, "THE", kEnglish, "read "));
    EXPECT_EQ(corrected("YT", kEnglish, "НЕ", kRussian, "ЭТО "), "НЕ");
}

TEST_F(ExtendedEngineTest, ManualCorrectionReadsTheWordItsOwnWayOrFallsBack) {
    const auto manual = [&](const std::string& typed, const std::string& reread) {
        const auto decision = engine_->manualDecision(typed, "org.example.Editor", kEnglish,
                                                      {{kRussian, reread, " "}});
        return decision ? std::optional(decision->corrected) : std::nullopt;
    };
    // The final comma is read as typed, as the automatic decision reads it.
    EXPECT_EQ(manual("ghbdtn,", "приветб"), "привет,");
    // Below any threshold, the user still gets the conversion asked for.
    EXPECT_EQ(manual("the", "еру"), "еру");
    // Where the extended rules keep the word, the standard engine converts it.
    EXPECT_EQ(manual("ghbdtn2", "привет2"), "привет2");
    EXPECT_FALSE(manual("ghbdtn", "ghbdtn"));
}

TEST_F(ExtendedEngineTest, OneLetterWordsFollowTheirOwnRules) {
    EXPECT_EQ(corrected("f", kEnglish, "а", kRussian), "а");
    EXPECT_EQ(corrected("d", kEnglish, "в", kRussian), "в");
    EXPECT_EQ(corrected("ф", kRussian, "a", kEnglish), "a");
    EXPECT_EQ(corrected("Ш", kRussian, "I", kEnglish, "and so "), "I");
    // A one-letter word as typed, or a letter that is no word in the other language, stays.
    EXPECT_FALSE(decide("a", kEnglish, "ф", kRussian));
    EXPECT_FALSE(decide("в", kRussian, "d", kEnglish));
    EXPECT_FALSE(decide("q", kEnglish, "й", kRussian));
    // A lone capital is a word only where a sentence starts.
    EXPECT_EQ(corrected("D", kEnglish, "В", kRussian, "Конец. "), "В");
    EXPECT_FALSE(decide("D", kEnglish, "В", kRussian, "диск "));
}

TEST_F(ExtendedEngineTest, ThePreviousWordsLanguageMovesTheBar) {
    // "руку" is a Russian word as well as "here" typed under Russian.
    const auto afterEnglish = decide("руку", kRussian, "here", kEnglish, "I am ", 0.0);
    const auto afterRussian = decide("руку", kRussian, "here", kEnglish, "дай ", 0.0);
    const auto alone = decide("руку", kRussian, "here", kEnglish, "", 0.0);
    ASSERT_TRUE(afterEnglish && afterRussian && alone);
    EXPECT_GT(afterEnglish->confidence, alone->confidence);
    EXPECT_GT(alone->confidence, afterRussian->confidence);
    EXPECT_LT(afterRussian->confidence, 0.5);
}

TEST_F(ExtendedEngineTest, SeveralWordsOfALanguageMoveTheBarFurtherThanOne) {
    const auto afterOne = decide("руку", kRussian, "here", kEnglish, "am ", 0.0);
    const auto afterTwo = decide("руку", kRussian, "here", kEnglish, "I am ", 0.0);
    ASSERT_TRUE(afterOne && afterTwo);
    EXPECT_GT(afterTwo->confidence, afterOne->confidence);
    EXPECT_GT(afterTwo->confidence, 0.9);
    // Between a name and a term no list knows, the words before do not decide.
    const auto termAfterOne =
        decide("libdpkg-dev", kEnglish, "дшивзлп-вум", kRussian, "пакеты ", 0.0);
    const auto termAfterTwo =
        decide("libdpkg-dev", kEnglish, "дшивзлп-вум", kRussian, "двоичные пакеты ", 0.0);
    ASSERT_TRUE(termAfterOne && termAfterTwo);
    EXPECT_DOUBLE_EQ(termAfterTwo->confidence, termAfterOne->confidence);
    EXPECT_LT(termAfterTwo->confidence, 0.9);
}

TEST_F(ExtendedEngineTest, ATermOrTwoOfTheTypedScriptAmidTheOtherSayLittle) {
    // "aptitude" typed amid Russian typed under US: the next "d" is still "в".
    EXPECT_EQ(corrected("d", kEnglish, "в", kRussian, "пакет aptitude "), "в");
    EXPECT_EQ(corrected("d", kEnglish, "в", kRussian, "установлена Ubuntu Linux "), "в");
    // After two Latin words with no Russian before them the user is writing English, and
    // three amid Russian are a passage of it.
    EXPECT_FALSE(decide("d", kEnglish, "в", kRussian, "open source "));
    EXPECT_FALSE(decide("d", kEnglish, "в", kRussian, "установлена Debian GNU Linux "));
}

TEST_F(ExtendedEngineTest, ASwitchOfLayoutsRightBeforeTheWordIsTheUsersChoice) {
    const auto afterSwitchFrom = [&](const KeyboardLayout& previous, const std::string& typed,
                                     const std::string& reread, const std::string& context) {
        const auto decision =
            engine_->automaticDecision(typed, context, "org.example.Editor", kEnglish,
                                       {{kRussian, reread, " "}}, 0.9, previous);
        return decision ? std::optional(decision->corrected) : std::nullopt;
    };
    // Typed on in one layout after Russian words, a letter and a name read as slips...
    EXPECT_EQ(corrected("b", kEnglish, "и", kRussian, "нажмите клавишу "), "и");
    EXPECT_EQ(afterSwitchFrom(kEnglish, "b", "и", "нажмите клавишу "), "и");
    EXPECT_EQ(corrected("Xft", kEnglish, "Чае", kRussian, "модуль для работы с "), "Чае");
    // ...but the user chose them by switching layouts: a key named, a term.
    EXPECT_EQ(afterSwitchFrom(kRussian, "b.", "ию", "нажмите клавишу "), std::nullopt);
    EXPECT_EQ(afterSwitchFrom(kRussian, "Xft", "Чае", "модуль для работы с "), std::nullopt);
    // A switch made by accident still gives way to a word against no word at all.
    EXPECT_EQ(afterSwitchFrom(kRussian, "ghbdtn", "привет", "и "), "привет");
}

TEST_F(ExtendedEngineTest, ABareRussianPrepositionAfterASwitchIsASlip) {
    // The application empties its buffer on a switch: only the word reader knows the word before.
    const auto afterSwitchFrom = [&](const std::string& previous, const std::string& typed,
                                     const std::string& reread) {
        const auto decision = engine_->automaticDecision(typed, "", "org.example.Editor", kEnglish,
                                                         {{kRussian, reread, " "}}, 0.9,
                                                         PreviousWord(kRussian, previous));
        return decision ? std::optional(decision->corrected) : std::nullopt;
    };
    EXPECT_EQ(afterSwitchFrom("потом ", "d", "в"), "в");
    EXPECT_EQ(afterSwitchFrom("потом ", "b", "и"), "и");
    // A letter with punctuation is a label or a key named; c is as often itself.
    EXPECT_EQ(afterSwitchFrom("потом ", "r,", "кб"), std::nullopt);
    EXPECT_EQ(afterSwitchFrom("потом ", "(d)", "(в)"), std::nullopt);
    EXPECT_EQ(afterSwitchFrom("потом ", "c", "с"), std::nullopt);
    EXPECT_EQ(afterSwitchFrom("потом ", "D", "В"), std::nullopt);
    // After a word that names a key or a letter, or none known, the letter is the user's.
    EXPECT_EQ(afterSwitchFrom("клавишу ", "b", "и"), std::nullopt);
    EXPECT_EQ(afterSwitchFrom("", "b", "и"), std::nullopt);
    EXPECT_EQ(afterSwitchFrom("Qt ", "b", "и"), std::nullopt);
}

TEST_F(ExtendedEngineTest, RussianCapitalsNoListKnowsReadAsLatinAcronyms) {
    const std::string russian = "откройте файл ";
    EXPECT_EQ(corrected("ЗВА", kRussian, "PDF", kEnglish, russian), "PDF");
    EXPECT_EQ(corrected("ЦЩКВ", kRussian, "WORD", kEnglish, russian), "WORD");
    EXPECT_EQ(corrected("ЗВАб", kRussian, "PDF,", kEnglish, russian), "PDF,");
    // Russian acronyms the lists or the dictionary know stay, and so do two letters English
    // does not know as an acronym, and Latin acronyms typed right.
    EXPECT_FALSE(decide("США", kRussian, "CIF", kEnglish, russian));
    EXPECT_FALSE(decide("ТВ", kRussian, "ND", kEnglish, russian));
    EXPECT_FALSE(decide("TLS", kEnglish, "ЕДЫ", kRussian, russian));
    // Right after a switch to Russian the capitals are the user's choice.
    const auto switched = engine_->automaticDecision("ЗВА", russian, "org.example.Editor", kRussian,
                                                     {{kEnglish, "PDF", " "}}, 0.9, kEnglish);
    EXPECT_FALSE(switched);
}

TEST_F(ExtendedEngineTest, LatinTermsRussianCouldNotSpellAreSlips) {
    // No list holds "emacs", and "уь" is no Russian spelling.
    EXPECT_EQ(corrected("уьфсы", kRussian, "emacs", kEnglish, "запустите "), "emacs");
    // Digits type alike in every layout: the letters around them decide.
    EXPECT_EQ(corrected("дшис6б", kRussian, "libc6,", kEnglish, "пакет "), "libc6,");
    EXPECT_EQ(corrected("АФЕ32", kRussian, "FAT32", kEnglish, "раздел "), "FAT32");
    EXPECT_FALSE(decide("10-летний", kRussian, "10-ktnybq", kEnglish, "это "));
    EXPECT_FALSE(decide("ghbdtn2", kEnglish, "привет2", kRussian));
}

TEST_F(ExtendedEngineTest, APunctuationKeyTypedAsAWordOfItsOwnIsThatMark) {
    EXPECT_EQ(corrected("б", kRussian, ",", kEnglish, "hello "), ",");
    EXPECT_EQ(corrected("Э", kRussian, "\"", kEnglish, "he said "), "\"");
    // Amid Russian text, or with nothing before it, it is a letter.
    EXPECT_FALSE(decide("б", kRussian, ",", kEnglish, "привет "));
    EXPECT_FALSE(decide("ю", kRussian, ".", kEnglish, ""));
}

TEST_F(ExtendedEngineTest, EachPartOfACompoundIsReadOnItsOwn) {
    const auto decision = decide("Дштгч-система", kRussian, "Linux-cbcntvf", kEnglish, "это ");
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision->corrected, "Linux-система");
    // The user goes on typing in the layout of the last part.
    EXPECT_EQ(decision->targetLayout, kRussian);
    EXPECT_EQ(corrected("веб-ыукмук", kRussian, "dt,-server", kEnglish, "это "), "веб-server");
    // A lone letter joined by a hyphen is a key; parts no list knows stay whole.
    EXPECT_FALSE(decide("Ctrl-C", kEnglish, "Секд-С", kRussian, "нажмите "));
    EXPECT_FALSE(decide("Дштгч-бфлдщ", kRussian, "Linux-,akdo", kEnglish, "это "));
}

TEST_F(ExtendedEngineTest, TheOtherLayoutsFullStopAfterATermEndsASentence) {
    // "Windows. В" typed under US with "Windows" in its own layout: the full stop's key
    // shows "/", and the capital after it opens a sentence.
    EXPECT_EQ(corrected("D", kEnglish, "В", kRussian, "установите Windows/ "), "В");
    // Keys that end no sentence in either layout leave the capital an initial.
    EXPECT_FALSE(decide("D", kEnglish, "В", kRussian, "установите Windows, "));
    EXPECT_FALSE(decide("D", kEnglish, "В", kRussian, "установите Windows) "));
    EXPECT_FALSE(decide("D", kEnglish, "В", kRussian, "установите Windows "));
}

TEST_F(ExtendedEngineTest, ALatinWordWithACapitalInsideIsANameOrAUnit) {
    EXPECT_FALSE(decide("kB", kEnglish, "лИ", kRussian, "займёт ещё 300 "));
    EXPECT_FALSE(decide("iOS", kEnglish, "шЩЫ", kRussian, "как и в "));
    // In Cyrillic a capital after a small letter is a shifted punctuation key (Ж for :).
    EXPECT_EQ(corrected("руддщЖ", kRussian, "hello:", kEnglish), "hello:");
    // Keys that type punctuation in the other layout are no capital inside a word.
    EXPECT_EQ(corrected("j,kfcnm", kEnglish, "область", kRussian), "область");
}

TEST_F(ExtendedEngineTest, CharactersNoKeyTypesStayWhereTheyStood) {
    // Quotation marks no key of either layout types reach the token but not its re-reading.
    EXPECT_EQ(corrected("«ghbdtn»", kEnglish, "привет", kRussian), "«привет»");
    EXPECT_EQ(corrected("«j,kfcnm", kEnglish, "область", kRussian), "«область");
    EXPECT_EQ(corrected("ghbdtn…", kEnglish, "привет", kRussian), "привет…");
    // A re-reading that cannot be lined up with the token would lose characters: kept.
    EXPECT_FALSE(decide("«ghbdtn»", kEnglish, "привет»", kRussian));
    EXPECT_FALSE(decide("«ghbdtn", kEnglish, "прив", kRussian));
}

TEST_F(ExtendedEngineTest, CyrillicAfterACommandWordIsASlip) {
    EXPECT_EQ(corrected("еру", kRussian, "the", kEnglish, "make "), "the");
    // A Latin argument of a command stays as typed.
    EXPECT_FALSE(decide("ghbdtn", kEnglish, "привет", kRussian, "make "));
    EXPECT_FALSE(decide("ghbdtn", kEnglish, "привет", kRussian, "git "));
}

TEST_F(ExtendedEngineTest, ACapitalAndColonOpeningALineAreALabel) {
    EXPECT_EQ(corrected("ЙЖ", kRussian, "Q:", kEnglish), "Q:");
    EXPECT_EQ(corrected("ФЖ", kRussian, "A:", kEnglish, "Q: What?\n"), "A:");
    // Inside a line it is a letter, not a word.
    EXPECT_FALSE(decide("ЙЖ", kRussian, "Q:", kEnglish, "see "));
    EXPECT_FALSE(decide("ЙЖ", kRussian, "Q;", kEnglish));
}

TEST_F(ExtendedEngineTest, ASpellingItsLanguageNeverWritesIsNoNameOfIt) {
    // Russian starts no word with ы and never writes щк: names typed under Russian read as
    // English names, short ones too, after a name the user left as typed.
    EXPECT_EQ(corrected("Ыушвуд", kRussian, "Seidel", kEnglish, "Jens Оуты "), "Seidel");
    EXPECT_EQ(corrected("Икшч", kRussian, "Brix", kEnglish, "Morten "), "Brix");
    EXPECT_EQ(corrected("Ьщкеут", kRussian, "Morten", kEnglish, "Jens Оуты "), "Morten");
    // A name its language could spell keeps the benefit of the doubt.
    EXPECT_FALSE(decide("Оуты", kRussian, "Jens", kEnglish, "Seidel "));
    // Punctuation keys inside the typed word are left to the letter models (~n is a search
    // term, not a slip for Ёт).
    EXPECT_FALSE(decide("~n", kEnglish, "Ёт", kRussian, "является "));
    EXPECT_FALSE(decide("~N", kEnglish, "ЁТ", kRussian, "в короткой форме "));
}

TEST_F(ExtendedEngineTest, OnlyAWordItsLanguageKnowsIsContext) {
    const auto confidence = [&](const std::string& typed, const KeyboardLayout& from,
                                const std::string& reread, const KeyboardLayout& to,
                                const std::string& context) {
        const auto decision = decide(typed, from, reread, to, context, 0.0);
        return decision ? decision->confidence : -1.0;
    };
    // A package name left as typed (digits, ш before д) says nothing of the language the
    // user writes in: the next word reads as it would at the start, and is corrected.
    const double alone = confidence("ше", kRussian, "it", kEnglish, "");
    EXPECT_GT(alone, 0.9);
    EXPECT_DOUBLE_EQ(confidence("ше", kRussian, "it", kEnglish, "the package дшисдфтдши2ю "),
                     alone);
    EXPECT_DOUBLE_EQ(confidence("ше", kRussian, "it", kEnglish, "the GnuPG ЩзутЗПЗ "), alone);
    EXPECT_EQ(corrected("Ша", kRussian, "If", kEnglish, "the package дшисдфтдши2ю "), "If");
    // A word its language could write but does not know (a name, a slip) says no more:
    // "Ильф и Петров" typed under US after the first name was left as typed.
    EXPECT_DOUBLE_EQ(confidence("b", kEnglish, "и", kRussian, "-- Bkma "),
                     confidence("b", kEnglish, "и", kRussian, ""));
    EXPECT_EQ(corrected("b", kEnglish, "и", kRussian, "-- Bkma "), "и");
    // A real word of the typed language before it raises the bar.
    EXPECT_LT(confidence("ше", kRussian, "it", kEnglish, "the package привет "), alone);
    EXPECT_LT(confidence("b", kEnglish, "и", kRussian, "press the "),
              confidence("b", kEnglish, "и", kRussian, ""));
}

TEST_F(ExtendedEngineTest, XAndHardSignAreBracketsWhereAsLettersTheySpellNothing) {
    // An editor's insertion in a quotation typed under Russian: "[our", "organization]".
    EXPECT_EQ(corrected("хщгк", kRussian, "[our", kEnglish, "Nor does "), "[our");
    EXPECT_EQ(corrected("щкпфтшяфешщтъ", kRussian, "organization]", kEnglish, "the anarchist "),
              "organization]");
    EXPECT_EQ(corrected("хЦфккут", kRussian, "[Warren", kEnglish), "[Warren");
    // Where х and ъ spell a Russian word they stay letters.
    EXPECT_FALSE(decide("хеша", kRussian, "[tif", kEnglish, "the "));
    EXPECT_FALSE(decide("объём", kRussian, "j]`v", kEnglish, "the "));
}

TEST_F(ExtendedEngineTest, HyphensMayOpenAWord) {
    // A long option and a dash glued to the word it opens.
    EXPECT_EQ(corrected("--ырщц-ыгььфкн", kRussian, "--show-summary", kEnglish,
                        "the command-line argument "),
              "--show-summary");
    EXPECT_EQ(corrected("--ыщке", kRussian, "--sort", kEnglish, "use the "), "--sort");
    EXPECT_EQ(corrected("-<tcrjytxyjcnm?", kEnglish, "-Бесконечность,", kRussian,
                        "обладает счётом хуже "),
              "-Бесконечность,");
    // Options typed right stay, and a letter after a hyphen is an option, not a word.
    EXPECT_FALSE(decide("--help", kEnglish, "--рудз", kRussian, "запустите "));
    EXPECT_FALSE(decide("-f", kEnglish, "-а", kRussian, "опции командной строки "));
    EXPECT_FALSE(decide("-c", kEnglish, "-с", kRussian, "используется команда "));
}

TEST_F(ExtendedEngineTest, ALetterAndAFullStopAfterAWordAreAnInitialOrAnAbbreviation) {
    EXPECT_EQ(corrected("Сю", kRussian, "C.", kEnglish, "-- Arthur "), "C.");
    EXPECT_EQ(corrected("F/", kEnglish, "А.", kRussian, "Мануэль "), "А.");
    EXPECT_EQ(corrected("n/", kEnglish, "т.", kRussian, "размер и "), "т.");
    EXPECT_EQ(corrected("l/", kEnglish, "д.", kRussian, "размер и т. "), "д.");
    // Other punctuation may follow the full stop.
    EXPECT_EQ(corrected("l/?", kEnglish, "д.,", kRussian, "удаления и т. "), "д.,");
    EXPECT_EQ(corrected("l/)^", kEnglish, "д.):", kRussian, "размер и т. "), "д.):");
    EXPECT_EQ(corrected("ую", kRussian, "e.", kEnglish, "To solve it, press "), "e.");
    // Without a word of that language before it, it is a letter and a slip of another key.
    EXPECT_FALSE(decide("Сю", kRussian, "C.", kEnglish, "Мануэль "));
    // A full stop typed as such stays with the letter typed before it.
    EXPECT_FALSE(decide("C.", kEnglish, "Сю", kRussian, "Мануэль "));
}

TEST_F(ExtendedEngineTest, ACapitalMarksANameOnlyInsideASentence) {
    // An unknown word with a capital may be a name inside a sentence, not where one starts:
    // after the same words it reads likelier as a slip after a full stop or a colon.
    const auto confidence = [&](const std::string& context) {
        const auto decision = decide("Nen", kEnglish, "Тут", kRussian, context, 0.0);
        return decision ? decision->confidence : 0.0;
    };
    EXPECT_GT(confidence("Ответ. "), confidence("Ответ, ") + 0.05);
    EXPECT_GT(confidence("Вопрос: "), confidence("Вопрос ") + 0.05);
    // The other layout's full stop after a term ends a sentence too.
    EXPECT_GT(confidence("Глава 5/2/ "), confidence("Глава 5, ") + 0.05);
    EXPECT_FALSE(decide("Nen", kEnglish, "Тут", kRussian, "сказал "));
}

TEST_F(ExtendedEngineTest, AKeyKeptAsTypedDoesNotBreakAWordIntoALoneLetter) {
    // "e;" spells "уж": read as "у" and a typed semicolon it would change one word into
    // another.
    EXPECT_NE(corrected("e;", kEnglish, "уж", kRussian, "Ох "), "у;");
    // "r," spells "кб" (KB): a key named in Russian text stays.
    EXPECT_FALSE(decide("r,", kEnglish, "кб", kRussian, "вы можете нажать "));
    // Where the keys spell no word, the typed comma still closes the lone letter.
    EXPECT_EQ(corrected("d,", kEnglish, "вб", kRussian, "пакет aptitude "), "в,");
}

TEST_F(ExtendedEngineTest, ConfidenceIsAProbabilityThatHistoryAdjusts) {
    const auto plain = decide("ghbdtn", kEnglish, "привет", kRussian, "", 0.0);
    ASSERT_TRUE(plain);
    EXPECT_GT(plain->confidence, 0.9);
    EXPECT_LE(plain->confidence, 1.0);
    EXPECT_EQ(plain->reason, "Converted text is more plausible in Russian (" +
                                 std::to_string(static_cast<int>(plain->confidence * 100)) + "%).");
    const auto unsure = decide("руку", kRussian, "here", kEnglish, "", 0.0);
    ASSERT_TRUE(unsure);
    history_.set("руку", "here", "org.example.Editor", -0.2);
    const auto rejected = decide("руку", kRussian, "here", kEnglish, "", 0.0);
    ASSERT_TRUE(rejected);
    EXPECT_NEAR(rejected->confidence, std::max(0.0, unsure->confidence - 0.2), 1e-9);
    // The threshold applies to the adjusted confidence.
    EXPECT_FALSE(decide("руку", kRussian, "here", kEnglish, "", unsure->confidence));
}

TEST_F(ExtendedEngineTest, LayoutsWithoutLanguageDataUseTheDescribedScoring) {
    detector_->set("ghbdtn", kEnglish, 0.0);
    detector_->set("ubxtdt", kGerman, 0.9, true);
    const auto decision = decide("ghbdtn", kEnglish, "ubxtdt", kGerman);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision->corrected, "ubxtdt");
    EXPECT_EQ(decision->targetLayout, kGerman);
    EXPECT_FALSE(detector_->questions.empty());
}

TEST_F(ExtendedEngineTest, TheBestOfSeveralLayoutsWinsAndNearTiesAreRefused) {
    const KeyboardLayout ukrainian{"xkb:ua", "Ukrainian", {"uk"}};
    const auto decision =
        engine_->automaticDecision("ghbdtn", "", "org.example.Editor", kEnglish,
                                   {{kRussian, "привет", " "}, {ukrainian, "привет", " "}}, 0.9);
    ASSERT_TRUE(decision);
    EXPECT_EQ(decision->corrected, "привет");
    // Two different words just as likely: too close to call.
    const auto tie = engine_->automaticDecision(
        "ghbdtn", "", "org.example.Editor", kEnglish,
        {{kRussian, "привет", " "}, {kRussian, "привет", " "}, {ukrainian, "ghbdtn", " "}}, 0.9);
    EXPECT_TRUE(tie);
}

}  // namespace
}  // namespace plovik

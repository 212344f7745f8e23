#include "i18n/string_table.hpp"

#include "i18n/text_ids.hpp"

#include <gtest/gtest.h>

#include <array>

namespace orvessa {
namespace {

constexpr std::array kBases = {kSpanishBase, kEnglishBase, kGermanBase, kFrenchBase};

TEST(StringTable, EveryShownNumberExistsInEveryLanguageAndNoOther) {
  constexpr std::array kUnlisted = {13, 18, 67, 68, 69,  70,  71,  72,  73,  80,  90,  91, 93,
                                    94, 97, 98, 99, 100, 101, 102, 103, 104, 105, 110, 111};
  for (int base : kBases) {
    for (int n = 1; n <= kStringsPerLanguage; ++n) {
      bool listed = std::find(kUnlisted.begin(), kUnlisted.end(), n) == kUnlisted.end();
      EXPECT_EQ(HasResString(base + n), listed) << "base " << base << " string " << n;
      EXPECT_EQ(LoadResString(base + n).empty(), !listed) << "base " << base << " string " << n;
    }
  }
  EXPECT_FALSE(HasResString(100));
  EXPECT_FALSE(HasResString(557));
  EXPECT_EQ(LoadResString(-1), "");
}

TEST(StringTable, IdsAreNeverFoldedAcrossLanguageBlocks) {
  EXPECT_TRUE(LoadResString(214).starts_with("Puede ejecutar")) << "last Spanish text";
  EXPECT_EQ(LoadResString(215), "To run, double-click in the yellow icon (near the clock)...");
  EXPECT_EQ(LoadResString(329),
            "Um das Programm aufzurufen, auf das gelbe Icon neben der Uhr doppelklicken...");
  EXPECT_TRUE(LoadResString(556).ends_with("in the Language menu.\"")) << "last French text";
  for (int base : kBases) EXPECT_EQ(LoadResString(base + 19), "Language");
}

TEST(StringTable, TextsKeepTheirBlanksQuotesAndSpellingExactly) {
  const std::pair<int, const char*> kTexts[] = {
      {kEnglishBase + 88, "You have not chose either source folder or file to copy. "},
      {kSpanishBase + 31, "Añadir Carpetas "},
      {kFrenchBase + 57, "Espace disponible: "},
      {kGermanBase + 81,
       "Um das bestehende Verzeichnis zu löschen, schreiben  Sie den entsprechenden Name "
       "des Verzeichnisses hin"},
      {kFrenchBase + 96, "Fichiers Texte (*. txt)"},
      {kFrenchBase + 92, "Impissible de copier le dossier / le fichier - permission refusée."},
      {kEnglishBase + 52, "Time of copie"},
      {kEnglishBase + 114,
       "You can run the program clicking the yellow icon in the system tray, near the clock of "
       "Windows. Also you can choose your language in the \"Language\" menu."},
      {kGermanBase + 114,
       "Um das Programm aufzurufen, auf das gelbe Icon neben der Uhr doppelklicken. "},
      {kSpanishBase + 29, "Nº de archivos:"},
      {kFrenchBase + 65, "SUCCÈS"},
      {kSpanishBase + 9, "Ejecutar Orvessa al iniciar Windows"},
      {kEnglishBase + 35, "Necessary Space:"},
      {kEnglishBase + 56, "Necessary space:"},
      {kFrenchBase + 15, "Page Web : https://www.orvessa.example.org/"},
  };
  for (auto [id, text] : kTexts) EXPECT_EQ(LoadResString(id), text) << id;
  EXPECT_TRUE(LoadResString(kEnglishBase + 76).ends_with(". "));
}

TEST(StringTable, TextsBeyondTheFirstTableExistInEveryLanguageWithoutShiftingIds) {
  for (int base : kBases) {
    for (int n = kStringsPerLanguage + 1; n <= text_id::kLastTextNumber; ++n) {
      EXPECT_FALSE(LoadText(base, n).empty()) << "base " << base << " string " << n;
    }
    for (int n = 1; n <= kStringsPerLanguage; ++n)
      EXPECT_EQ(LoadText(base, n), LoadResString(base + n));
  }
  EXPECT_EQ(LoadText(kEnglishBase, text_id::kStop), "Stop");
  EXPECT_EQ(LoadText(kFrenchBase, text_id::kStopped), "ARRÊTÉE");
  EXPECT_EQ(LoadText(kEnglishBase, text_id::kLastTextNumber + 1), "");
  EXPECT_EQ(LoadText(215, 1), "") << "not a language base";
}

}  // namespace
}  // namespace orvessa

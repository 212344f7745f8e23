#include "i18n/string_table.hpp"

#include <gtest/gtest.h>

#include <array>

namespace orvessa {
namespace {

// The string numbers the program shows somewhere; the others are never looked up.
constexpr std::array kListedNumbers = {
    1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,  12,  14,  15,  16,  17,  19, 20,
    21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31,  32,  33,  34,  35,  36,  37, 38,
    39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49,  50,  51,  52,  53,  54,  55, 56,
    57, 58, 59, 60, 61, 62, 63, 64, 65, 66, 74,  75,  76,  77,  78,  79,  81, 82,
    83, 84, 85, 86, 87, 88, 89, 92, 95, 96, 106, 107, 108, 109, 112, 113, 114};
constexpr std::array kBases = {kSpanishBase, kEnglishBase, kGermanBase, kFrenchBase};

TEST(StringTable, EveryListedNumberExistsInEveryLanguage) {
  for (int base : kBases) {
    for (int n : kListedNumbers) {
      EXPECT_TRUE(HasResString(base + n)) << "base " << base << " string " << n;
      EXPECT_FALSE(LoadResString(base + n).empty()) << "base " << base << " string " << n;
    }
  }
}

TEST(StringTable, IdsAreNeverFoldedAcrossLanguageBlocks) {
  EXPECT_EQ(LoadResString(kSpanishBase + 114).substr(0, 22), "Puede ejecutar el prog");
  EXPECT_EQ(LoadResString(214).substr(0, 6), "Puede ") << "214 is the last Spanish text";
  EXPECT_EQ(LoadResString(215), "To run, double-click in the yellow icon (near the clock)...");
  EXPECT_EQ(LoadResString(329),
            "Um das Programm aufzurufen, auf das gelbe Icon neben der Uhr doppelklicken...");
  EXPECT_TRUE(LoadResString(556).ends_with("in the Language menu.\"")) << "556 is the last entry";
  EXPECT_FALSE(HasResString(100));
  EXPECT_FALSE(HasResString(557));
  EXPECT_FALSE(HasResString(kEnglishBase + 13)) << "unlisted numbers are not in the table";
  EXPECT_FALSE(HasResString(kEnglishBase + 80));
  EXPECT_EQ(LoadResString(-1), "");
  EXPECT_EQ(LoadResString(100000), "");
}

TEST(StringTable, TextsKeepTheirBlanksQuotesAndSpellingExactly) {
  EXPECT_EQ(LoadResString(kEnglishBase + 88),
            "You have not chose either source folder or file to copy. ");
  EXPECT_EQ(LoadResString(kSpanishBase + 31),
            "A\xC3\xB1"
            "adir Carpetas ");
  EXPECT_EQ(LoadResString(kFrenchBase + 57), "Espace disponible: ");
  EXPECT_EQ(LoadResString(kFrenchBase + 88),
            "Vous devez choisir au moins un dossier ou un fichier \xC3\xA0 copier. ");
  EXPECT_EQ(LoadResString(kGermanBase + 81),
            "Um das bestehende Verzeichnis zu l\xC3\xB6schen, schreiben  Sie den entsprechenden "
            "Name des Verzeichnisses hin");
  EXPECT_EQ(LoadResString(kSpanishBase + 81),
            "Debe escribir el nombre del directorio a borrar y debe coinciidir con la carpeta de "
            "la unidad de destino");
  EXPECT_EQ(LoadResString(kFrenchBase + 96), "Fichiers Texte (*. txt)");
  EXPECT_EQ(LoadResString(kFrenchBase + 92),
            "Impissible de copier le dossier / le fichier - permission refus\xC3\xA9"
            "e.");
  EXPECT_EQ(LoadResString(kEnglishBase + 52), "Time of copie");
  EXPECT_EQ(LoadResString(kGermanBase + 39), "suche Laufwerk");
  EXPECT_EQ(LoadResString(kEnglishBase + 114),
            "You can run the program clicking the yellow icon in the system tray, near the clock "
            "of Windows. Also you can choose your language in the \"Language\" menu.");
  EXPECT_EQ(LoadResString(kGermanBase + 114),
            "Um das Programm aufzurufen, auf das gelbe Icon neben der Uhr doppelklicken. ");
  EXPECT_EQ(LoadResString(kFrenchBase + 114),
            "Double-cliquez sur l'ic\xC3\xB4ne jaune dans la system tray pour lancer le programme. "
            "\"Also you can choose your language in the Language menu.\"");
  EXPECT_EQ(LoadResString(kSpanishBase + 29), "N\xC2\xBA de archivos:");
  EXPECT_EQ(LoadResString(kFrenchBase + 65), "SUCC\xC3\x88S");
  EXPECT_EQ(LoadResString(kSpanishBase + 106),
            "D\xC3\xAD"
            "as");
  EXPECT_EQ(LoadResString(kEnglishBase + 35), "Necessary Space:");
  EXPECT_EQ(LoadResString(kEnglishBase + 56), "Necessary space:");
}

TEST(StringTable, TheLanguageMenuAndProductNameReadTheSameEverywhere) {
  for (int base : kBases) EXPECT_EQ(LoadResString(base + 19), "Language");
  for (int n : {2, 3, 112}) {
    for (int base : kBases) {
      if (base == kFrenchBase && n == 112) continue;  // "Cliquez pour restaurer l'application."
      EXPECT_NE(LoadResString(base + n).find("Orvessa"), std::string::npos) << base << " " << n;
    }
  }
  EXPECT_EQ(LoadResString(kSpanishBase + 9), "Ejecutar Orvessa al iniciar Windows");
  EXPECT_EQ(LoadResString(kSpanishBase + 10), "No ejecutar Orvessa al iniciar Windows");
}

TEST(StringTable, TheImplementersTextsAreFilledIn) {
  const std::string web(kWebAddress);
  EXPECT_EQ(LoadResString(kEnglishBase + 15), "Web page: " + web);
  EXPECT_EQ(LoadResString(kSpanishBase + 15), "P\xC3\xA1gina web: " + web);
  EXPECT_EQ(LoadResString(kGermanBase + 15), "Web-Seite: " + web);
  EXPECT_EQ(LoadResString(kFrenchBase + 15), "Page Web : " + web);
  EXPECT_EQ(LoadResString(kEnglishBase + 76).back(), ' ');
  for (int base : kBases) {
    EXPECT_GT(LoadResString(base + 75).size(), 10u);
    EXPECT_GT(LoadResString(base + 76).size(), 100u);
  }
}

}  // namespace
}  // namespace orvessa

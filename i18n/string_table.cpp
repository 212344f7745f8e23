#include "i18n/string_table.hpp"

#include <array>
#include <charconv>
#include <vector>

#include "i18n/text_ids.hpp"

extern const char orvessa_strings_tsv[];
extern const std::size_t orvessa_strings_tsv_size;

namespace orvessa {
namespace {

constexpr int kCount = text_id::kLastTextNumber;
// Column order of the data file after the string number.
constexpr std::array<int, 4> kColumnBases = {kSpanishBase, kEnglishBase, kGermanBase, kFrenchBase};

// Texts by column, then by number (index 0 unused).
struct Table {
  std::array<std::vector<std::string>, 4> texts;
  std::array<std::vector<bool>, 4> present;
  Table() {
    texts.fill(std::vector<std::string>(kCount + 1));
    present.fill(std::vector<bool>(kCount + 1));
  }
};

int ColumnOf(int language_base) {
  for (std::size_t column = 0; column < kColumnBases.size(); ++column) {
    if (kColumnBases[column] == language_base) return static_cast<int>(column);
  }
  return -1;
}

// Rows: string number, then the Spanish, English, German and French texts, separated by
// tabs. Texts are taken byte for byte: their blanks are part of them. Lines starting
// with "#" are comments.
Table ParseTable(std::string_view data) {
  Table table;
  while (!data.empty()) {
    std::size_t end = data.find('\n');
    std::string_view row = data.substr(0, end);
    data.remove_prefix(end == std::string_view::npos ? data.size() : end + 1);
    if (row.empty() || row.front() == '#') continue;

    std::array<std::string_view, 5> cells;
    std::size_t n = 0;
    for (; n < cells.size(); ++n) {
      std::size_t tab = row.find('\t');
      cells[n] = row.substr(0, tab);
      if (tab == std::string_view::npos) {
        row = {};
        ++n;
        break;
      }
      row.remove_prefix(tab + 1);
    }
    if (n != cells.size() || !row.empty()) continue;

    int number = 0;
    auto [end_of_number, error] =
        std::from_chars(cells[0].data(), cells[0].data() + cells[0].size(), number);
    if (error != std::errc() || end_of_number != cells[0].data() + cells[0].size() || number < 1 ||
        number > kCount) {
      continue;
    }
    for (std::size_t column = 0; column < kColumnBases.size(); ++column) {
      table.texts[column][static_cast<std::size_t>(number)] = std::string(cells[column + 1]);
      table.present[column][static_cast<std::size_t>(number)] = true;
    }
  }
  return table;
}

const Table& TheTable() {
  static const Table table =
      ParseTable(std::string_view(orvessa_strings_tsv, orvessa_strings_tsv_size));
  return table;
}

}  // namespace

bool HasResString(int id) {
  for (int base : kColumnBases) {
    if (id > base && id <= base + kStringsPerLanguage) {
      return TheTable()
          .present[static_cast<std::size_t>(ColumnOf(base))][static_cast<std::size_t>(id - base)];
    }
  }
  return false;
}

const std::string& LoadResString(int id) {
  static const std::string kNone;
  for (int base : kColumnBases) {
    if (id > base && id <= base + kStringsPerLanguage) return LoadText(base, id - base);
  }
  return kNone;
}

const std::string& LoadText(int language_base, int number) {
  static const std::string kNone;
  const int column = ColumnOf(language_base);
  if (column < 0 || number < 1 || number > kCount) return kNone;
  return TheTable().texts[static_cast<std::size_t>(column)][static_cast<std::size_t>(number)];
}

}  // namespace orvessa

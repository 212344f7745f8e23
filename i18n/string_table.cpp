#include "i18n/string_table.hpp"

#include <array>
#include <charconv>
#include <vector>

extern const char orvessa_strings_tsv[];
extern const std::size_t orvessa_strings_tsv_size;

namespace orvessa {
namespace {

constexpr int kFirstId = kSpanishBase + 1;
constexpr int kLastId = kFrenchBase + kStringsPerLanguage;
// Column order of the data file after the string number.
constexpr std::array<int, 4> kColumnBases = {kSpanishBase, kEnglishBase, kGermanBase, kFrenchBase};

struct Table {
  std::vector<std::string> texts = std::vector<std::string>(kLastId - kFirstId + 1);
  std::vector<bool> present = std::vector<bool>(kLastId - kFirstId + 1);
};

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
        number > kStringsPerLanguage) {
      continue;
    }
    for (std::size_t column = 0; column < kColumnBases.size(); ++column) {
      std::size_t index = static_cast<std::size_t>(kColumnBases[column] + number - kFirstId);
      table.texts[index] = std::string(cells[column + 1]);
      table.present[index] = true;
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
  return id >= kFirstId && id <= kLastId &&
         TheTable().present[static_cast<std::size_t>(id - kFirstId)];
}

const std::string& LoadResString(int id) {
  static const std::string kNone;
  if (!HasResString(id)) return kNone;
  return TheTable().texts[static_cast<std::size_t>(id - kFirstId)];
}

}  // namespace orvessa

// The shipped catalog against the object-id tables, the record of what every id is: read
// with our own reader, every entry must carry the table's name and link, and the items and
// movables of the demo level and of the real levels must be named as the tables say.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "exchange/catalog_movables.h"
#include "level/level_reader.h"
#include "test_paths.h"

namespace qavel {
namespace {

struct TableRow {
  std::string name;
  int32_t alias = -1;  // the first id the model's items are placed under
  bool in_catalog = true;
};
using Table = std::map<uint32_t, TableRow>;

// Rows that are no object of the original games stay out of the catalog: ids that only map
// static meshes into the id space, and ids that only extended engines use.
bool IsOriginalObject(const std::string& name) {
  const bool scenery = name.rfind("Static mesh ", 0) == 0 && name.ends_with(" (scenery)");
  return !scenery && name.find("extended engine") == std::string::npos;
}

// Reads "id name kind alias_of note", tab separated, after a header line.
Table ReadTable(const std::string& path) {
  std::ifstream in(path);
  Table table;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream cols(line);
    for (std::string cell; std::getline(cols, cell, '\t');) cells.push_back(cell);
    if (cells.size() < 2) continue;
    TableRow& row = table[static_cast<uint32_t>(std::stoul(cells[0]))];
    row.name = cells[1];
    row.in_catalog = IsOriginalObject(row.name);
    if (cells.size() > 3 && !cells[3].empty()) row.alias = std::stoi(cells[3]);
  }
  return table;
}

std::string TableOf(int32_t version_kind) {
  const std::string section = CatalogSectionName(version_kind);
  return section == "TRC" ? "TR5" : section;
}

// The catalog's name for an id read alone: the table's, or the reader's default.
std::string ExpectedName(const Table& table, uint32_t id) {
  const auto row = table.find(id);
  if (row == table.end() || !row->second.in_catalog) return "Moveable Id#" + std::to_string(id);
  return row->second.name;
}

TEST(ShippedCatalog, EveryEntryCarriesTheTablesNameAndLink) {
  std::ifstream file(test::DataPath("trcatalog.xml"), std::ios::binary);
  const std::string shipped{std::istreambuf_iterator<char>(file), {}};
  for (int32_t kind : {kTR1, kTR1Tub, kTR2, kTR2Trg, kTR3, kTR4, kTR5}) {
    // The rows the build read from the shipped file give what reading it now gives (one more
    // byte makes it another file, read now).
    MovableCatalog built, read;
    const auto from_build = LoadMovableCatalogText(built, shipped, "c.xml", kind);
    const auto from_file = LoadMovableCatalogText(read, shipped + "\n", "c.xml", kind);
    EXPECT_TRUE(built.entries == read.entries && from_build.section == from_file.section &&
                from_file.result && from_file.warnings.empty())
        << "kind " << kind;
    QAVEL_OBJECT_ID_TABLE_OR_SKIP(path, TableOf(kind));
    const Table table = ReadTable(path);
    ASSERT_GT(table.size(), 200u) << path;
    MovableCatalog catalog;
    const auto report = LoadMovableCatalog(catalog, test::DataPath("trcatalog.xml"), kind);
    ASSERT_TRUE(report.file_found);
    EXPECT_TRUE(report.result) << report.result.message();
    EXPECT_TRUE(report.warnings.empty());
    EXPECT_EQ(report.section, CatalogSectionName(kind));
    std::vector<std::string> wrong;
    for (uint32_t id = 0; id < kCatalogSize; ++id) {
      const auto row = table.find(id);
      const bool linked = row != table.end() && row->second.in_catalog;
      const std::string name = ExpectedName(table, id);
      const int32_t alias = linked ? row->second.alias : -1;
      const tmovable_record& e = catalog.entries[id];
      if (e.name != name || e.alias_id != alias)
        wrong.push_back(std::to_string(id) + ": \"" + e.name + "\" ID2 " +
                        std::to_string(e.alias_id) + ", table \"" + name + "\" ID2 " +
                        std::to_string(alias));
    }
    EXPECT_TRUE(wrong.empty()) << report.section << ", " << wrong.size()
                               << " entries differ, first " << wrong.front()
                               << "; run scripts/make_catalog.py";
  }
}

// The lists a designer reads: the movables box and the item list, through the path the
// window and the command line take (read, load the catalog, enter the level's movables).
TEST(ShippedCatalog, LevelItemsAndMovablesTakeTheTablesNames) {
  for (const auto& [label, level_path] : test::SweptLevels()) {
    SCOPED_TRACE(level_path);
    const Ttrlevel level = test::ReadLevelOrFail(level_path);
    ASSERT_TRUE(level.IsLoaded());
    QAVEL_OBJECT_ID_TABLE_OR_SKIP(path, TableOf(level.version_kind));
    const Table table = ReadTable(path);
    MovableCatalog catalog;
    LoadMovableCatalog(catalog, test::DataPath("trcatalog.xml"), level.version_kind);
    const auto movable_names = EnterLevelMovables(catalog, level);

    // Items placed under a sprite or pickup id take the name of the level's model.
    std::map<uint32_t, std::string> placed_under;
    for (const auto& m : level.movables) {
      EXPECT_EQ(movable_names[&m - level.movables.data()], ExpectedName(table, m.object_id))
          << "movable id " << m.object_id;
      const auto row = table.find(m.object_id);
      if (row != table.end() && row->second.alias >= 0)
        placed_under[static_cast<uint32_t>(row->second.alias)] = row->second.name;
    }
    std::vector<uint32_t> ids;
    for (const titem2& i : level.items2) ids.push_back(i.object_id);
    if (level.version_kind >= kTR4)
      for (const taux_item& a : level.aux_items) ids.push_back(a.object_id);
    ASSERT_FALSE(ids.empty());
    for (const uint32_t id : ids) {
      const auto model = placed_under.find(id);
      const std::string name =
          model != placed_under.end() ? model->second : ExpectedName(table, id);
      EXPECT_NE(name.rfind("Moveable Id#", 0), 0u) << "id " << id;
      EXPECT_EQ(MovableName(catalog, id), name);
    }
  }
}

}  // namespace
}  // namespace qavel

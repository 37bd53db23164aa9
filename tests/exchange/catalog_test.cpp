// The movable catalog: reading catalogs as we and other tools write them, and refusing hostile
// ones. The shipped catalog against the object-id tables, the record of what every id is: read
// with our own reader, every entry must carry the table's name and link, and the items and
// movables of the demo level and of the real levels must be named as the tables say.

#include "exchange/catalog_movables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "exchange/xml_parser.h"
#include "level/level_reader.h"
#include "level/zfile.h"
#include "peak_memory.h"
#include "test_paths.h"

namespace qavel {
namespace {

CatalogLoadReport Load(MovableCatalog& catalog, const std::string& xml, int32_t kind = kTR4) {
  return LoadMovableCatalogText(catalog, xml, "cat.xml", kind);
}

const char* kSections = R"(<?xml version="1.0"?>
<root>
  <game name="TR1"><moveables><m ID="0" NAME="Lara one"/></moveables></game>
  <game name="TR4">
    <moveables>
      <m ID="0" NAME="Lara"/>
      <m id="12" name="Rolling ball" id2="13" use_body_from="7" Y_ADJUST="1.5" ai="3"/>
      <m ID="12" NAME="none" X_ADJUST="2"/>
      <m ID="600" NAME="too far"/>
      <m ID="-5" NAME="negative"/>
      <m NAME="no id"/>
    </moveables>
    <moveables><m ID="1" NAME="second moveables"/></moveables>
  </game>
  <game name="TR4"><moveables><m ID="2" NAME="second game"/></moveables></game>
  <Game name="TR3"><moveables><m ID="3" NAME="wrong case"/></moveables></Game>
</root>)";

TEST(MovableCatalog, ReadsTheFirstSectionOfTheGeneration) {
  MovableCatalog catalog;
  const auto report = Load(catalog, kSections);
  EXPECT_TRUE(report.result);
  EXPECT_TRUE(report.warnings.empty());
  EXPECT_EQ(report.section, "TR4");
  EXPECT_EQ(MovableName(catalog, 0), "Lara");
  EXPECT_EQ(MovableName(catalog, 1), "Moveable Id#1");  // second moveables not read
  EXPECT_EQ(MovableName(catalog, 2), "Moveable Id#2");  // nor a second game of the section
  // A later element with NAME "none" keeps the name but stores its adjust values and ai.
  // (Name, alias, body, the six adjust values from y, ai, movable index.)
  EXPECT_EQ(catalog.entries[12], (tmovable_record{"Rolling ball", 13, 7, 0, 2, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(MovableName(catalog, 599), "Moveable Id#599");
  EXPECT_EQ(MovableName(catalog, 600), "Moveable Id#600");
  EXPECT_EQ(MovableIndexOf(catalog, 600), -1);
  EXPECT_EQ(AliasOf(catalog, 70000), -1);
  // Element names and the section value match in exact case only.
  Load(catalog, kSections, kTR3);
  EXPECT_EQ(MovableName(catalog, 3), "Moveable Id#3");
  // A generation without a section gets the default names.
  EXPECT_TRUE(Load(catalog, kSections, kTR2).section.empty());
  EXPECT_EQ(MovableName(catalog, 0), "Moveable Id#0");
  EXPECT_EQ(catalog.entries[12].alias_id, -1);
  // TR5 reads the TRC section, else the one other tools name TR5.
  const std::string both = R"(<c><game v="TR5"><moveables><m ID="0" NAME="five"/></moveables>
    </game><game v="TRC"><moveables><m ID="0" NAME="trc"/></moveables></game></c>)";
  const std::string tr5_only = R"(<c><game v="TR5"><moveables><m ID="0" NAME="five"/>
    </moveables></game></c>)";
  EXPECT_EQ(Load(catalog, both, kTR5).section, "TRC");
  EXPECT_EQ(MovableName(catalog, 0), "trc");
  EXPECT_EQ(Load(catalog, tr5_only, kTR5).section, "TR5");
  EXPECT_EQ(MovableName(catalog, 0), "five");
  EXPECT_TRUE(Load(catalog, tr5_only, kTR4).section.empty());
}

// A value that does not convert is told once for its attribute and fault, however often it
// occurs: the first with its line, and how many there were.
TEST(MovableCatalog, UnconvertibleValuesAreReportedOnceAndSkipped) {
  std::string xml =
      "<c>\n<game v=\"TR4\"><moveables>\n"
      "<m ID=\"5\" NAME=\"Guard\" AI=\"true\" Y_ADJUST=\"1,5\" ID2=\"7\"/>\n"
      "<m ID=\"x\" NAME=\"lost\"/>\n"
      "<m ID=\" 6 \" NAME=\"Six\" AI=\"70000\" RX_ADJUST=\"-0.25\"/>\n";
  for (int i = 0; i < 528; ++i) xml += "<m ID=\"id" + std::to_string(i) + "\" AI=\"true\"/>\n";
  xml += "</moveables></game></c>";
  MovableCatalog catalog;
  const auto report = Load(catalog, xml);
  EXPECT_TRUE(report.result);
  EXPECT_EQ(report.warnings,
            (std::vector<std::string>{
                "cat.xml: line 3: attribute AI=\"true\" is not an integer in range; ignored (530 "
                "such AI values in all)",
                "cat.xml: line 3: attribute Y_ADJUST=\"1,5\" is not a number; ignored",
                "cat.xml: line 4: attribute ID=\"x\" is not an integer in range; ignored (529 such "
                "ID values in all)"}));
  EXPECT_EQ(MovableName(catalog, 5), "Guard");
  EXPECT_EQ(AliasOf(catalog, 5), 7);
  EXPECT_EQ(MovableName(catalog, 6), "Six");
  EXPECT_EQ(catalog.entries[6].rx_adjust, -0.25f);
}

// Catalogs are read in memory that does not grow with the file, and what no catalog can be is
// refused: a file beyond any real one's size, nesting deeper than any catalog's.
TEST(MovableCatalog, HostileFilesAreReadInBoundedMemoryOrRefused) {
  std::string many = "<c><game v=\"TR4\"><moveables>\n";
  while (many.size() < (12u << 20)) many += "<m ID=\"7\" NAME=\"Wolf\" ai=\"true\"/>\n";
  many += "</moveables></game></c>";
  std::string deep;
  for (int i = 0; i < 1 << 20; ++i) deep += "<a>";
  // One megabyte that names an entity of 240 characters 350,000 times: 84 MB of text, an
  // amplification the XML parser allows by default.
  std::string entities = "<?xml version=\"1.0\"?>\n<!DOCTYPE c [<!ENTITY w \"" +
                         std::string(240, 'w') + "\">]>\n<c><game v=\"TR4\"><moveables>";
  while (entities.size() < (1u << 20)) entities += "&w;";
  entities += "</moveables></game></c>";
  // Each read in a child process: the message it ends with, what id 7 is named, the KiB bound.
  for (const auto& [xml, says, seven, most] :
       {std::tuple{&entities, "line 2, column 25: entity declarations are not accepted",
                   "Moveable Id#7", 3 << 10},
        {&many, "", "Wolf", 8 << 10},
        {&deep, "line 1, column 772: elements nested deeper than 256", "Moveable Id#7", 8 << 10}}) {
    const long kib = test::PeakGrowthKiB([&, xml = xml, says = says, seven = seven] {
      MovableCatalog c;
      const auto report = Load(c, *xml);
      return report.result.message().ends_with(says) && MovableName(c, 7) == seven;
    });
    EXPECT_TRUE(kib >= 0 && kib < most) << kib << " KiB to read " << xml->size() << " bytes";
  }

  // Files are read as levels are (devices and pipes refused alike), with a catalog's own limit.
  const std::string big = test::ScratchDir("catalog_hostile") + "/big.xml";
  std::ofstream(big).close();
  std::filesystem::resize_file(big, 17u << 20);
  MovableCatalog c;
  const auto report = LoadMovableCatalog(c, big, kTR4);
  EXPECT_TRUE(report.file_found);
  EXPECT_EQ(report.result.message(), "cannot open " + big +
                                         ": 17825792 bytes is too large for a movable catalog (at "
                                         "most 16777216)");
}

// Catalogs need no entities; a document that declares one is refused before anything is
// expanded, whatever kind it is.
TEST(MovableCatalog, EntityDeclarationsAreRefused) {
  const std::string body = "<c><game v=\"TR4\"><moveables><m ID=\"0\" NAME=\"x\"/>";
  for (const auto& [dtd, where] : {
           std::pair{"<!DOCTYPE c [<!ENTITY w \"wolf\">]>", "line 1, column 25"},
           {"<!DOCTYPE c [\n <!ENTITY % p \"<!ELEMENT c ANY>\"> %p;]>", "line 2, column 15"},
           {"<!DOCTYPE c [<!ENTITY e SYSTEM \"/etc/passwd\">]>", "line 1, column 45"},
       }) {
    MovableCatalog catalog;
    const auto report =
        Load(catalog, std::string(dtd) + "\n" + body + "&w;</moveables></game></c>");
    EXPECT_EQ(report.result.status(), Status::kDamaged);
    EXPECT_EQ(report.result.message(),
              "cat.xml: " + std::string(where) + ": entity declarations are not accepted");
    EXPECT_EQ(MovableName(catalog, 0), "Moveable Id#0");
  }
  // A document type without entities is read as before.
  MovableCatalog catalog;
  EXPECT_TRUE(
      Load(catalog, "<!DOCTYPE c [<!ELEMENT c ANY>]>" + body + "</moveables></game></c>").result);
  EXPECT_EQ(MovableName(catalog, 0), "x");
}

// A missing or unreadable file changes nothing; a malformed one leaves the defaults and says where.
TEST(MovableCatalog, FilesThatCannotBeReadChangeNothingAndMalformedOnesLeaveTheDefaults) {
  MovableCatalog catalog;
  const auto missing = LoadMovableCatalog(catalog, "/nonexistent/trcatalog.xml", kTR4);
  EXPECT_TRUE(!missing.file_found && missing.result);
  EXPECT_EQ(catalog.entries[0], tmovable_record{});  // empty names until a catalog is read
  const std::string dir = test::ScratchDir("catalog_unreadable");
  const auto unreadable = LoadMovableCatalog(catalog, dir, kTR4);
  EXPECT_EQ(unreadable.result.status(), Status::kCannotOpen);
  EXPECT_EQ(unreadable.result.message(), "cannot open " + dir + ": it is a folder");
  EXPECT_EQ(catalog.entries[0], tmovable_record{});
  Load(catalog, kSections);
  ASSERT_EQ(MovableName(catalog, 0), "Lara");
  const auto report =
      Load(catalog, "<c>\n<game v=\"TR4\"><moveables><m ID=\"0\" NAME=\"x\"/>\n<oops></c>");
  EXPECT_EQ(report.result.status(), Status::kDamaged);
  EXPECT_EQ(report.result.message(), "cat.xml: line 3, column 9: mismatched tag");
  EXPECT_EQ(MovableName(catalog, 0), "Moveable Id#0");
  EXPECT_EQ(catalog.entries[12].alias_id, -1);
  for (const char* bad : {"", "<", "<c>", "\xff\xfe<c/>", "<c><m ID='1'/></d>"}) {
    MovableCatalog c;
    EXPECT_FALSE(Load(c, bad).result) << bad;
    EXPECT_EQ(MovableName(c, 1), "Moveable Id#1");
  }
}

TEST(MovableCatalog, EnterLevelMovablesFollowsAliases) {
  MovableCatalog catalog;
  Load(catalog, kSections);
  Ttrlevel level;
  level.version_kind = kTR4;
  for (uint32_t id : {0u, 5u, 9u, 3u, 12u, 700u}) level.movables.push_back(tmovable{{}, id});
  const auto names = EnterLevelMovables(catalog, level);
  EXPECT_EQ(names, (std::vector<std::string>{"Lara", "Moveable Id#5", "Moveable Id#9",
                                             "Moveable Id#3", "Rolling ball", "Moveable Id#700"}));
  EXPECT_EQ(MovableName(catalog, 13), "Rolling ball");
  // Ids 12 and its alias 13, 9, and 1, which is not in the level: the reset value.
  std::vector<int> indices;
  for (uint32_t id : {12, 13, 9, 1}) indices.push_back(MovableIndexOf(catalog, id));
  EXPECT_EQ(indices, (std::vector<int>{4, 4, 2, 1}));
  // An alias beyond the catalog is not followed.
  catalog.entries[5].alias_id = 600;
  EXPECT_NO_THROW(EnterLevelMovables(catalog, level));
}

// A catalog laid out the way other tools write theirs: comments, a doctype-free prolog,
// lower-case attributes, extra elements and sections, entries nested in extra markup.
TEST(MovableCatalog, OtherToolsLayoutLoads) {
  const std::string xml = R"(<?xml version="1.0" encoding="utf-8"?>
<!-- written by another tool -->
<catalog version="2">
  <info author="someone">text <b>bold</b></info>
  <game id="TR4" title="The Last Revelation">
    <sounds><sound id="1" name="walk"/></sounds>
    <moveables>
      <!-- Lara first -->
      <moveable id="0" name="LARA" ai="true" t="x"/>
      <moveable id="12" name="ROLLINGBALL" id2="13"><extra/></moveable>
      <moveable id="13" name="none"/>
    </moveables>
    <statics><static id="0" name="PLANT0"/></statics>
  </game>
</catalog>)";
  MovableCatalog catalog;
  const auto report = Load(catalog, xml);
  EXPECT_TRUE(report.result);
  EXPECT_EQ(report.warnings.size(), 1u);  // ai="true"
  EXPECT_EQ(MovableName(catalog, 0), "LARA");
  EXPECT_EQ(MovableName(catalog, 12), "Moveable Id#12");  // inside a start tag, not empty
  EXPECT_EQ(MovableName(catalog, 13), "Moveable Id#13");
}

TEST(XmlParser, PartsInDocumentOrderAndOtherEncodings) {
  TXmlParser scanner;
  ASSERT_TRUE(scanner.LoadFromBuffer(
      "<?xml version=\"1.0\"?><!--c--><a x=\"1\" y='2'>  some\n  text <b/><?pi data?>"
      "<![CDATA[raw  ]]><c></c></a>"));
  std::vector<XmlPartType> kinds;
  for (const auto& p : scanner.Parts()) kinds.push_back(p.type);
  using enum XmlPartType;
  EXPECT_EQ(kinds, (std::vector<XmlPartType>{kProlog, kComment, kStartTag, kText, kEmptyTag, kPI,
                                             kCData, kStartTag, kEndTag, kEndTag}));
  const auto& parts = scanner.Parts();
  EXPECT_EQ(parts[2].attributes,
            (std::vector<std::pair<std::string, std::string>>{{"x", "1"}, {"y", "2"}}));
  EXPECT_EQ(std::tuple(parts[3].text, parts[4].name, parts[6].text),
            std::tuple("some text", "b", "raw  "));
  EXPECT_TRUE(scanner.Error().empty());
  // Catalogs from older tools in other encodings.
  ASSERT_TRUE(scanner.LoadFromBuffer("<m NAME=\"Caf\xe9\"/>")) << scanner.Error();
  EXPECT_EQ(scanner.Parts().at(0).attributes.at(0).second, "Caf\xc3\xa9");
  ASSERT_TRUE(scanner.LoadFromBuffer(
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?><m NAME=\"\x80 \xe9\"/>"))
      << scanner.Error();
  EXPECT_EQ(scanner.Parts().at(1).attributes.at(0).second, "\xe2\x82\xac \xc3\xa9");
  // A declared encoding is trusted: bytes that break it are an error with its place.
  EXPECT_FALSE(scanner.LoadFromBuffer("<?xml version=\"1.0\" encoding=\"UTF-8\"?><m N=\"\xe9\"/>"));
  EXPECT_EQ(scanner.Error().rfind("line 1, column ", 0), 0u);
}

// The object-id table of a generation ("id name kind alias_of note", tab separated, after a
// header line) as the catalog holds it: the name, and the first id the model's items are placed
// under. Rows that are no object of the original games stay out: ids that only map static meshes
// into the id space, and ids that only extended engines use.
using Table = std::map<uint32_t, std::pair<std::string, int32_t>>;
Table ReadTable(const std::string& path) {
  std::ifstream in(path);
  Table table;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream cols(line);
    for (std::string cell; std::getline(cols, cell, '\t');) cells.push_back(cell);
    if (cells.size() < 2 ||
        (cells[1].starts_with("Static mesh ") && cells[1].ends_with(" (scenery)")) ||
        cells[1].find("extended engine") != std::string::npos)
      continue;
    table[std::stoul(cells[0])] = {
        cells[1], cells.size() > 3 && !cells[3].empty() ? std::stoi(cells[3]) : -1};
  }
  return table;
}

std::string TableOf(int32_t version_kind) {
  const std::string section = CatalogSectionName(version_kind);
  return section == "TRC" ? "TR5" : section;
}

// The catalog's name and link for an id read alone: the table's, or the reader's defaults.
std::pair<std::string, int32_t> ExpectedEntry(const Table& table, uint32_t id) {
  const auto row = table.find(id);
  return row != table.end() ? row->second : std::pair{"Moveable Id#" + std::to_string(id), -1};
}

TEST(ShippedCatalog, EveryEntryCarriesTheTablesNameAndLink) {
  std::ifstream file(test::DataPath("trcatalog.xml"), std::ios::binary);
  const std::string shipped{std::istreambuf_iterator<char>(file), {}};
  for (int32_t kind : {kTR1, kTR1Tub, kTR2, kTR2Trg, kTR3, kTR4, kTR5}) {
    // The rows the build read from the shipped file give what reading it now gives (one more
    // byte makes it another file, read now).
    MovableCatalog catalog, read;
    const auto report = LoadMovableCatalog(catalog, test::DataPath("trcatalog.xml"), kind);
    const auto from_file = LoadMovableCatalogText(read, shipped + "\n", "c.xml", kind);
    EXPECT_TRUE(catalog.entries == read.entries && report.section == from_file.section &&
                from_file.result && from_file.warnings.empty())
        << "kind " << kind;
    EXPECT_TRUE(report.file_found && report.result && report.warnings.empty());
    EXPECT_EQ(report.section, CatalogSectionName(kind));
    QAVEL_OBJECT_ID_TABLE_OR_SKIP(path, TableOf(kind));
    const Table table = ReadTable(path);
    ASSERT_GT(table.size(), 150u) << path;
    std::vector<std::string> wrong;
    for (uint32_t id = 0; id < kCatalogSize; ++id) {
      const auto [name, alias] = ExpectedEntry(table, id);
      const tmovable_record& e = catalog.entries[id];
      if (e.name != name || e.alias_id != alias)
        wrong.push_back(std::to_string(id) + ": " + e.name + " ID2 " + std::to_string(e.alias_id) +
                        ", table " + name + " ID2 " + std::to_string(alias));
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
      const auto [name, alias] = ExpectedEntry(table, m.object_id);
      EXPECT_EQ(movable_names[&m - level.movables.data()], name) << "movable id " << m.object_id;
      if (alias >= 0) placed_under[static_cast<uint32_t>(alias)] = name;
    }
    std::vector<uint32_t> ids;
    for (const titem2& i : level.items2) ids.push_back(i.object_id);
    if (level.version_kind >= kTR4)
      for (const taux_item& a : level.aux_items) ids.push_back(a.object_id);
    ASSERT_FALSE(ids.empty());
    for (const uint32_t id : ids) {
      const auto model = placed_under.find(id);
      const std::string name =
          model != placed_under.end() ? model->second : ExpectedEntry(table, id).first;
      EXPECT_NE(name.rfind("Moveable Id#", 0), 0u) << "id " << id;
      EXPECT_EQ(MovableName(catalog, id), name);
    }
  }
}

}  // namespace
}  // namespace qavel

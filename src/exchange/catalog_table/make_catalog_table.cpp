// make_catalog_table CATALOG OUTPUT: reads the shipped movable catalog the way the program reads
// any catalog and writes OUTPUT, a C++ source holding its bytes and the rows of each section
// (see exchange/catalog_built.h). A catalog that is malformed, or holds values that do not
// convert, fails the build: the catalog we ship reads cleanly.

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "exchange/catalog_sections.h"

namespace {

using qavel::CatalogSection;

// Every section the program asks for: one per generation and the other tools' name for TR5.
const char* const kSectionNames[] = {"TR1", "TR2", "TR3", "TR4", "TRC", "TR5"};

// A C string literal of text: printable ASCII as it is, the rest as octal escapes (which,
// unlike hex ones, never run on into a following digit).
std::string Literal(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F && c != '"' && c != '\\' && c != '?') {
      out += c;
    } else {
      char code[8];
      std::snprintf(code, sizeof code, "\\%03o", u);
      out += code;
    }
  }
  return out + "\"";
}

// A float as an exact hexadecimal literal.
std::string Real(float value) {
  char text[48];
  std::snprintf(text, sizeof text, "%af", static_cast<double>(value));
  return text;
}

// Says why the table cannot be made; the exit code that fails the build.
int Fail(const std::string& message) {
  std::fprintf(stderr, "make_catalog_table: %s\n", message.c_str());
  return 1;
}

bool WriteTable(const std::string& document, const std::vector<CatalogSection>& sections,
                std::ostream& out) {
  out << "// Made by make_catalog_table from the shipped movable catalog; not to be edited.\n\n"
         "#include \"exchange/catalog_built.h\"\n\nnamespace qavel {\n\nnamespace {\n\n"
         "const unsigned char kDocument[] = {";
  for (size_t i = 0; i < document.size(); ++i)
    out << (i % 24 == 0 ? "\n    " : " ")
        << static_cast<int>(static_cast<unsigned char>(document[i])) << ',';
  out << "\n};\n";
  for (size_t s = 0; s < sections.size(); ++s) {
    if (sections[s].rows.empty()) continue;
    out << "\nconst tbuilt_catalog_row kRows" << s << "[] = {\n";
    for (const auto& r : sections[s].rows) {
      for (const float v : {r.x, r.y, r.z, r.rx, r.ry, r.rz})
        if (!std::isfinite(v)) {
          Fail("an adjust value of id " + std::to_string(r.id) + " in " + sections[s].name +
               " is not finite");
          return false;
        }
      out << "    {" << r.id << ", " << Literal(r.name) << ", " << r.alias << ", " << r.body;
      for (const float v : {r.x, r.y, r.z, r.rx, r.ry, r.rz}) out << ", " << Real(v);
      out << ", " << r.ai << "},\n";
    }
    out << "};\n";
  }
  out << "\nconst BuiltCatalogSection kSections[] = {\n";
  for (size_t s = 0; s < sections.size(); ++s) {
    const CatalogSection& section = sections[s];
    out << "    {" << Literal(section.name) << ", " << (section.found ? "true" : "false") << ", ";
    if (section.rows.empty())
      out << "nullptr, 0},\n";
    else
      out << "kRows" << s << ", " << section.rows.size() << "},\n";
  }
  out << "};\n\n}  // namespace\n\n"
         "std::string_view BuiltCatalogDocument() {\n"
         "  return {reinterpret_cast<const char*>(kDocument), sizeof kDocument};\n}\n\n"
         "const BuiltCatalogSection* BuiltCatalogSectionNamed(std::string_view name) {\n"
         "  for (const BuiltCatalogSection& s : kSections)\n"
         "    if (name == s.name) return &s;\n"
         "  return nullptr;\n}\n\n}  // namespace qavel\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_catalog_table CATALOG OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) return Fail(std::string("cannot read ") + argv[1]);
  const std::string document{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<CatalogSection> sections;
  for (const char* name : kSectionNames) sections.push_back({name});
  std::string error;
  if (!qavel::ReadCatalogSections(document, argv[1], sections, error))
    return Fail(std::string(argv[1]) + ": " + error);
  for (const CatalogSection& s : sections)
    if (!s.warnings.empty()) return Fail(s.warnings.front());
  // Written whole, then renamed, so that a stopped build leaves no half a table behind.
  std::ostringstream text;
  if (!WriteTable(document, sections, text)) return 1;
  const std::string temporary = std::string(argv[2]) + ".part";
  std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
  out << text.str();
  out.close();
  if (!out || std::rename(temporary.c_str(), argv[2]) != 0)
    return Fail(std::string("cannot write ") + argv[2]);
  return 0;
}

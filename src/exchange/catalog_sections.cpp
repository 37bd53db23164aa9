#include "exchange/catalog_sections.h"

#include <array>
#include <cctype>
#include <charconv>
#include <limits>
#include <memory>
#include <optional>
#include <type_traits>

#include "exchange/xml_parser.h"

namespace qavel {

namespace {

std::string Trimmed(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
  std::string t = s.substr(a, b - a);
  if (t.size() > 1 && t[0] == '+' && t[1] != '-') t.erase(0, 1);
  return t;
}

template <class T>
std::optional<T> ParseNumber(const std::string& text) {
  const std::string t = Trimmed(text);
  if (t.empty()) return std::nullopt;
  T value{};
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return value;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Values that do not convert, told once per attribute and fault however often they occur: the
// first one with its line, then how many there were in all.
class WarningTally {
 public:
  void Add(const std::string& attribute, const char* fault, std::string first_text) {
    for (auto& w : warnings_)
      if (w.attribute == attribute && w.fault == fault) {
        ++w.count;
        return;
      }
    warnings_.push_back({attribute, fault, std::move(first_text), 1});
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    lines.reserve(warnings_.size());
    for (const auto& w : warnings_)
      lines.push_back(w.count == 1 ? w.text
                                   : w.text + " (" + std::to_string(w.count) + " such " +
                                         w.attribute + " values in all)");
    return lines;
  }

 private:
  struct Warning {
    std::string attribute;
    const char* fault;
    std::string text;  // the first one, with its line
    size_t count;
  };
  std::vector<Warning> warnings_;
};

class EntryReader {
 public:
  EntryReader(const std::string& file, WarningTally& warnings) : file_(file), warnings_(warnings) {}

  tcatalog_row Read(const XmlPart& part) {
    tcatalog_row v;
    for (const auto& [attr_name, value] : part.attributes) {
      const std::string key = Upper(attr_name);
      if (key == "ID")
        Integer(part, attr_name, value, v.id);
      else if (key == "NAME")
        v.name = value;
      else if (key == "ID2")
        Integer(part, attr_name, value, v.alias);
      else if (key == "USE_BODY_FROM")
        Integer(part, attr_name, value, v.body);
      else if (key == "X_ADJUST")
        Real(part, attr_name, value, v.x);
      else if (key == "Y_ADJUST")
        Real(part, attr_name, value, v.y);
      else if (key == "Z_ADJUST")
        Real(part, attr_name, value, v.z);
      else if (key == "RX_ADJUST")
        Real(part, attr_name, value, v.rx);
      else if (key == "RY_ADJUST")
        Real(part, attr_name, value, v.ry);
      else if (key == "RZ_ADJUST")
        Real(part, attr_name, value, v.rz);
      else if (key == "AI")
        Integer(part, attr_name, value, v.ai);
    }
    return v;
  }

 private:
  // Object ids are read as 32-bit values like the others; only 0..599 are used.
  template <class T>
  void Integer(const XmlPart& part, const std::string& attr, const std::string& value, T& out) {
    const auto n = ParseNumber<int64_t>(value);
    using Limits = std::numeric_limits<std::conditional_t<sizeof(T) == 8, int32_t, T>>;
    if (!n || *n < Limits::min() || *n > Limits::max()) {
      Warn(part, attr, value, "is not an integer in range");
      return;
    }
    out = static_cast<T>(*n);
  }

  void Real(const XmlPart& part, const std::string& attr, const std::string& value, float& out) {
    const auto n = ParseNumber<float>(value);
    if (!n) {
      Warn(part, attr, value, "is not a number");
      return;
    }
    out = *n;
  }

  void Warn(const XmlPart& part, const std::string& attr, const std::string& value,
            const char* fault) {
    warnings_.Add(attr, fault,
                  file_ + ": line " + std::to_string(part.line) + ": attribute " + attr + "=\"" +
                      value + "\" " + fault + "; ignored");
  }

  const std::string& file_;
  WarningTally& warnings_;
};

// One section, read as the parts go by.
class SectionReader {
 public:
  SectionReader(CatalogSection& section, const std::string& file_name)
      : section_(section), reader_(file_name, warnings_) {
    slots_.fill(-1);
  }
  SectionReader(const SectionReader&) = delete;
  SectionReader& operator=(const SectionReader&) = delete;

  // The next part; depth counts the elements open around it.
  void Take(const XmlPart& part, int depth) {
    switch (part.type) {
      case XmlPartType::kStartTag:
        if (depth == 1 && part.name == "game" && !part.attributes.empty() &&
            part.attributes.front().second == section_.name)
          section_.found = in_game_ = true;
        if (in_game_ && !done_ && depth == 2 && part.name == "moveables") in_moveables_ = true;
        break;
      case XmlPartType::kEndTag:
        if (depth == 1) in_game_ = false;
        if (depth == 2 && in_moveables_) {
          in_moveables_ = false;
          done_ = true;
        }
        break;
      case XmlPartType::kEmptyTag:
        if (in_moveables_) Merge(reader_.Read(part));
        break;
      default:
        break;
    }
  }

  void Finish() { section_.warnings = warnings_.Lines(); }

 private:
  void Merge(tcatalog_row row) {
    if (row.id < 0 || row.id >= static_cast<int64_t>(kCatalogSize)) return;
    int32_t& slot = slots_[static_cast<size_t>(row.id)];
    if (slot < 0) {
      slot = static_cast<int32_t>(section_.rows.size());
      section_.rows.push_back(std::move(row));
      return;
    }
    tcatalog_row& kept = section_.rows[static_cast<size_t>(slot)];
    if (row.name != "none") kept.name = std::move(row.name);
    if (row.alias != -1) kept.alias = row.alias;
    if (row.body != -1) kept.body = row.body;
    kept.x = row.x;
    kept.y = row.y;
    kept.z = row.z;
    kept.rx = row.rx;
    kept.ry = row.ry;
    kept.rz = row.rz;
    kept.ai = row.ai;
  }

  CatalogSection& section_;
  WarningTally warnings_;
  EntryReader reader_;
  std::array<int32_t, kCatalogSize> slots_;  // each id's row, -1 none yet
  bool in_game_ = false, in_moveables_ = false, done_ = false;
};

}  // namespace

bool ReadCatalogSections(std::string_view document, const std::string& file_name,
                         std::vector<CatalogSection>& sections, std::string& error) {
  // All sections in the one pass, and no part is kept: memory does not grow with the file.
  std::vector<std::unique_ptr<SectionReader>> readers;
  readers.reserve(sections.size());
  for (auto& s : sections) readers.push_back(std::make_unique<SectionReader>(s, file_name));
  int depth = 0;
  TXmlParser scanner;
  scanner.SetNormalize(true);
  const bool well_formed = scanner.ScanBuffer(document, [&](const XmlPart& part) {
    if (part.type == XmlPartType::kEndTag) --depth;
    for (auto& r : readers) r->Take(part, depth);
    if (part.type == XmlPartType::kStartTag) ++depth;
  });
  for (auto& r : readers) r->Finish();
  error = well_formed ? std::string() : scanner.Error();
  return well_formed;
}

}  // namespace qavel

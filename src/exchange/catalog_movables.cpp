#include "exchange/catalog_movables.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <memory>
#include <optional>

#include "exchange/xml_parser.h"
#include "level/zfile.h"

namespace qavel {

std::string CatalogSectionName(int32_t version_kind) {
  switch (version_kind) {
    case kTR1:
    case kTR1Tub:
      return "TR1";
    case kTR2:
    case kTR2Trg:
      return "TR2";
    case kTR3:
      return "TR3";
    case kTR4:
      return "TR4";
    case kTR5:
      return "TRC";
    default:
      return {};
  }
}

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

// One movable element as read: values not given keep the reading defaults.
struct EntryValues {
  int64_t id = -1;
  std::string name = "none";
  int32_t alias = -1;
  int32_t body = -1;
  float x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
  int16_t ai = 0;
};

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

  EntryValues Read(const XmlPart& part) {
    EntryValues v;
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

void ResetEntries(MovableCatalog& catalog) {
  for (size_t id = 0; id < kCatalogSize; ++id) {
    tmovable_record& e = catalog.entries[id];
    e.name = DefaultMovableName(static_cast<uint32_t>(id));
    e.alias_id = -1;
    e.body_from = -1;
    e.y_adjust = 0.0f;
    e.movable_index = 1;
  }
}

void Store(MovableCatalog& catalog, const EntryValues& v) {
  if (v.id < 0 || v.id >= static_cast<int64_t>(kCatalogSize)) return;
  tmovable_record& e = catalog.entries[static_cast<size_t>(v.id)];
  if (v.name != "none") e.name = v.name;
  if (v.alias != -1) e.alias_id = v.alias;
  if (v.body != -1) e.body_from = v.body;
  e.x_adjust = v.x;
  e.y_adjust = v.y;
  e.z_adjust = v.z;
  e.rx_adjust = v.rx;
  e.ry_adjust = v.ry;
  e.rz_adjust = v.rz;
  e.ai = v.ai;
}

// One section of the catalog, read as the parts go by: the first "moveables" element inside a
// "game" element (a child of the root) whose first attribute names the section.
class SectionReader {
 public:
  SectionReader(std::string section, const MovableCatalog& start, const std::string& file_name)
      : section_(std::move(section)), catalog_(start), reader_(file_name, warnings_) {}
  SectionReader(const SectionReader&) = delete;
  SectionReader& operator=(const SectionReader&) = delete;

  // The next part; depth counts the elements open around it.
  void Take(const XmlPart& part, int depth) {
    switch (part.type) {
      case XmlPartType::kStartTag:
        if (depth == 1 && part.name == "game" && !part.attributes.empty() &&
            part.attributes.front().second == section_)
          found_ = in_game_ = true;
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
        if (in_moveables_) Store(catalog_, reader_.Read(part));
        break;
      default:
        break;
    }
  }

  bool found() const { return found_; }
  const std::string& section() const { return section_; }
  MovableCatalog& catalog() { return catalog_; }
  std::vector<std::string> warnings() const { return warnings_.Lines(); }

 private:
  std::string section_;
  MovableCatalog catalog_;
  WarningTally warnings_;
  EntryReader reader_;
  bool found_ = false, in_game_ = false, in_moveables_ = false, done_ = false;
};

}  // namespace

CatalogLoadReport LoadMovableCatalogText(MovableCatalog& catalog, std::string_view document,
                                         const std::string& file_name, int32_t version_kind) {
  CatalogLoadReport report;
  report.file_found = true;
  MovableCatalog defaults = catalog;
  ResetEntries(defaults);
  // Other tools name the TR5 section "TR5"; it serves where a file has no "TRC" one. Both are
  // read in the one pass, and no part is kept: memory does not grow with the file.
  std::vector<std::unique_ptr<SectionReader>> sections;
  if (const std::string name = CatalogSectionName(version_kind); !name.empty())
    sections.push_back(std::make_unique<SectionReader>(name, defaults, file_name));
  if (version_kind == kTR5)
    sections.push_back(std::make_unique<SectionReader>("TR5", defaults, file_name));
  int depth = 0;
  TXmlParser scanner;
  scanner.SetNormalize(true);
  const bool well_formed = scanner.ScanBuffer(document, [&](const XmlPart& part) {
    if (part.type == XmlPartType::kEndTag) --depth;
    for (auto& s : sections) s->Take(part, depth);
    if (part.type == XmlPartType::kStartTag) ++depth;
  });
  if (!well_formed) {
    report.result = Result::Fail(Status::kDamaged, file_name + ": " + scanner.Error());
    catalog = std::move(defaults);
    return report;
  }
  for (auto& s : sections) {
    if (!s->found()) continue;
    report.section = s->section();
    report.warnings = s->warnings();
    catalog = std::move(s->catalog());
    return report;
  }
  catalog = std::move(defaults);
  return report;
}

CatalogLoadReport LoadMovableCatalog(MovableCatalog& catalog, const std::string& file_name,
                                     int32_t version_kind) {
  const auto bytes = ReadWholeFile(file_name, kMaxCatalogSize, "a movable catalog");
  if (!bytes) {
    if (bytes.result().status() == Status::kNoSuchFile) return {};
    CatalogLoadReport report;
    report.file_found = true;
    report.result = bytes.result();
    return report;
  }
  return LoadMovableCatalogText(
      catalog, std::string_view(reinterpret_cast<const char*>(bytes->bytes()), bytes->size()),
      file_name, version_kind);
}

std::vector<std::string> EnterLevelMovables(MovableCatalog& catalog, const Ttrlevel& level) {
  std::vector<std::string> names;
  names.reserve(level.movables.size());
  for (size_t i = 0; i < level.movables.size(); ++i) {
    const uint32_t id = level.movables[i].object_id;
    if (id >= kCatalogSize) {
      names.push_back(DefaultMovableName(id));
      continue;
    }
    tmovable_record& entry = catalog.entries[id];
    entry.movable_index = static_cast<int16_t>(i);
    const int32_t alias = entry.alias_id;
    if (alias >= 0 && alias < static_cast<int32_t>(kCatalogSize)) {
      catalog.entries[static_cast<size_t>(alias)].name = entry.name;
      catalog.entries[static_cast<size_t>(alias)].movable_index = static_cast<int16_t>(i);
    }
    names.push_back(entry.name);
  }
  return names;
}

std::string DefaultMovableName(uint32_t object_id) {
  return "Moveable Id#" + std::to_string(object_id);
}

std::string MovableName(const MovableCatalog& catalog, uint32_t object_id) {
  if (object_id >= kCatalogSize) return DefaultMovableName(object_id);
  return catalog.entries[object_id].name;
}

int32_t MovableIndexOf(const MovableCatalog& catalog, uint32_t object_id) {
  return object_id < kCatalogSize ? catalog.entries[object_id].movable_index : -1;
}

int32_t AliasOf(const MovableCatalog& catalog, uint32_t object_id) {
  return object_id < kCatalogSize ? catalog.entries[object_id].alias_id : -1;
}

}  // namespace qavel

#include "exchange/catalog_movables.h"

#include <cctype>
#include <charconv>
#include <limits>
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

class EntryReader {
 public:
  EntryReader(const std::string& file, std::vector<std::string>& warnings)
      : file_(file), warnings_(warnings) {}

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
            const char* what) {
    warnings_.push_back(file_ + ": line " + std::to_string(part.line) + ": attribute " + attr +
                        "=\"" + value + "\" " + what + "; ignored");
  }

  const std::string& file_;
  std::vector<std::string>& warnings_;
};

bool IsSectionStart(const XmlPart& part, int depth, const std::string& section) {
  return depth == 1 && part.name == "game" && !part.attributes.empty() &&
         part.attributes.front().second == section;
}

bool HasSection(const std::vector<XmlPart>& parts, const std::string& section) {
  int depth = 0;
  for (const auto& part : parts) {
    if (part.type == XmlPartType::kStartTag) {
      if (IsSectionStart(part, depth, section)) return true;
      ++depth;
    } else if (part.type == XmlPartType::kEndTag) {
      --depth;
    }
  }
  return false;
}

void ResetEntries(MovableCatalog& catalog) {
  for (size_t id = 0; id < kCatalogSize; ++id) {
    tmovable_record& e = catalog.entries[id];
    e.name = "Moveable Id#" + std::to_string(id);
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

// Reads the first "moveables" element of the first matching "game" section.
void ReadSection(const std::vector<XmlPart>& parts, const std::string& section, EntryReader& reader,
                 MovableCatalog& catalog) {
  int depth = 0;
  bool in_game = false, in_moveables = false;
  for (const auto& part : parts) {
    switch (part.type) {
      case XmlPartType::kStartTag:
        if (IsSectionStart(part, depth, section)) in_game = true;
        if (in_game && depth == 2 && part.name == "moveables") in_moveables = true;
        ++depth;
        break;
      case XmlPartType::kEndTag:
        --depth;
        if (depth == 1 && in_game) in_game = false;
        if (depth == 2 && in_moveables) return;
        break;
      case XmlPartType::kEmptyTag:
        if (in_moveables) Store(catalog, reader.Read(part));
        break;
      default:
        break;
    }
  }
}

}  // namespace

CatalogLoadReport LoadMovableCatalogText(MovableCatalog& catalog, const std::string& document,
                                         const std::string& file_name, int32_t version_kind) {
  CatalogLoadReport report;
  report.file_found = true;
  TXmlParser scanner;
  scanner.SetNormalize(true);
  const bool well_formed = scanner.LoadFromBuffer(document);

  MovableCatalog result = catalog;
  ResetEntries(result);
  if (!well_formed) {
    report.result = Result::Fail(Status::kDamaged, file_name + ": " + scanner.Error());
    catalog = std::move(result);
    return report;
  }
  std::string section = CatalogSectionName(version_kind);
  // Other tools name the TR5 section "TR5"; it serves where a file has no "TRC" one.
  if (version_kind == kTR5 && !HasSection(scanner.Parts(), section) &&
      HasSection(scanner.Parts(), "TR5"))
    section = "TR5";
  if (!section.empty() && HasSection(scanner.Parts(), section)) {
    report.section = section;
    EntryReader reader(file_name, report.warnings);
    ReadSection(scanner.Parts(), section, reader, result);
  }
  catalog = std::move(result);
  return report;
}

CatalogLoadReport LoadMovableCatalog(MovableCatalog& catalog, const std::string& file_name,
                                     int32_t version_kind) {
  if (!FileExists(file_name)) return {};
  const auto bytes = ReadWholeFile(file_name);
  if (!bytes) {
    CatalogLoadReport report;
    report.file_found = true;
    report.result = bytes.result();
    return report;
  }
  return LoadMovableCatalogText(catalog,
                                std::string(bytes->bytes(), bytes->bytes() + bytes->size()),
                                file_name, version_kind);
}

std::vector<std::string> EnterLevelMovables(MovableCatalog& catalog, const Ttrlevel& level) {
  std::vector<std::string> names;
  names.reserve(level.movables.size());
  for (size_t i = 0; i < level.movables.size(); ++i) {
    const uint32_t id = level.movables[i].object_id;
    if (id >= kCatalogSize) {
      names.push_back("Moveable Id#" + std::to_string(id));
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

std::string MovableName(const MovableCatalog& catalog, uint32_t object_id) {
  if (object_id >= kCatalogSize) return "Moveable Id#" + std::to_string(object_id);
  return catalog.entries[object_id].name;
}

int32_t MovableIndexOf(const MovableCatalog& catalog, uint32_t object_id) {
  return object_id < kCatalogSize ? catalog.entries[object_id].movable_index : -1;
}

int32_t AliasOf(const MovableCatalog& catalog, uint32_t object_id) {
  return object_id < kCatalogSize ? catalog.entries[object_id].alias_id : -1;
}

size_t ItemEntryCount(const Ttrlevel& level) {
  return level.num_items() + (level.version_kind >= kTR4 ? level.aux_items.size() : 0);
}

std::string ItemEntryText(const MovableCatalog& catalog, const Ttrlevel& level, size_t entry) {
  uint32_t id = 0;
  if (entry < level.num_items())
    id = level.items2[entry].object_id;
  else if (entry - level.num_items() < level.aux_items.size())
    id = level.aux_items[entry - level.num_items()].object_id;
  return std::to_string(entry) + ".-" + MovableName(catalog, id);
}

}  // namespace qavel

#pragma once
// TXmlParser: scans an XML document into its parts in document order (tags with their
// attributes, text, comments, ...), on top of expat.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qavel {

// Part types, in their traditional order.
enum class XmlPartType {
  kProlog,
  kComment,
  kPI,
  kDtd,
  kStartTag,
  kEmptyTag,
  kEndTag,
  kText,
  kCData,
};

struct XmlPart {
  XmlPartType type = XmlPartType::kText;
  std::string name;  // element name of tag parts, target of a PI
  std::string text;  // text, comment, CDATA contents
  std::vector<std::pair<std::string, std::string>> attributes;  // in document order
  int line = 0;                                                 // 1-based line of the part
};

// Elements nested deeper than this end the scan as an error: catalogs nest four deep, and the
// depth bounds what the scan holds for the open elements.
inline constexpr int kMostXmlDepth = 256;

class TXmlParser {
 public:
  // Scans a whole document held in memory. Returns false when the document is not well
  // formed, nests deeper than kMostXmlDepth or declares an entity (which could make it stand
  // for hundreds of times its size); Error() then says where and why, and Parts()
  // hold what came before the fault. Texts come out in UTF-8 whatever the file's encoding
  // (UTF-8, UTF-16, Latin-1, or windows-1252); a file without a declaration that is not UTF-8
  // is read as Latin-1.
  bool LoadFromBuffer(std::string_view document);
  // The same, handing each part to `take` in document order instead of keeping it: memory then
  // stays small however long the document is. Parts() stays empty.
  using PartHandler = std::function<void(const XmlPart&)>;
  bool ScanBuffer(std::string_view document, const PartHandler& take);

  const std::vector<XmlPart>& Parts() const { return parts_; }
  // "line L, column C: reason" of the first fault; empty when the document was well formed.
  const std::string& Error() const { return error_; }

  // Whitespace normalising: text parts are trimmed and runs of blanks become one space.
  // On by default.
  void SetNormalize(bool on) { normalize_ = on; }

 private:
  friend struct XmlCallbacks;
  bool Scan(std::string_view document, const char* encoding, const PartHandler* take);
  std::vector<XmlPart> parts_;
  std::string error_;
  bool normalize_ = true;
};

}  // namespace qavel

#include "exchange/xml_parser.h"

#include <expat.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace qavel {

namespace {

std::string Normalized(const std::string& s) {
  std::string out;
  bool blank = false;
  for (char ch : s) {
    if (std::isspace(static_cast<unsigned char>(ch))) {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += ch;
  }
  return out;
}

}  // namespace

// The expat callbacks; they hand parts to the scanner's list or to the caller's handler.
struct XmlCallbacks {
  TXmlParser* scanner;
  XML_Parser parser;
  const TXmlParser::PartHandler* take;
  std::string text;  // character data gathered until the next markup
  bool in_cdata = false;
  int text_line = 0;
  int depth = 0;
  bool too_deep = false;
  // Where the document declared an entity, which ends the scan (0 while it has not).
  int entity_line = 0, entity_column = 0;
  // A start tag waits here until the next event tells whether it is an empty tag.
  XmlPart pending;
  bool has_pending = false;

  int Line() const { return static_cast<int>(XML_GetCurrentLineNumber(parser)); }

  void Emit(XmlPart&& part) {
    if (take)
      (*take)(part);
    else
      scanner->parts_.push_back(std::move(part));
  }

  void FlushPending() {
    if (!has_pending) return;
    has_pending = false;
    Emit(std::move(pending));
  }

  // Text and a waiting start tag go out before the part of the next event.
  void Flush() {
    FlushPending();
    FlushText();
  }

  void Add(XmlPartType type, std::string name = {}, std::string text_value = {}) {
    Flush();
    XmlPart part;
    part.type = type;
    part.line = Line();
    part.name = std::move(name);
    part.text = std::move(text_value);
    Emit(std::move(part));
  }

  void FlushText() {
    if (text.empty()) return;
    std::string t = scanner->normalize_ && !in_cdata ? Normalized(text) : text;
    if (!t.empty()) {
      XmlPart part;
      part.type = in_cdata ? XmlPartType::kCData : XmlPartType::kText;
      part.text = std::move(t);
      part.line = text_line;
      Emit(std::move(part));
    }
    text.clear();
  }

  static XmlCallbacks& Of(void* data) { return *static_cast<XmlCallbacks*>(data); }

  static void OnStart(void* data, const XML_Char* name, const XML_Char** atts) {
    auto& cb = Of(data);
    cb.Flush();
    if (++cb.depth > kMostXmlDepth) {
      cb.too_deep = true;
      XML_StopParser(cb.parser, XML_FALSE);
      return;
    }
    cb.pending = XmlPart{};
    cb.pending.type = XmlPartType::kStartTag;
    cb.pending.line = cb.Line();
    cb.pending.name = name;
    for (int i = 0; atts[i]; i += 2) cb.pending.attributes.emplace_back(atts[i], atts[i + 1]);
    cb.has_pending = true;
  }

  static void OnEnd(void* data, const XML_Char* name) {
    auto& cb = Of(data);
    --cb.depth;
    // expat reports "<a/>" as a start and an end at once: the end then covers no bytes.
    if (cb.has_pending && XML_GetCurrentByteCount(cb.parser) == 0) {
      cb.pending.type = XmlPartType::kEmptyTag;
      cb.FlushPending();
      return;
    }
    cb.Add(XmlPartType::kEndTag, name);
  }

  static void OnText(void* data, const XML_Char* s, int len) {
    auto& cb = Of(data);
    cb.FlushPending();
    if (cb.text.empty()) cb.text_line = cb.Line();
    cb.text.append(s, static_cast<size_t>(len));
  }

  static void OnComment(void* data, const XML_Char* s) {
    Of(data).Add(XmlPartType::kComment, {}, s);
  }

  static void OnPI(void* data, const XML_Char* target, const XML_Char* s) {
    Of(data).Add(XmlPartType::kPI, target, s ? s : "");
  }

  static void OnCDataStart(void* data) {
    auto& cb = Of(data);
    cb.Flush();
    cb.in_cdata = true;
  }

  static void OnCDataEnd(void* data) {
    auto& cb = Of(data);
    cb.Flush();
    cb.in_cdata = false;
  }

  static void OnXmlDecl(void* data, const XML_Char*, const XML_Char*, int) {
    Of(data).Add(XmlPartType::kProlog);
  }

  // An entity is text the parser copies wherever it is named, so that a small file can stand
  // for hundreds of times its size. No catalog declares one: the first declaration ends the
  // scan, before anything is expanded.
  static void OnEntityDecl(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                           const XML_Char*, const XML_Char*, const XML_Char*) {
    auto& cb = Of(data);
    cb.entity_line = cb.Line();
    cb.entity_column = static_cast<int>(XML_GetCurrentColumnNumber(cb.parser)) + 1;
    XML_StopParser(cb.parser, XML_FALSE);
  }

  static void OnDoctype(void* data, const XML_Char* name, const XML_Char*, const XML_Char*, int) {
    Of(data).Add(XmlPartType::kDtd, name);
  }
};

namespace {

// Windows code page 1252: catalogs written on Windows declare it; expat does not know it.
// Bytes 0x80..0x9F differ from Latin-1; undefined ones map to themselves.
int OnUnknownEncoding(void*, const XML_Char* name, XML_Encoding* info) {
  std::string n(name);
  for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (n != "windows-1252" && n != "cp1252") return XML_STATUS_ERROR;
  static const int kHigh[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  for (int i = 0; i < 256; ++i) info->map[i] = (i >= 0x80 && i < 0xA0) ? kHigh[i - 0x80] : i;
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

bool IsUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    i += n;
  }
  return true;
}

bool DeclaresEncoding(std::string_view s) {
  const size_t end = s.find("?>");
  return s.rfind("<?xml", 8) != std::string::npos && end != std::string::npos &&
         s.substr(0, end).find("encoding") != std::string::npos;
}

// A file without an encoding declaration that is not UTF-8 was written in Latin-1 by an older
// tool; read it so rather than refuse it.
const char* EncodingOf(std::string_view document) {
  return !DeclaresEncoding(document) && !IsUtf8(document) ? "ISO-8859-1" : nullptr;
}

}  // namespace

bool TXmlParser::LoadFromBuffer(std::string_view document) {
  return Scan(document, EncodingOf(document), nullptr);
}

bool TXmlParser::ScanBuffer(std::string_view document, const PartHandler& take) {
  return Scan(document, EncodingOf(document), &take);
}

bool TXmlParser::Scan(std::string_view document, const char* encoding, const PartHandler* take) {
  parts_.clear();
  error_.clear();
  std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
      XML_ParserCreate(encoding), &XML_ParserFree);
  if (!parser) {
    error_ = "line 0, column 0: out of memory";
    return false;
  }
  XmlCallbacks cb{this, parser.get(), take};
  XML_SetUserData(parser.get(), &cb);
  XML_SetElementHandler(parser.get(), &XmlCallbacks::OnStart, &XmlCallbacks::OnEnd);
  XML_SetCharacterDataHandler(parser.get(), &XmlCallbacks::OnText);
  XML_SetCommentHandler(parser.get(), &XmlCallbacks::OnComment);
  XML_SetProcessingInstructionHandler(parser.get(), &XmlCallbacks::OnPI);
  XML_SetCdataSectionHandler(parser.get(), &XmlCallbacks::OnCDataStart, &XmlCallbacks::OnCDataEnd);
  XML_SetXmlDeclHandler(parser.get(), &XmlCallbacks::OnXmlDecl);
  XML_SetStartDoctypeDeclHandler(parser.get(), &XmlCallbacks::OnDoctype);
  XML_SetUnknownEncodingHandler(parser.get(), &OnUnknownEncoding, nullptr);
  XML_SetEntityDeclHandler(parser.get(), &XmlCallbacks::OnEntityDecl);

  // Fed in slices so that lengths beyond int never reach expat.
  constexpr size_t kSlice = 1 << 20;
  size_t at = 0;
  bool ok = true;
  do {
    const size_t n = std::min(kSlice, document.size() - at);
    const bool last = at + n == document.size();
    if (XML_Parse(parser.get(), document.data() + at, static_cast<int>(n), last) ==
        XML_STATUS_ERROR) {
      ok = false;
      break;
    }
    at += n;
  } while (at < document.size());
  if (ok) {
    cb.Flush();
    return true;
  }
  if (cb.entity_line > 0) {
    error_ = "line " + std::to_string(cb.entity_line) + ", column " +
             std::to_string(cb.entity_column) + ": entity declarations are not accepted";
    return false;
  }
  const std::string why = cb.too_deep
                              ? "elements nested deeper than " + std::to_string(kMostXmlDepth)
                              : XML_ErrorString(XML_GetErrorCode(parser.get()));
  error_ = "line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) + ", column " +
           std::to_string(XML_GetCurrentColumnNumber(parser.get()) + 1) + ": " + why;
  return false;
}

}  // namespace qavel

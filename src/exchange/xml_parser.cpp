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

// The expat callbacks; they append parts to the scanner being filled.
struct XmlCallbacks {
  TXmlParser* scanner;
  XML_Parser parser;
  std::string text;  // character data gathered until the next markup
  bool in_cdata = false;
  int text_line = 0;

  int Line() const { return static_cast<int>(XML_GetCurrentLineNumber(parser)); }

  XmlPart& Add(XmlPartType type) {
    XmlPart part;
    part.type = type;
    part.line = Line();
    scanner->parts_.push_back(std::move(part));
    return scanner->parts_.back();
  }

  void FlushText() {
    if (text.empty()) return;
    std::string t = scanner->normalize_ && !in_cdata ? Normalized(text) : text;
    if (!t.empty()) {
      XmlPart part;
      part.type = in_cdata ? XmlPartType::kCData : XmlPartType::kText;
      part.text = std::move(t);
      part.line = text_line;
      scanner->parts_.push_back(std::move(part));
    }
    text.clear();
  }

  static XmlCallbacks& Of(void* data) { return *static_cast<XmlCallbacks*>(data); }

  static void OnStart(void* data, const XML_Char* name, const XML_Char** atts) {
    auto& cb = Of(data);
    cb.FlushText();
    XmlPart& part = cb.Add(XmlPartType::kStartTag);
    part.name = name;
    for (int i = 0; atts[i]; i += 2) part.attributes.emplace_back(atts[i], atts[i + 1]);
  }

  static void OnEnd(void* data, const XML_Char* name) {
    auto& cb = Of(data);
    cb.FlushText();
    // expat reports "<a/>" as a start and an end at once: the end then covers no bytes.
    if (XML_GetCurrentByteCount(cb.parser) == 0 && !cb.scanner->parts_.empty() &&
        cb.scanner->parts_.back().type == XmlPartType::kStartTag) {
      cb.scanner->parts_.back().type = XmlPartType::kEmptyTag;
      return;
    }
    cb.Add(XmlPartType::kEndTag).name = name;
  }

  static void OnText(void* data, const XML_Char* s, int len) {
    auto& cb = Of(data);
    if (cb.text.empty()) cb.text_line = cb.Line();
    cb.text.append(s, static_cast<size_t>(len));
  }

  static void OnComment(void* data, const XML_Char* s) {
    auto& cb = Of(data);
    cb.FlushText();
    cb.Add(XmlPartType::kComment).text = s;
  }

  static void OnPI(void* data, const XML_Char* target, const XML_Char* s) {
    auto& cb = Of(data);
    cb.FlushText();
    XmlPart& part = cb.Add(XmlPartType::kPI);
    part.name = target;
    part.text = s ? s : "";
  }

  static void OnCDataStart(void* data) {
    auto& cb = Of(data);
    cb.FlushText();
    cb.in_cdata = true;
  }

  static void OnCDataEnd(void* data) {
    auto& cb = Of(data);
    cb.FlushText();
    cb.in_cdata = false;
  }

  static void OnXmlDecl(void* data, const XML_Char*, const XML_Char*, int) {
    Of(data).Add(XmlPartType::kProlog);
  }

  static void OnDoctype(void* data, const XML_Char* name, const XML_Char*, const XML_Char*, int) {
    auto& cb = Of(data);
    cb.FlushText();
    cb.Add(XmlPartType::kDtd).name = name;
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

bool IsUtf8(const std::string& s) {
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

bool DeclaresEncoding(const std::string& s) {
  const size_t end = s.find("?>");
  return s.rfind("<?xml", 8) != std::string::npos && end != std::string::npos &&
         s.substr(0, end).find("encoding") != std::string::npos;
}

}  // namespace

bool TXmlParser::LoadFromBuffer(const std::string& document) {
  // A file without an encoding declaration that is not UTF-8 was written in Latin-1 by an
  // older tool; read it so rather than refuse it.
  const bool latin1 = !DeclaresEncoding(document) && !IsUtf8(document);
  return Scan(document, latin1 ? "ISO-8859-1" : nullptr);
}

bool TXmlParser::Scan(const std::string& document, const char* encoding) {
  parts_.clear();
  error_.clear();
  std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
      XML_ParserCreate(encoding), &XML_ParserFree);
  if (!parser) {
    error_ = "line 0, column 0: out of memory";
    return false;
  }
  XmlCallbacks cb{this, parser.get()};
  XML_SetUserData(parser.get(), &cb);
  XML_SetElementHandler(parser.get(), &XmlCallbacks::OnStart, &XmlCallbacks::OnEnd);
  XML_SetCharacterDataHandler(parser.get(), &XmlCallbacks::OnText);
  XML_SetCommentHandler(parser.get(), &XmlCallbacks::OnComment);
  XML_SetProcessingInstructionHandler(parser.get(), &XmlCallbacks::OnPI);
  XML_SetCdataSectionHandler(parser.get(), &XmlCallbacks::OnCDataStart, &XmlCallbacks::OnCDataEnd);
  XML_SetXmlDeclHandler(parser.get(), &XmlCallbacks::OnXmlDecl);
  XML_SetStartDoctypeDeclHandler(parser.get(), &XmlCallbacks::OnDoctype);
  XML_SetUnknownEncodingHandler(parser.get(), &OnUnknownEncoding, nullptr);

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
    cb.FlushText();
    return true;
  }
  error_ = "line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) + ", column " +
           std::to_string(XML_GetCurrentColumnNumber(parser.get()) + 1) + ": " +
           XML_ErrorString(XML_GetErrorCode(parser.get()));
  return false;
}

}  // namespace qavel

// items: the item list with each entry's placement.

#include <cstdio>

#include "commands.h"
#include "inspect/item_list.h"

namespace qavel::cli {

namespace {

std::string Bits(uint32_t value, int count) {
  std::string s;
  for (int bit = count - 1; bit >= 0; --bit) s += (value >> bit) & 1 ? '1' : '0';
  return s;
}

// A name as one field of a tab-separated row: control characters (a catalog may hold any)
// and the backslash written as escapes, so that a row stays one line of the same columns.
std::string Field(const std::string& text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (u < 0x20 || u == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", u);
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

Result Items(const Args& in) {
  Args args = in;
  std::string catalog;
  if (Result r = TakeCatalogOption(args, catalog); !r) return r;
  if (args.size() != 1) return Fail("usage: qavel-cli items LEVEL [--catalog FILE]");
  const Expected<LevelBundle> L = LoadNamedLevel(args[0], catalog);
  if (!L) return L.result();
  const Ttrlevel& level = L->level;
  std::printf("entry\troom\tx\ty\tz\tangle\tOCB\tflags\n");
  for (size_t n = 0; n < L->item_texts.size(); ++n) {
    const std::string text = Field(L->item_texts[n]);
    if (n < level.num_items()) {
      const titem2& it = level.items2[n];
      // The flags shown are the high byte of the flag word: activation mask, invisible, ...
      std::printf("%s\t%u\t%d\t%d\t%d\t%u\t%d\t%s\n", text.c_str(), it.room, it.x, it.y, it.z,
                  it.angle, OcbOfEntry(level, static_cast<int>(n)),
                  Bits(it.item_flags >> 8, 8).c_str());
    } else {
      const taux_item& a = level.aux_items[n - level.num_items()];
      std::printf("%s\t%u\t%d\t%d\t%d\t-\t%d\t%s\n", text.c_str(), a.room, a.x, a.y, a.z,
                  OcbOfEntry(level, static_cast<int>(n)), Bits(a.item_flags, 16).c_str());
    }
  }
  return Result::Ok();
}

}  // namespace

const Registration kItems{
    {"items",
     "items LEVEL [--catalog FILE]  the item list: entry, room, x, y, z, angle, OCB, flags", Items,
     Group::kInspect}};

}  // namespace qavel::cli

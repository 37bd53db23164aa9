// items: the item list with each entry's placement.

#include <cstdio>

#include "cli_names.h"

namespace qavel::cli {

namespace {

std::string Bits(uint32_t value, int count) {
  std::string s;
  for (int bit = count - 1; bit >= 0; --bit) s += (value >> bit) & 1 ? '1' : '0';
  return s;
}

int Items(const Args& in) {
  Args args = in;
  std::string catalog;
  if (!TakeCatalogOption(args, catalog)) return 1;
  if (args.size() != 1) return Fail("usage: qavel-cli items LEVEL [--catalog FILE]");
  NamedLevel L;
  if (!LoadNamedLevel(L, args[0], catalog)) return 1;
  const Ttrlevel& level = L.level;
  std::printf("entry\troom\tx\ty\tz\tangle\tOCB\tflags\n");
  for (size_t n = 0; n < ItemEntryCount(level); ++n) {
    const std::string text = ItemEntryText(L.catalog, level, n);
    if (n < level.num_items()) {
      const titem2& it = level.items2[n];
      const int ocb = level.version_kind >= kTR4 ? it.light2_ocb : 0;
      // The flags shown are the high byte of the flag word: activation mask, invisible, ...
      std::printf("%s\t%u\t%d\t%d\t%d\t%u\t%d\t%s\n", text.c_str(), it.room, it.x, it.y, it.z,
                  it.angle, ocb, Bits(it.item_flags >> 8, 8).c_str());
    } else {
      const taux_item& a = level.aux_items[n - level.num_items()];
      std::printf("%s\t%u\t%d\t%d\t%d\t-\t%d\t%s\n", text.c_str(), a.room, a.x, a.y, a.z, a.ocb,
                  Bits(a.item_flags, 16).c_str());
    }
  }
  return 0;
}

}  // namespace

const Registration kItems{
    {"items",
     "items LEVEL [--catalog FILE]  the item list: entry, room, x, y, z, angle, OCB, flags", Items,
     Group::kInspect}};

}  // namespace qavel::cli

// Feeds MSH and ZQP files to the importers. The first byte picks the level's generation and the
// import mode; the magic and generation are put in front of the rest so that the fuzzer spends
// its time on the rooms and zones. A refused file must leave the level exactly as it was.

#include <cstdlib>
#include <cstring>

#include "exchange/msh_file.h"
#include "exchange/zqp_file.h"
#include "fixtures/test_level.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qavel;
  if (size < 1) return 0;
  const int32_t kind = data[0] % 7 + 1;
  const auto mode = (data[0] & 0x80) ? MshImportMode::kGeometryOnly : MshImportMode::kFull;
  static const std::array<Ttrlevel, 7> levels = [] {
    std::array<Ttrlevel, 7> l;
    for (int32_t k = 1; k <= 7; ++k) l[k - 1] = test::MakeLevel(k, 2, 8, 3);
    return l;
  }();
  const Ttrlevel& original = levels[kind - 1];

  Bytes file(kMshMagic, kMshMagic + 17);
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(kind >> (8 * i)));
  file.insert(file.end(), data + 1, data + size);
  Ttrlevel level = original;
  if (!ImportMshBytes(level, file, mode, "fuzz.msh").ok() && !(level == original)) std::abort();

  // The same bytes as they stand, through both readers.
  const Bytes raw(data + 1, data + size);
  level = original;
  if (!ImportMshBytes(level, raw, mode, "fuzz.msh").ok() && !(level == original)) std::abort();
  (void)ImportProjectBytes(original, raw, "fuzz.zqp");
  return 0;
}

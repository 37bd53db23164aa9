// Random catalog documents through the XML scanner and the catalog reader.

#include <cstdint>
#include <string>

#include "exchange/catalog_movables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qavel;
  if (size < 1) return 0;
  const int32_t kind = data[0] % 8;
  const std::string document(reinterpret_cast<const char*>(data + 1), size - 1);
  MovableCatalog catalog;
  LoadMovableCatalogText(catalog, document, "fuzz.xml", kind);
  Ttrlevel level;
  for (uint32_t id : {0u, 13u, 599u, 600u}) {
    tmovable m{};
    m.object_id = id;
    level.movables.push_back(m);
  }
  EnterLevelMovables(catalog, level);
  return 0;
}

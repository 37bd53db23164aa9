#include "exchange/exchange_formats.h"

#include "exchange/dxf_file.h"
#include "exchange/msh_file.h"
#include "exchange/zqp_file.h"

namespace qavel {

namespace {

Result ExportDxf(const Ttrlevel& level, size_t room, const std::string& path) {
  return ExportRoomDxf(level, room, path);
}
Result ImportDxf(Ttrlevel& level, size_t room, const std::string& path) {
  return ImportRoomDxf(level, room, path);
}
Result ExportMshFile(const Ttrlevel& level, size_t /*room*/, const std::string& path) {
  return ExportMsh(level, path);
}
Result ImportMshFull(Ttrlevel& level, size_t /*room*/, const std::string& path) {
  return ImportMsh(level, path, MshImportMode::kFull);
}
Result ImportMshGeometry(Ttrlevel& level, size_t /*room*/, const std::string& path) {
  return ImportMsh(level, path, MshImportMode::kGeometryOnly);
}
Result ExportZqp(const Ttrlevel& level, size_t /*room*/, const std::string& path) {
  return ExportProject(level, path);
}
Result ImportZqp(Ttrlevel& level, size_t /*room*/, const std::string& path) {
  return ImportProject(level, path);
}

constexpr std::array<ExchangeFormat, 4> kFormats = {{
    {ExchangeFormatId::kDxf, "DXF File", "dxf", "DXF File (*.dxf)", true, "ExportDXF1",
     "Export DXF(Current Room)", "Export DXF", "ImportDXF1", "Import DXF(Current Room)",
     "Import DXF", ExportDxf, ImportDxf},
    {ExchangeFormatId::kMshFull, "MSH File", "msh", "MSH File (*.msh)", false, "ExportMSH1",
     "Export MSH", "Export MSH", "ImportMSH1", "Import MSH_1", "Import MSH_1", ExportMshFile,
     ImportMshFull},
    {ExchangeFormatId::kMshGeometry, "MSH File", "msh", "MSH File (*.msh)", false, nullptr, nullptr,
     nullptr, "ImportMSH2", "Import MSH_2", "Import MSH_2", nullptr, ImportMshGeometry},
    {ExchangeFormatId::kZqp, "ZQP File", "zqp", "ZQP File (*.zqp)", false, "ExportZQP1",
     "Export ZQP", "Export ZQP", "ImportZQP1", "Import ZQP", "Import ZQP", ExportZqp, ImportZqp},
}};

}  // namespace

const std::array<ExchangeFormat, 4>& ExchangeFormats() {
  return kFormats;
}

const ExchangeFormat& GetExchangeFormat(ExchangeFormatId id) {
  return kFormats[static_cast<size_t>(id)];
}

}  // namespace qavel

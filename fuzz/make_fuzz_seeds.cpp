// Writes small levels of every generation as seeds for the reader's fuzz target, and the
// hostile kinds the reader refuses or warns of: a TR4 file whose packed chunk claims far more
// than its page counts need, one with much level data left unread, TR4 and TR5 files cut short
// inside their samples, and a "ZLIB" container that states more than any file holds.

#include <cstring>
#include <fstream>
#include <string>

#include "fixtures/test_level.h"
#include "level/level_writer.h"
#include "level/zfile.h"

namespace {

void Put32(qavel::Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool WriteRaw(const std::string& path, const qavel::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// A TR4 file of one page whose 32-bit chunk states 512 MiB and holds a megabyte of zeros.
qavel::Bytes BombSeed() {
  const qavel::Bytes zeros(1 << 20, 0);
  const qavel::Bytes stream = *qavel::PackBlock(zeros.data(), zeros.size());
  qavel::Bytes out;
  Put32(out, 0x00345254);
  for (uint16_t count : {1, 0, 0}) {
    out.push_back(static_cast<uint8_t>(count));
    out.push_back(0);
  }
  Put32(out, 512u << 20);
  Put32(out, static_cast<uint32_t>(stream.size()));
  out.insert(out.end(), stream.begin(), stream.end());
  return out;
}

// A container that states 256 MiB of content.
qavel::Bytes HugeContainerSeed() {
  const qavel::Bytes content(100, 7);
  const qavel::Bytes stream = *qavel::PackBlock(content.data(), content.size());
  qavel::Bytes out = {'Z', 'L', 'I', 'B'};
  Put32(out, static_cast<uint32_t>(stream.size()));
  Put32(out, 256u << 20);
  out.insert(out.end(), stream.begin(), stream.end());
  return out;
}

// A TR4 or TR5 file of two samples, cut short inside the second. Its last byte picks the name
// the fuzz target reads it under: "f.tr4" or "f.trc".
bool CutSamplesSeed(int32_t kind, const std::string& path) {
  qavel::Ttrlevel level = qavel::test::MakeTinyLevel(kind);
  level.pages32 = level.pages16 = qavel::SharedBlock{};
  level.tail_count = 2;
  qavel::Bytes samples;
  for (uint32_t size : {40u, 30u}) {
    Put32(samples, size);
    Put32(samples, size);
    samples.insert(samples.end(), size, kind == qavel::kTR5 ? 5 : 4);
  }
  level.tail_data = qavel::SharedBlock::Of(std::move(samples));
  auto written = qavel::WriteLevelBytes(level, path);
  if (!written) return false;
  written->bytes.resize(written->bytes.size() - 10);
  return WriteRaw(path, written->bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string dir = argv[1];
  const std::pair<int32_t, const char*> kinds[] = {
      {qavel::kTR1, "seed.phd"},  {qavel::kTR1Tub, "seed.tub"}, {qavel::kTR2, "seed.tr2"},
      {qavel::kTR3, "seed3.tr2"}, {qavel::kTR4, "seed.tr4"},    {qavel::kTR5, "seed.trc"}};
  for (const auto& [kind, name] : kinds) {
    qavel::Ttrlevel level = qavel::test::MakeTinyLevel(kind);
    // No texture pages: small seeds mutate faster.
    level.num_pages = 0;
    level.pages8 = level.pages16 = level.pages32 = qavel::SharedBlock{};
    if (!qavel::WriteLevel(level, dir + "/" + name)) return 1;
  }
  qavel::Ttrlevel unread = qavel::test::MakeTinyLevel(qavel::kTR4);
  unread.pages32 = unread.pages16 = qavel::SharedBlock{};
  unread.level_data_end.assign(300, 0x5A);
  if (!qavel::WriteLevel(unread, dir + "/unread.tr4")) return 1;
  if (!CutSamplesSeed(qavel::kTR4, dir + "/cut_samples.tr4") ||
      !CutSamplesSeed(qavel::kTR5, dir + "/cut_samples.trc"))
    return 1;
  return WriteRaw(dir + "/bomb.tr4", BombSeed()) &&
                 WriteRaw(dir + "/huge.zlib", HugeContainerSeed())
             ? 0
             : 1;
}

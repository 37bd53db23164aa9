// The commands that draw pictures (render, textures, view-images). qavel-cli lists them with the
// others but runs them in its helper program qavel-pictures, so the level commands start without
// loading Qt, image formats or OpenGL; the helper program finds their work registered.

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "commands.h"
#include "program/program_data.h"

namespace qavel::cli {

namespace {

constexpr const char* kPictureProgram = "qavel-pictures";

// Does the command here when this program holds its work, else hands the whole command line to
// the helper program, which takes this process's place (its output and exit code are the
// command's).
Result RunPicture(const char* name, const Args& args) {
  for (const PictureWork& w : PictureWorks())
    if (std::strcmp(w.name, name) == 0) return w.run(args);
  const std::string helper = FindHelperProgram(ProgramFolder(), kPictureProgram);
  if (helper.empty())
    return Fail(std::string(name) + " needs the program " + kPictureProgram +
                ", which is not installed beside qavel-cli");
  std::vector<std::string> line{helper, name};
  line.insert(line.end(), args.begin(), args.end());
  std::vector<char*> argv;
  argv.reserve(line.size() + 1);
  for (std::string& a : line) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::fflush(stdout);
  std::fflush(stderr);
#ifdef _WIN32
  // No exec here: the helper runs as a child and its exit code becomes this program's.
  const intptr_t code = _spawnv(_P_WAIT, helper.c_str(), argv.data());
  if (code >= 0) std::exit(int(code));
#else
  execv(helper.c_str(), argv.data());
#endif
  return Fail("cannot run " + helper + ": " + std::strerror(errno));
}

template <const char* kName>
Result Picture(const Args& args) {
  return RunPicture(kName, args);
}

constexpr char kRender[] = "render";
constexpr char kTextures[] = "textures";
constexpr char kViewImages[] = "view-images";

const Registration kRenderCommand{{kRender,
                                   "render LEVEL ROOM OUT.png [--size WxH] [--transparent-texels] "
                                   "[VIEW]  the room as the 3D view draws it just after it was "
                                   "selected, as a PNG picture",
                                   Picture<kRender>, Group::kView}};
const Registration kTexturesCommand{
    {kTextures,
     "textures LEVEL OUTDIR [--piece N]  write the texture atlas, the five mosaics and a piece "
     "preview as PNG files",
     Picture<kTextures>, Group::kView}};
const Registration kViewImagesCommand{
    {kViewImages, "view-images OUTDIR  draw the view's pictures texture1.jpg and colored.bmp",
     Picture<kViewImages>, Group::kView}};

}  // namespace

}  // namespace qavel::cli

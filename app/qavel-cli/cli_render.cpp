// render: a room drawn as the window's 3D view draws it, into a PNG file.

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>

#include "cli_view.h"
#include "level/zfile.h"
#include "render/offscreen_view.h"
#include "textures/atlas.h"
#include "textures/texture_store.h"

namespace qavel::cli {

namespace {

constexpr uint32_t kTeal = 0x808000;  // the view's background at start (window colour value)

// The textures the window holds for this level: its pages, and the view's two pictures found as
// the window finds them (the room picture in the working folder first, then beside the program).
TextureStore ViewTextures(const Ttrlevel& level) {
  TextureStore store;
  const std::string why =
      LoadViewTexturesBeside(store, QCoreApplication::applicationDirPath().toStdString());
  if (!why.empty()) std::fprintf(stderr, "qavel-cli: %s\n", why.c_str());
  AddLevelPages(store, BuildAtlas(level), 0);
  return store;
}

Result Render(const Args& in) {
  Args args = in;
  ViewOptions options;
  std::string catalog;
  int width = 0, height = 0;
  if (Result r = TakeSizeOption(args, width, height); !r) return r;
  RoomsShown shown;
  if (Result r = TakeViewOptions(args, options, catalog, shown); !r) return r;
  const bool transparent_texels = TakeFlag(args, "--transparent-texels");
  if (args.size() != 3)
    return Fail(std::string("usage: qavel-cli render LEVEL ROOM OUT.png [--size WxH] "
                            "[--transparent-texels] ") +
                kViewUsage);
  auto v = std::make_unique<ViewedRoom>();
  if (Result r = BuildViewedRoom(*v, args[0], args[1], options, catalog, shown, width, height); !r)
    return r;
  v->viewport.SetBackgroundColor(kTeal);

  // Qt's own notices (a missing runtime folder, a display that is not there) would bury the one
  // line this command prints when it cannot draw; its fatal errors still end the process.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtFatalMsg || type == QtCriticalMsg)
      std::fprintf(stderr, "qavel-cli: %s\n", qPrintable(text));
  });
  ChooseHeadlessPlatform();
  static int argc = 1;
  static char name[] = "qavel-cli";
  static char* argv[] = {name, nullptr};
  QGuiApplication app(argc, argv);
  const TextureStore store = ViewTextures(v->named.level);
  OffscreenView view;
  if (const Result made = view.Create(width, height); !made) {
    // A size the driver cannot hold is the size's fault, not the driver's.
    if (made.status() == Status::kRefused) return Fail(made.message());
    return Fail("cannot draw the view without OpenGL 3.3: " + made.message() +
                " (where there is no display, run it under xvfb-run)");
  }
  view.renderer().set_options({.transparent_texels = transparent_texels});
  const FrameMatrices frame = v->viewport.Matrices();
  // Rooms at their places: those the frame cannot see are left out, and from a camera inside a
  // room those its portals do not open onto, as in the window; the others are drawn bright (the
  // selected room is the one the picture is about, so nothing is dimmed).
  const RoomDraw rooms = MakeRoomDraw(
      v->rooms, frame, {.selected = v->room, .highlight = shown.mode != ViewMode::kRoom},
      &v->named.level);
  const Expected<QImage> image = view.Render(v->list, v->buffers, frame, v->viewport.ClearColour(),
                                             store, shown.Placed() ? &rooms : nullptr);
  if (!image) return Fail("the view could not be drawn: " + image.message());
  QByteArray png;
  QBuffer device(&png);
  device.open(QIODevice::WriteOnly);
  if (!image->save(&device, "PNG")) return Fail("the view could not be written as a PNG picture");
  const Result saved = WriteFileAtomically(
      args[2], reinterpret_cast<const uint8_t*>(png.constData()), static_cast<size_t>(png.size()));
  if (!saved) return saved;
  std::printf("%s %dx%d\n", args[2].c_str(), width, height);
  PrintSkipped(v->scene);
  return Result::Ok();
}

}  // namespace

const PictureRegistration kRender{{"render", Render}};

}  // namespace qavel::cli

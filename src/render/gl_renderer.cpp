#include "render/gl_renderer.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLFunctions_3_3_Core>
#include <QOpenGLVersionFunctionsFactory>
#include <QSurfaceFormat>

namespace qavel {

namespace {

constexpr const char* kVertexShader = R"(
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 colour_bgra;  // the bytes of 0xAARRGGBB in memory order
layout(location = 2) in vec2 uv;
uniform mat4 transform;
out vec3 v_colour;
out vec2 v_uv;
void main() {
  gl_Position = transform * vec4(position, 1.0);
  v_colour = colour_bgra.zyx;
  v_uv = uv;
}
)";

// One program per way of colouring a face, chosen by MODE: 0, no texture, the vertex colour
// alone; 1, the texture times the vertex colour; 2, the same, leaving out magenta texels and
// keeping them out of the filtering of their neighbours. Separate programs rather than a branch
// on a uniform: a software rasteriser runs every branch of a shader for every fragment, so the
// plain textured faces would pay for the keyed filtering.
constexpr const char* kFragmentShader = R"(
in vec3 v_colour;
in vec2 v_uv;
uniform sampler2D page;
uniform vec3 tint;
out vec4 colour;
#if MODE == 0
void main() { colour = vec4(v_colour * tint, 1.0); }
#elif MODE == 1
void main() { colour = vec4(texture(page, v_uv).rgb * v_colour * tint, 1.0); }
#else
bool IsKey(vec3 t) { return t.r > 0.97 && t.g < 0.01 && t.b > 0.97; }
ivec2 Wrap(ivec2 p, ivec2 size) { return ((p % size) + size) % size; }
void main() {
  ivec2 size = textureSize(page, 0);
  vec2 st = v_uv * vec2(size);
  if (IsKey(texelFetch(page, Wrap(ivec2(floor(st)), size), 0).rgb)) discard;
  st -= 0.5;
  ivec2 base = ivec2(floor(st));
  vec2 f = st - floor(st);
  vec3 sum = vec3(0.0);
  float weight = 0.0;
  for (int k = 0; k < 4; ++k) {
    ivec2 d = ivec2(k & 1, k >> 1);
    vec3 t = texelFetch(page, Wrap(base + d, size), 0).rgb;
    float w = (d.x == 1 ? f.x : 1.0 - f.x) * (d.y == 1 ? f.y : 1.0 - f.y);
    if (!IsKey(t)) {
      sum += t * w;
      weight += w;
    }
  }
  colour = vec4(sum / max(weight, 1e-6) * v_colour * tint, 1.0);
}
#endif
)";

unsigned CompileShader(QOpenGLFunctions_3_3_Core& gl, unsigned kind, const char* head,
                       const char* source, std::string& why) {
  const unsigned shader = gl.glCreateShader(kind);
  const char* parts[] = {head, source};
  gl.glShaderSource(shader, 2, parts, nullptr);
  gl.glCompileShader(shader);
  int ok = 0;
  gl.glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[1024] = {};
    gl.glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    why = std::string("the view's shader does not compile: ") + log;
    gl.glDeleteShader(shader);
    return 0;
  }
  return shader;
}

// Attribute offsets into the bound buffer go to GL in a pointer's place: the cast is what the
// API asks for, no address is made up.
const void* BufferOffset(size_t bytes) {
  return reinterpret_cast<const void*>(bytes);  // NOLINT(performance-no-int-to-ptr)
}

}  // namespace

QSurfaceFormat ViewSurfaceFormat() {
  QSurfaceFormat f;
  f.setRenderableType(QSurfaceFormat::OpenGL);
  f.setVersion(3, 3);
  f.setProfile(QSurfaceFormat::CoreProfile);
  f.setDepthBufferSize(24);
  f.setStencilBufferSize(8);
  f.setSamples(0);
  return f;
}

Mat4 ClipTransform(const FrameMatrices& frame) {
  // [x y z w] -> [x y 2z-w w]: depth 0..w becomes -w..w.
  Mat4 depth = Identity();
  depth.m[2][2] = 2;
  depth.m[3][2] = -1;
  return Multiply(Multiply(Multiply(frame.world, frame.view), frame.projection), depth);
}

Result GlRenderer::Initialize() {
  auto fail = [](std::string why) { return Result::Fail(Status::kFailed, std::move(why)); };
  QOpenGLContext* context = QOpenGLContext::currentContext();
  if (!context) return fail("there is no OpenGL context");
  const QSurfaceFormat f = context->format();
  if (context->isOpenGLES() || f.version() < qMakePair(3, 3))
    return fail("OpenGL 3.3 is needed; this context offers " +
                std::string(context->isOpenGLES() ? "OpenGL ES " : "OpenGL ") +
                std::to_string(f.majorVersion()) + "." + std::to_string(f.minorVersion()));
  gl_ = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_3_3_Core>(context);
  if (!gl_ || !gl_->initializeOpenGLFunctions()) {
    gl_ = nullptr;
    return fail("the OpenGL 3.3 core functions are not available");
  }
  QOpenGLFunctions_3_3_Core& gl = *gl_;
  if (const auto* v = reinterpret_cast<const char*>(gl.glGetString(GL_VERSION))) version_ = v;

  std::string why;
  for (int mode = 0; mode < kModes; ++mode) {
    const std::string head = "#version 330 core\n#define MODE " + std::to_string(mode) + "\n";
    const unsigned vs = CompileShader(gl, GL_VERTEX_SHADER, head.c_str(), kVertexShader, why);
    const unsigned fs =
        vs ? CompileShader(gl, GL_FRAGMENT_SHADER, head.c_str(), kFragmentShader, why) : 0;
    if (!fs) {
      if (vs) gl.glDeleteShader(vs);
      Release();
      return fail(why);
    }
    const unsigned program = gl.glCreateProgram();
    gl.glAttachShader(program, vs);
    gl.glAttachShader(program, fs);
    gl.glLinkProgram(program);
    gl.glDeleteShader(vs);
    gl.glDeleteShader(fs);
    int ok = 0;
    gl.glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      char log[1024] = {};
      gl.glGetProgramInfoLog(program, sizeof log, nullptr, log);
      gl.glDeleteProgram(program);
      Release();
      return fail(std::string("the view's shader does not link: ") + log);
    }
    ModeProgram& p = programs_[size_t(mode)];
    p.id = program;
    p.transform_at = gl.glGetUniformLocation(program, "transform");
    p.sampler_at = gl.glGetUniformLocation(program, "page");
    p.tint_at = gl.glGetUniformLocation(program, "tint");
  }
  gl.glGenVertexArrays(1, &vertex_array_);
  textures_.Attach(gl_);
  return Result::Ok();
}

void GlRenderer::Release() {
  if (gl_) {
    for (LayerGl& l : layers_)
      if (l.buffer) gl_->glDeleteBuffers(1, &l.buffer);
    if (vertex_array_) gl_->glDeleteVertexArrays(1, &vertex_array_);
    for (ModeProgram& p : programs_)
      if (p.id) gl_->glDeleteProgram(p.id);
    textures_.Release();
  }
  textures_.Forget();
  layers_.clear();
  programs_ = {};
  vertex_array_ = 0;
  gl_ = nullptr;
}

Result GlRenderer::UploadLayer(const DrawList& list, int layer, const LayerBuffer& buffer,
                               LayerGl& l) {
  const bool fresh = l.buffer == 0 || l.created != buffer.created;
  if (!fresh && l.filled == buffer.filled) return Result::Ok();
  const std::string what =
      std::to_string(buffer.capacity) + " vertices of layer " + std::to_string(layer);
  if (list.vertex_count(layer) != buffer.capacity)
    return Result::Fail(Status::kRefused, "the " + what + " changed after they were described");
  QOpenGLFunctions_3_3_Core& gl = *gl_;
  const auto bytes =
      static_cast<GLsizeiptr>(static_cast<size_t>(buffer.capacity) * sizeof(BufferVertex));
  if (l.buffer == 0) gl.glGenBuffers(1, &l.buffer);
  gl.glBindBuffer(GL_ARRAY_BUFFER, l.buffer);
  while (gl.glGetError() != GL_NO_ERROR) {
  }
  // Until the vertices are in, the buffer is made again at every frame, never drawn.
  l.created = 0;
  if (fresh) {
    // Storage of the layer's size, made only when its vertex count changed.
    gl.glBufferData(GL_ARRAY_BUFFER, bytes, nullptr, GL_DYNAMIC_DRAW);
    if (gl.glGetError() != GL_NO_ERROR)
      return Result::Fail(Status::kFailed, "the OpenGL driver has no room for the " + what + " (" +
                                               std::to_string(bytes >> 20) + " MiB)");
    ++stats_.buffer_creations;
  } else {
    ++stats_.buffer_fills;
  }
  // The list writes the vertices straight into the driver's memory: no copy of them is made.
  void* out = gl.glMapBufferRange(GL_ARRAY_BUFFER, 0, bytes,
                                  GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
  if (!out) return Result::Fail(Status::kFailed, "the OpenGL driver cannot take the " + what);
  list.WriteLayer(layer, static_cast<BufferVertex*>(out));
  if (gl.glUnmapBuffer(GL_ARRAY_BUFFER) != GL_TRUE)
    return Result::Fail(Status::kFailed, "the OpenGL driver lost the " + what);
  l.created = buffer.created;
  l.filled = buffer.filled;
  return Result::Ok();
}

namespace {

// A layer's runs cut by room: the visible rooms' spans, neighbours of one texture and tint
// joined into one call.
struct TintedRun {
  DrawRun run;
  std::array<float, 3> tint;
};
std::vector<TintedRun> RoomRunsToDraw(const LayerBuffer& buffer, const std::vector<RoomSpan>& spans,
                                      const RoomDraw& rooms) {
  std::vector<TintedRun> out;
  if (buffer.triangle_count == 0) return out;
  const bool one = buffer.one_run || buffer.fill_mode == FillMode::kWireframe;
  for (const RoomSpan& s : spans) {
    if (s.slot >= rooms.visible.size() || !rooms.visible[s.slot]) continue;
    const int32_t texture = one ? buffer.buffer_texture : s.texture;
    const std::array<float, 3> tint = rooms.tint[s.slot];
    if (!out.empty()) {
      TintedRun& last = out.back();
      if (last.run.texture == texture && last.tint == tint &&
          last.run.first_vertex + last.run.vertex_count == s.first_vertex) {
        last.run.vertex_count += s.vertex_count;
        continue;
      }
    }
    out.push_back({{texture, s.first_vertex, s.vertex_count}, tint});
  }
  return out;
}

}  // namespace

Result GlRenderer::DrawLayer(const DrawList& list, int layer, const LayerBuffer& buffer, LayerGl& l,
                             const RoomDraw* rooms) {
  std::vector<TintedRun> runs;
  if (rooms && rooms->scene && static_cast<size_t>(layer) < rooms->scene->spans.size()) {
    runs = RoomRunsToDraw(buffer, rooms->scene->spans[static_cast<size_t>(layer)], *rooms);
  } else {
    for (const DrawRun& run : RunsToDraw(buffer))
      runs.push_back({run, rooms ? rooms->whole : std::array<float, 3>{1, 1, 1}});
  }
  if (runs.empty()) return Result::Ok();
  if (Result uploaded = UploadLayer(list, layer, buffer, l); !uploaded) return uploaded;
  QOpenGLFunctions_3_3_Core& gl = *gl_;
  gl.glBindBuffer(GL_ARRAY_BUFFER, l.buffer);
  constexpr auto kStride = static_cast<GLsizei>(sizeof(BufferVertex));
  gl.glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, nullptr);
  gl.glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, kStride,
                           BufferOffset(offsetof(BufferVertex, colour)));
  gl.glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, kStride,
                           BufferOffset(offsetof(BufferVertex, u)));
  gl.glPolygonMode(GL_FRONT_AND_BACK, buffer.fill_mode == FillMode::kWireframe ? GL_LINE : GL_FILL);
  const int keyed = options_.transparent_texels ? 2 : 1;
  for (const auto& [run, tint] : runs) {
    // The run's texture, else the buffer's, else none: the vertex colour alone.
    unsigned texture = textures_.Find(run.texture);
    if (texture == 0) texture = textures_.Find(buffer.buffer_texture);
    const ModeProgram& p = programs_[size_t(texture ? keyed : 0)];
    if (p.id != used_program_) {
      gl.glUseProgram(p.id);
      used_program_ = p.id;
    }
    gl.glUniform3f(p.tint_at, tint[0], tint[1], tint[2]);
    gl.glBindTexture(GL_TEXTURE_2D, texture);
    // Large runs go in pieces, the frame flushed after each batch: a software rasteriser holds
    // every triangle it has been given until the frame is flushed, and a whole level at once
    // would hold them all (tens of MiB); a hardware driver takes the flush as a hint.
    for (uint32_t done = 0; done < run.vertex_count;) {
      const uint32_t n = std::min(run.vertex_count - done, kBatchVertices - unflushed_);
      gl.glDrawArrays(GL_TRIANGLES, static_cast<GLint>(run.first_vertex + done),
                      static_cast<GLsizei>(n));
      ++stats_.draw_calls;
      done += n;
      unflushed_ += n;
      if (unflushed_ == kBatchVertices) {
        gl.glFlush();
        unflushed_ = 0;
      }
    }
  }
  return Result::Ok();
}

Result GlRenderer::DrawFrame(const DrawList& list, const LayerBuffers& buffers,
                             const FrameMatrices& frame, uint32_t clear_argb,
                             const TextureStore& store, int pixel_width, int pixel_height,
                             const RoomDraw* rooms) {
  const float red = float((clear_argb >> 16) & 0xFF) / 255.0f,
              green = float((clear_argb >> 8) & 0xFF) / 255.0f,
              blue = float(clear_argb & 0xFF) / 255.0f;
  if (!ready()) {
    // Without the renderer the background at least shows where the view would be.
    if (QOpenGLContext* context = QOpenGLContext::currentContext()) {
      QOpenGLFunctions* f = context->functions();
      f->glClearColor(red, green, blue, 1.0f);
      f->glClear(GL_COLOR_BUFFER_BIT);
    }
    return Result::Fail(Status::kFailed, "the view has no renderer");
  }
  QOpenGLFunctions_3_3_Core& gl = *gl_;
  textures_.Sync(store);
  if (layers_.size() < buffers.size()) layers_.resize(buffers.size());

  gl.glViewport(0, 0, pixel_width, pixel_height);
  gl.glDisable(GL_BLEND);
  gl.glDisable(GL_DITHER);
  gl.glDisable(GL_SCISSOR_TEST);
  gl.glEnable(GL_DEPTH_TEST);
  gl.glDepthFunc(GL_LEQUAL);
  gl.glDepthMask(GL_TRUE);
  gl.glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  // Triangles running counter-clockwise on the screen are backs: the same ones picking never
  // hits.
  gl.glEnable(GL_CULL_FACE);
  gl.glFrontFace(GL_CW);
  gl.glCullFace(GL_BACK);
  gl.glClearColor(red, green, blue, 1.0f);
  gl.glClearDepth(1.0);
  gl.glClearStencil(0);
  gl.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);

  const Mat4 transform = ClipTransform(frame);
  for (const ModeProgram& p : programs_) {
    gl.glUseProgram(p.id);
    gl.glUniformMatrix4fv(p.transform_at, 1, GL_FALSE, &transform.m[0][0]);
    gl.glUniform1i(p.sampler_at, 0);
  }
  used_program_ = programs_.back().id;
  unflushed_ = 0;
  gl.glActiveTexture(GL_TEXTURE0);
  gl.glBindVertexArray(vertex_array_);
  for (GLuint a = 0; a < 3; ++a) gl.glEnableVertexAttribArray(a);
  Result drawn;
  for (size_t i = 0; i < buffers.size(); ++i) {
    Result layer = DrawLayer(list, static_cast<int>(i), buffers[i], layers_[i], rooms);
    if (!layer && drawn.ok()) drawn = std::move(layer);
  }

  // Leave the state as Qt's own drawing expects it.
  gl.glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  gl.glBindVertexArray(0);
  gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
  gl.glBindTexture(GL_TEXTURE_2D, 0);
  gl.glUseProgram(0);
  gl.glDisable(GL_CULL_FACE);
  gl.glDisable(GL_DEPTH_TEST);
  ++stats_.frames;
  return drawn;
}

}  // namespace qavel

// One frame of the volume canvas: the clipping plane, the surface meshes, the
// volume as view-aligned curved slices through the 3D texture blended back
// to front, the plane's cross-section and outline, and the box.

#include <orv/vol3d_canvas.h>

#include "surface_geometry.h"
#include "volume_view.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace orv {

namespace {

using Vec3 = std::array<float, 3>;

// Quads of the 8 x 8 proxy grid: quad (i, j) is (i, j), (i, j + 1),
// (i + 1, j + 1), (i + 1, j).
const std::array<GLushort, 7 * 7 * 4>& ProxyQuads() {
  static const std::array<GLushort, 7 * 7 * 4> quads = [] {
    std::array<GLushort, 7 * 7 * 4> q{};
    std::size_t n = 0;
    for (int i = 0; i < 7; ++i)
      for (int j = 0; j < 7; ++j) {
        q[n++] = static_cast<GLushort>(i * 8 + j);
        q[n++] = static_cast<GLushort>(i * 8 + j + 1);
        q[n++] = static_cast<GLushort>((i + 1) * 8 + j + 1);
        q[n++] = static_cast<GLushort>((i + 1) * 8 + j);
      }
    return q;
  }();
  return quads;
}

// The window pixels the model box [-1, 1]^3 covers under `modelview` and the
// current projection and viewport, a pixel of margin around: the slices
// outside it only sample the texture's transparent border. False when a
// corner lies behind the eye (the whole viewport then).
bool BoxOnScreen(const Matrix4f& modelview, GLint box[4]) {
  Matrix4f projection;
  glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  double low[2] = {1e30, 1e30}, high[2] = {-1e30, -1e30};
  for (int corner = 0; corner < 8; ++corner) {
    const float p[4] = {corner & 1 ? 1.f : -1.f, corner & 2 ? 1.f : -1.f, corner & 4 ? 1.f : -1.f, 1.f};
    float eye[4], clip[4];
    for (int r = 0; r < 4; ++r) eye[r] = modelview[r] * p[0] + modelview[4 + r] * p[1] + modelview[8 + r] * p[2] + modelview[12 + r];
    for (int r = 0; r < 4; ++r)
      clip[r] = projection[r] * eye[0] + projection[4 + r] * eye[1] + projection[8 + r] * eye[2] + projection[12 + r] * eye[3];
    if (clip[3] <= 0) return false;
    for (int a = 0; a < 2; ++a) {
      const double window = viewport[a] + (clip[a] / clip[3] + 1) / 2 * viewport[2 + a];
      low[a] = std::min(low[a], window);
      high[a] = std::max(high[a], window);
    }
  }
  for (int a = 0; a < 2; ++a) {
    const double from = std::max<double>(viewport[a], std::floor(low[a]) - 1);
    const double to = std::min<double>(viewport[a] + viewport[2 + a], std::ceil(high[a]) + 1);
    box[a] = static_cast<GLint>(from);
    box[2 + a] = static_cast<GLint>(std::max(0.0, to - from));
  }
  return true;
}

}  // namespace

double vol3D_VolVisCanvas::ReducedScale() const {
  if (!m_turning || !m_textureValid) return 1;
  // Frames cost about their pixels; before any was measured, a quarter.
  if (m_fullFrameMs <= 0) return 0.5;
  return std::clamp(std::sqrt(kTurningFrameMs / m_fullFrameMs), 0.2, 1.0);
}

// Each frame's time (finished, so that the driver's work counts) feeds the
// estimate of a full frame that sizes the reduced ones.
void vol3D_VolVisCanvas::Render() {
  const auto start = std::chrono::steady_clock::now();
  const double scale = ReducedScale();
  const int w = std::max(1, static_cast<int>(m_width * scale)), h = std::max(1, static_cast<int>(m_height * scale));
  if (scale < 1) glViewport(0, 0, w, h);
  RenderScene();
  if (scale < 1) ScaleUpFrom(w, h);
  if (!m_textureValid) return;
  glFinish();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  m_fullFrameMs = ms / (scale * scale);
}

void vol3D_VolVisCanvas::ScaleUpFrom(int w, int h) {
  if (!m_reducedFrame) glGenTextures(1, &m_reducedFrame);
  glBindTexture(GL_TEXTURE_2D, m_reducedFrame);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 0, 0, w, h, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glViewport(0, 0, m_width, m_height);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  for (GLenum matrix : {GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW}) {
    glMatrixMode(matrix);
    glPushMatrix();
    glLoadIdentity();
  }
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0), glVertex2f(-1, -1);
  glTexCoord2f(1, 0), glVertex2f(1, -1);
  glTexCoord2f(1, 1), glVertex2f(1, 1);
  glTexCoord2f(0, 1), glVertex2f(-1, 1);
  glEnd();
  for (GLenum matrix : {GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW}) {
    glMatrixMode(matrix);
    glPopMatrix();
  }
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
}

void vol3D_VolVisCanvas::RenderScene() {
  VolumeViewState& view = *m_view;
  glEnable(GL_DEPTH_TEST);
  glClearColor(view.background[0], view.background[1], view.background[2], 0);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  // The status bar follows the keys even before a volume is there.
  UpdateStatusBar();
  if (!m_textureValid) return;

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0, 0, view.distance);
  const GLfloat lightDirection[] = {0, 2, 10, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
  glMultMatrixf(view.model.data());

  // The inverse model rotation: the upper 3 x 3 transposed, no translation.
  Matrix4f modelview;
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview.data());
  Matrix4f inverse = kIdentity4f;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) inverse[c * 4 + r] = modelview[r * 4 + c];

  // Clipping plane: the normal is the plane rotation's first column; what
  // lies where n . p <= offset stays.
  const Vec3 n = {view.plane[0], view.plane[1], view.plane[2]};
  const Vec3 u = {view.plane[4], view.plane[5], view.plane[6]};
  const Vec3 v = {view.plane[8], view.plane[9], view.plane[10]};
  const GLdouble equation[] = {-n[0], -n[1], -n[2], view.planeOffset};
  const float d = static_cast<float>(view.planeOffset);
  std::array<Vec3, 4> corners;
  const float su[4] = {-0.8f, -0.8f, 0.8f, 0.8f}, sv[4] = {-0.8f, 0.8f, -0.8f, 0.8f};
  for (int k = 0; k < 4; ++k)
    for (int i = 0; i < 3; ++i) corners[k][i] = d * n[i] + su[k] * u[i] + sv[k] * v[i];

  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
  glTexGeni(GL_R, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
  glClipPlane(GL_CLIP_PLANE0, equation);
  glEnable(GL_CLIP_PLANE0);

  if (m_showMeshes) DrawMeshes();

  glColor4f(1, 1, 1, view.intensity);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, view.intensity * view.threshold);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  // The same slices kept at their brightest: the blend takes the larger of
  // the sample and what is there, whatever the order.
  if (view.maximumIntensity) glBlendEquation(GL_MAX);

  // Eye point -> model centre -> model space -> texture. The y scale is
  // negative: image row 0 lies at the high end of model y (see the header).
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glTranslatef(0.5f, 0.5f, 0.5f);
  glScalef(0.5f, 0.5f, 1.0f);
  glScalef(m_scale.x, -m_scale.y, m_scale.z);
  glMultMatrixf(inverse.data());
  glTranslatef(0, 0, -view.distance);
  glMatrixMode(GL_MODELVIEW);

  glPushMatrix();
  glLoadIdentity();
  const GLfloat planeS[] = {1, 0, 0, 0}, planeT[] = {0, 1, 0, 0}, planeR[] = {0, 0, 1, 0};
  glTexGenfv(GL_S, GL_EYE_PLANE, planeS);
  glTexGenfv(GL_T, GL_EYE_PLANE, planeT);
  glTexGenfv(GL_R, GL_EYE_PLANE, planeR);
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
  glEnable(GL_TEXTURE_GEN_R);
  glEnable(GL_TEXTURE_3D);
  glBindTexture(GL_TEXTURE_3D, m_texture);
  glTranslatef(0, 0, view.distance);

  // Slices from 1 behind the model centre to 1 in front, back to front,
  // drawn only where the box can show.
  GLint box[4];
  const bool scissored = BoxOnScreen(modelview, box);
  if (scissored) {
    glScissor(box[0], box[1], box[2], box[3]);
    glEnable(GL_SCISSOR_TEST);
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, m_proxyGrid.data());
  const auto& quads = ProxyQuads();
  for (int k = 0; k < view.slices; ++k) {
    glPushMatrix();
    const float z = view.slices > 1 ? 2.0f * k / (view.slices - 1) - 1 : 0.0f;
    glTranslatef(0, 0, z);
    glDrawElements(GL_QUADS, static_cast<GLsizei>(quads.size()), GL_UNSIGNED_SHORT, quads.data());
    glPopMatrix();
  }
  glDisableClientState(GL_VERTEX_ARRAY);
  glPopMatrix();
  glDisable(GL_SCISSOR_TEST);
  glBlendEquation(GL_FUNC_ADD);
  glDisable(GL_CLIP_PLANE0);
  glDisable(GL_ALPHA_TEST);

  // The plane shows the volume's cross-section, unclipped.
  if (view.drawPlane) {
    glDepthMask(GL_FALSE);
    glColor4f(1, 1, 1, 1);
    DrawPlane(corners, false);
    glDepthMask(GL_TRUE);
  }
  glDisable(GL_TEXTURE_3D);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glDisable(GL_TEXTURE_GEN_R);
  if (view.drawBox) DrawBox();
  if (view.drawPlane) {
    glColor3f(1, 0, 0);
    DrawPlane(corners, true);
  }
  glDisable(GL_BLEND);
}

void vol3D_VolVisCanvas::DrawPlane(const std::array<std::array<float, 3>, 4>& corners, bool outline) {
  // The quad runs 0, 1, 3, 2; so does its outline.
  static const int order[4] = {0, 1, 3, 2};
  glBegin(outline ? GL_LINE_LOOP : GL_QUADS);
  for (int k : order) glVertex3fv(corners[k].data());
  glEnd();
}

void vol3D_VolVisCanvas::DrawBox() {
  glColor3f(0, 0, 0.7f);
  glBegin(GL_LINES);
  // Four edges along each axis.
  for (int axis = 0; axis < 3; ++axis)
    for (int e = 0; e < 4; ++e) {
      float p[3];
      p[(axis + 1) % 3] = (e & 1) ? 1.0f : -1.0f;
      p[(axis + 2) % 3] = (e & 2) ? 1.0f : -1.0f;
      p[axis] = -1;
      glVertex3fv(p);
      p[axis] = 1;
      glVertex3fv(p);
    }
  glEnd();
}

namespace {

enum MeshBuffer { kPositions, kNormals, kColours, kIndices };

// Draws `count` vertex numbers of the bound index buffer from `first` on, in
// calls of at most what a GLsizei holds.
void DrawIndexRange(std::size_t first, std::size_t count) {
  constexpr std::size_t kMost = std::size_t(1) << 30;
  while (count > 0) {
    const std::size_t now = std::min(count, kMost);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(now), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(first * sizeof(std::uint32_t)));
    first += now;
    count -= now;
  }
}

}  // namespace

// Each vertex carries its label's colour, which lighting takes as the
// diffuse colour: the lit meshes are one call, the others a second one.
void vol3D_VolVisCanvas::DrawMeshes() {
  if (m_meshIndexCount == 0) return;
  glPushMatrix();
  glTranslatef(m_meshOffset.x, m_meshOffset.y, m_meshOffset.z);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glBindBuffer(GL_ARRAY_BUFFER, m_meshBuffers[kPositions]);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, m_meshBuffers[kColours]);
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, nullptr);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_meshBuffers[kIndices]);
  if (m_litIndexCount > 0) {
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glEnableClientState(GL_NORMAL_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, m_meshBuffers[kNormals]);
    glNormalPointer(GL_FLOAT, 0, nullptr);
    DrawIndexRange(0, m_litIndexCount);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
  }
  DrawIndexRange(m_litIndexCount, m_meshIndexCount - m_litIndexCount);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glPopMatrix();
}

void vol3D_VolVisCanvas::DeleteMeshes() {
  glDeleteBuffers(4, m_meshBuffers);
  std::fill(std::begin(m_meshBuffers), std::end(m_meshBuffers), 0u);
  m_meshes.clear();
  m_meshVertexCount = m_litIndexCount = m_meshIndexCount = 0;
}

// The meshes are written straight into the buffers (mapped), so that their
// upload needs no second copy on the host: a million labels' surfaces cost
// their own size here and the driver's copy, nothing more.
void vol3D_VolVisCanvas::SetIsosurfaceMeshes(std::vector<vol3D_SurfaceMesh> meshes,
                                             const bix::Vector3d<float>& offset) {
  m_surfaces = std::move(meshes);
  m_meshOffset = offset;
  UploadMeshes();
}

void vol3D_VolVisCanvas::SetSmoothSurfaces(bool smooth) {
  if (smooth == m_smoothMeshes) return;
  m_smoothMeshes = smooth;
  if (!m_surfaces.empty()) UploadMeshes();
  Refresh(false);
}

void vol3D_VolVisCanvas::UploadMeshes() {
  if (!m_context) return;
  std::vector<vol3D_SurfaceMesh> smoothed;
  if (m_smoothMeshes) {
    smoothed = m_surfaces;
    SmoothSurfaces(smoothed);
  }
  const std::vector<vol3D_SurfaceMesh>& meshes = m_smoothMeshes ? smoothed : m_surfaces;
  MakeCurrent();
  DeleteMeshes();
  ++m_meshUploads;
  m_meshes.resize(meshes.size());
  // Places: the meshes with normals first, then the others.
  std::size_t vertices = 0, indices = 0;
  for (bool lit : {true, false}) {
    for (std::size_t i = 0; i < meshes.size(); ++i) {
      const vol3D_SurfaceMesh& in = meshes[i];
      const bool hasNormals = !in.normals.empty() && in.normals.size() == in.positions.size();
      if (hasNormals != lit) continue;
      MeshRecord& out = m_meshes[i];
      out.firstVertex = vertices;
      out.firstIndex = indices;
      out.vertices = static_cast<std::uint32_t>(in.VertexCount());
      out.triangles = static_cast<std::uint32_t>(in.TriangleCount());
      out.hasNormals = hasNormals;
      out.label = in.label;
      vertices += out.vertices;
      indices += 3 * std::size_t(out.triangles);
    }
    if (lit) m_litIndexCount = indices;
  }
  m_meshVertexCount = vertices;
  m_meshIndexCount = indices;
  if (indices == 0) return;
  glGenBuffers(4, m_meshBuffers);
  auto map = [](GLenum target, GLuint buffer, std::size_t bytes) {
    glBindBuffer(target, buffer);
    glBufferData(target, static_cast<GLsizeiptr>(bytes), nullptr, GL_STATIC_DRAW);
    return glMapBuffer(target, GL_WRITE_ONLY);
  };
  auto* positions = static_cast<float*>(map(GL_ARRAY_BUFFER, m_meshBuffers[kPositions], 3 * vertices * sizeof(float)));
  if (positions) {
    for (std::size_t i = 0; i < meshes.size(); ++i)
      std::copy(meshes[i].positions.begin(), meshes[i].positions.begin() + 3 * std::size_t(m_meshes[i].vertices),
                positions + 3 * m_meshes[i].firstVertex);
  }
  glUnmapBuffer(GL_ARRAY_BUFFER);
  auto* normals = static_cast<float*>(map(GL_ARRAY_BUFFER, m_meshBuffers[kNormals], 3 * vertices * sizeof(float)));
  if (normals) {
    for (std::size_t i = 0; i < meshes.size(); ++i)
      if (m_meshes[i].hasNormals)
        std::copy(meshes[i].normals.begin(), meshes[i].normals.end(), normals + 3 * m_meshes[i].firstVertex);
  }
  glUnmapBuffer(GL_ARRAY_BUFFER);
  auto* numbers = static_cast<std::uint32_t*>(
      map(GL_ELEMENT_ARRAY_BUFFER, m_meshBuffers[kIndices], indices * sizeof(std::uint32_t)));
  if (numbers) {
    for (std::size_t i = 0; i < meshes.size(); ++i) {
      const std::uint32_t base = static_cast<std::uint32_t>(m_meshes[i].firstVertex);
      std::uint32_t* to = numbers + m_meshes[i].firstIndex;
      for (std::uint32_t v : meshes[i].triangles) *to++ = v + base;
    }
  }
  glUnmapBuffer(GL_ELEMENT_ARRAY_BUFFER);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, m_meshBuffers[kColours]);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(4 * vertices), nullptr, GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  FillMeshColours();
}

// Label l takes colours[l mod size]; white without colours.
void vol3D_VolVisCanvas::FillMeshColours() {
  if (m_meshVertexCount == 0 || !m_context) return;
  MakeCurrent();
  glBindBuffer(GL_ARRAY_BUFFER, m_meshBuffers[kColours]);
  if (auto* rgba = static_cast<std::uint8_t*>(glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY))) {
    for (const MeshRecord& mesh : m_meshes) {
      std::uint8_t c[4] = {255, 255, 255, 255};
      if (!m_meshColours.empty()) {
        const auto& colour = m_meshColours[mesh.label % m_meshColours.size()];
        c[0] = colour.red, c[1] = colour.green, c[2] = colour.blue;
      }
      std::uint8_t* to = rgba + 4 * mesh.firstVertex;
      for (std::uint32_t v = 0; v < mesh.vertices; ++v, to += 4) std::copy(c, c + 4, to);
    }
  }
  glUnmapBuffer(GL_ARRAY_BUFFER);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void vol3D_VolVisCanvas::SetIsosurfaceDisplay(bool show, const std::vector<bix::RGB8>& colours) {
  m_showMeshes = show;
  if (colours != m_meshColours) {
    m_meshColours = colours;
    FillMeshColours();
  }
  Refresh(false);
}

}  // namespace orv

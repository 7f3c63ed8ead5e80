// One frame of the volume canvas: the clipping plane, the surface meshes, the
// volume as view-aligned curved slices through the 3D texture blended back
// to front, the plane's cross-section and outline, and the box.

#include <orv/vol3d_canvas.h>

#include "volume_view.h"

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

}  // namespace

void vol3D_VolVisCanvas::Render() {
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

  // Slices from 1 behind the model centre to 1 in front, back to front.
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

// The state all meshes share is set once: with thousands of labelled
// objects, switching it per mesh was most of the calls of a frame.
void vol3D_VolVisCanvas::DrawMeshes() {
  glPushMatrix();
  glTranslatef(m_meshOffset.x, m_meshOffset.y, m_meshOffset.z);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnable(GL_LIGHT0);
  bool lit = false;  // lighting and the normal array are on
  for (const MeshRecord& mesh : m_meshes) {
    if (mesh.triangles == 0) continue;
    GLfloat colour[4] = {1, 1, 1, 1};
    if (!m_meshColours.empty()) {
      const auto& c = m_meshColours[mesh.label % m_meshColours.size()];
      colour[0] = c.red / 255.0f;
      colour[1] = c.green / 255.0f;
      colour[2] = c.blue / 255.0f;
    }
    if (mesh.hasNormals != lit) {
      lit = mesh.hasNormals;
      if (lit) {
        glEnable(GL_LIGHTING);
        glEnableClientState(GL_NORMAL_ARRAY);
      } else {
        glDisable(GL_LIGHTING);
        glDisableClientState(GL_NORMAL_ARRAY);
      }
    }
    glBindBuffer(GL_ARRAY_BUFFER, mesh.vertices);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    if (lit) {
      glBindBuffer(GL_ARRAY_BUFFER, mesh.normals);
      glNormalPointer(GL_FLOAT, 0, nullptr);
      glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, colour);
    } else {
      glColor4fv(colour);
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indices);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(3 * mesh.triangles), GL_UNSIGNED_INT, nullptr);
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  if (lit) {
    glDisable(GL_LIGHTING);
    glDisableClientState(GL_NORMAL_ARRAY);
  }
  glDisable(GL_LIGHT0);
  glDisableClientState(GL_VERTEX_ARRAY);
  glPopMatrix();
}

void vol3D_VolVisCanvas::DeleteMeshes() {
  for (MeshRecord& mesh : m_meshes) {
    const GLuint buffers[3] = {mesh.vertices, mesh.indices, mesh.normals};
    glDeleteBuffers(3, buffers);
  }
  m_meshes.clear();
}

void vol3D_VolVisCanvas::SetIsosurfaceMeshes(const std::vector<vol3D_SurfaceMesh>& meshes,
                                             const bix::Vector3d<float>& offset) {
  if (!m_context) return;
  MakeCurrent();
  DeleteMeshes();
  ++m_meshUploads;
  m_meshOffset = offset;
  m_meshes.resize(meshes.size());
  for (std::size_t i = 0; i < meshes.size(); ++i) {
    const vol3D_SurfaceMesh& in = meshes[i];
    MeshRecord& out = m_meshes[i];
    out.triangles = static_cast<std::uint32_t>(in.TriangleCount());
    out.hasNormals = !in.normals.empty();
    out.label = in.label;
    glGenBuffers(1, &out.vertices);
    glBindBuffer(GL_ARRAY_BUFFER, out.vertices);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(in.positions.size() * sizeof(float)), in.positions.data(),
                 GL_STATIC_DRAW);
    glGenBuffers(1, &out.indices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, out.indices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(in.triangles.size() * sizeof(std::uint32_t)),
                 in.triangles.data(), GL_STATIC_DRAW);
    if (out.hasNormals) {
      glGenBuffers(1, &out.normals);
      glBindBuffer(GL_ARRAY_BUFFER, out.normals);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(in.normals.size() * sizeof(float)), in.normals.data(),
                   GL_STATIC_DRAW);
    }
  }
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}

void vol3D_VolVisCanvas::SetIsosurfaceDisplay(bool show, const std::vector<bix::RGB_generic<unsigned char>>& colours) {
  m_showMeshes = show;
  m_meshColours = colours;
  Refresh(false);
}

}  // namespace orv

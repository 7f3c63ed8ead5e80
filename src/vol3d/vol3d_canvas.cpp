// The volume canvas: construction, GL set-up, texture upload, keys, mouse.
// Drawing is in vol3d_render.cpp, view files in vol3d_viewfile.cpp.

#include <orv/vol3d_canvas.h>

#include "volume_view.h"

#include <wx/dcclient.h>
#include <wx/log.h>

namespace orv {

namespace {

// Whether new volume windows show surfaces smoothed (SetSmoothSurfacesByDefault).
bool g_smoothByDefault = false;

}  // namespace

wxBEGIN_EVENT_TABLE(vol3D_VolVisCanvas, wxGLCanvas)
  EVT_SIZE(vol3D_VolVisCanvas::OnSize)
  EVT_PAINT(vol3D_VolVisCanvas::OnPaint)
  EVT_CHAR(vol3D_VolVisCanvas::OnChar)
  EVT_LEFT_DOWN(vol3D_VolVisCanvas::OnLeftDown)
  EVT_LEFT_UP(vol3D_VolVisCanvas::OnLeftUp)
  EVT_RIGHT_DOWN(vol3D_VolVisCanvas::OnRightDown)
  EVT_RIGHT_UP(vol3D_VolVisCanvas::OnRightUp)
  EVT_MOTION(vol3D_VolVisCanvas::OnMotion)
  EVT_LEAVE_WINDOW(vol3D_VolVisCanvas::OnLeave)
  EVT_ERASE_BACKGROUND(vol3D_VolVisCanvas::OnEraseBackground)
wxEND_EVENT_TABLE()

namespace {

// RGBA with double buffering; the depth buffer serves the depth test of the
// surface meshes, the box and the slices.
wxGLAttributes CanvasAttributes() {
  wxGLAttributes attributes;
  attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(24).EndList();
  return attributes;
}

}  // namespace

void vol3D_VolVisCanvas::SetSmoothSurfacesByDefault(bool smooth) { g_smoothByDefault = smooth; }

vol3D_VolVisCanvas::vol3D_VolVisCanvas(wxStatusBar* statusBar, wxWindow* parent, wxWindowID id, const wxPoint& pos,
                                       const wxSize& size, long style, const wxString& name)
    : wxGLCanvas(parent, CanvasAttributes(), id, pos, size, style | wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS, name),
      m_statusBar(statusBar),
      m_scale(0, 0, 0),
      m_view(std::make_unique<VolumeViewState>()),
      m_drag(std::make_unique<VolumeDragState>()),
      m_smoothMeshes(g_smoothByDefault) {
  m_rest.SetOwner(this);
  ResetView();
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { StopTurning(); }, m_rest.GetId());
  const ProxyGrid grid = MakeProxyGrid();
  m_proxyGrid.assign(grid.begin(), grid.end());
}

vol3D_VolVisCanvas::~vol3D_VolVisCanvas() {
  // Destroying the context frees its objects too; a hidden window cannot
  // make it current to free them one by one.
  if (m_context && IsShownOnScreen()) {
    MakeCurrent();
    if (m_texture) glDeleteTextures(1, &m_texture);
    if (m_reducedFrame) glDeleteTextures(1, &m_reducedFrame);
    DeleteMeshes();
  }
  delete m_context;
}

void vol3D_VolVisCanvas::MakeCurrent() {
  if (m_context) SetCurrent(*m_context);
}

bool vol3D_VolVisCanvas::Init() {
  GetParent()->Show();
  m_context = new wxGLContext(this);
  MakeCurrent();
  if (glewInit() != GLEW_OK) {
    wxLogError("Unable to init GLEW.");
    return false;
  }
  // The driver's identity is for whoever asks (a host's verbose log), not a
  // box in the user's way.
  wxLogVerbose("Starting OpenGL window");
  wxLogVerbose("Vendor: %s", reinterpret_cast<const char*>(glGetString(GL_VENDOR)));
  wxLogVerbose("Renderer: %s", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  wxLogVerbose("Version: %s", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
  if (!GLEW_VERSION_2_0) {
    wxLogError("OpenGL 2.0 or newer driver is required.");
    return false;
  }
  // OpenGL 2.0 includes 3D textures.
  glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &m_max3dTexture);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glGenTextures(1, &m_texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glDepthFunc(GL_LESS);
  glEnable(GL_DEPTH_TEST);

  const GLfloat diffuse[] = {1, 1, 1, 1}, ambient[] = {0.2f, 0.2f, 0.2f, 1}, specular[] = {1, 1, 1, 1};
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
  glShadeModel(GL_SMOOTH);
  const GLfloat materialAmbient[] = {0.25f, 0.25f, 0.25f, 1}, materialSpecular[] = {0.6f, 0.6f, 0.6f, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, materialAmbient);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 70);

  SetupProjection();
  return true;
}

void vol3D_VolVisCanvas::ResetView() {
  *m_view = VolumeViewState();
  *m_drag = VolumeDragState();
}

void vol3D_VolVisCanvas::SetupProjection() {
  MakeCurrent();
  const wxSize size = GetClientSize();
  glViewport(0, 0, size.x, size.y);
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(VolumeProjection(size.x, size.y).data());
  glMatrixMode(GL_MODELVIEW);
  m_width = size.x;
  m_height = size.y;
}

bool vol3D_VolVisCanvas::PrepareTexture(const bix::Vector3d<unsigned>& size, const bix::Vector3d<float>& scale,
                                        unsigned factor) {
  m_textureValid = false;
  if (!m_context) return false;
  MakeCurrent();
  const unsigned limit = static_cast<unsigned>(m_max3dTexture);
  if (size.x > limit || size.y > limit || size.z > limit) {
    wxLogError("Sorry. The data is too big and cannot be displayed");
    return false;
  }
  m_scale = scale;
  m_factor = factor;
  glBindTexture(GL_TEXTURE_3D, m_texture);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  const GLfloat border[] = {1, 1, 1, 1};
  glTexParameterfv(GL_TEXTURE_3D, GL_TEXTURE_BORDER_COLOR, border);
  // Only an error of this upload may count.
  while (glGetError() != GL_NO_ERROR) {
  }
  return true;
}

bool vol3D_VolVisCanvas::TextureFailed() {
  if (glGetError() == GL_NO_ERROR) return false;
  m_textureSize = bix::Vector3d<unsigned>(0, 0, 0);
  wxLogError("Sorry. Creating the 3D texture failed (the image is probably too big), no data will be displayed.");
  return true;
}

void vol3D_VolVisCanvas::SetVolumeData(const unsigned char* data, const bix::Vector3d<unsigned>& size,
                                       const bix::Vector3d<float>& scale, unsigned factor) {
  if (!PrepareTexture(size, scale, factor)) return;
  const GLsizei w = static_cast<GLsizei>(size.x), h = static_cast<GLsizei>(size.y), d = static_cast<GLsizei>(size.z);
  m_textureSize = size;
  glTexImage3D(GL_TEXTURE_3D, 0, GL_RGBA8, w, h, d, 0, GL_RGBA, GL_UNSIGNED_BYTE, data);
  if (TextureFailed()) return;
  m_textureValid = true;
  Refresh(false);
}

bool vol3D_VolVisCanvas::BeginVolumeData(const bix::Vector3d<unsigned>& size, const bix::Vector3d<float>& scale,
                                         unsigned factor) {
  if (!PrepareTexture(size, scale, factor)) return false;
  if (size == m_textureSize) return true;
  m_textureSize = size;
  glTexImage3D(GL_TEXTURE_3D, 0, GL_RGBA8, static_cast<GLsizei>(size.x), static_cast<GLsizei>(size.y),
               static_cast<GLsizei>(size.z), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  return !TextureFailed();
}

void vol3D_VolVisCanvas::SetVolumeSlab(unsigned first, unsigned planes, const unsigned char* data) {
  if (!m_context || first + planes > m_textureSize.z) return;
  MakeCurrent();
  glBindTexture(GL_TEXTURE_3D, m_texture);
  glTexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, static_cast<GLint>(first), static_cast<GLsizei>(m_textureSize.x),
                  static_cast<GLsizei>(m_textureSize.y), static_cast<GLsizei>(planes), GL_RGBA, GL_UNSIGNED_BYTE, data);
}

void vol3D_VolVisCanvas::EndVolumeData() {
  if (!m_context || m_textureSize.z == 0 || TextureFailed()) return;
  m_textureValid = true;
  Refresh(false);
}

void vol3D_VolVisCanvas::SetViewAlong(float distance, const bix::Vector3d<float>& forward,
                                      const bix::Vector3d<float>& up) {
  m_view->model = LookAtRotation({forward.x, forward.y, forward.z}, {up.x, up.y, up.z});
  m_view->distance = distance;
  Refresh(false);
}

void vol3D_VolVisCanvas::SetWhiteBackground(bool white) {
  const float c = white ? 1.0f : 0.0f;
  m_view->background = {c, c, c};
  Refresh(false);
}

void vol3D_VolVisCanvas::SetDrawBox(bool draw) {
  m_view->drawBox = draw;
  Refresh(false);
}

void vol3D_VolVisCanvas::SetMaximumIntensity(bool maximum) {
  m_view->maximumIntensity = maximum;
  Refresh(false);
}

void vol3D_VolVisCanvas::SetDrawPlane(bool draw) {
  m_view->drawPlane = draw;
  Refresh(false);
}

void vol3D_VolVisCanvas::UpdateStatusBar() {
  if (!m_statusBar) return;
  m_statusBar->SetStatusText(VolumeModeText(*m_view), 0);
  m_statusBar->SetStatusText(VolumeParameterText(*m_view), 1);
  m_statusBar->SetStatusText(VolumeReductionText(m_factor), 2);
}

void vol3D_VolVisCanvas::OnSize(wxSizeEvent& event) {
  if (m_context && GetParent()->IsShown()) SetupProjection();
  event.Skip();
}

void vol3D_VolVisCanvas::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (!m_context) return;
  MakeCurrent();
  Render();
  SwapBuffers();
}

void vol3D_VolVisCanvas::OnChar(wxKeyEvent& event) {
  VolumeKey key;
  switch (event.GetKeyCode()) {
    case WXK_ESCAPE: GetParent()->Close(false); return;
    case WXK_SPACE: key = VolumeKey::ToggleMode; break;
    case '+': key = VolumeKey::MoreSlices; break;
    case '-': key = VolumeKey::FewerSlices; break;
    case WXK_UP: key = VolumeKey::Brighter; break;
    case WXK_DOWN: key = VolumeKey::Darker; break;
    case WXK_RIGHT: key = VolumeKey::HigherThreshold; break;
    case WXK_LEFT: key = VolumeKey::LowerThreshold; break;
    default: event.Skip(); return;
  }
  ApplyVolumeKey(key, *m_view);
  Refresh(false);
}

void vol3D_VolVisCanvas::OnLeftDown(wxMouseEvent& event) {
  m_drag->left = true;
  m_drag->lastVector = TrackballVector(event.GetX(), event.GetY(), m_width, m_height);
  Refresh(false);
  event.Skip();  // focus handling goes on
}

void vol3D_VolVisCanvas::OnLeftUp(wxMouseEvent&) {
  m_drag->left = false;
  StopTurning();
  Refresh(false);
}

void vol3D_VolVisCanvas::OnRightDown(wxMouseEvent& event) {
  if (!m_drag->right) {
    m_drag->right = true;
    m_drag->lastY = static_cast<float>(event.GetY());
  }
  Refresh(false);
}

void vol3D_VolVisCanvas::OnRightUp(wxMouseEvent&) {
  m_drag->right = false;
  StopTurning();
  Refresh(false);
}

void vol3D_VolVisCanvas::StartTurning() {
  m_turning = true;
  m_rest.StartOnce(kRestAfterMs);
}

// The full frame, at once.
void vol3D_VolVisCanvas::StopTurning() {
  m_rest.Stop();
  if (!m_turning) return;
  m_turning = false;
  Refresh(false);
}

void vol3D_VolVisCanvas::OnMotion(wxMouseEvent& event) {
  bool changed = false;
  if (m_drag->left) {
    const std::array<float, 3> t1 = TrackballVector(event.GetX(), event.GetY(), m_width, m_height);
    ApplyDragStep(*m_view, TrackballStep(m_drag->lastVector, t1));
    m_drag->lastVector = t1;
    changed = true;
  }
  if (m_drag->right) {
    const float y = static_cast<float>(event.GetY());
    const float dy = (y - m_drag->lastY) * 0.01f;
    if (m_view->movingPlane)
      m_view->planeOffset -= dy;
    else
      m_view->distance += dy;
    ClampPlacement(*m_view);
    m_drag->lastY = y;
    changed = true;
  }
  if (!changed) return;
  StartTurning();
  Refresh(false);
}

void vol3D_VolVisCanvas::OnLeave(wxMouseEvent&) {
  m_drag->left = m_drag->right = false;
  StopTurning();
}

void vol3D_VolVisCanvas::OnEraseBackground(wxEraseEvent&) {}

}  // namespace orv

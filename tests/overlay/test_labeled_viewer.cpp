// A labeled viewer made by the factory: the "&Overlaying" menu and its
// settings, what is resampled when, and the painted overlay in cut and
// autofocus windows, with reversed axes too.

#include "gui_test.h"
#include "view_model.h"
#include "voxel_pixels.h"

#include <orv/basic_overlaying.h>
#include <orv/orv_factory.h>
#include <orv/orv_labeledcanvas.h>

#include <wx/colordlg.h>

#include <memory>
#include <vector>

#include <sys/resource.h>

using namespace orv;
using bix::Vector3d;
using Labels = bix::LabeledImage3d<unsigned short, bool>;
using Module = orv_OverlayingModule<unsigned short, bool>;
using Canvas = orv_LabeledImageOrthoscopeCanvas<unsigned char, unsigned short, bool>;

namespace {

using orvtest::Rgb;

const std::string kRed = "(255, 0, 0)", kGreen = "(0, 255, 0)";

// 40 x 30 x 20 voxels of 1 micron: a ramp 60 + x + y + z under three boxes
// over y 4..19 and z 4..13: label 1 over x 4..13, label 2 over x 14..23
// (touching it) and label 15 over x 27..35.
std::unique_ptr<bix::Image3d<unsigned char>> RampImage() {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  auto image = std::make_unique<bix::Image3d<unsigned char>>(Vector3d<unsigned>(40, 30, 20), nullptr, &res);
  for (unsigned z = 0; z < 20; ++z)
    for (unsigned y = 0; y < 30; ++y)
      for (unsigned x = 0; x < 40; ++x) image->GetVoxel(x, y, z) = static_cast<unsigned char>(60 + x + y + z);
  return image;
}

std::unique_ptr<Labels> Boxes() {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  auto labels = std::make_unique<Labels>(Vector3d<unsigned>(40, 30, 20), nullptr, &res);
  for (unsigned z = 4; z <= 13; ++z)
    for (unsigned y = 4; y <= 19; ++y)
      for (unsigned x = 4; x <= 35; ++x)
        if (x <= 23 || x >= 27) labels->GetVoxel(x, y, z) = x <= 13 ? 1 : x <= 23 ? 2 : 15;
  labels->UpdateComponents();
  return labels;
}

class LabeledViewerTest : public ::testing::Test {
protected:
  void SetUp() override {
    frame = orv_CreateLabeledImage3dFrame<unsigned char, unsigned short, bool>(
        RampImage().release(), Boxes().release(), true, true, nullptr, wxID_ANY, "labeled");
    ASSERT_NE(frame, nullptr);
    canvas = dynamic_cast<Canvas*>(frame->GetCanvas());
    ASSERT_NE(canvas, nullptr);
    module = dynamic_cast<Module*>(&canvas->GetOverlayer());
    ASSERT_NE(module, nullptr);
    orv_CutPointerStyle none;
    none.style = POINTER_NONE;
    canvas->SetPointerStyle(none);
    ASSERT_TRUE(orvtest::ShowAndActivate(frame));
    frame->Bind(orv_EVT_OVERLAYING_COMMAND, [this](orv_OverlayingCommandEvent& e) {
      commands.emplace_back(static_cast<orv_OverlayingCommandEvent*>(e.Clone()));
    });
    frame->Bind(orv_EVT_OVERLAYING_CHANGED, [this](orv_OverlayingEvent& e) {
      changes.push_back(e.GetReload());
      e.Skip();
    });
  }
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  // A menu command of the overlay module, as the menu sends it.
  void Overlay(int offset, bool propagate = true) {
    wxCommandEvent event(wxEVT_MENU, module->GetMenuId(offset));
    event.SetEventObject(frame);
    if (!propagate) event.StopPropagation();
    frame->GetEventHandler()->ProcessEvent(event);
  }
  wxImage Paint(orv_ProjectionType w) {
    orvtest::PaintNow(canvas->GetDrWin(w));
    return canvas->GetDrWin(w)->GetBitmapImage();
  }
  // The colour window `w` shows at the centre of voxel `v` (image order).
  std::string At(const wxImage& picture, orv_ProjectionType w, Vector3d<unsigned> v) {
    return Rgb(ColourAt(picture, w, v));
  }
  wxColour ColourAt(const wxImage& picture, orv_ProjectionType w, Vector3d<unsigned> v) {
    return orvtest::ColourAtVoxel(*canvas, picture, w, v);
  }
  // The blend of an image colour with red.
  static std::string BlendRed(const wxColour& under, float t) {
    const float u = 1.0f - t;
    auto c = [&](unsigned char a, unsigned char b) { return static_cast<unsigned char>(t * a + u * b); };
    return Rgb(wxColour(c(under.Red(), 255), c(under.Green(), 0), c(under.Blue(), 0)));
  }

  // Probes of window `w`: an inner voxel and a boundary voxel of label 1 (red).
  struct Probe {
    orv_ProjectionType window;
    Vector3d<unsigned> inner, boundary;
  };
  // Solid components at 0, boundaries only at 1, the blend in between, each
  // against the picture with the overlay switched off.
  void ExpectOverlayOnEveryWindow(const std::vector<Probe>& probes, const char* what) {
    if (module->GetOverlaying()) Overlay(Module::MENU_ENABLE);
    std::vector<wxImage> plain;
    for (const Probe& p : probes) plain.push_back(Paint(p.window));
    for (float t : {0.0f, 0.5f, 1.0f}) {
      module->SetOverlaying(true);
      module->SetTransparency(t);
      orv_OverlayingEvent changed;
      frame->ProcessWindowEvent(changed);
      for (std::size_t k = 0; k < probes.size(); ++k) {
        const Probe& p = probes[k];
        const wxImage painted = Paint(p.window);
        const wxColour under = ColourAt(plain[k], p.window, p.inner);
        EXPECT_EQ(At(painted, p.window, p.inner), BlendRed(under, t)) << what << " t " << t << " window " << p.window;
        EXPECT_EQ(At(painted, p.window, p.boundary), kRed) << what << " t " << t << " window " << p.window;
      }
    }
  }

  orv_OrthoscopeFrame* frame = nullptr;
  Canvas* canvas = nullptr;
  Module* module = nullptr;
  std::vector<std::unique_ptr<orv_OverlayingCommandEvent>> commands;
  std::vector<bool> changes;
};

}  // namespace

TEST_F(LabeledViewerTest, TheOverlayingMenuFollowsTheMappingMenu) {
  wxMenuBar* bar = frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 3u);
  EXPECT_EQ(bar->GetMenuLabel(0), "&View");
  EXPECT_EQ(bar->GetMenuLabel(1), "&Mapping");
  EXPECT_EQ(bar->GetMenuLabel(2), "&Overlaying");
  // The mapping module takes 18 ids from FIRST_MODULE_ID + 1.
  EXPECT_EQ(module->GetMenuId(0), FIRST_MODULE_ID + 1 + 18);

  orvtest::ExpectMenuRows(bar->GetMenu(2), module->GetMenuId(0), {
      {0, wxITEM_CHECK, "&Enable\tCtrl-1", "Enable/disable overlaying"},
      {-1, wxITEM_SEPARATOR, "", ""},
      {2, wxITEM_RADIO, "&Components\tCtrl-2", "Overlay components (zero transparency)"},
      {3, wxITEM_RADIO, "&Boundary\tCtrl-3", "Overlay boundary (full transparency)"},
      {-1, wxITEM_SEPARATOR, "", ""},
      {7, wxITEM_NORMAL, "&Increase transparency\tCtrl-4", "Increase overlay transparency"},
      {8, wxITEM_NORMAL, "D&ecrease transparency\tCtrl-5", "Decrease overlay transparency"},
      {-1, wxITEM_SEPARATOR, "", ""},
      {4, wxITEM_CHECK, "&Default palette\tCtrl-6", "Use default palette"},
      {5, wxITEM_CHECK, "&User-defined colour\tCtrl-7", "Use selected colour"},
      {-1, wxITEM_SEPARATOR, "", ""},
      {6, wxITEM_NORMAL, "&Choose colour...\tCtrl-8", "Select user-defined colour"},
      {-1, wxITEM_SEPARATOR, "", ""},
      {1, wxITEM_NORMAL, "&Reload\tCtrl-R", "Reload"},
  });
  // Check marks follow the settings; the factory leaves the overlay off.
  auto checked = [&](int offset) {
    wxUpdateUIEvent update(module->GetMenuId(offset));
    frame->GetEventHandler()->ProcessEvent(update);
    return update.GetSetChecked() && update.GetChecked();
  };
  EXPECT_FALSE(checked(Module::MENU_ENABLE));
  EXPECT_TRUE(checked(Module::MENU_DEFAULT_PALETTE));
  EXPECT_FALSE(checked(Module::MENU_USER_COLOUR));
  Overlay(Module::MENU_ENABLE);
  EXPECT_TRUE(checked(Module::MENU_ENABLE));
}

TEST_F(LabeledViewerTest, TransparencyStepsAndTheirClamps) {
  EXPECT_FALSE(module->GetOverlaying());
  EXPECT_EQ(module->GetTransparency(), 0.0f);
  Overlay(Module::MENU_BOUNDARY);
  EXPECT_TRUE(module->GetOverlaying());
  EXPECT_EQ(module->GetTransparency(), 1.0f);
  Overlay(Module::MENU_ENABLE);
  EXPECT_FALSE(module->GetOverlaying());
  Overlay(Module::MENU_COMPONENTS);  // switches the overlay on again
  EXPECT_TRUE(module->GetOverlaying());
  EXPECT_EQ(module->GetTransparency(), 0.0f);
  for (int i = 0; i < 20; ++i) Overlay(Module::MENU_MORE_TRANSPARENT);
  EXPECT_EQ(module->GetTransparency(), 1.0f);
  module->SetTransparency(0.98f);
  Overlay(Module::MENU_MORE_TRANSPARENT);
  EXPECT_EQ(module->GetTransparency(), 1.0f);
  module->SetTransparency(0.02f);
  Overlay(Module::MENU_LESS_TRANSPARENT);
  EXPECT_EQ(module->GetTransparency(), 0.0f);
  Overlay(Module::MENU_LESS_TRANSPARENT);
  EXPECT_EQ(module->GetTransparency(), 0.0f);
  // Every command told the frame (no reload) and the host.
  EXPECT_EQ(changes, std::vector<bool>(26, false));
  ASSERT_EQ(commands.size(), 26u);
  EXPECT_EQ(commands[0]->GetClientData(), static_cast<void*>(module));
  EXPECT_EQ(commands[0]->GetCommandEvent()->GetId(), module->GetMenuId(Module::MENU_BOUNDARY));
}

TEST_F(LabeledViewerTest, ReplayedCommandsChangeButDoNotEchoAndReloadIsNoCommand) {
  Overlay(Module::MENU_MORE_TRANSPARENT, false);
  EXPECT_FLOAT_EQ(module->GetTransparency(), 0.05f);
  EXPECT_EQ(changes, std::vector<bool>{false});
  EXPECT_TRUE(commands.empty());
  // A host replays what it heard on another viewer the same way.
  Overlay(Module::MENU_BOUNDARY);
  ASSERT_EQ(commands.size(), 1u);
  std::unique_ptr<wxCommandEvent> replay(static_cast<wxCommandEvent*>(commands[0]->GetCommandEvent()->Clone()));
  module->SetTransparency(0.5f);
  replay->StopPropagation();
  frame->GetEventHandler()->ProcessEvent(*replay);
  EXPECT_EQ(module->GetTransparency(), 1.0f);
  EXPECT_EQ(commands.size(), 1u);
  changes.clear();
  Overlay(Module::MENU_RELOAD);
  EXPECT_EQ(changes, std::vector<bool>{true});
  EXPECT_EQ(commands.size(), 1u);
}

TEST_F(LabeledViewerTest, ReloadResamplesEveryCutATransparencyChangeNone) {
  Overlay(Module::MENU_COMPONENTS);
  for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) Paint(w);
  auto counts = [&] {
    std::vector<unsigned long> n;
    for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) n.push_back(canvas->GetExtractionCount(w));
    for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) n.push_back(canvas->GetMappingCount(w));
    return n;
  };
  const std::vector<unsigned long> before = counts();
  Overlay(Module::MENU_MORE_TRANSPARENT);
  for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) Paint(w);
  std::vector<unsigned long> after = counts();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(after[i], before[i]) << "window " << i << " resampled";
  // The overlay paints again over the mapped pictures kept (the blend tests
  // show it is painted once, not over its last painting).
  for (int i = 3; i < 6; ++i) EXPECT_EQ(after[i], before[i]) << "window " << i - 3 << " mapped again";
  Overlay(Module::MENU_RELOAD);
  for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) Paint(w);
  const std::vector<unsigned long> reloaded = counts();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(reloaded[i], after[i] + 1) << "window " << i << " not resampled";
}

TEST_F(LabeledViewerTest, CutWindowsShowComponentsBoundariesAndTheBlend) {
  // The cut lies at the centre voxel (20, 15, 10).
  const std::vector<Probe> probes = {{PROJ_XY, {8, 10, 10}, {4, 10, 10}},
                                     {PROJ_XZ, {8, 15, 8}, {8, 15, 4}},
                                     {PROJ_YZ, {20, 10, 8}, {20, 19, 8}}};
  // YZ at x = 20 cuts label 2: its probes are green there.
  std::vector<Probe> red(probes.begin(), probes.begin() + 2);
  ExpectOverlayOnEveryWindow(red, "cut");
  const wxImage yz = Paint(PROJ_YZ);
  EXPECT_EQ(At(yz, PROJ_YZ, {20, 19, 8}), kGreen);
  module->SetTransparency(0.0f);
  orv_OverlayingEvent changed;
  frame->ProcessWindowEvent(changed);
  const wxImage xy = Paint(PROJ_XY);
  // Label 15 takes entry 15 mod 14 = 1 of the palette: red as label 1.
  EXPECT_EQ(At(xy, PROJ_XY, {30, 10, 10}), kRed);
  // Where labels 1 and 2 touch, both sides are boundary.
  EXPECT_EQ(At(xy, PROJ_XY, {13, 10, 10}), kRed);
  EXPECT_EQ(At(xy, PROJ_XY, {14, 10, 10}), kGreen);

  for (int axis : {0, 2}) {
    frame->ProcessCommand(ID_REVERSE_X + axis);
    ASSERT_TRUE(canvas->IsAxisReversed(axis));
  }
  ExpectOverlayOnEveryWindow(red, "x and z reversed");
}

TEST_F(LabeledViewerTest, AutofocusWindowsShowTheLabelProjections) {
  frame->ProcessCommand(ID_AUTOFOCUS);
  ASSERT_EQ(canvas->GetContent(PROJ_XY), CONTENT_AUTOFOCUS);
  // Projected, label 1 covers x 4..13, y 4..19, z 4..13 in every plane; its
  // outline lies on those bounds. YZ sees label 1 first along x.
  ExpectOverlayOnEveryWindow({{PROJ_XY, {8, 10, 0}, {4, 10, 0}},
                              {PROJ_XZ, {8, 0, 8}, {8, 0, 13}},
                              {PROJ_YZ, {0, 10, 8}, {0, 4, 8}}},
                             "autofocus");
  frame->ProcessCommand(ID_REVERSE_Y);
  ExpectOverlayOnEveryWindow({{PROJ_XY, {8, 10, 0}, {4, 19, 0}}}, "autofocus, y reversed");
}

TEST_F(LabeledViewerTest, TheUserColourPaintsEveryLabel) {
  wxTEST_DIALOG(Overlay(Module::MENU_CHOOSE_COLOUR),
                orvtest::AnswerColourDialog([](wxColourData& data) { data.SetColour(wxColour(0, 0, 255)); }));
  EXPECT_FALSE(module->GetUseDefaultPalette());
  EXPECT_EQ(module->GetUserColour(), wxColour(0, 0, 255));
  EXPECT_TRUE(module->GetMenu()->IsChecked(module->GetMenuId(Module::MENU_USER_COLOUR)));
  ASSERT_EQ(module->GetPaletteSize(), 1u);
  Overlay(Module::MENU_COMPONENTS);
  const wxImage xy = Paint(PROJ_XY);
  for (unsigned x : {8u, 18u, 30u}) EXPECT_EQ(At(xy, PROJ_XY, {x, 10, 10}), "(0, 0, 255)") << x;

  // Cancelled: nothing changes, but the frame and the host still hear of it.
  const std::size_t heard = commands.size();
  wxTEST_DIALOG(Overlay(Module::MENU_CHOOSE_COLOUR),
                orvtest::AnswerColourDialog([](wxColourData& data) { data.SetColour(wxColour(9, 9, 9)); }, wxID_CANCEL));
  EXPECT_EQ(module->GetUserColour(), wxColour(0, 0, 255));
  EXPECT_EQ(commands.size(), heard + 1);

  Overlay(Module::MENU_DEFAULT_PALETTE);
  ASSERT_EQ(module->GetPaletteSize(), 14u);
  EXPECT_EQ(module->GetPalette()[0], bix::RGB_generic<unsigned char>(255, 255, 255));
  EXPECT_EQ(At(Paint(PROJ_XY), PROJ_XY, {18, 10, 10}), kGreen);
}

TEST(LabeledViewerFactory, BuildsEveryTypeTripleAndShowsThePlainImageWithoutLabels) {
  auto check = [](orv_OrthoscopeFrame* frame, const char* what) {
    ASSERT_NE(frame, nullptr) << what;
    EXPECT_EQ(frame->GetMenuBar()->GetMenuLabel(2), "&Overlaying") << what;
    frame->Destroy();
  };
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  const Vector3d<unsigned> n(6, 5, 4);
#define CHECK_TRIPLE(T, L, B)                                                                                   \
  check(orv_CreateLabeledImage3dFrame<T, L, B>(new bix::Image3d<T>(n, nullptr, &res),                          \
                                               new bix::LabeledImage3d<L, B>(n, nullptr, &res), true, true,     \
                                               nullptr, wxID_ANY, "t"),                                         \
        #T " " #L " " #B);
  ORV_FOR_EACH_LABELED_TRIPLE(CHECK_TRIPLE)
#undef CHECK_TRIPLE
  orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });

  // No label image: the overlay has nothing to show and the image is drawn as is.
  orv_OrthoscopeFrame* frame = orv_CreateLabeledImage3dFrame<unsigned char, unsigned short, bool>(
      RampImage().release(), nullptr, true, false, nullptr, wxID_ANY, "no labels");
  auto* canvas = dynamic_cast<Canvas*>(frame->GetCanvas());
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  EXPECT_TRUE(canvas->GetOverlayer().IsEmpty(false));
  canvas->GetOverlayer().SetOverlaying(true);
  orvtest::PaintNow(canvas->GetDrWin(PROJ_XY));
  const wxImage xy = canvas->GetDrWin(PROJ_XY)->GetBitmapImage();
  const PixelPoint p = canvas->View().Orientation(0).PixelOf(8.25f, 10.25f, xy.GetWidth(), xy.GetHeight());
  const wxColour c = orvtest::PixelAt(xy, p.x, p.y);
  EXPECT_EQ(c.Red(), c.Green());
  EXPECT_EQ(c.Green(), c.Blue());
  frame->Destroy();
  orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
}

namespace {

// Records the mouse events the canvas hands to its overlayer.
class RecordingModule : public orv_BasicOverlayingModule<unsigned short, bool> {
public:
  using orv_BasicOverlayingModule::orv_BasicOverlayingModule;
  void Buffer_OnMouse(unsigned int buffer, int x, int y, const Vector3d<unsigned>& voxel, wxFrame* frame,
                      const wxMouseEvent&) override {
    seen.push_back({buffer, x, y, voxel, frame});
  }
  struct Seen {
    unsigned buffer;
    int x, y;
    Vector3d<unsigned> voxel;
    wxFrame* frame;
  };
  std::vector<Seen> seen;
};

}  // namespace

TEST(LabeledViewerMouse, OnlyEventsOverTheImageReachTheOverlayer) {
  auto* frame = new orv_OrthoscopeFrame(nullptr, wxID_ANY, "mouse");
  auto* module = new RecordingModule(frame, Boxes().release(), true);
  orv_MappingModule<unsigned char>* mapping = orv_CreateMapperForType<unsigned char>(frame, *RampImage());
  frame->AddExtensionModule(mapping, "&Mapping", true);
  frame->AddExtensionModule(module, "&Overlaying", true);
  auto* canvas = new Canvas(frame, *mapping, *module, RampImage().release(), true);
  frame->SetCanvas(canvas);
  frame->SetClientSize(600, 600);
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  orv_DrWin3d* yz = canvas->GetDrWin(PROJ_YZ);
  // The window's place and size settle with the frame's last size events.
  wxSize settled;
  ASSERT_TRUE(orvtest::PumpUntil([&] {
    const wxSize now = yz->GetClientSize();
    const bool same = now == settled && now.x > 0;
    settled = now;
    return same;
  }));
  // YZ shows z across and y down: pixel (7, 5) is voxel z 7, y 5 at the cut's x.
  const CutOrientation o = canvas->View().Orientation(2);
  const PixelPoint inside = o.PixelOf(7.25f, 5.25f, yz->GetClientSize().x, yz->GetClientSize().y);
  orvtest::SendMouse(yz, wxEVT_MOTION, wxPoint(inside.x, inside.y));
  ASSERT_EQ(module->seen.size(), 1u);
  const RecordingModule::Seen& s = module->seen[0];
  EXPECT_EQ(s.buffer, canvas->GetOverlayBuffer(OVERLAY_CUT_YZ));
  // The window position comes with its axes exchanged for YZ.
  EXPECT_EQ(s.x, inside.y);
  EXPECT_EQ(s.y, inside.x);
  EXPECT_EQ(s.voxel, Vector3d<unsigned>(20, 5, 7));
  EXPECT_EQ(s.frame, frame);
  // Left of the window (a drag that leaves it), before z = 0: nothing
  // reaches the overlayer.
  orvtest::SendMouse(yz, wxEVT_MOTION, wxPoint(-3, inside.y));
  EXPECT_EQ(module->seen.size(), 1u);
  frame->Destroy();
  orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
}

namespace {

// A host's module that hides label 2 through its own visibility table.
class HidingModule : public orv_BasicOverlayingModule<unsigned short, bool> {
public:
  using orv_BasicOverlayingModule::orv_BasicOverlayingModule;
  const std::vector<bool>& GetVis(bool) const override { return m_shown; }
  std::vector<bool> m_shown = {false, true, false, true, true, true, true, true,
                               true,  true, true,  true, true, true, true, true};
};

long PeakKilobytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

// The labels shown cost nothing per label value: a label numbered 2^31 - 1
// is shown without a table of 2^31 entries; a host's own table is followed.
TEST(LabeledViewerVisibility, FollowsTheLabelsPresentNotTheirValues) {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  auto wide = std::make_unique<bix::LabeledImage3d<unsigned, unsigned char>>(Vector3d<unsigned>(40, 30, 20), nullptr,
                                                                             &res);
  const unsigned highest = 0x7FFFFFFFu;
  for (unsigned z = 4; z <= 13; ++z)
    for (unsigned y = 4; y <= 19; ++y)
      for (unsigned x = 4; x <= 13; ++x) wide->GetVoxel(x, y, z) = highest;
  wide->UpdateComponents();
  const long before = PeakKilobytes();
  orv_OrthoscopeFrame* frame = orv_CreateLabeledImage3dFrame<unsigned char, unsigned, unsigned char>(
      RampImage().release(), wide.release(), true, true, nullptr, wxID_ANY, "wide");
  auto* canvas = dynamic_cast<orv_LabeledImageOrthoscopeCanvas<unsigned char, unsigned, unsigned char>*>(
      frame->GetCanvas());
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  auto& overlay = dynamic_cast<orv_OverlayingModule<unsigned, unsigned char>&>(canvas->GetOverlayer());
  overlay.SetOverlaying(true);
  overlay.SetTransparency(0.0f);
  orv_OverlayingEvent changed;
  frame->ProcessWindowEvent(changed);
  // 2^31 - 1 = 1 mod 14: entry 1 of the default palette, red.
  const std::string expected = kRed;
  for (bool autofocus : {false, true}) {
    if (autofocus) frame->ProcessCommand(ID_AUTOFOCUS);
    orvtest::PaintNow(canvas->GetDrWin(PROJ_XY));
    const wxImage xy = canvas->GetDrWin(PROJ_XY)->GetBitmapImage();
    EXPECT_EQ(Rgb(orvtest::ColourAtVoxel(*canvas, xy, PROJ_XY, {8, 10, autofocus ? 0u : 10u})), expected) << autofocus;
  }
  EXPECT_LT(PeakKilobytes() - before, 256L * 1024) << "a table of one entry per label value was made";
  frame->Destroy();

  frame = new orv_OrthoscopeFrame(nullptr, wxID_ANY, "hiding");
  auto* module = new HidingModule(frame, Boxes().release(), true);
  orv_MappingModule<unsigned char>* mapping = orv_CreateMapperForType<unsigned char>(frame, *RampImage());
  frame->AddExtensionModule(mapping, "&Mapping", true);
  frame->AddExtensionModule(module, "&Overlaying", true);
  auto* narrow = new Canvas(frame, *mapping, *module, RampImage().release(), true);
  frame->SetCanvas(narrow);
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  module->SetOverlaying(true);
  module->SetTransparency(0.0f);
  frame->ProcessWindowEvent(changed);
  for (bool autofocus : {false, true}) {
    if (autofocus) frame->ProcessCommand(ID_AUTOFOCUS);
    orvtest::PaintNow(narrow->GetDrWin(PROJ_XY));
    const wxImage xy = narrow->GetDrWin(PROJ_XY)->GetBitmapImage();
    const unsigned z = autofocus ? 0 : 10;
    EXPECT_EQ(Rgb(orvtest::ColourAtVoxel(*narrow, xy, PROJ_XY, {8, 10, z})), kRed) << autofocus;
    const wxColour hidden = orvtest::ColourAtVoxel(*narrow, xy, PROJ_XY, {18, 10, z});
    EXPECT_EQ(hidden.Red(), hidden.Green()) << "label 2 is hidden: the gray image shows, autofocus " << autofocus;
  }
  frame->Destroy();
  orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
}

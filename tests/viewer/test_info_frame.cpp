// The info window of a canvas: its window, pages and captions, the voxel
// under the real X pointer, the image and view texts, and its lifetime.

#include "gui_test.h"

#include "info_frame.h"

#include <orv/orv_frame.h>
#include <orv/orv_imagecanvas.h>

#include <wx/minifram.h>
#include <wx/notebook.h>
#include <wx/uiaction.h>

#include <gdk/gdk.h>

#include <memory>
#include <string>
#include <vector>

using bix::Vector3d;
using orv::PROJ_XY;
using orv::PROJ_XZ;
using orv::PROJ_YZ;
using RGB8 = bix::RGB_generic<unsigned char>;

namespace {

// The window ids of the info window, written out: they are what hosts and
// scripts find the texts by.
enum {
  kCaption = 10000,
  kPositionUm = 10001,
  kPositionPix = 10002,
  kValue = 10003,
  kColour = 10004,
  kSwatch = 10005,
  kType = 10006,
  kSizePix = 10007,
  kPixelNm = 10008,
  kSizeUm = 10009,
  kNotebook = 10010,
  kBboxOffset = 10011,
  kBboxSize = 10012,
  kVisibleOffset = 10013,
  kVisibleSize = 10014,
  kCut = 10015,
};

// Value v shows as (v, 255 - v, 7): every channel tells a different story.
class SplitMapper : public orv::orv_Mapper<unsigned char> {
public:
  void Map(const unsigned char* v, orv::Buffer2d<RGB8>& out) const override {
    const std::size_t n = static_cast<std::size_t>(out.width) * out.height;
    for (std::size_t i = 0; i < n; ++i) out.data[i] = RGB8(v[i], static_cast<unsigned char>(255 - v[i]), 7);
  }
};

using Image8 = bix::Image3d<unsigned char>;

// Octants of 80 x 60 x 40 voxels, 2 voxels per micron, lower corner at
// (10, 20, 30) microns: value 1 + (x >= 40) + 2 (y >= 30) + 4 (z >= 20).
std::unique_ptr<Image8> Octants() {
  const Vector3d<unsigned> n(80, 60, 40);
  const Vector3d<float> offset(10, 20, 30);
  const bix::Resolution res(Vector3d<float>(2, 2, 2));
  auto image = std::make_unique<Image8>(n, &offset, &res);
  for (unsigned z = 0; z < n.z; ++z)
    for (unsigned y = 0; y < n.y; ++y)
      for (unsigned x = 0; x < n.x; ++x)
        image->GetVoxel(x, y, z) = static_cast<unsigned char>(1 + (x >= 40) + 2 * (y >= 30) + 4 * (z >= 20));
  return image;
}

// n voxels of value (x + 3y + 7z) mod 256 at `offset`; a null resolution
// leaves it undefined.
std::unique_ptr<Image8> Ramp(Vector3d<unsigned> n, Vector3d<float> offset, const bix::Resolution* res) {
  auto image = std::make_unique<Image8>(n, &offset, res);
  for (unsigned z = 0; z < n.z; ++z)
    for (unsigned y = 0; y < n.y; ++y)
      for (unsigned x = 0; x < n.x; ++x) image->GetVoxel(x, y, z) = static_cast<unsigned char>((x + 3 * y + 7 * z) % 256);
  return image;
}

class InfoFrameTest : public ::testing::Test {
protected:
  void Open(std::unique_ptr<Image8> image, wxSize client = wxSize(400, 400)) {
    frame = new wxFrame(nullptr, wxID_ANY, "canvas");
    frame->SetClientSize(client);
    image_ = image.get();
    canvas = new orv::orv_ImageOrthoscopeCanvas<unsigned char>(frame, mapper, image.release(), true);
    canvas->SetSize(frame->GetClientSize());
    ASSERT_TRUE(orvtest::ShowAndActivate(frame));
    ASSERT_TRUE(orvtest::PumpUntil([&] { return Win(PROJ_XY)->IsShownOnScreen(); }));
  }
  void TearDown() override {
    // The canvas uses the mapper: the windows go before the fixture does.
    if (frame) frame->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }

  // Shows the info window and lets the X server map it, as it has long done
  // by the time a user acts again (wxGTK marks a window shown again when a
  // map notification arrives after it was hidden).
  void ShowInfo() {
    canvas->InfoFrame_Show(true);
    gdk_display_sync(gdk_display_get_default());
    orvtest::Pump();
  }
  orv::orv_DrWin3d* Win(orv::orv_ProjectionType w) { return canvas->GetDrWin(w); }
  wxFrame* Info() { return canvas->InfoFrame_Get(); }
  wxNotebook* Notebook() { return wxDynamicCast(Info()->FindWindow(kNotebook), wxNotebook); }
  wxString Text(int id) {
    auto* text = wxDynamicCast(Info()->FindWindow(id), wxStaticText);
    return text ? text->GetLabel() : wxString("<no text " + std::to_string(id) + ">");
  }
  wxWindow* Swatch() { return Info()->FindWindow(kSwatch); }
  std::vector<wxString> PixelTexts() { return {Text(kPositionUm), Text(kPositionPix), Text(kValue), Text(kColour)}; }

  // Puts the X pointer on screen point `screen` and hands `window` the mouse
  // event that the move brings, with the windows painted as the user sees them.
  void PointAtScreen(wxPoint screen, orv::orv_DrWin3d* window, wxEventType type) {
    for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) orvtest::PaintNow(Win(w));
    wxUIActionSimulator().MouseMove(screen);
    ASSERT_TRUE(orvtest::PumpUntil([&] { return wxGetMousePosition() == screen; }));
    orvtest::SendMouse(window, type, window->ScreenToClient(screen));
  }
  void PointAt(orv::orv_ProjectionType w, wxPoint client) {
    PointAtScreen(Win(w)->ClientToScreen(client), Win(w), wxEVT_MOTION);
  }
  // The pointer leaves the XY window for a canvas point no cut window covers.
  void PointAtNothing() {
    PointAtScreen(canvas->ClientToScreen(wxPoint(390, 390)), Win(PROJ_XY), wxEVT_LEAVE_WINDOW);
  }
  void ExpectPixel(const char* um, const char* pix, const char* value, const char* colour) {
    EXPECT_EQ(Text(kPositionUm), um);
    EXPECT_EQ(Text(kPositionPix), pix);
    EXPECT_EQ(Text(kValue), value);
    EXPECT_EQ(Text(kColour), colour);
    ExpectFitted();
  }
  // The window fits its content after every update.
  void ExpectFitted() {
    EXPECT_EQ(Notebook()->GetMinSize(), Notebook()->GetBestSize());
    EXPECT_EQ(Info()->GetClientSize(), Notebook()->GetMinSize());
  }
  void ExpectNoPixel() {
    for (int id : {kPositionUm, kPositionPix, kValue, kColour}) EXPECT_EQ(Text(id), "---") << id;
    EXPECT_FALSE(Swatch()->IsShown());
    ExpectFitted();
  }
  void ExpectSwatch(const wxColour& colour) {
    EXPECT_TRUE(Swatch()->IsShown());
    EXPECT_EQ(Swatch()->GetBackgroundColour(), colour);
  }

  SplitMapper mapper;
  wxFrame* frame = nullptr;
  orv::orv_ImageOrthoscopeCanvas<unsigned char>* canvas = nullptr;
  Image8* image_ = nullptr;
};

// The captions of a page, in the order of its children.
std::vector<wxString> Captions(wxWindow* page) {
  std::vector<wxString> captions;
  for (wxWindow* child : page->GetChildren())
    if (child->GetId() == kCaption) captions.push_back(child->GetLabel());
  return captions;
}

// The items of a page's grid as (window id or -1 for a spacer) in cell order,
// after checking each cell's 5-pixel border on all sides.
std::vector<int> Cells(wxWindow* page) {
  std::vector<int> cells;
  for (wxSizerItem* item : page->GetSizer()->GetChildren()) {
    EXPECT_EQ(item->GetBorder(), 5);
    EXPECT_EQ(item->GetFlag() & wxALL, wxALL);
    if (item->IsSpacer()) {
      EXPECT_EQ(item->GetSpacer(), wxSize(20, 20));
      cells.push_back(-1);
    } else {
      cells.push_back(item->GetWindow()->GetId());
    }
  }
  return cells;
}

}  // namespace

TEST(InfoFrameFormat, FieldsHaveTheirWidthsAndDecimals) {
  EXPECT_EQ(orv::FormatInfoPoint(Vector3d<float>(-1, 12.5f, 0.0625f)), "[-1.000, 12.500, 0.062]");
  EXPECT_EQ(orv::FormatInfoExtent(Vector3d<float>(20, 7.5f, 1234.25f)), "20.000 x 7.500 x 1234.250");
  EXPECT_EQ(orv::FormatInfoExtent(Vector3d<double>(100.0 / 3, 0, 2)), "33.333 x 0.000 x 2.000");
  EXPECT_EQ(orv::FormatInfoIndex(Vector3d<int>(0, 17, 1234)), "[0, 17, 1234]");
  EXPECT_EQ(orv::FormatInfoCounts(Vector3d<unsigned>(5, 40, 1234)), "  5 x  40 x 1234");
  EXPECT_EQ(orv::FormatInfoColour(wxColour(0, 7, 255)), "  0   7 255");
}

TEST(InfoFrameFormat, VoxelIndicesAreTruncated) {
  const Vector3d<float> offset(10, -2.5f, 0.1f);
  // 0.1 + 0.3 lies on a voxel boundary at 10 per micron; x and y are mid-voxel.
  EXPECT_EQ(orv::InfoVoxelIndex(Vector3d<float>(12.25f, -1, 0.4f), offset, Vector3d<float>(2, 3, 10)),
            Vector3d<int>(4, 4, 3));
  EXPECT_EQ(orv::InfoVoxelIndex(Vector3d<float>(10, -2.5f, 0.1f), offset, Vector3d<float>(2, 3, 10)),
            Vector3d<int>(0, 0, 0));
  // 0.7f lies a hair below 0.7: still voxel 7 at ten per micron, as drawn.
  EXPECT_EQ(orv::InfoVoxelIndex(Vector3d<float>(0.7f, 0.7f, 0.69f), Vector3d<float>(0, 0, 0), Vector3d<float>(10, 10, 10)),
            Vector3d<int>(7, 7, 6));
}

TEST_F(InfoFrameTest, IsAFloatingToolWindowOfTheCanvasWithThreePages) {
  Open(Octants());
  EXPECT_EQ(Info(), nullptr) << "made on first demand only";
  canvas->InfoFrame_Show(false);
  EXPECT_EQ(Info(), nullptr);
  EXPECT_FALSE(canvas->InfoFrame_IsShown());

  ShowInfo();
  ASSERT_NE(Info(), nullptr);
  EXPECT_TRUE(canvas->InfoFrame_IsShown());
  EXPECT_TRUE(Info()->IsShown());
  EXPECT_NE(wxDynamicCast(Info(), wxMiniFrame), nullptr);
  EXPECT_EQ(Info()->GetParent(), canvas);
  EXPECT_EQ(Info()->GetTitle(), "Info frame");
  const long style = Info()->GetWindowStyleFlag();
  EXPECT_EQ(style & (wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT), wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT);
  EXPECT_EQ(style & (wxCAPTION | wxRESIZE_BORDER | wxSYSTEM_MENU | wxCLOSE_BOX | wxMINIMIZE_BOX | wxMAXIMIZE_BOX), 0);

  // At the lower right corner of the XY window.
  const wxRect xy = Win(PROJ_XY)->GetRect();
  EXPECT_EQ(Info()->GetPosition(), canvas->ClientToScreen(xy.GetPosition() + xy.GetSize()));

  wxNotebook* notebook = Notebook();
  ASSERT_NE(notebook, nullptr);
  EXPECT_EQ(notebook->GetParent(), Info());
  ASSERT_EQ(notebook->GetPageCount(), 3u);
  EXPECT_EQ(notebook->GetPageText(0), "Pixel info");
  EXPECT_EQ(notebook->GetPageText(1), "Image info");
  EXPECT_EQ(notebook->GetPageText(2), "View info");
  EXPECT_EQ(notebook->GetSelection(), 0);

  wxWindow* pixel = notebook->GetPage(0);
  wxWindow* image = notebook->GetPage(1);
  wxWindow* view = notebook->GetPage(2);
  EXPECT_EQ(Captions(pixel), (std::vector<wxString>{"Position (um):", "Position (pix):", "Original value:", "Mapped colour:"}));
  EXPECT_EQ(Captions(image), (std::vector<wxString>{"Type:", "Image size (pix):", "Pixel size (nm):", "Image size (um):"}));
  EXPECT_EQ(Captions(view), (std::vector<wxString>{"Bbox (offset):", "Bbox (size):", "Visible (offset):", "Visible (size):",
                                                    "Cut position:"}));

  // Rows in table order: caption, value (and on the pixel page a third cell).
  const int C = kCaption, S = -1;
  auto* pixelGrid = wxDynamicCast(pixel->GetSizer(), wxFlexGridSizer);
  ASSERT_NE(pixelGrid, nullptr);
  EXPECT_EQ(pixelGrid->GetCols(), 3);
  EXPECT_EQ(Cells(pixel), (std::vector<int>{C, kPositionUm, S, C, kPositionPix, S, C, kValue, S, C, kColour, kSwatch}));
  for (wxWindow* page : {image, view}) {
    auto* grid = wxDynamicCast(page->GetSizer(), wxFlexGridSizer);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->GetCols(), 2);
  }
  EXPECT_EQ(Cells(image), (std::vector<int>{C, kType, C, kSizePix, C, kPixelNm, C, kSizeUm}));
  EXPECT_EQ(Cells(view), (std::vector<int>{C, kBboxOffset, C, kBboxSize, C, kVisibleOffset, C, kVisibleSize, C, kCut}));

  wxWindow* swatch = Swatch();
  ASSERT_NE(swatch, nullptr);
  EXPECT_EQ(swatch->GetParent(), pixel);
  EXPECT_EQ(swatch->GetClassInfo(), wxCLASSINFO(wxWindow)) << "a plain window";
  EXPECT_EQ(swatch->GetSize(), wxSize(30, 20));
  for (int id : {kPositionUm, kPositionPix, kValue, kColour}) EXPECT_EQ(Info()->FindWindow(id)->GetParent(), pixel);
  for (int id : {kType, kSizePix, kPixelNm, kSizeUm}) EXPECT_EQ(Info()->FindWindow(id)->GetParent(), image);
  for (int id : {kBboxOffset, kBboxSize, kVisibleOffset, kVisibleSize, kCut})
    EXPECT_EQ(Info()->FindWindow(id)->GetParent(), view);

  // The notebook fills the window, which fits around it.
  EXPECT_EQ(notebook->GetMinSize(), notebook->GetBestSize());
  EXPECT_EQ(Info()->GetClientSize(), notebook->GetMinSize());
  EXPECT_EQ(notebook->GetRect(), wxRect(wxPoint(0, 0), Info()->GetClientSize()));
}

TEST_F(InfoFrameTest, EveryFieldHasItsExactFormat) {
  // 40 x 30 x 10 voxels at 2, 4 and 0.5 voxels per micron: 20 x 7.5 x 20
  // microns from (-2.5, 10, 1.25); the base zoom is 2 pixels per micron, so
  // the whole image is visible and the cut lies at the middle voxels' upper
  // halves: (20.5 / 2 - 2.5, 15.5 / 4 + 10, 5.5 * 2 + 1.25).
  const bix::Resolution res(Vector3d<float>(2, 4, 0.5f));
  Open(Ramp({40, 30, 10}, {-2.5f, 10, 1.25f}, &res));
  ShowInfo();
  EXPECT_EQ(Text(kType), "GRAY8");
  EXPECT_EQ(Text(kSizePix), " 40 x  30 x  10");
  EXPECT_EQ(Text(kPixelNm), "500 x 250 x 2000");
  EXPECT_EQ(Text(kSizeUm), "20.000 x 7.500 x 20.000");
  EXPECT_EQ(Text(kBboxOffset), "[-2.500, 10.000, 1.250]");
  EXPECT_EQ(Text(kBboxSize), "20.000 x 7.500 x 20.000");
  EXPECT_EQ(Text(kVisibleOffset), "[-2.500, 10.000, 1.250]");
  EXPECT_EQ(Text(kVisibleSize), "20.000 x 7.500 x 20.000");
  EXPECT_EQ(Text(kCut), "[7.750, 13.875, 12.250]");

  // XY pixel (3, 5): x = 3 / 2 - 2.5, y = 5 / 2 + 10, z from the cut; voxel
  // (3, 10, 5) holds 3 + 30 + 35.
  PointAt(PROJ_XY, wxPoint(3, 5));
  ExpectPixel("[-1.000, 12.500, 12.250]", "[3, 10, 5]", "68", " 68 187   7");
  ExpectSwatch(wxColour(68, 187, 7));
}

TEST_F(InfoFrameTest, WithoutAResolutionBothSizesAreUndefined) {
  Open(Ramp({20, 10, 5}, {1, 2, 3}, nullptr));
  ShowInfo();
  EXPECT_EQ(Text(kSizePix), " 20 x  10 x   5");
  EXPECT_EQ(Text(kPixelNm), "undef");
  EXPECT_EQ(Text(kSizeUm), "undef");
  // The canvas takes one voxel per micron.
  EXPECT_EQ(Text(kBboxOffset), "[1.000, 2.000, 3.000]");
  EXPECT_EQ(Text(kBboxSize), "20.000 x 10.000 x 5.000");
}

TEST_F(InfoFrameTest, PixelSizesAreTruncatedNanometres) {
  const bix::Resolution three(Vector3d<float>(3, 3, 3));
  Open(Ramp({30, 9, 4}, {0, 0, 0}, &three));
  ShowInfo();
  EXPECT_EQ(Text(kPixelNm), "333 x 333 x 333");
  EXPECT_EQ(Text(kSizeUm), "10.000 x 3.000 x 1.333");

  // Each axis its own: 1000 / 7 = 142.86 and 1000 / 0.3 = 3333.3.
  image_->SetResolution(bix::Resolution(Vector3d<float>(3, 7, 0.3f)));
  canvas->OnDataChange();
  EXPECT_EQ(Text(kPixelNm), "333 x 142 x 3333");
  EXPECT_EQ(Text(kSizeUm), "10.000 x 1.286 x 13.333");

  // Pixel sizes given in nanometres come back as given, though 1000 / the
  // single-precision resolution falls a hair short of them.
  image_->SetResolution(bix::Resolution(Vector3d<float>(1000.f / 350, 1000.f / 310, 1000.f / 65)));
  canvas->OnDataChange();
  EXPECT_EQ(Text(kPixelNm), "350 x 310 x  65");
}

TEST_F(InfoFrameTest, ThePointerInACutWindowShowsItsVoxel) {
  Open(Octants());
  ShowInfo();
  // 2 pixels per micron from (10, 20, 30); the cut lies at (30.25, 35.25, 40.25).
  PointAt(PROJ_XY, wxPoint(13, 7));
  ExpectPixel("[16.500, 23.500, 40.250]", "[13, 7, 20]", "5", "  5 250   7");
  ExpectSwatch(wxColour(5, 250, 7));

  // YZ shows z across and y down, its depth is x.
  PointAt(PROJ_YZ, wxPoint(5, 50));
  ExpectPixel("[30.250, 45.000, 32.500]", "[40, 50, 5]", "4", "  4 251   7");
  ExpectSwatch(wxColour(4, 251, 7));

  // XZ shows x across and z down, its depth is y.
  PointAt(PROJ_XZ, wxPoint(70, 35));
  ExpectPixel("[45.000, 35.250, 47.500]", "[70, 30, 35]", "8", "  8 247   7");
  ExpectSwatch(wxColour(8, 247, 7));

  // The lower faces of the box belong to the image.
  PointAt(PROJ_XY, wxPoint(0, 0));
  ExpectPixel("[10.000, 20.000, 40.250]", "[0, 0, 20]", "5", "  5 250   7");

  // A reversed axis mirrors the window, and the info follows the picture.
  canvas->ToggleAxisReverse(0);
  PointAt(PROJ_XY, wxPoint(13, 7));
  ExpectPixel("[43.000, 23.500, 40.250]", "[66, 7, 20]", "6", "  6 249   7");
}

// A canvas of several channels lists each channel's voxel, named, with the
// colour of their sum.
TEST_F(InfoFrameTest, EveryChannelsVoxelIsListedByName) {
  Open(Octants());
  auto second = Octants(), third = Octants();
  for (unsigned char& v : *second) v = static_cast<unsigned char>(v * 10);
  for (unsigned char& v : *third) v = static_cast<unsigned char>(v + 100);
  canvas->AddChannel(std::move(second), mapper);
  canvas->AddChannel(std::move(third), mapper);
  canvas->SetChannelNames({"DAPI", "GFP"});
  ShowInfo();
  PointAt(PROJ_XY, wxPoint(13, 7));
  EXPECT_EQ(Text(kValue), "DAPI: 5, GFP: 50, C3: 105");
  // SplitMapper's colours, added and clamped: (5 + 50 + 105, 255, 21).
  ExpectSwatch(wxColour(160, 255, 21));
}

// At ten voxels per micron and an offset of 0.1 most window columns lie
// on a voxel boundary that single precision puts a hair below or above: the
// voxel named is the one whose value is shown, column after column.
TEST_F(InfoFrameTest, TheVoxelNamedIsTheVoxelWhoseValueIsShown) {
  const bix::Resolution res(Vector3d<float>(10, 10, 10));
  Open(Ramp(Vector3d<unsigned>(64, 8, 8), Vector3d<float>(0.1f, 0.3f, 0.7f), &res));
  ShowInfo();
  for (int column = 0; column < 64; column += 3) {
    PointAt(PROJ_XY, wxPoint(column, 5));
    int x = -1, y = -1, z = -1, value = -1;
    ASSERT_EQ(std::sscanf(Text(kPositionPix).utf8_str(), "[%d, %d, %d]", &x, &y, &z), 3) << Text(kPositionPix);
    ASSERT_EQ(std::sscanf(Text(kValue).utf8_str(), "%d", &value), 1);
    EXPECT_EQ(x, column);
    EXPECT_EQ(y, 5);
    EXPECT_EQ(value, (x + 3 * y + 7 * z) % 256) << "column " << column << ": " << Text(kPositionPix);
  }
}

// A window asked about before it has a picture of that size (its first
// paint, or a resize not yet painted) gives no colour: the pixel texts say
// there is no voxel instead of showing a colour that is not one.
TEST_F(InfoFrameTest, APixelWithoutAColourShowsNoVoxel) {
  Open(Octants());
  ShowInfo();
  PointAt(PROJ_XY, wxPoint(13, 7));
  ASSERT_EQ(Text(kValue), "5");
  orv::InfoPixel pixel;
  pixel.value = "5";
  orv::ShowInfoPixel(Info(), &pixel);
  ExpectNoPixel();
}

TEST_F(InfoFrameTest, TheSwatchShowsTheMappedColourOnScreen) {
  Open(Octants());
  ShowInfo();
  PointAt(PROJ_XZ, wxPoint(70, 35));
  ASSERT_TRUE(orvtest::PumpUntil([&] { return Swatch()->IsShownOnScreen(); }));
  const wxColour expected(8, 247, 7);
  EXPECT_TRUE(orvtest::PumpUntil([&] {
    orvtest::PaintNow(Swatch());
    const wxImage screen = orvtest::GrabClientArea(Swatch());
    return screen.IsOk() && orvtest::PixelAt(screen, 15, 10) == expected;
  }));
}

TEST_F(InfoFrameTest, OutsideEveryWindowThereIsNoVoxelAndTheCutStaysOnOne) {
  Open(Octants());
  ShowInfo();
  PointAt(PROJ_XY, wxPoint(13, 7));
  ASSERT_TRUE(Swatch()->IsShown());
  PointAtNothing();
  ExpectNoPixel();

  // A cut asked for on the upper x face (outside: the face ends the last
  // voxel) goes to the last voxel's centre, so YZ still shows a voxel.
  Win(PROJ_XY)->SetCutAt(50, 35.25f);
  canvas->OnCutChange(orv::PROJ_ALL);
  ASSERT_EQ(canvas->GetCut().x, 49.75f);
  PointAt(PROJ_YZ, wxPoint(5, 50));
  ASSERT_TRUE(Swatch()->IsShown());
  EXPECT_EQ(PixelTexts()[0], "[49.750, 45.000, 32.500]");

  // The lower x face is inside.
  Win(PROJ_XY)->SetCutAt(10, 35.25f);
  canvas->OnCutChange(orv::PROJ_ALL);
  PointAt(PROJ_YZ, wxPoint(5, 50));
  ExpectPixel("[10.000, 45.000, 32.500]", "[0, 50, 5]", "3", "  3 252   7");
  ExpectSwatch(wxColour(3, 252, 7));
}

TEST_F(InfoFrameTest, PixelTextsWaitWhileAnotherPageIsSelected) {
  Open(Octants());
  ShowInfo();
  PointAt(PROJ_XY, wxPoint(13, 7));
  const std::vector<wxString> first = PixelTexts();
  ASSERT_EQ(first[0], "[16.500, 23.500, 40.250]");

  Notebook()->SetSelection(1);
  PointAt(PROJ_YZ, wxPoint(5, 50));
  EXPECT_EQ(PixelTexts(), first);
  PointAtNothing();
  EXPECT_EQ(PixelTexts(), first);
  EXPECT_TRUE(Swatch()->IsShown());

  Notebook()->SetSelection(0);
  EXPECT_EQ(PixelTexts(), first) << "selecting the page alone changes nothing";
  PointAt(PROJ_YZ, wxPoint(5, 50));
  ExpectPixel("[30.250, 45.000, 32.500]", "[40, 50, 5]", "4", "  4 251   7");
}

TEST_F(InfoFrameTest, ViewTextsFollowTheCutAndTheVisibleBox) {
  Open(Octants(), wxSize(200, 200));
  ShowInfo();
  canvas->ChangeCut(Vector3d<float>(12.5f, 22.75f, 31.5f));
  EXPECT_EQ(Text(kCut), "[12.500, 22.750, 31.500]");

  // Zoomed in, only part of the image is visible; the box rows keep the image.
  canvas->ZoomIn();
  canvas->ZoomIn();
  const bix::VOI<float> visible = canvas->GetVisibleBox();
  ASSERT_LT(visible.size.x, 40.f);
  Win(PROJ_XY)->CenterAt(35, 40);
  canvas->OnVis3dChange(orv::PROJ_ALL);
  const bix::VOI<float> moved = canvas->GetVisibleBox();
  ASSERT_GT(moved.offset.x, 10.f);
  EXPECT_EQ(Text(kVisibleOffset), wxString::Format("[%.3f, %.3f, %.3f]", moved.offset.x, moved.offset.y, moved.offset.z));
  EXPECT_EQ(Text(kVisibleSize), wxString::Format("%.3f x %.3f x %.3f", moved.size.x, moved.size.y, moved.size.z));
  EXPECT_EQ(Text(kBboxOffset), "[10.000, 20.000, 30.000]");
  EXPECT_EQ(Text(kBboxSize), "40.000 x 30.000 x 20.000");
}

TEST_F(InfoFrameTest, HiddenTextsAreLeftAloneAndShowingRefreshesThemAll) {
  Open(Octants());
  ShowInfo();
  PointAt(PROJ_XY, wxPoint(13, 7));
  wxFrame* info = Info();

  canvas->InfoFrame_Show(false);
  EXPECT_FALSE(info->IsShown());
  EXPECT_FALSE(canvas->InfoFrame_IsShown());
  canvas->ChangeCut(Vector3d<float>(12.5f, 22.75f, 31.5f));
  image_->SetOffset(Vector3d<float>(0, 10, 25));
  canvas->OnDataChange();
  PointAt(PROJ_YZ, wxPoint(5, 50));
  EXPECT_EQ(Text(kCut), "[30.250, 35.250, 40.250]");
  EXPECT_EQ(Text(kBboxOffset), "[10.000, 20.000, 30.000]");
  EXPECT_EQ(Text(kVisibleOffset), "[10.000, 20.000, 30.000]");
  EXPECT_EQ(Text(kPositionUm), "[16.500, 23.500, 40.250]");

  ShowInfo();
  EXPECT_EQ(Info(), info) << "the same window again";
  EXPECT_TRUE(info->IsShown());
  EXPECT_EQ(Text(kCut), "[12.500, 22.750, 31.500]");
  // The new box is [0, 40] x [10, 40] x [25, 45]: the visible box slides into it.
  EXPECT_EQ(Text(kBboxOffset), "[0.000, 10.000, 25.000]");
  EXPECT_EQ(Text(kVisibleOffset), "[0.000, 10.000, 25.000]");
  ExpectPixel("[12.500, 35.000, 27.500]", "[25, 50, 5]", "3", "  3 252   7");
}

TEST_F(InfoFrameTest, ACloseRequestOnlyHidesItAndItGoesWithTheCanvas) {
  Open(Octants());
  ShowInfo();
  wxFrame* info = Info();
  bool destroyed = false;
  info->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& e) {
    if (e.GetEventObject() == info) destroyed = true;
    e.Skip();
  });
  EXPECT_FALSE(info->Close());
  orvtest::Pump();
  EXPECT_FALSE(destroyed);
  EXPECT_FALSE(canvas->InfoFrame_IsShown());
  ShowInfo();
  EXPECT_EQ(Info(), info);
  EXPECT_TRUE(canvas->InfoFrame_IsShown());

  frame->Destroy();
  frame = nullptr;
  ASSERT_TRUE(orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); }));
  EXPECT_TRUE(destroyed);
}

TEST_F(InfoFrameTest, TheViewMenuShowsAndHidesIt) {
  auto* viewer = new orv::orv_OrthoscopeFrame(nullptr, wxID_ANY, "viewer");
  frame = viewer;
  canvas = new orv::orv_ImageOrthoscopeCanvas<unsigned char>(viewer, mapper, Octants().release(), true);
  viewer->SetCanvas(canvas);
  ASSERT_TRUE(orvtest::ShowAndActivate(viewer));
  auto command = [&](bool checked) {
    wxCommandEvent event(wxEVT_MENU, orv::ID_SHOW_INFO);
    event.SetInt(checked ? 1 : 0);
    event.SetEventObject(viewer);
    viewer->GetEventHandler()->ProcessEvent(event);
    gdk_display_sync(gdk_display_get_default());
    orvtest::Pump();
    viewer->DoMenuUpdates();
  };
  wxMenuBar* bar = viewer->GetMenuBar();
  command(true);
  ASSERT_NE(Info(), nullptr);
  wxFrame* info = Info();
  EXPECT_TRUE(info->IsShown());
  EXPECT_TRUE(bar->IsChecked(orv::ID_SHOW_INFO));
  EXPECT_EQ(Text(kType), "GRAY8");
  command(false);
  EXPECT_FALSE(info->IsShown());
  EXPECT_FALSE(bar->IsChecked(orv::ID_SHOW_INFO));
  command(true);
  EXPECT_EQ(Info(), info);
  EXPECT_TRUE(bar->IsChecked(orv::ID_SHOW_INFO));
}

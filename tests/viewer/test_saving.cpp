// Saving through a real viewer: the "Save view", "Save gallery" and "Save 3d
// data" commands with their dialogs answered by the test, the saved pictures
// read back and compared pixel by pixel with what the windows show, the 3D
// data round trips, and failures that name the file and keep the old one.

#include "gui_test.h"
#include "io_test_support.h"

#include "dlg_save_wdr.h"
#include "save_dialogs.h"
#include "view_model.h"

#include <orv/orv_factory.h>
#include <orv/orv_frame.h>
#include <orv/orv_imagecanvas.h>

#include <bix/ImageIO.h>

#include <wx/radiobox.h>
#include <wx/spinctrl.h>
#include <wx/statbox.h>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace orv;
using iotest::ScratchDir;
using RGB8 = bix::RGB_generic<unsigned char>;
using Picture = bix::Image3d<RGB8>;

namespace {

// Every voxel differs from its neighbours in x, y and z.
bix::Image3d<unsigned char>* Stack(bix::Vector3d<unsigned> n, bix::Vector3d<float> offset = {},
                                   bix::Vector3d<float> res = {1, 1, 1}) {
  const bix::Resolution resolution(res);
  auto* image = new bix::Image3d<unsigned char>(n, &offset, &resolution);
  for (unsigned z = 0; z < n.z; ++z)
    for (unsigned y = 0; y < n.y; ++y)
      for (unsigned x = 0; x < n.x; ++x) image->GetVoxel(x, y, z) = static_cast<unsigned char>((x + 2 * y + 37 * z) % 251);
  return image;
}

// Records the messages logged at error level.
class ErrorLog : public wxLog {
public:
  ErrorLog() : m_previous(wxLog::SetActiveTarget(this)) {}
  ~ErrorLog() override { wxLog::SetActiveTarget(m_previous); }
  std::vector<wxString> errors;

protected:
  void DoLogRecord(wxLogLevel level, const wxString& text, const wxLogRecordInfo&) override {
    if (level == wxLOG_Error) errors.push_back(text);
  }

private:
  wxLog* m_previous;
};

// GTK's chooser takes a path asynchronously: wait until it reports it.
orvtest::ExpectDialog<wxFileDialog> ChooseFile(const wxString& path, const wxString& title, const wxString& filter) {
  return orvtest::ExpectDialog<wxFileDialog>([=](wxFileDialog* d) {
    EXPECT_EQ(d->GetMessage(), title);
    EXPECT_EQ(d->GetWildcard(), filter);
    EXPECT_TRUE(d->HasFlag(wxFD_SAVE) && d->HasFlag(wxFD_OVERWRITE_PROMPT) && d->HasFlag(wxFD_CHANGE_DIR));
    d->SetPath(path);
    EXPECT_TRUE(orvtest::PumpUntil([&] { return d->GetPath() == path; }));
    return int(wxID_OK);
  });
}

const char* const kViewTitle = "Save actual view as...";
const char* const kTiffFilter = "Tiff image (*.tif)|*.tif";
const char* const kNotVisible = "Selected projection(s) can not be saved\nbecause they are not visible!";

Picture ReadPicture(const std::string& path) {
  Picture picture;
  bix::ReadImage(path, picture);
  return picture;
}

RGB8 At(const wxImage& image, int x, int y) {
  return RGB8(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// Compares a saved picture with an expected one pixel by pixel.
::testing::AssertionResult SamePixels(const Picture& saved, const wxImage& expected) {
  if (static_cast<int>(saved.GetSize().x) != expected.GetWidth() ||
      static_cast<int>(saved.GetSize().y) != expected.GetHeight() || saved.GetSize().z != 1)
    return ::testing::AssertionFailure() << "saved " << saved.GetSize().x << " x " << saved.GetSize().y << " x "
                                         << saved.GetSize().z << ", expected " << expected.GetWidth() << " x "
                                         << expected.GetHeight();
  for (int y = 0; y < expected.GetHeight(); ++y)
    for (int x = 0; x < expected.GetWidth(); ++x) {
      const RGB8& s = saved.GetVoxel(static_cast<unsigned>(x), static_cast<unsigned>(y), 0);
      if (!(s == At(expected, x, y)))
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << int(s.red) << ","
                                             << int(s.green) << "," << int(s.blue);
    }
  return ::testing::AssertionSuccess();
}

wxImage White(int w, int h) {
  wxImage image(w, h, false);
  image.SetRGB(wxRect(0, 0, w, h), 255, 255, 255);
  return image;
}

class SavingTest : public ::testing::Test {
protected:
  void Open(bix::Image3d<unsigned char>* image) {
    frame = orv_CreateImage3dFrame<unsigned char>(image, true, nullptr, wxID_ANY, "saving");
    ASSERT_NE(frame, nullptr);
    canvas = frame->GetCanvas();
    ASSERT_TRUE(orvtest::ShowAndActivate(frame));
    ASSERT_TRUE(orvtest::PumpUntil([&] { return canvas->GetDrWin(PROJ_XY)->IsShownOnScreen(); }));
  }
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  void Command(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
  }
  wxImage Shown(orv_ProjectionType w) {
    orvtest::PaintNow(canvas->GetDrWin(w));
    return canvas->GetDrWin(w)->GetBitmapImage();
  }
  wxSize Client(orv_ProjectionType w) { return canvas->GetDrWin(w)->GetClientSize(); }
  // The composite by the written rule: XY top left, YZ right of it, XZ
  // below it, gaps of d pixels, the rest white.
  wxImage ExpectedComposite(bool sXY, bool sXZ, bool sYZ, int d) {
    // Only shown windows have a current picture.
    const wxImage xy = sXY ? Shown(PROJ_XY) : wxImage(), xz = sXZ ? Shown(PROJ_XZ) : wxImage();
    const wxImage yz = sYZ ? Shown(PROJ_YZ) : wxImage();
    const int wXY = sXY ? xy.GetWidth() : sXZ ? xz.GetWidth()
                                              : 0;
    const int hXY = sXY ? xy.GetHeight() : sYZ ? yz.GetHeight()
                                               : 0;
    const int hXZ = sXZ ? xz.GetHeight() : sYZ ? yz.GetWidth()
                                               : 0;
    const bool left = sXY || sXZ, top = sXY || sYZ;
    wxImage out = White((left ? wXY : 0) + (sYZ ? hXZ : 0) + (left && sYZ ? d : 0),
                        (top ? hXY : 0) + (sXZ ? hXZ : 0) + (top && sXZ ? d : 0));
    if (sXY) out.Paste(xy, 0, 0);
    if (sYZ) out.Paste(yz, left ? wXY + d : 0, 0);
    if (sXZ) out.Paste(xz, 0, top ? hXY + d : 0);
    return out;
  }

  orv_OrthoscopeFrame* frame = nullptr;
  orv_OrthoscopeCanvas* canvas = nullptr;
  ScratchDir dir;
};

}  // namespace

TEST_F(SavingTest, TheDecorationDialogIsExactlyItsTable) {
  Open(Stack({40, 30, 20}));
  bool seen = false;
  wxTEST_DIALOG(Command(ID_SAVE_VIEW), orvtest::ExpectDialog<DecorationDialog>([&](DecorationDialog* d) {
                  seen = true;
                  d->InitDialog();
                  EXPECT_EQ(d->GetTitle(), "Save view");
                  EXPECT_TRUE(d->HasFlag(wxCAPTION) && d->HasFlag(wxSYSTEM_MENU) && d->HasFlag(wxCLOSE_BOX));
                  auto* box = wxStaticCast(d->FindWindow(10000), wxRadioBox);
                  EXPECT_EQ(box->GetLabel(), "Choose projection");
                  EXPECT_EQ(box->GetCount(), 4u);
                  const char* labels[4] = {"XY           ", "XZ", "YZ     ", "All"};
                  for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(box->GetString(i), labels[i]);
                  EXPECT_EQ(box->GetColumnCount(), 2u);
                  EXPECT_EQ(box->GetSelection(), 3);
                  EXPECT_EQ(d->GetProjection(), PROJ_ALL);
                  const orv_ProjectionType bySelection[4] = {PROJ_XY, PROJ_XZ, PROJ_YZ, PROJ_ALL};
                  for (int i = 0; i < 4; ++i) {
                    box->SetSelection(i);
                    EXPECT_EQ(d->GetProjection(), bySelection[i]);
                  }
                  EXPECT_EQ(wxStaticCast(d->FindWindow(10001), wxStaticText)->GetLabel(), "Decoration size");
                  auto* size = wxStaticCast(d->FindWindow(10002), wxTextCtrl);
                  EXPECT_EQ(size->GetValue(), "10");
                  EXPECT_EQ(wxStaticCast(d->FindWindow(5100), wxButton)->GetLabel(), "OK");
                  EXPECT_EQ(wxStaticCast(d->FindWindow(5101), wxButton)->GetLabel(), "Cancel");
                  return int(wxID_CANCEL);
                }));
  EXPECT_TRUE(seen);
  EXPECT_TRUE(dir.List().empty()) << "cancelled: nothing written";
}

TEST_F(SavingTest, ABadDecorationSizeIsReportedAsItIsTyped) {
  Open(Stack({40, 30, 20}));
  long decoration = 10;
  DecorationDialog dialog(frame, &decoration);
  dialog.InitDialog();
  auto* size = wxStaticCast(dialog.FindWindow(ID_DECORATION_SIZE), wxTextCtrl);
  auto type = [&](const char* text) {
    size->ChangeValue(text);
    size->MarkDirty();
    wxCommandEvent typed(wxEVT_TEXT, ID_DECORATION_SIZE);
    typed.SetEventObject(size);
    size->GetEventHandler()->ProcessEvent(typed);
  };
  wxTEST_DIALOG(type("x"), orvtest::ExpectMessageBox("'x' contains invalid character(s)", "Validation conflict"));
  type("25");  // a number: no message
  EXPECT_TRUE(dialog.Validate() && dialog.TransferDataFromWindow());
  EXPECT_EQ(decoration, 25);
}

TEST_F(SavingTest, TheCompositeThroughTheMenuIsWhatTheWindowsShow) {
  Open(Stack({200, 150, 60}));
  ASSERT_EQ(Client(PROJ_XY), wxSize(200, 150));
  ASSERT_EQ(Client(PROJ_XZ), wxSize(200, 60));
  ASSERT_EQ(Client(PROJ_YZ), wxSize(60, 150));
  const std::string path = dir / "view.tif";
  wxTEST_DIALOG(Command(ID_SAVE_VIEW), orvtest::ExpectDialog<DecorationDialog>([](DecorationDialog* d) {
                  d->InitDialog();
                  return d->Validate() && d->TransferDataFromWindow() ? int(wxID_OK) : int(wxID_CANCEL);
                }),
                ChooseFile(path, kViewTitle, kTiffFilter));
  const Picture saved = ReadPicture(path);
  // Decoration 10: 200 + 10 + 60 across, 150 + 10 + 60 down.
  EXPECT_EQ(saved.GetSize(), bix::Vector3d<unsigned>(270, 220, 1));
  EXPECT_TRUE(SamePixels(saved, ExpectedComposite(true, true, true, 10)));
  // Independent reader: libtiff's own tool.
  if (iotest::HaveTool("tiffinfo")) {
    const std::string info = iotest::RunCommand("tiffinfo '" + path + "' 2>&1");
    EXPECT_NE(info.find("Image Width: 270 Image Length: 220"), std::string::npos) << info;
    EXPECT_NE(info.find("Bits/Sample: 8"), std::string::npos) << info;
    EXPECT_NE(info.find("Samples/Pixel: 3"), std::string::npos) << info;
  }
}

TEST_F(SavingTest, EachWindowShownOrHiddenWithAndWithoutGaps) {
  Open(Stack({200, 150, 60}));
  const std::string path = dir / "view.tif";
  for (int shown = 1; shown < 8; ++shown) {
    const bool sXY = shown & 1, sXZ = shown & 2, sYZ = shown & 4;
    canvas->ShowDrWin(PROJ_XY, sXY);
    canvas->ShowDrWin(PROJ_XZ, sXZ);
    canvas->ShowDrWin(PROJ_YZ, sYZ);
    orvtest::Pump();
    for (int d : {0, 10}) {
      SCOPED_TRACE(testing::Message() << "shown " << shown << " decoration " << d);
      canvas->SaveActualView(path.c_str(), d, PROJ_ALL);
      EXPECT_TRUE(SamePixels(ReadPicture(path), ExpectedComposite(sXY, sXZ, sYZ, d)));
    }
  }
  // One window selected: only that one, whatever the others show.
  canvas->ShowDrWin(PROJ_ALL, true);
  orvtest::Pump();
  canvas->SaveActualView(path.c_str(), 10, PROJ_YZ);
  EXPECT_TRUE(SamePixels(ReadPicture(path), Shown(PROJ_YZ)));
  canvas->SaveActualView(path.c_str(), 0, PROJ_XZ);
  EXPECT_TRUE(SamePixels(ReadPicture(path), Shown(PROJ_XZ)));
}

TEST_F(SavingTest, ASelectedWindowThatIsHiddenCannotBeSaved) {
  Open(Stack({60, 40, 20}));
  canvas->ShowDrWin(PROJ_XY, false);
  const std::string path = dir / "view.tif";
  wxTEST_DIALOG(Command(ID_SAVE_VIEW), orvtest::ExpectDialog<DecorationDialog>([](DecorationDialog* d) {
                  d->InitDialog();
                  wxStaticCast(d->FindWindow(ID_DECORATION_PROJECTION), wxRadioBox)->SetSelection(0);
                  return d->Validate() && d->TransferDataFromWindow() ? int(wxID_OK) : int(wxID_CANCEL);
                }),
                ChooseFile(path, kViewTitle, kTiffFilter), orvtest::ExpectMessageBox(kNotVisible, "Error"));
  EXPECT_TRUE(dir.List().empty());
}

TEST_F(SavingTest, TheFreeCornerCarriesAScaleBarOfItsLabelsLength) {
  Open(Stack({200, 150, 100}));
  const std::string path = dir / "view.tif";
  // Zoom level 0 (1 pixel per micron): corner 100 x 100, at most 80 pixels
  // within its margins: a bar of 50 microns, 50 pixels. Zoom level 1
  // (2 pixels per micron): corner 200 x 200, 160 pixels: 50 microns again,
  // now 100 pixels.
  for (int zoomIn = 0; zoomIn < 2; ++zoomIn) {
    SCOPED_TRACE(zoomIn);
    if (zoomIn) {
      Command(ID_ZOOM_IN);
      orvtest::Pump();
    }
    const float zoom = canvas->GetZoom().x;
    const int corner = static_cast<int>(100 * zoom);
    ASSERT_EQ(Client(PROJ_YZ).x, corner);
    ASSERT_EQ(Client(PROJ_XZ).y, corner);
    canvas->SaveActualView(path.c_str(), 10, PROJ_ALL);
    const Picture saved = ReadPicture(path);
    const wxImage expected = ExpectedComposite(true, true, true, 10);
    ASSERT_EQ(saved.GetSize(), bix::Vector3d<unsigned>(unsigned(expected.GetWidth()), unsigned(expected.GetHeight()), 1));
    const int cx = expected.GetWidth() - corner, cy = expected.GetHeight() - corner;
    // Nothing outside the corner changes: with the saved corner put into
    // the expected picture, the two are equal.
    wxImage withSavedCorner = expected.Copy();
    for (int y = cy; y < cy + corner; ++y)
      for (int x = cx; x < cx + corner; ++x) {
        const RGB8& s = saved.GetVoxel(unsigned(x), unsigned(y), 0);
        withSavedCorner.SetRGB(x, y, s.red, s.green, s.blue);
      }
    EXPECT_TRUE(SamePixels(saved, withSavedCorner));
    // The bar: the widest run of black pixels in the corner, centred, 50
    // microns at the saved zoom.
    int barRow = -1, barLength = 0, barLeft = 0;
    for (int y = cy; y < cy + corner; ++y) {
      int run = 0, best = 0, bestLeft = 0;
      for (int x = cx; x < cx + corner; ++x) {
        const RGB8& s = saved.GetVoxel(unsigned(x), unsigned(y), 0);
        run = (s.red == 0 && s.green == 0 && s.blue == 0) ? run + 1 : 0;
        if (run > best) {
          best = run;
          bestLeft = x - run + 1;
        }
      }
      if (best > barLength) {
        barLength = best;
        barRow = y;
        barLeft = bestLeft;
      }
    }
    EXPECT_EQ(barLength, static_cast<int>(50 * zoom)) << "50 microns at " << zoom << " pixels per micron";
    EXPECT_EQ(barLeft - cx, (corner - barLength) / 2) << "centred";
    // The label lies under the bar.
    int labelInk = 0;
    for (int y = barRow + 2; y < cy + corner; ++y)
      for (int x = cx; x < cx + corner; ++x) labelInk += saved.GetVoxel(unsigned(x), unsigned(y), 0).red < 128;
    EXPECT_GT(labelInk, 20) << "a label";
  }
}

TEST_F(SavingTest, AStageOffsetAndAnisotropicSlicesStillGiveEachTileItsSlice) {
  // Slices 2.5 microns apart, the stack 1000 microns up the stage: a cut
  // at k / rz (no offset) would lie outside the image.
  Open(Stack({60, 40, 12}, {300.f, -40.f, 1000.f}, {1.f, 1.f, 0.4f}));
  const bix::Vector3d<float> before = canvas->GetCut();
  const std::string path = dir / "gallery.tif";
  canvas->SaveGalleryView(path.c_str(), 0, 10, 2, false, 5, 10);
  EXPECT_EQ(canvas->GetCut(), before) << "the cut point is restored";
  const Picture saved = ReadPicture(path);
  // Six slices in 5 columns: 2 rows, the second holding one tile.
  ASSERT_EQ(saved.GetSize(), bix::Vector3d<unsigned>(5 * 70 - 10, 2 * 50 - 10, 1));
  wxImage expected = White(5 * 70 - 10, 2 * 50 - 10);
  std::vector<wxImage> tiles;
  for (int i = 0; i < 6; ++i) {
    const int k = 2 * i;
    canvas->ChangeCut(bix::Vector3d<float>(before.x, before.y, 1000.f + 2.5f * (static_cast<float>(k) + 0.5f)));
    const wxImage tile = Shown(PROJ_XY).GetSubImage(wxRect(0, 0, 60, 40));
    tiles.push_back(tile);
    expected.Paste(tile, (i % 5) * 70, (i / 5) * 50);
  }
  EXPECT_TRUE(SamePixels(saved, expected));
  for (int i = 1; i < 6; ++i)
    EXPECT_NE(std::memcmp(tiles[0].GetData(), tiles[i].GetData(), 60 * 40 * 3), 0) << "tile " << i << " shows slice 0";
}

TEST_F(SavingTest, GalleriesInFixedRowsAndOfOneSlice) {
  Open(Stack({60, 40, 20}));
  const std::string path = dir / "gallery.tif";
  const bix::Vector3d<float> before = canvas->GetCut();
  // Slices 3..8 in 4 fixed rows: 2 columns filled row by row, the last row white.
  canvas->SaveGalleryView(path.c_str(), 3, 8, 1, true, 4, 10);
  wxImage expected = White(2 * 70 - 10, 4 * 50 - 10);
  for (int i = 0; i < 6; ++i) {
    canvas->ChangeCut(bix::Vector3d<float>(before.x, before.y, 3.5f + static_cast<float>(i)));
    expected.Paste(Shown(PROJ_XY).GetSubImage(wxRect(0, 0, 60, 40)), (i % 2) * 70, (i / 2) * 50);
  }
  EXPECT_TRUE(SamePixels(ReadPicture(path), expected));
  // Start = end: exactly x by y pixels.
  canvas->SaveGalleryView(path.c_str(), 7, 7, 1, false, 1, 10);
  canvas->ChangeCut(bix::Vector3d<float>(before.x, before.y, 7.5f));
  EXPECT_TRUE(SamePixels(ReadPicture(path), Shown(PROJ_XY).GetSubImage(wxRect(0, 0, 60, 40))));
}

TEST_F(SavingTest, TheGalleryDialogIsExactlyItsTableAndRefusesAnEndBeforeTheStart) {
  Open(Stack({60, 40, 20}));
  const std::string path = dir / "gallery.tif";
  const bix::Vector3d<float> before = canvas->GetCut();
  wxTEST_DIALOG(
      Command(ID_SAVE_GALLERY),
      orvtest::ExpectDialog<GalleryDialog>([&](GalleryDialog* d) {
        d->InitDialog();
        EXPECT_EQ(d->GetTitle(), "Gallery parameters");
        EXPECT_EQ(wxStaticCast(d->FindWindow(10003), wxStaticText)->GetLabel(), "Slice count: 20");
        struct Spin {
          int id, min, max, value;
        };
        for (const Spin& s : {Spin{10005, 0, 19, 0}, Spin{10006, 0, 19, 19}, Spin{10007, 1, 19, 1},
                              Spin{10010, 1, 100, 1}, Spin{10011, 0, 100, 10}}) {
          auto* spin = wxStaticCast(d->FindWindow(s.id), wxSpinCtrl);
          EXPECT_EQ(spin->GetMin(), s.min) << s.id;
          EXPECT_EQ(spin->GetMax(), s.max) << s.id;
          EXPECT_EQ(spin->GetValue(), s.value) << s.id;
        }
        std::vector<wxString> captions, boxes;
        for (wxWindow* child : d->GetChildren()) {
          if (child->GetId() == 10004) captions.push_back(child->GetLabel());
          if (auto* box = dynamic_cast<wxStaticBox*>(child)) boxes.push_back(box->GetLabel());
        }
        EXPECT_EQ(captions, (std::vector<wxString>{"Starting slice:", "Ending slice:", "Step:", "Row/Column count:",
                                                   "Spacing between images:"}));
        EXPECT_EQ(boxes, (std::vector<wxString>{"Cut parameters", "Gallery parameters"}));
        auto* rows = wxStaticCast(d->FindWindow(10008), wxRadioButton);
        auto* columns = wxStaticCast(d->FindWindow(10009), wxRadioButton);
        EXPECT_EQ(rows->GetLabel(), "Rows");
        EXPECT_EQ(columns->GetLabel(), "Colums");
        EXPECT_TRUE(rows->GetValue());
        EXPECT_TRUE(d->IsFixedRows());
        // A step and a count below 1 cannot be entered.
        wxStaticCast(d->FindWindow(10007), wxSpinCtrl)->SetValue(0);
        wxStaticCast(d->FindWindow(10010), wxSpinCtrl)->SetValue(0);
        EXPECT_EQ(d->GetStep(), 1);
        EXPECT_EQ(d->GetCount(), 1);
        // End before start: refused, the dialog stays.
        wxStaticCast(d->FindWindow(10005), wxSpinCtrl)->SetValue(5);
        wxStaticCast(d->FindWindow(10006), wxSpinCtrl)->SetValue(2);
        d->SetReturnCode(wxID_NONE);
        orvtest::ClickButton(d, wxID_OK);
        EXPECT_EQ(d->GetReturnCode(), wxID_NONE);
        // 0..10 step 2 in 5 columns.
        wxStaticCast(d->FindWindow(10005), wxSpinCtrl)->SetValue(0);
        wxStaticCast(d->FindWindow(10006), wxSpinCtrl)->SetValue(10);
        wxStaticCast(d->FindWindow(10007), wxSpinCtrl)->SetValue(2);
        wxStaticCast(d->FindWindow(10010), wxSpinCtrl)->SetValue(5);
        columns->SetValue(true);
        EXPECT_FALSE(d->IsFixedRows());
        orvtest::ClickButton(d, wxID_OK);
        EXPECT_EQ(d->GetReturnCode(), wxID_OK);
        return d->GetReturnCode();
      }),
      orvtest::ExpectMessageBox("'Starting slice' must be less or equal to 'Ending slice'", "Bad input"),
      ChooseFile(path, kViewTitle, kTiffFilter));
  EXPECT_EQ(canvas->GetCut(), before);
  const Picture saved = ReadPicture(path);
  EXPECT_EQ(saved.GetSize(), bix::Vector3d<unsigned>(5 * 70 - 10, 2 * 50 - 10, 1));
  // The second row's last four cells are white.
  for (unsigned y = 50; y < 90; ++y)
    for (unsigned x = 60; x < 340; ++x) ASSERT_TRUE(saved.GetVoxel(x, y, 0) == RGB8(255, 255, 255)) << x << "," << y;
}

TEST_F(SavingTest, Save3dDataThroughTheMenuWritesTheImage) {
  bix::Image3d<unsigned char>* image = Stack({30, 20, 10}, {5.f, 6.f, 7.f}, {2.f, 2.f, 0.5f});
  const bix::Image3d<unsigned char> original = *image;
  Open(image);
  const std::string path = dir / "data.ics";
  wxTEST_DIALOG(Command(ID_SAVE_3D_DATA),
                ChooseFile(path, "Save 3d image data as...",
                           "Image cytometry standard (*.ics)|*.ics|BIX file (*.bix)|*.bix|OME-Zarr (*.zarr)|*.zarr"));
  bix::Image3d<unsigned char> back;
  bix::ReadImage(path, back);
  EXPECT_TRUE(iotest::SameVoxels(back, original));
  EXPECT_EQ(back.GetOffset(), original.GetOffset());
  EXPECT_EQ(back.GetResolution().GetRes(), original.GetResolution().GetRes());
}

namespace {

template <class T>
class BlackMapper : public orv_Mapper<T> {
public:
  void Map(const T*, Buffer2d<RGB8>& out) const override {
    std::fill(out.data, out.data + static_cast<std::size_t>(out.width) * out.height, RGB8(0, 0, 0));
  }
};

template <class T>
class Save3dDataTest : public ::testing::Test {
protected:
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
};
using VoxelTypes = ::testing::Types<unsigned char, unsigned short, int, float, RGB8, bix::RGB_generic<unsigned short>>;
TYPED_TEST_SUITE(Save3dDataTest, VoxelTypes);

}  // namespace

TYPED_TEST(Save3dDataTest, RoundTripsThroughEveryFormatWithSizeOffsetAndVoxelSize) {
  using T = TypeParam;
  const bix::Resolution res(bix::Vector3d<float>(4.f, 2.f, 0.5f));
  const auto original = iotest::MakeImage<T>(bix::Vector3d<unsigned>(7, 5, 3), bix::Vector3d<float>(10.f, -2.5f, 3.f), res);
  BlackMapper<T> mapper;
  auto* frame = new wxFrame(nullptr, wxID_ANY, "data");
  auto* canvas = new orv_ImageOrthoscopeCanvas<T>(frame, mapper, new bix::Image3d<T>(original), true);
  ScratchDir dir;
  for (const char* name : {"data.ics", "data.bix", "data.tif"}) {
    SCOPED_TRACE(name);
    ErrorLog log;
    canvas->Save3dData(wxString(dir / name));
    EXPECT_TRUE(log.errors.empty());
    bix::Image3d<T> back;
    bix::ReadImage(dir / name, back);
    EXPECT_TRUE(iotest::SameVoxels(back, original));
    EXPECT_EQ(back.GetResolution().GetRes(), res.GetRes());
    for (unsigned a = 0; a < 3; ++a) EXPECT_NEAR(back.GetOffset()[a], original.GetOffset()[a], 1e-4) << a;
  }
  frame->Destroy();
}

TEST_F(SavingTest, PicturesTooLargeToMakeAreRefusedAndTheOldFileStays) {
  Open(Stack({60, 40, 20}));
  const std::string path = dir / "view.tif";
  iotest::WriteBytes(path, "the previous version");
  const wxSize xy = canvas->GetDrWin(PROJ_XY)->GetBitmapImage().GetSize();
  const wxSize xz = canvas->GetDrWin(PROJ_XZ)->GetBitmapImage().GetSize();
  struct Case {
    std::function<void()> save;
    long long width, height;
  };
  const Case cases[] = {
      {[&] { canvas->SaveActualView(path.c_str(), 100000, PROJ_ALL); }, xy.x + xz.y + 100000LL,
       xy.y + xz.y + 100000LL},
      {[&] { canvas->SaveGalleryView(path.c_str(), 0, 19, 1, true, 5, 10000); }, 4 * 60 + 3 * 10000,
       5 * 40 + 4 * 10000},
  };
  for (const Case& c : cases) {
    ErrorLog log;
    c.save();
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0], wxString::Format("'%s': a picture of %lld x %lld pixels is too large to save (at most "
                                              "268435456 pixels).",
                                              path, c.width, c.height));
    EXPECT_EQ(iotest::FileBytes(path), "the previous version");
  }
  ErrorLog log;
  canvas->SaveGalleryView(path.c_str(), 0, 19, 1, true, 1, 60000);  // one row of 20 tiles: 1.14 M pixels wide
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_EQ(log.errors[0], "'" + path + "': the gallery would be more than 1048576 pixels wide or high.");
}

TEST(SaveDialogs, ANameWithoutExtensionTakesTheChosenFilters) {
  const wxString filter = "Image cytometry standard (*.ics)|*.ics|BIX file (*.bix)|*.bix";
  EXPECT_EQ(WithFilterExtension("/d/stack", filter, 0), "/d/stack.ics");
  EXPECT_EQ(WithFilterExtension("/d/stack", filter, 1), "/d/stack.bix");
  EXPECT_EQ(WithFilterExtension("/d/stack.tif", filter, 1), "/d/stack.tif");
  EXPECT_EQ(WithFilterExtension("/d.x/stack", "All files (*.*) |*", 0), "/d.x/stack");
  EXPECT_EQ(WithFilterExtension("", filter, 0), "");
}

TEST_F(SavingTest, WriteFailuresNameTheFileAndKeepThePreviousOne) {
  Open(Stack({60, 40, 20}));
  // A missing folder.
  {
    const std::string missing = dir / "no-such-folder/view.tif";
    ErrorLog log;
    canvas->SaveActualView(missing.c_str(), 10, PROJ_ALL);
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_NE(log.errors[0].find(missing), wxString::npos) << log.errors[0];
  }
  // A full disk, for each of the three operations: the previous file stays.
  struct Operation {
    const char* name;
    std::function<void(const std::string&)> run;
  };
  const std::vector<Operation> operations = {
      {"view.tif", [&](const std::string& p) { canvas->SaveActualView(p.c_str(), 10, PROJ_ALL); }},
      {"gallery.tif", [&](const std::string& p) { canvas->SaveGalleryView(p.c_str(), 0, 19, 1, false, 5, 10); }},
      {"data.bix", [&](const std::string& p) { canvas->Save3dData(wxString(p)); }},
  };
  for (const Operation& op : operations) {
    SCOPED_TRACE(op.name);
    const std::string path = dir / op.name;
    iotest::WriteBytes(path, "the previous version");
    ErrorLog log;
    {
      iotest::FileSizeLimit limit(256);
      op.run(path);
    }
    ASSERT_EQ(log.errors.size(), 1u);
    EXPECT_EQ(log.errors[0].rfind("'" + path + "': cannot be written", 0), 0u) << log.errors[0];
    EXPECT_EQ(iotest::FileBytes(path), "the previous version");
  }
  // A read-only file is not replaced.
  const std::string readOnly = dir / "raw.tif";
  iotest::WriteBytes(readOnly, "raw");
  ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
  ErrorLog log;
  canvas->SaveActualView(readOnly.c_str(), 10, PROJ_ALL);
  ASSERT_EQ(log.errors.size(), 1u);
  EXPECT_NE(log.errors[0].find(readOnly), wxString::npos) << log.errors[0];
  EXPECT_EQ(iotest::FileBytes(readOnly), "raw");
  EXPECT_EQ(dir.List(), (std::vector<std::string>{"data.bix", "gallery.tif", "raw.tif", "view.tif"}))
      << "no temporary file is left behind";
}

// The preferences dialog through a real viewer's "Preferences" command: its
// pages and fields, the linked resolution and aspect-ratio fields, OK that
// applies the settings to the painted pictures, Cancel that changes nothing,
// and custom colours that every later dialog of the process offers again.

#include "gui_test.h"

#include "preferences_dialog.h"

#include <orv/orv_factory.h>
#include <orv/orv_frame.h>

#include <wx/colordlg.h>
#include <wx/notebook.h>
#include <wx/radiobox.h>
#include <wx/statbox.h>

#include <functional>
#include <vector>

using namespace orv;

namespace {

// Voxels of 0.25 microns: a base zoom of 4 pixels per micron on every axis.
orv_OrthoscopeFrame* Viewer() {
  const bix::Resolution res(bix::Vector3d<float>(4, 4, 4));
  auto* image = new bix::Image3d<unsigned char>(bix::Vector3d<unsigned>(40, 30, 10), nullptr, &res);
  unsigned i = 0;
  for (unsigned char& v : *image) v = static_cast<unsigned char>(i++ % 200);
  return orv_CreateImage3dFrame<unsigned char>(image, true, nullptr, wxID_ANY, "preferences");
}

wxTextCtrl* Field(wxWindow* dialog, int id) { return wxStaticCast(dialog->FindWindow(id), wxTextCtrl); }

// What typing `text` into a field does: its text changes, it is marked
// edited and it tells its handlers.
void Type(wxTextCtrl* field, const wxString& text) {
  field->ChangeValue(text);
  field->MarkDirty();
  wxCommandEvent typed(wxEVT_TEXT, field->GetId());
  typed.SetEventObject(field);
  typed.SetString(text);
  field->GetEventHandler()->ProcessEvent(typed);
}

void ChoosePointer(wxWindow* dialog, int style) {
  auto* box = wxStaticCast(dialog->FindWindow(10001), wxRadioBox);
  box->SetSelection(style);
  wxCommandEvent chosen(wxEVT_RADIOBOX, box->GetId());
  chosen.SetEventObject(box);
  chosen.SetInt(style);
  box->GetEventHandler()->ProcessEvent(chosen);
}

class PreferencesTest : public ::testing::Test {
protected:
  void SetUp() override {
    frame = Viewer();
    canvas = frame->GetCanvas();
    ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  }
  void TearDown() override {
    for (wxWindow* w : wxTopLevelWindows) w->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  void Preferences(orv_OrthoscopeFrame* f) {
    wxCommandEvent event(wxEVT_MENU, ID_PREFERENCES);
    event.SetEventObject(f);
    f->GetEventHandler()->ProcessEvent(event);
  }
  // The pixels of the XY picture in `colour`.
  int PixelsIn(const wxColour& colour) {
    orvtest::PaintNow(canvas->GetDrWin(PROJ_XY));
    const wxImage picture = canvas->GetDrWin(PROJ_XY)->GetBitmapImage();
    int n = 0;
    for (int y = 0; y < picture.GetHeight(); ++y)
      for (int x = 0; x < picture.GetWidth(); ++x)
        if (orvtest::PixelAt(picture, x, y) == colour) ++n;
    return n;
  }

  orv_OrthoscopeFrame* frame = nullptr;
  orv_OrthoscopeCanvas* canvas = nullptr;
};

}  // namespace

TEST_F(PreferencesTest, ThePagesAndFieldsAreExactlyTheTables) {
  bool seen = false;
  wxTEST_DIALOG(Preferences(frame), orvtest::ExpectDialog<PreferencesDialog>([&](PreferencesDialog* d) {
                  seen = true;
                  d->InitDialog();
                  EXPECT_EQ(d->GetTitle(), "Screen options dialog");
                  auto* notebook = wxStaticCast(d->FindWindow(10000), wxNotebook);
                  EXPECT_EQ(notebook->GetPageCount(), 2u);
                  EXPECT_EQ(notebook->GetPageText(0), "Screen");
                  EXPECT_EQ(notebook->GetPageText(1), "Cut Pointer");
                  for (int id = 10004; id <= 10006; ++id) EXPECT_EQ(Field(d, id)->GetValue(), "4.000000") << id;
                  for (int id = 10007; id <= 10009; ++id) EXPECT_EQ(Field(d, id)->GetValue(), "1.000000") << id;
                  std::vector<wxString> captions, boxes;
                  std::function<void(wxWindow*)> walk = [&](wxWindow* w) {
                    for (wxWindow* child : w->GetChildren()) {
                      if (child->GetId() == 10003) captions.push_back(child->GetLabel());
                      if (auto* box = dynamic_cast<wxStaticBox*>(child); box && !dynamic_cast<wxRadioBox*>(child))
                        boxes.push_back(box->GetLabel());
                      walk(child);
                    }
                  };
                  walk(d);
                  EXPECT_EQ(captions, (std::vector<wxString>{"X axis:", "Y axis:", "Z axis:", "X axis:", "Y axis:", "Z axis:"}));
                  EXPECT_EQ(boxes, (std::vector<wxString>{"Resolution  (pixels / micron)", "Aspect ratio", "Pointer colour"}));
                  auto* pointer = wxStaticCast(d->FindWindow(10001), wxRadioBox);
                  EXPECT_EQ(pointer->GetLabel(), "Pointer type");
                  const char* styles[6] = {"None", "On sides", "On sides with circle ", "Dotted cross", "Dashed cross",
                                           "Solid cross"};
                  EXPECT_EQ(pointer->GetCount(), 6u);
                  for (unsigned i = 0; i < 6; ++i) EXPECT_EQ(pointer->GetString(i), styles[i]);
                  EXPECT_EQ(pointer->GetSelection(), POINTER_ON_SIDES);
                  auto* swatch = wxStaticCast(d->FindWindow(10002), wxStaticText);
                  EXPECT_EQ(swatch->GetLabel(), "No image");
                  EXPECT_EQ(swatch->GetBackgroundColour(), wxColour(0, 255, 0));
                  EXPECT_EQ(swatch->GetForegroundColour(), wxColour(0, 255, 0));
                  int changeButtons = 0;
                  for (wxWindow* child : swatch->GetParent()->GetChildren())
                    if (child->GetId() == 10002 && dynamic_cast<wxButton*>(child) && child->GetLabel() == "Change...")
                      ++changeButtons;
                  EXPECT_EQ(changeButtons, 1);
                  EXPECT_EQ(wxStaticCast(d->FindWindow(5100), wxButton)->GetLabel(), "OK");
                  EXPECT_EQ(wxStaticCast(d->FindWindow(5101), wxButton)->GetLabel(), "Cancel");
                  return int(wxID_CANCEL);
                }));
  EXPECT_TRUE(seen);
}

TEST_F(PreferencesTest, ResolutionAndAspectRatioFollowEachOther) {
  wxTEST_DIALOG(Preferences(frame), orvtest::ExpectDialog<PreferencesDialog>([](PreferencesDialog* d) {
                  d->InitDialog();
                  Type(Field(d, 10005), "2");
                  EXPECT_EQ(Field(d, 10008)->GetValue(), "0.500000");
                  Type(Field(d, 10009), "3");
                  EXPECT_EQ(Field(d, 10006)->GetValue(), "12.000000");
                  // The ratios refer to the x resolution the dialog opened with.
                  Type(Field(d, 10004), "8");
                  EXPECT_EQ(Field(d, 10007)->GetValue(), "2.000000");
                  Type(Field(d, 10008), "0.25");
                  EXPECT_EQ(Field(d, 10005)->GetValue(), "1.000000");
                  // Text that is no number leaves the other field alone.
                  Type(Field(d, 10008), "abc");
                  EXPECT_EQ(Field(d, 10005)->GetValue(), "1.000000");
                  // The program's own changes do not travel back.
                  Field(d, 10006)->SetValue("100");
                  EXPECT_EQ(Field(d, 10009)->GetValue(), "3");
                  return int(wxID_CANCEL);
                }));
}

TEST_F(PreferencesTest, OKAppliesBaseZoomPointerStyleAndColour) {
  const wxColour magenta(255, 0, 255);
  EXPECT_EQ(PixelsIn(magenta), 0);
  wxTEST_DIALOG(Preferences(frame), orvtest::ExpectDialog<PreferencesDialog>([&](PreferencesDialog* d) {
                  d->InitDialog();
                  Type(Field(d, 10005), "2");
                  ChoosePointer(d, POINTER_SOLID_CROSS);
                  orvtest::ClickButton(d, 10002);
                  EXPECT_EQ(wxStaticCast(d->FindWindow(10002), wxStaticText)->GetBackgroundColour(), magenta);
                  return orvtest::AcceptDialog(d);
                }),
                orvtest::AnswerColourDialog([&](wxColourData& data) { data.SetColour(magenta); }));
  EXPECT_EQ(canvas->GetBaseZoom(), bix::Vector3d<float>(4, 2, 4));
  EXPECT_EQ(canvas->GetPointerStyle().style, POINTER_SOLID_CROSS);
  EXPECT_EQ(canvas->GetPointerStyle().colour, magenta);
  // Half the y zoom: the XY picture is 40 x 15 pixels, crossed by one full
  // row and one full column of the new colour.
  const wxSize xy = canvas->GetDrWin(PROJ_XY)->GetClientSize();
  EXPECT_EQ(xy, wxSize(40, 15));
  EXPECT_EQ(PixelsIn(magenta), xy.x + xy.y - 1);
}

TEST_F(PreferencesTest, CancelChangesNothing) {
  orv_CanvasSettings before;
  canvas->GetSettings(before);
  wxTEST_DIALOG(Preferences(frame), orvtest::ExpectDialog<PreferencesDialog>([](PreferencesDialog* d) {
                  d->InitDialog();
                  Type(Field(d, 10004), "9");
                  ChoosePointer(d, POINTER_NONE);
                  orvtest::ClickButton(d, 10002);
                  EXPECT_TRUE(d->Validate() && d->TransferDataFromWindow());
                  return int(wxID_CANCEL);
                }),
                orvtest::AnswerColourDialog([](wxColourData& data) { data.SetColour(*wxRED); }));
  EXPECT_EQ(canvas->GetBaseZoom(), before.baseZoom);
  EXPECT_EQ(canvas->GetPointerStyle().style, before.pointerStyle);
  EXPECT_EQ(canvas->GetPointerStyle().colour, before.pointerColour);
}

TEST_F(PreferencesTest, CustomColoursAreOfferedAgainInAnyViewer) {
  const wxColour custom(1, 2, 3);
  wxTEST_DIALOG(Preferences(frame), orvtest::ExpectDialog<PreferencesDialog>([](PreferencesDialog* d) {
                  d->InitDialog();
                  orvtest::ClickButton(d, 10002);
                  return orvtest::AcceptDialog(d);
                }),
                orvtest::AnswerColourDialog([&](wxColourData& data) {
                  EXPECT_TRUE(data.GetChooseFull());
                  EXPECT_EQ(data.GetColour(), wxColour(0, 255, 0)) << "the pointer's colour";
                  data.SetCustomColour(3, custom);
                  data.SetColour(*wxBLUE);
                }));
  EXPECT_EQ(ApplicationColourData().GetCustomColour(3), custom);
  orv_OrthoscopeFrame* other = Viewer();
  bool offered = false;
  wxTEST_DIALOG(Preferences(other), orvtest::ExpectDialog<PreferencesDialog>([](PreferencesDialog* d) {
                  d->InitDialog();
                  orvtest::ClickButton(d, 10002);
                  return int(wxID_CANCEL);
                }),
                orvtest::ExpectDialog<wxColourDialog>([&](wxColourDialog* d) {
                  offered = d->GetColourData().GetCustomColour(3) == custom;
                  return int(wxID_CANCEL);
                }));
  EXPECT_TRUE(offered);
}

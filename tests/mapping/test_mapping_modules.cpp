// Complete viewers made by the factory for every voxel type, driven through
// the "&Mapping" menu: stretches, levels and thresholds with their dialogs
// answered by the test, palettes, RGB channels, the configuration, and the
// commands a host can replay on another viewer.

#include "gui_test.h"

#include <orv/gray_mapping.h>
#include <orv/levels_dialog.h>
#include <orv/orv_factory.h>
#include <orv/orv_palette.h>
#include <orv/range_dialogs.h>
#include <orv/rgb_mapping.h>
#include <orv/thresholding_dialog.h>

#include <wx/filename.h>
#include <wx/numdlg.h>
#include <wx/spinctrl.h>
#include <wx/sstream.h>
#include <wx/wfstream.h>

#include <memory>
#include <vector>

using namespace orv;
using RGB8 = bix::RGB_generic<unsigned char>;
using RGB16 = bix::RGB_generic<unsigned short>;
using orvtest::ExpectDialog;

namespace {

constexpr int kBase = 6028;  // the first id after the frame's own
using Levels8Dialog = LevelsWidget<unsigned char, unsigned char>;

template <class T>
T Value(int v) {
  if constexpr (std::is_same_v<T, RGB8> || std::is_same_v<T, RGB16>) {
    using C = decltype(T().red);
    return T(static_cast<C>(v), static_cast<C>(v), static_cast<C>(v));
  } else {
    return static_cast<T>(v);
  }
}

// An image of the given voxels in one row.
template <class T>
bix::Image3d<T>* RowImage(const std::vector<T>& values) {
  auto* image = new bix::Image3d<T>(bix::Vector3d<unsigned>(static_cast<unsigned>(values.size()), 1, 1));
  std::copy(values.begin(), values.end(), image->begin());
  return image;
}

// Sits on top of a viewer frame's handler chain and records what the
// mapping module tells the frame and the host.
class Recorder : public wxEvtHandler {
public:
  Recorder() {
    Bind(orv_EVT_MAPPING_CHANGED, [this](orv_MappingEvent& e) {
      volumeFlags.push_back(e.GetUpdateVolume());
      e.Skip();
    });
    Bind(orv_EVT_MAPPING_COMMAND, [this](orv_MappingCommandEvent& e) {
      commands.emplace_back(static_cast<orv_MappingCommandEvent*>(e.Clone()));
      e.Skip();
    });
  }
  std::vector<bool> volumeFlags;
  std::vector<std::unique_ptr<orv_MappingCommandEvent>> commands;
};

template <class T>
struct Viewer {
  explicit Viewer(bix::Image3d<T>* image, bool own = true) {
    frame = orv_CreateImage3dFrame<T>(image, own, nullptr, wxID_ANY, "viewer");
    module = dynamic_cast<orv_MappingModule<T>*>(frame->GetEventHandler());
    frame->PushEventHandler(&recorder);
  }
  ~Viewer() {
    frame->PopEventHandler(false);
    frame->Destroy();
    wxWindow* gone = frame;
    orvtest::PumpUntil([gone] { return !wxTopLevelWindows.Find(gone); });
  }
  // Chooses the menu item at `offset` from the module's first id.
  void Command(int offset, bool checked = false) {
    wxCommandEvent e(wxEVT_MENU, kBase + offset);
    e.SetInt(checked);
    e.SetEventObject(frame);
    frame->ProcessWindowEvent(e);
  }
  bool Checked(int offset) {
    frame->UpdateWindowUI();
    return frame->GetMenuBar()->IsChecked(kBase + offset);
  }
  std::vector<RGB8> Map(const std::vector<T>& values) const {
    Buffer2d<RGB8> out(static_cast<std::uint32_t>(values.size()), 1);
    module->Map(values.data(), out);
    return std::vector<RGB8>(out.data, out.data + values.size());
  }
  RGB8 Map(T value) const { return Map(std::vector<T>{value})[0]; }
  unsigned char Gray(T value) const { return Map(value).red; }

  orv_OrthoscopeFrame* frame;
  orv_MappingModule<T>* module;
  Recorder recorder;
};

std::vector<unsigned char> Bytes(int from, int to) {
  std::vector<unsigned char> v;
  for (int i = from; i <= to; ++i) v.push_back(static_cast<unsigned char>(i));
  return v;
}

std::vector<wxString> MenuLabels(wxMenu* menu) {
  std::vector<wxString> labels;
  for (const wxMenuItem* item : menu->GetMenuItems()) labels.push_back(item->IsSeparator() ? "-" : item->GetItemLabel());
  return labels;
}

// Answers the palette file selector with `path` (empty: cancel). GTK's
// chooser takes a path asynchronously, so wait until it reports it.
ExpectDialog<wxFileDialog> ChooseFile(const wxString& path) {
  return ExpectDialog<wxFileDialog>([path](wxFileDialog* d) {
    if (path.empty()) return int(wxID_CANCEL);
    d->SetPath(path);
    EXPECT_TRUE(orvtest::PumpUntil([&] { return d->GetPath() == path; }));
    return int(wxID_OK);
  });
}

template <class T>
class FactoryTest : public ::testing::Test {};
using VoxelTypes = ::testing::Types<unsigned char, unsigned short, int, float, RGB8, RGB16>;
TYPED_TEST_SUITE(FactoryTest, VoxelTypes);

}  // namespace

TYPED_TEST(FactoryTest, BuildsACompleteViewerWithItsMappingMenu) {
  using T = TypeParam;
  Viewer<T> v(RowImage<T>({Value<T>(3), Value<T>(9), Value<T>(200)}));
  ASSERT_NE(v.module, nullptr);
  EXPECT_FALSE(v.frame->IsShown()) << "the host shows the frame";
  wxMenuBar* bar = v.frame->GetMenuBar();
  ASSERT_EQ(bar->GetMenuCount(), 2u);
  EXPECT_EQ(bar->GetMenuLabel(0), "&View");
  EXPECT_EQ(bar->GetMenuLabel(1), "&Mapping");
  EXPECT_EQ(v.module->GetMenuId(0), kBase);

  constexpr bool rgb = std::is_same_v<T, RGB8> || std::is_same_v<T, RGB16>;
  constexpr bool bitdepth = rgb || std::is_same_v<T, unsigned char> || std::is_same_v<T, unsigned short>;
  std::vector<wxString> expected{"Set image &range..."};
  if (bitdepth) expected.push_back("Set bitdepth...");
  for (const char* label : {"-", "&No stretch\tAlt-1", "&Linear stretch\tAlt-2", "&Smart stretch\tAlt-3",
                            "&Percentil stretch\tAlt-4", "Levels\tAlt-5", "-", "Threshold\tAlt-6", "-"})
    expected.push_back(label);
  if (rgb) {
    for (const char* label : {"&Show RGB\tF5", "-", "&Red channel\tF6", "&Green channel\tF7", "&Blue channel\tF8"})
      expected.push_back(label);
  } else {
    for (const char* label : {"Gray", "Saturation", "Labels", "Periodic", "Palette..."}) expected.push_back(label);
  }
  wxMenu* menu = bar->GetMenu(1);
  EXPECT_EQ(MenuLabels(menu), expected);
  EXPECT_EQ(menu->FindItem(kBase)->GetHelp(), "Open dialog for setting the image ranges");
  EXPECT_EQ(menu->FindItem(kBase + 7)->GetHelp(), "Apply thresholding");
  EXPECT_TRUE(menu->FindItem(kBase + 6)->IsCheckable());
  EXPECT_EQ(menu->FindItem(kBase + 1) != nullptr, bitdepth);
  if (bitdepth) {
    EXPECT_EQ(menu->FindItem(kBase + 1)->GetHelp(), "Set \"real\" image bitdepth");
  }
  if (rgb) {
    EXPECT_FALSE(menu->FindItem(kBase + 13)->IsCheckable());
    EXPECT_EQ(menu->FindItem(kBase + 16)->GetHelp(), "Show/hide blue channel");
  } else {
    EXPECT_EQ(menu->FindItem(kBase + 8)->GetHelp(), "View the data as labels");
    EXPECT_EQ(menu->FindItem(kBase + 12)->GetHelp(), "Select custom palette");
  }

  // "No stretch" and (gray) "Gray" start checked; choosing the smart stretch
  // checks it even where it changes nothing.
  EXPECT_TRUE(v.Checked(2));
  if (!rgb) {
    EXPECT_TRUE(v.Checked(8));
  }
  v.Command(4);
  EXPECT_EQ(v.module->GetStretchMode(), 2);
  EXPECT_TRUE(v.Checked(4));
  EXPECT_FALSE(v.Checked(2));
  EXPECT_EQ(v.recorder.volumeFlags, std::vector<bool>{true});
}

TEST(Factory, OwnershipOfTheImage) {
  struct Tracked : bix::Image3d<unsigned char> {
    explicit Tracked(bool* deleted) : bix::Image3d<unsigned char>(bix::Vector3d<unsigned>(4, 4, 4)), m_deleted(deleted) {}
    ~Tracked() override { *m_deleted = true; }
    bool* m_deleted;
  };
  bool deleted = false;
  { Viewer<unsigned char> v(new Tracked(&deleted), true); }
  EXPECT_TRUE(deleted) << "an image handed over goes with the frame";
  deleted = false;
  auto kept = std::make_unique<Tracked>(&deleted);
  { Viewer<unsigned char> v(kept.get(), false); }
  EXPECT_FALSE(deleted) << "the host's image survives the frame";
  kept->GetVoxel(1, 1, 1) = 5;
}

TEST(GrayMapping, StretchesOnAHandMadeImage) {
  Viewer<unsigned char> v(RowImage(Bytes(10, 200)));
  EXPECT_EQ(v.Gray(10), 10) << "no stretch maps 0..255 onto itself";
  v.Command(3);
  EXPECT_EQ(v.Gray(10), 0);
  EXPECT_EQ(v.Gray(200), 255);
  EXPECT_EQ(v.Gray(105), 128);
  EXPECT_EQ(v.module->GetStretchMode(), 1);

  // The range narrowed to 50..100: the stretch uses the populated bins inside it.
  wxTEST_DIALOG(v.Command(0), ExpectDialog<SetLongRangeDlg>([](SetLongRangeDlg* d) {
                  d->InitDialog();
                  EXPECT_EQ(d->_min_value_ctrl->GetValue(), "0");
                  EXPECT_EQ(d->_max_value_ctrl->GetValue(), "255");
                  d->_min_value_ctrl->ChangeValue("50");
                  d->_max_value_ctrl->ChangeValue("100");
                  orvtest::ClickButton(d, wxID_OK);
                  return d->GetReturnCode();
                }));
  EXPECT_EQ(v.Gray(50), 0);
  EXPECT_EQ(v.Gray(100), 255);
  EXPECT_EQ(v.Gray(75), 128);
  EXPECT_EQ(v.module->GetStretchMode(), 1) << "setting the range re-applies the stretch";

  Viewer<unsigned char> single(RowImage(std::vector<unsigned char>(50, 77)));
  single.Command(3);
  EXPECT_EQ(single.Gray(77), 77) << "one value: the stretch falls back to the whole range";
}

TEST(GrayMapping, PercentilStretchSaturatesTheEnds) {
  std::vector<unsigned char> values;
  for (int i = 0; i < 9990; ++i) values.push_back(static_cast<unsigned char>(100 + i % 100));
  for (int i = 0; i < 5; ++i) values.insert(values.end(), {0, 255});
  Viewer<unsigned char> v(RowImage(values));
  v.Command(5);
  EXPECT_EQ(v.Gray(100), 0);
  EXPECT_EQ(v.Gray(199), 255);
  EXPECT_EQ(v.Gray(0), 0);
  EXPECT_EQ(v.Gray(255), 255);
  EXPECT_EQ(v.module->GetStretchMode(), 3);
}

TEST(GrayMapping, BitDepthTwelveOnSixteenBitData) {
  Viewer<unsigned short> v(RowImage<unsigned short>({0, 1000, 4095, 5000, 65535}));
  int offered = 0;
  wxTEST_DIALOG(v.Command(1), ExpectDialog<wxNumberEntryDialog>([&](wxNumberEntryDialog* d) {
                  EXPECT_EQ(d->GetTitle(), "Image Bit Depth");
                  wxSpinCtrl* spin = nullptr;
                  for (wxWindow* child : d->GetChildren())
                    if (auto* s = dynamic_cast<wxSpinCtrl*>(child)) spin = s;
                  EXPECT_NE(spin, nullptr);
                  if (!spin) return int(wxID_CANCEL);
                  offered = spin->GetValue();
                  EXPECT_EQ(spin->GetMax(), 16);
                  spin->SetValue(12);
                  orvtest::AssertCapture notModal;  // the dialog ends itself as if it were modal
                  orvtest::ClickButton(d, wxID_OK);
                  return int(wxID_OK);
                }));
  EXPECT_EQ(offered, 16);
  auto* gray = dynamic_cast<orv_GrayMappingModule<unsigned short>*>(v.module);
  EXPECT_EQ(gray->GetRangeHigh(), 4095);
  EXPECT_EQ(v.Gray(4095), 255);
  EXPECT_EQ(v.Gray(5000), 255) << "values above the bit depth saturate";
  EXPECT_EQ(v.Gray(2048), 128);
}

TEST(GrayMapping, BitDepthSetWithoutTheDialogTakesOnlyOfferedDepths) {
  Viewer<unsigned short> v(RowImage<unsigned short>({300, 1000, 4095}));
  auto* gray = dynamic_cast<orv_GrayMappingModule<unsigned short>*>(v.module);
  EXPECT_FALSE(gray->SetBitdepth(0));
  EXPECT_FALSE(gray->SetBitdepth(17)) << "more than the data type holds";
  EXPECT_EQ(gray->GetRangeHigh(), 65535);
  EXPECT_TRUE(gray->SetBitdepth(12));
  EXPECT_EQ(gray->GetRangeHigh(), 4095);
  EXPECT_EQ(v.Gray(4095), 255);
  EXPECT_EQ(v.Gray(2048), 128);
}

TEST(GrayMapping, CancelledLevelsKeepThePreviousMappingAndCheckMark) {
  Viewer<unsigned char> v(RowImage(Bytes(10, 200)));
  v.Command(3);
  const auto before = v.Map(Bytes(0, 255));
  v.recorder.volumeFlags.clear();
  wxTEST_DIALOG(v.Command(6), ExpectDialog<Levels8Dialog>([&](auto* d) {
                  orvtest::TypeAndEnter(d->GetInputControl()->GetLowerField(), "100");
                  EXPECT_EQ(v.Gray(100), 0) << "the preview reaches the mapping";
                  return int(wxID_CANCEL);
                }));
  EXPECT_EQ(v.module->GetStretchMode(), 1);
  EXPECT_TRUE(v.Checked(3));
  EXPECT_FALSE(v.Checked(6));
  EXPECT_EQ(v.Map(Bytes(0, 255)), before);
  ASSERT_GE(v.recorder.volumeFlags.size(), 3u);
  EXPECT_FALSE(v.recorder.volumeFlags[0]) << "previews redraw the cuts only";
  EXPECT_TRUE(v.recorder.volumeFlags.back()) << "the command itself reaches the volume";
}

TEST(GrayMapping, AcceptedLevelsAndThresholds) {
  Viewer<unsigned char> v(RowImage(Bytes(0, 255)));
  wxTEST_DIALOG(v.Command(6), ExpectDialog<Levels8Dialog>([](auto* d) {
                  EXPECT_EQ(d->GetTitle(), "Adjust Levels");
                  EXPECT_EQ(d->GetChannelChoice()->GetCount(), 1u);
                  d->GetInputControl()->GetLowerField()->ChangeValue("20");
                  d->GetInputControl()->GetUpperField()->ChangeValue("220");
                  d->GetOutputControl()->GetLowerField()->ChangeValue("255");
                  d->GetOutputControl()->GetUpperField()->ChangeValue("0");
                  orvtest::ClickButton(d, wxID_OK);
                  return d->GetReturnCode();
                }));
  EXPECT_EQ(v.module->GetStretchMode(), 4);
  EXPECT_EQ(v.Gray(20), 255) << "an inverted output range";
  EXPECT_EQ(v.Gray(220), 0);

  wxTEST_DIALOG(v.Command(7), ExpectDialog<ThresholdingDialog<unsigned char>>([](auto* d) {
                  EXPECT_EQ(d->GetTitle(), "Adjust Thresholds");
                  d->GetThresholdControl()->GetLowerField()->ChangeValue("50");
                  d->GetThresholdControl()->GetUpperField()->ChangeValue("100");
                  orvtest::ClickButton(d, wxID_OK);
                  return d->GetReturnCode();
                }));
  EXPECT_EQ(v.module->GetStretchMode(), 5);
  EXPECT_EQ(v.Gray(49), 0);
  EXPECT_EQ(v.Gray(50), 255);
  EXPECT_EQ(v.Gray(100), 255);
  EXPECT_EQ(v.Gray(101), 0);
  wxTEST_DIALOG(v.Command(7), ExpectDialog<ThresholdingDialog<unsigned char>>([](auto*) { return int(wxID_CANCEL); }));
  EXPECT_EQ(v.Gray(75), 255) << "a cancelled dialog leaves the thresholds as they were";
  EXPECT_TRUE(v.Checked(7));
}

TEST(GrayMapping, PalettesAndPaletteFiles) {
  Viewer<unsigned char> v(RowImage(Bytes(0, 255)));
  const auto labels = MakePalette(PALETTE_LABELS);
  v.Command(10);
  const auto mapped = v.Map(Bytes(0, 255));
  for (int i = 0; i < 256; ++i) ASSERT_EQ(mapped[i], labels[i % 13]) << i;
  EXPECT_TRUE(v.Checked(10));

  v.Command(9);
  EXPECT_EQ(v.Map(0), RGB8(0, 0, 255));
  EXPECT_EQ(v.Map(255), RGB8(255, 0, 0));
  EXPECT_EQ(v.Map(100), RGB8(100, 100, 100));
  v.Command(11);
  EXPECT_EQ(v.Map(0), RGB8(0, 0, 255));
  EXPECT_EQ(v.Map(42), RGB8(0, 255, 255));
  EXPECT_EQ(v.Map(255), RGB8(0, 0, 255));

  const wxString dir = wxFileName::CreateTempFileName("orv-pal");
  wxRemoveFile(dir);
  wxMkdir(dir);
  const wxString good = dir + "/three.pal", bad = dir + "/bad.pal";
  {
    wxFileOutputStream(good).Write("255 0 0\n0,255,0\n0:0:300\n", 24);
    wxFileOutputStream(bad).Write("1, 2, 3\n", 8);
  }
  wxTEST_DIALOG(v.Command(12), ChooseFile(good));
  EXPECT_EQ(v.Map(0), RGB8(255, 0, 0));
  EXPECT_EQ(v.Map(1), RGB8(0, 255, 0));
  EXPECT_EQ(v.Map(2), RGB8(0, 0, 44)) << "300 keeps its low 8 bits";
  EXPECT_EQ(v.Map(3), RGB8(255, 0, 0)) << "three lines repeat every three intensities";
  EXPECT_EQ(v.Map(254), RGB8(0, 0, 44));
  wxTEST_DIALOG(v.Command(12), ChooseFile(bad),
                orvtest::ExpectMessageBox("The palette file " + bad +
                                              ", line 1: expected red, green and blue as three whole numbers "
                                              "separated by single blanks, commas or colons (such as \"255 128 0\"), "
                                              "found \"1, 2, 3\".",
                                          "Error"));
  EXPECT_EQ(v.Map(4), RGB8(0, 255, 0)) << "a bad file keeps the previous palette";
  v.Command(8);
  EXPECT_EQ(v.Map(4), RGB8(4, 4, 4)) << "Gray ignores the loaded palette";
  wxTEST_DIALOG(v.Command(12), ChooseFile(""));
  EXPECT_TRUE(v.Checked(12)) << "cancelling the selector still switches to the palette";
  EXPECT_EQ(v.Map(4), RGB8(0, 255, 0));
  v.Command(10);
  EXPECT_EQ(v.Map(14), labels[1]) << "Labels restores the 13-colour cycle";
  wxRemoveFile(good);
  wxRemoveFile(bad);
  wxRmdir(dir);
}

TEST(GrayMapping, OneValueIntAndFloatImagesStillMap) {
  Viewer<int> i(RowImage<int>({7, 7, 7}));
  EXPECT_EQ(i.module->GetHistograms().Get().size(), 1u);
  for (int offset : {2, 3, 5}) {
    i.Command(offset);
    EXPECT_EQ(i.Gray(7), 255) << offset;
  }
  Viewer<float> f(RowImage<float>({-2.5f, -2.5f}));
  for (int offset : {2, 3, 5}) {
    f.Command(offset);
    EXPECT_EQ(f.Gray(-2.5f), 255) << offset;
  }
  Viewer<int> wide(RowImage<int>({-1000, 0, 3000}));
  EXPECT_EQ(wide.Gray(-1000), 0);
  EXPECT_EQ(wide.Gray(3000), 255);
  EXPECT_EQ(wide.Gray(1000), 128);
  Viewer<float> real(RowImage<float>({0.0f, 0.5f, 1.0f}));
  EXPECT_EQ(real.Gray(0.0f), 0);
  EXPECT_EQ(real.Gray(1.0f), 255);
}

// Data that changes to values wholly outside the old range is shown over
// its own range, in every stretch mode.
TEST(GrayMapping, NewDataOutsideTheOldRangeTakesItsOwnRange) {
  for (int offset : {2, 3, 5}) {
    Viewer<int> v(RowImage<int>({0, 50, 100}));
    v.Command(offset);
    std::unique_ptr<bix::Image3d<int>> moved(RowImage<int>({200, 250, 300}));
    v.module->OnHistogramChange(HistogramSet<int>(*moved));
    EXPECT_EQ(v.Gray(200), 0) << offset;
    EXPECT_EQ(v.Gray(300), 255) << offset;
  }
  Viewer<float> f(RowImage<float>({-1.f, 1.f}));
  std::unique_ptr<bix::Image3d<float>> moved(RowImage<float>({5.f, 6.f, 7.f}));
  f.module->OnHistogramChange(HistogramSet<float>(*moved));
  EXPECT_EQ(f.Gray(5.f), 0);
  EXPECT_EQ(f.Gray(7.f), 255);
}

TEST(GrayMapping, ConfigurationIsNotKeptAndSaysSo) {
  Viewer<unsigned short> v(RowImage<unsigned short>({1, 2}));
  std::vector<wxString> errors;
  struct Capture : wxLog {
    explicit Capture(std::vector<wxString>* out) : m_out(out) {}
    void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo&) override {
      if (level == wxLOG_Error) m_out->push_back(message);
    }
    std::vector<wxString>* m_out;
  };
  wxLog* previous = wxLog::SetActiveTarget(new Capture(&errors));
  wxFileConfig config("", "", "", "", 0);
  v.module->ReadFromConfig(config);
  v.module->WriteLevelsToConfig(config);
  delete wxLog::SetActiveTarget(previous);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], "orv::orv_GrayMappingModule<unsigned short>::ReadFromConfig: Not implemented");
  EXPECT_EQ(errors[1], "orv::orv_GrayMappingModule<unsigned short>::WriteLevelsToConfig: Not implemented");
}

TEST(MappingCommands, AHostReplaysACommandOnAnotherViewer) {
  Viewer<unsigned char> first(RowImage(Bytes(10, 200)));
  Viewer<unsigned char> second(RowImage(Bytes(10, 200)));
  first.Command(3);
  ASSERT_EQ(first.recorder.commands.size(), 1u);
  const orv_MappingCommandEvent& announced = *first.recorder.commands[0];
  EXPECT_EQ(announced.GetEventType(), orv_EVT_MAPPING_COMMAND);
  EXPECT_EQ(announced.GetId(), 0);
  EXPECT_EQ(announced.GetClientData(), static_cast<void*>(first.module));
  ASSERT_NE(announced.GetCommandEvent(), nullptr);
  EXPECT_EQ(announced.GetCommandEvent()->GetId(), kBase + 3);

  std::unique_ptr<wxEvent> replay(announced.GetCommandEvent()->Clone());
  replay->StopPropagation();
  second.frame->GetEventHandler()->ProcessEvent(*replay);
  EXPECT_EQ(second.module->GetStretchMode(), 1);
  EXPECT_EQ(second.Gray(200), 255);
  EXPECT_EQ(second.recorder.volumeFlags, std::vector<bool>{true});
  EXPECT_TRUE(second.recorder.commands.empty()) << "a replay is not announced again";
}

TEST(RGBMapping, HidingAndShowingChannels) {
  Viewer<RGB8> v(RowImage<RGB8>({RGB8(10, 20, 30), RGB8(200, 100, 50)}));
  EXPECT_TRUE(v.Checked(14));
  v.Command(14, false);
  EXPECT_EQ(v.Map(RGB8(10, 20, 30)), RGB8(0, 20, 30));
  EXPECT_FALSE(v.Checked(14));
  EXPECT_TRUE(v.Checked(15));
  v.Command(16, false);
  EXPECT_EQ(v.Map(RGB8(10, 20, 30)), RGB8(0, 20, 0));
  v.Command(13);
  EXPECT_EQ(v.Map(RGB8(10, 20, 30)), RGB8(10, 20, 30));
  EXPECT_TRUE(v.Checked(14));
  EXPECT_TRUE(v.Checked(16));
  EXPECT_EQ(v.recorder.commands.size(), 3u);
}

TEST(RGBMapping, SmartStretchIgnoresAFewIsolatedVoxels) {
  std::vector<RGB8> values;
  for (int i = 0; i < 10000; ++i) values.push_back(RGB8(static_cast<unsigned char>(20 + i % 161), 100, 100));
  for (int i = 0; i < 3; ++i) values.push_back(RGB8(250, 100, 100));
  Viewer<RGB8> v(RowImage(values));
  v.Command(4);
  EXPECT_EQ(v.Map(RGB8(20, 0, 0)).red, 0);
  EXPECT_EQ(v.Map(RGB8(180, 0, 0)).red, 255);
  EXPECT_EQ(v.Map(RGB8(250, 0, 0)).red, 255);
  v.Command(3);
  EXPECT_LT(v.Map(RGB8(180, 0, 0)).red, 255) << "the linear stretch reaches up to 250";
  EXPECT_EQ(v.Map(RGB8(250, 0, 0)).red, 255);
  // One populated value in green and blue: the linear stretch uses the whole range.
  EXPECT_EQ(v.Map(RGB8(0, 100, 100)).green, 100);
}

TEST(RGBMapping, PreviewsPerChannelAndForAll) {
  Viewer<RGB8> v(RowImage<RGB8>({RGB8(0, 0, 0), RGB8(255, 255, 255)}));
  auto* rgb = dynamic_cast<orv_RGBMappingModule<unsigned char>*>(v.module);
  orv_LevelsEvent all(TLevelsParams<float, float>(50, 100, 1.0, 0, 255), 3);
  rgb->OnPreviewLevels(all);
  EXPECT_EQ(v.Map(RGB8(50, 75, 100)), RGB8(0, 128, 255));
  orv_LevelsEvent green(TLevelsParams<float, float>(0, 255, 1.0, 0, 255), 1);
  rgb->OnPreviewLevels(green);
  EXPECT_EQ(v.Map(RGB8(50, 75, 100)), RGB8(0, 75, 255));
  EXPECT_EQ(v.recorder.volumeFlags, (std::vector<bool>{false, false}));

  // Thresholds spanning a channel's range leave it under its levels.
  orv_ThresholdingEvent thresholds(0, 255, 3);
  rgb->OnPreviewThresholding(thresholds);
  EXPECT_EQ(v.Map(RGB8(50, 75, 100)), RGB8(50, 75, 100));
  orv_ThresholdingEvent red(60, 70, 0);
  rgb->OnPreviewThresholding(red);
  EXPECT_EQ(v.Map(RGB8(65, 75, 100)), RGB8(255, 75, 100));
  EXPECT_EQ(v.Map(RGB8(71, 75, 100)), RGB8(0, 75, 100));
}

namespace {

// Changes every setting of an RGB module through its menu and dialogs,
// writes the configuration, and reads it into a fresh module.
template <class C>
void ConfigurationRoundTrip(C big) {
  using V = bix::RGB_generic<C>;
  using LevelsDialog = LevelsWidget<C, unsigned char>;
  Viewer<V> v(RowImage<V>({V(0, 0, 0), V(big, big, big)}));
  auto* rgb = dynamic_cast<orv_RGBMappingModule<C>*>(v.module);
  rgb->SetPercentilValue(0.25);
  rgb->SetSmartStretchThres(17);
  wxTEST_DIALOG(v.Command(0), ExpectDialog<SetRGBRangeDlg<C>>([&](SetRGBRangeDlg<C>* d) {
                  d->InitDialog();
                  d->_red_min_value_ctrl->ChangeValue("3");
                  d->_green_max_value_ctrl->ChangeValue(wxString::Format("%d", big - 7));
                  orvtest::ClickButton(d, wxID_OK);
                  return d->GetReturnCode();
                }));
  wxTEST_DIALOG(v.Command(7), ExpectDialog<ThresholdingDialog<C>>([&](ThresholdingDialog<C>* d) {
                  d->GetThresholdControl()->GetLowerField()->ChangeValue("5");
                  d->GetThresholdControl()->GetUpperField()->ChangeValue(wxString::Format("%d", big - 9));
                  orvtest::ClickButton(d, wxID_OK);
                  return d->GetReturnCode();
                }));
  wxTEST_DIALOG(v.Command(6), ExpectDialog<LevelsDialog>([&](LevelsDialog* d) {
                  d->GetInputControl()->GetLowerField()->ChangeValue("4");
                  d->GetInputControl()->GetGammaField()->ChangeValue("2.5");
                  d->GetOutputControl()->GetUpperField()->ChangeValue("200");
                  orvtest::ClickButton(d, wxID_OK);
                  return d->GetReturnCode();
                }));
  v.Command(15, false);
  ASSERT_EQ(rgb->GetStretchMode(), 4);

  wxFileConfig written("", "", "", "", 0);
  rgb->WriteToConfig(written);
  wxStringOutputStream text;
  written.Save(text);
  EXPECT_NE(text.GetString().Find("RGBMAP_THRES_GMAX="), wxNOT_FOUND);
  EXPECT_NE(text.GetString().Find("RGBMAP_LEVELS_IGAMMA_RED="), wxNOT_FOUND);

  wxStringInputStream input(text.GetString());
  wxFileConfig read(input);
  Viewer<V> other(RowImage<V>({V(0, 0, 0), V(big, big, big)}));
  auto* copy = dynamic_cast<orv_RGBMappingModule<C>*>(other.module);
  copy->ReadFromConfig(read);
  EXPECT_EQ(copy->GetStretchMode(), 4);
  EXPECT_DOUBLE_EQ(copy->GetPercentilValue(), 0.25);
  EXPECT_EQ(copy->GetSmartStretchThres(), 17u);
  EXPECT_EQ(copy->GetRangeLow(), rgb->GetRangeLow());
  EXPECT_EQ(copy->GetRangeHigh(), rgb->GetRangeHigh());
  EXPECT_EQ(copy->GetRangeLow().red, 3);
  EXPECT_EQ(copy->GetRangeHigh().green, big - 7);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(copy->IsChannelShown(c), c != 1) << c;
    EXPECT_EQ(copy->GetThresholds()[c], rgb->GetThresholds()[c]) << c;
    EXPECT_EQ(copy->GetLevels()[c], rgb->GetLevels()[c]) << c;
  }
  EXPECT_EQ(copy->GetThresholds()[0].upper, big - 9);
  EXPECT_DOUBLE_EQ(copy->GetLevels()[0].gamma, 2.5);
  EXPECT_TRUE(other.Checked(6)) << "the stored stretch is checked in the menu";
  EXPECT_FALSE(other.Checked(15));
}

}  // namespace

TEST(RGBMapping, ConfigurationRoundTrip8And16Bit) {
  ConfigurationRoundTrip<unsigned char>(250);
  ConfigurationRoundTrip<unsigned short>(60000);
}

TEST(Mapping, RowsOfAnyLengthMapPixelByPixel) {
  // Pixels are written eight at a time: rows of other lengths end pixel by pixel.
  Viewer<unsigned short> gray(RowImage<unsigned short>({0, 100, 4000}));
  Viewer<RGB8> rgb(RowImage<RGB8>({RGB8(0, 0, 0), RGB8(250, 200, 100)}));
  gray.Command(3);
  rgb.Command(3);
  for (unsigned n : {1u, 7u, 8u, 9u, 17u, 23u}) {
    std::vector<unsigned short> values;
    std::vector<RGB8> colours;
    for (unsigned i = 0; i < n; ++i) {
      values.push_back(static_cast<unsigned short>(i * 211));
      colours.push_back(RGB8(static_cast<unsigned char>(i * 13), static_cast<unsigned char>(i * 7), 99));
    }
    const auto mapped = gray.Map(values);
    const auto mappedRGB = rgb.Map(colours);
    for (unsigned i = 0; i < n; ++i) {
      EXPECT_EQ(mapped[i], gray.Map(values[i])) << n << " " << i;
      EXPECT_EQ(mappedRGB[i], rgb.Map(colours[i])) << n << " " << i;
    }
  }
}

// Slices of a window's size are mapped on every core in runs: the runs meet
// and end exactly, the same pixels as mapping the slice in short pieces.
TEST(Mapping, LargeSlicesMapAsTheirPiecesDo) {
  Viewer<unsigned short> gray(RowImage<unsigned short>({0, 100, 4000}));
  Viewer<float> floats(RowImage<float>({-1.f, 0.5f, 7.f}));
  Viewer<RGB8> rgb(RowImage<RGB8>({RGB8(0, 0, 0), RGB8(250, 200, 100)}));
  gray.Command(3);
  floats.Command(3);
  rgb.Command(3);
  for (unsigned n : {262151u, 1048576u}) {
    std::vector<unsigned short> values(n);
    std::vector<float> reals(n);
    std::vector<RGB8> colours(n);
    std::uint32_t r = n;
    for (unsigned i = 0; i < n; ++i) {
      r = r * 1664525u + 1013904223u;
      values[i] = static_cast<unsigned short>(r >> 20);
      reals[i] = static_cast<float>(r >> 8) * 6e-7f - 1.f;
      colours[i] = RGB8(static_cast<unsigned char>(r >> 24), static_cast<unsigned char>(r >> 16), 99);
    }
    const auto mapped = gray.Map(values);
    const auto mappedReals = floats.Map(reals);
    const auto mappedRGB = rgb.Map(colours);
    constexpr unsigned kPiece = 4093;
    for (unsigned start = 0; start < n; start += kPiece) {
      const unsigned end = std::min(n, start + kPiece);
      const auto piece = gray.Map(std::vector<unsigned short>(values.begin() + start, values.begin() + end));
      const auto pieceReals = floats.Map(std::vector<float>(reals.begin() + start, reals.begin() + end));
      const auto pieceRGB = rgb.Map(std::vector<RGB8>(colours.begin() + start, colours.begin() + end));
      ASSERT_TRUE(std::equal(piece.begin(), piece.end(), mapped.begin() + start)) << n << " " << start;
      ASSERT_TRUE(std::equal(pieceReals.begin(), pieceReals.end(), mappedReals.begin() + start)) << n << " " << start;
      ASSERT_TRUE(std::equal(pieceRGB.begin(), pieceRGB.end(), mappedRGB.begin() + start)) << n << " " << start;
    }
  }
}

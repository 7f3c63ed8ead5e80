// The levels and thresholding dialogs as a mapping module uses them: the
// channel list with its "All" entry, previews reaching the parent, Reset, OK
// refusing invalid fields, and the records handed back.

#include "gui_test.h"

#include <orv/levels_dialog.h>
#include <orv/thresholding_dialog.h>

#include <memory>

using orvtest::ExpectMessageBox;
using orvtest::TypeAndEnter;

namespace {

using Levels8 = orv::TLevelsParams<unsigned char, unsigned char>;
using Thres8 = orv::ThresParams<unsigned char>;

// The frame a mapping module would be: it records every preview it receives.
struct PreviewParent {
  PreviewParent() {
    frame = new wxFrame(nullptr, wxID_ANY, "viewer");
    frame->Bind(orv::orv_EVT_LEVELS_PREVIEW, [this](orv::orv_LevelsEvent& e) {
      levels.push_back(e.GetParams());
      channels.push_back(e.GetChannel());
    });
    frame->Bind(orv::orv_EVT_THRESHOLDING_PREVIEW, [this](orv::orv_ThresholdingEvent& e) {
      thresholds.emplace_back(e.GetLower(), e.GetUpper());
      channels.push_back(e.GetChannel());
    });
  }
  ~PreviewParent() {
    frame->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
  }
  void Clear() {
    levels.clear();
    thresholds.clear();
    channels.clear();
  }
  wxFrame* frame;
  std::vector<orv::TLevelsParams<float, float>> levels;
  std::vector<std::pair<float, float>> thresholds;
  std::vector<int> channels;
};

// 8-bit histograms with one bin per value and a few counts.
std::vector<std::unique_ptr<orv::Histogram<unsigned char>>> MakeHistograms(int count, unsigned char hi = 255) {
  std::vector<std::unique_ptr<orv::Histogram<unsigned char>>> histograms;
  for (int c = 0; c < count; ++c) {
    auto h = std::make_unique<orv::Histogram<unsigned char>>();
    h->Init(0, hi, hi + 1u);
    (*h)[10 + c] = 100;
    (*h)[100] = 7;
    histograms.push_back(std::move(h));
  }
  return histograms;
}

std::vector<orv::Histogram<unsigned char>*> Pointers(const std::vector<std::unique_ptr<orv::Histogram<unsigned char>>>& v) {
  std::vector<orv::Histogram<unsigned char>*> pointers;
  for (const auto& h : v) pointers.push_back(h.get());
  return pointers;
}

wxArrayString Names(std::initializer_list<const char*> names) {
  wxArrayString array;
  for (const char* n : names) array.Add(n);
  return array;
}

wxArrayString Strings(const wxChoice* choice) { return choice->GetStrings(); }

void Choose(wxChoice* choice, int index) {
  choice->SetSelection(index);
  wxCommandEvent e(wxEVT_CHOICE, choice->GetId());
  e.SetEventObject(choice);
  e.SetInt(index);
  choice->GetEventHandler()->ProcessEvent(e);
}

void Check(wxCheckBox* box, bool on) {
  box->SetValue(on);
  wxCommandEvent e(wxEVT_CHECKBOX, box->GetId());
  e.SetEventObject(box);
  e.SetInt(on);
  box->GetEventHandler()->ProcessEvent(e);
}

orv::TLevelsParams<float, float> AsFloat(const Levels8& p) {
  return {float(p.in_min), float(p.in_max), p.gamma, float(p.out_min), float(p.out_max)};
}

}  // namespace

TEST(LevelsRecords, APreviewRecordConvertsByTruncation) {
  const orv::TLevelsParams<float, float> preview(-5.7f, 300.9f, 2.5, 12.9f, 255.5f);
  const orv::TLevelsParams<int, unsigned char> asInt(preview);
  EXPECT_EQ(asInt.in_min, -5);
  EXPECT_EQ(asInt.in_max, 300);
  EXPECT_EQ(asInt.gamma, 2.5);
  EXPECT_EQ(asInt.out_min, 12);
  EXPECT_EQ(asInt.out_max, 255);
  // Values outside the type are held at its ends, never wrapped.
  const Levels8 asByte(preview);
  EXPECT_EQ(asByte.in_min, 0);
  EXPECT_EQ(asByte.in_max, 255);
  const orv::TLevelsParams<float, unsigned char> asFloat(preview);
  EXPECT_FLOAT_EQ(asFloat.in_min, -5.7f);

  orv::orv_LevelsEvent event(preview, 3);
  std::unique_ptr<wxEvent> clone(event.Clone());
  auto* copy = dynamic_cast<orv::orv_LevelsEvent*>(clone.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetParams(), preview);
  EXPECT_EQ(copy->GetChannel(), 3);
  EXPECT_EQ(copy->GetEventType(), orv::orv_EVT_LEVELS_PREVIEW);
  orv::orv_ThresholdingEvent thresholds(1.5f, 9.5f, 2);
  std::unique_ptr<wxEvent> thresholdsClone(thresholds.Clone());
  auto* t = dynamic_cast<orv::orv_ThresholdingEvent*>(thresholdsClone.get());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->GetLower(), 1.5f);
  EXPECT_EQ(t->GetUpper(), 9.5f);
  EXPECT_EQ(t->GetChannel(), 2);
}

TEST(LevelsWidget, AGrayDialogHasOneChannelAndPreviewsIt) {
  PreviewParent parent;
  auto histograms = MakeHistograms(1);
  auto pointers = Pointers(histograms);
  const std::vector<Levels8> records{{20, 200, 1.0, 0, 255}};
  auto* dialog = new orv::LevelsWidget<unsigned char, unsigned char>(parent.frame, wxID_ANY, pointers, records,
                                                                     Names({"Gray"}), "Adjust Levels");
  EXPECT_EQ(dialog->GetTitle(), "Adjust Levels");
  EXPECT_EQ(Strings(dialog->GetChannelChoice()), Names({"Gray"}));
  EXPECT_EQ(dialog->GetAllParams(), nullptr);
  EXPECT_EQ(Strings(dialog->GetTypeChoice()), Names({"Logarithmic", "Linear"}));
  EXPECT_EQ(dialog->GetTypeChoice()->GetSelection(), 0);
  EXPECT_EQ(dialog->GetTypeChoice()->GetToolTipText(), "Choose the type of histogram.");
  EXPECT_TRUE(dialog->GetPreviewBox()->GetValue());
  EXPECT_EQ(dialog->GetPreviewBox()->GetLabel(), "Preview");
  for (int id : {10001, 10002, 10003, 10004, 10005, 10006, 10007, int(wxID_OK), int(wxID_CANCEL)})
    EXPECT_NE(dialog->FindWindow(id), nullptr) << id;
  EXPECT_EQ(dialog->FindWindow(10007)->GetLabel(), "Reset");

  // The first preview goes out as the dialog opens.
  ASSERT_EQ(parent.levels.size(), 1u);
  EXPECT_EQ(parent.levels[0], AsFloat(records[0]));
  EXPECT_EQ(parent.channels[0], 0);

  // The input control spans the histogram's range; the output one 0..255.
  auto* input = dialog->GetInputControl();
  EXPECT_EQ(input->GetLowerField()->GetValue(), "20");
  EXPECT_EQ(input->GetUpperField()->GetHighest(), 255);
  EXPECT_EQ(input->GetMarkers()->GetLower(), 20);
  EXPECT_EQ(dialog->GetOutputControl()->GetUpperField()->GetValue(), "255");

  parent.Clear();
  TypeAndEnter(input->GetLowerField(), "40");
  ASSERT_EQ(parent.levels.size(), 1u);
  EXPECT_EQ(parent.levels[0].in_min, 40.0f);
  EXPECT_EQ(parent.channels[0], 0);
  TypeAndEnter(dialog->GetOutputControl()->GetUpperField(), "128");
  EXPECT_EQ(parent.levels.back().out_max, 128.0f);

  std::vector<Levels8> result;
  dialog->GetParams(result);
  ASSERT_EQ(result.size(), 3u) << "one gray record serves three channels";
  for (const Levels8& r : result) EXPECT_EQ(r, Levels8(40, 200, 1.0, 0, 128));
  dialog->Destroy();
}

TEST(LevelsWidget, AllEditsEveryChannelOfEqualLayouts) {
  PreviewParent parent;
  auto histograms = MakeHistograms(3);
  auto pointers = Pointers(histograms);
  const std::vector<Levels8> records{{20, 200, 2.0, 0, 255}, {5, 150, 1.0, 10, 250}, {30, 240, 0.5, 0, 255}};
  auto* dialog = new orv::LevelsWidget<unsigned char, unsigned char>(
      parent.frame, wxID_ANY, pointers, records, Names({"Red", "Green", "Blue"}), "Adjust Levels");
  EXPECT_EQ(Strings(dialog->GetChannelChoice()), Names({"Red", "Green", "Blue", "All"}));
  ASSERT_NE(dialog->GetAllParams(), nullptr);
  EXPECT_EQ(*dialog->GetAllParams(), Levels8(5, 240, 1.0, 0, 255));
  // "All" draws the sum of the channels.
  EXPECT_EQ((*dialog->GetAllHistogram())[10], 100u);
  EXPECT_EQ((*dialog->GetAllHistogram())[100], 21u);
  ASSERT_EQ(parent.channels, (std::vector<int>{0, 1, 2})) << "opening previews every channel";
  EXPECT_EQ(parent.levels[1], AsFloat(records[1]));

  parent.Clear();
  Choose(dialog->GetChannelChoice(), 3);
  ASSERT_EQ(parent.channels, std::vector<int>{3});
  EXPECT_EQ(parent.levels[0], AsFloat(Levels8(5, 240, 1.0, 0, 255)));
  EXPECT_EQ(dialog->GetGraph()->GetType(), 0);

  parent.Clear();
  TypeAndEnter(dialog->GetInputControl()->GetLowerField(), "50");
  ASSERT_EQ(parent.channels, std::vector<int>{3});
  EXPECT_EQ(parent.levels[0].in_min, 50.0f);
  for (const Levels8& r : dialog->GetRecords()) EXPECT_EQ(r, Levels8(50, 240, 1.0, 0, 255));

  // Back to one channel: one preview per channel, in order.
  parent.Clear();
  Choose(dialog->GetChannelChoice(), 1);
  EXPECT_EQ(parent.channels, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(dialog->GetInputControl()->GetLowerField()->GetValue(), "50");
  parent.Clear();
  TypeAndEnter(dialog->GetInputControl()->GetUpperField(), "99");
  EXPECT_EQ(parent.channels, std::vector<int>{1});
  EXPECT_EQ(dialog->GetRecords()[1].in_max, 99);
  EXPECT_EQ(dialog->GetRecords()[0].in_max, 240);
  std::vector<Levels8> result;
  dialog->GetParams(result);
  EXPECT_EQ(result, dialog->GetRecords());
  dialog->Destroy();
}

// "All" chosen only to look at the summed histogram: OK keeps each
// channel's own record.
TEST(LevelsWidget, AllLookedAtLeavesEachChannelItsRecord) {
  PreviewParent parent;
  auto histograms = MakeHistograms(3);
  auto pointers = Pointers(histograms);
  const std::vector<Levels8> records{{20, 200, 2.0, 10, 250}, {5, 150, 1.0, 10, 250}, {30, 240, 0.5, 0, 255}};
  auto* dialog = new orv::LevelsWidget<unsigned char, unsigned char>(
      parent.frame, wxID_ANY, pointers, records, Names({"Red", "Green", "Blue"}), "Adjust Levels");
  orvtest::ShowAndActivate(dialog);
  Choose(dialog->GetChannelChoice(), 3);
  orvtest::ClickButton(dialog, wxID_OK);
  EXPECT_EQ(dialog->GetReturnCode(), wxID_OK);
  EXPECT_EQ(dialog->GetRecords(), records);
  dialog->Destroy();
}

TEST(LevelsWidget, UnequalLayoutsGetNoAll) {
  PreviewParent parent;
  auto histograms = MakeHistograms(2);
  histograms[1]->Init(0, 200, 201);
  auto pointers = Pointers(histograms);
  const std::vector<Levels8> records{{0, 255, 1.0, 0, 255}, {0, 200, 1.0, 0, 255}};
  auto* dialog = new orv::LevelsWidget<unsigned char, unsigned char>(parent.frame, wxID_ANY, pointers, records,
                                                                     Names({"Red", "Green"}), "Adjust Levels");
  EXPECT_EQ(Strings(dialog->GetChannelChoice()), Names({"Red", "Green"}));
  EXPECT_EQ(dialog->GetAllParams(), nullptr);
  dialog->Destroy();
}

TEST(LevelsWidget, ResetRestoresLimitsGammaAndLogarithmic) {
  PreviewParent parent;
  auto histograms = MakeHistograms(1);
  auto pointers = Pointers(histograms);
  auto* dialog = new orv::LevelsWidget<unsigned char, unsigned char>(
      parent.frame, wxID_ANY, pointers, std::vector<Levels8>{{20, 200, 3.0, 10, 100}}, Names({"Gray"}), "Levels");
  Choose(dialog->GetTypeChoice(), 1);
  EXPECT_EQ(dialog->GetGraph()->GetType(), 1);
  parent.Clear();
  orvtest::ClickButton(dialog, 10007);
  EXPECT_EQ(dialog->GetRecords()[0], Levels8(0, 255, 1.0, 0, 255));
  EXPECT_EQ(dialog->GetGraph()->GetType(), 0);
  EXPECT_EQ(dialog->GetTypeChoice()->GetStringSelection(), "Logarithmic");
  EXPECT_EQ(dialog->GetInputControl()->GetGammaField()->GetValue(), "1.00");
  ASSERT_EQ(parent.levels.size(), 1u);
  EXPECT_EQ(parent.levels[0], AsFloat(Levels8(0, 255, 1.0, 0, 255)));
  dialog->Destroy();
}

TEST(LevelsWidget, UncheckedPreviewSendsNothing) {
  PreviewParent parent;
  auto histograms = MakeHistograms(3);
  auto pointers = Pointers(histograms);
  const std::vector<Levels8> records(3, Levels8(0, 255, 1.0, 0, 255));
  auto* dialog = new orv::LevelsWidget<unsigned char, unsigned char>(
      parent.frame, wxID_ANY, pointers, records, Names({"Red", "Green", "Blue"}), "Levels");
  parent.Clear();
  Check(dialog->GetPreviewBox(), false);
  TypeAndEnter(dialog->GetInputControl()->GetLowerField(), "50");
  Choose(dialog->GetChannelChoice(), 2);
  orvtest::ClickButton(dialog, 10007);
  EXPECT_TRUE(parent.levels.empty());
  EXPECT_EQ(dialog->GetRecords()[0].in_min, 50) << "the edit is kept all the same";

  Check(dialog->GetPreviewBox(), true);  // checking again previews every channel
  EXPECT_EQ(parent.channels, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(parent.levels[0].in_min, 50.0f);
  parent.Clear();
  Choose(dialog->GetChannelChoice(), 3);
  Check(dialog->GetPreviewBox(), false);
  Check(dialog->GetPreviewBox(), true);  // with "All" shown: one preview of "All"
  EXPECT_EQ(parent.channels, (std::vector<int>{3, 3}));
  dialog->Destroy();
}

TEST(LevelsWidget, OKStaysOpenWhileAFieldIsInvalid) {
  PreviewParent parent;
  auto histograms = MakeHistograms(1);
  auto pointers = Pointers(histograms);
  auto* dialog = new orv::LevelsWidget<unsigned char, unsigned char>(
      parent.frame, wxID_ANY, pointers, std::vector<Levels8>{{20, 200, 1.0, 0, 255}}, Names({"Gray"}), "Levels");
  orvtest::ShowAndActivate(dialog);
  dialog->SetReturnCode(0);
  dialog->GetInputControl()->GetLowerField()->ChangeValue("300");  // typed, not yet entered
  wxTEST_DIALOG(orvtest::ClickButton(dialog, wxID_OK),
                ExpectMessageBox("The value 300 is out of range [0,255]", "Validation conflict"));
  EXPECT_TRUE(dialog->IsShown());
  EXPECT_NE(dialog->GetReturnCode(), wxID_OK);
  dialog->GetInputControl()->GetGammaField()->ChangeValue("20");
  dialog->GetInputControl()->GetLowerField()->ChangeValue("30");
  wxTEST_DIALOG(orvtest::ClickButton(dialog, wxID_OK),
                ExpectMessageBox("The value 20 is out of range [0.1,10]", "Validation conflict"));
  EXPECT_TRUE(dialog->IsShown());
  dialog->GetInputControl()->GetGammaField()->ChangeValue("2.5");
  orvtest::ClickButton(dialog, wxID_OK);
  EXPECT_FALSE(dialog->IsShown());
  EXPECT_EQ(dialog->GetReturnCode(), wxID_OK);
  EXPECT_EQ(dialog->GetRecords()[0], Levels8(30, 200, 2.5, 0, 255));
  dialog->Destroy();
}

TEST(LevelsWidget, WorksForEveryDataType) {
  PreviewParent parent;
  orv::Histogram<float> h;
  h.Init(-1.0f, 3.0f, 256);
  std::vector<orv::Histogram<float>*> pointers{&h};
  auto* dialog = new orv::LevelsWidget<float, unsigned char>(
      parent.frame, wxID_ANY, pointers, std::vector<orv::TLevelsParams<float, unsigned char>>{{-1.0f, 3.0f, 1.0, 0, 255}},
      Names({"Gray"}), "Levels");
  TypeAndEnter(dialog->GetInputControl()->GetLowerField(), "0.25");
  EXPECT_FLOAT_EQ(dialog->GetRecords()[0].in_min, 0.25f);
  EXPECT_FLOAT_EQ(parent.levels.back().in_min, 0.25f);
  dialog->Destroy();

  orv::Histogram<int> hi;
  hi.Init(-500, 70000, 70501);
  std::vector<orv::Histogram<int>*> intPointers{&hi};
  auto* intDialog = new orv::LevelsWidget<int, unsigned char>(
      parent.frame, wxID_ANY, intPointers, std::vector<orv::TLevelsParams<int, unsigned char>>{{-500, 70000, 1.0, 0, 255}},
      Names({"Gray"}), "Levels");
  TypeAndEnter(intDialog->GetInputControl()->GetLowerField(), "-250");
  EXPECT_EQ(intDialog->GetRecords()[0].in_min, -250);
  EXPECT_EQ(intDialog->GetRecords()[0].in_max, 70000);
  intDialog->Destroy();
}

// Float data whose extremes have no six-digit text: the dialog shows them
// rounded, and OK takes them as they are, untouched.
TEST(LevelsWidget, FloatLimitsShownRoundedAreTakenExactly) {
  PreviewParent parent;
  const float lo = 0.1234564f, hi = 1234.5678f;
  orv::Histogram<float> h;
  h.Init(lo, hi, 256);
  std::vector<orv::Histogram<float>*> pointers{&h};
  auto* dialog = new orv::LevelsWidget<float, unsigned char>(
      parent.frame, wxID_ANY, pointers, std::vector<orv::TLevelsParams<float, unsigned char>>{{lo, hi, 1.0, 0, 255}},
      Names({"Gray"}), "Levels");
  orvtest::ShowAndActivate(dialog);
  EXPECT_EQ(dialog->GetInputControl()->GetUpperField()->GetValue(), "1234.57");
  orvtest::ClickButton(dialog, wxID_OK);
  EXPECT_EQ(dialog->GetReturnCode(), wxID_OK);
  EXPECT_EQ(dialog->GetRecords()[0].in_min, lo);
  EXPECT_EQ(dialog->GetRecords()[0].in_max, hi);
  dialog->Destroy();
}

TEST(LevelsWidget, BrokenArgumentsAreReportedAndStillGiveADialog) {
  PreviewParent parent;
  auto histograms = MakeHistograms(2);
  auto pointers = Pointers(histograms);
  orv::LevelsWidget<unsigned char, unsigned char>* dialog = nullptr;
  {
    orvtest::AssertCapture asserts;
    dialog = new orv::LevelsWidget<unsigned char, unsigned char>(
        parent.frame, wxID_ANY, pointers, std::vector<Levels8>{{0, 255, 1.0, 0, 255}}, Names({"Gray"}), "Levels");
    ASSERT_EQ(asserts.Messages().size(), 2u);
    EXPECT_NE(asserts.Messages()[0].find("_HistData_vector.size() == params_vector.size()"), std::string::npos);
  }
  TypeAndEnter(dialog->GetInputControl()->GetLowerField(), "9");
  EXPECT_EQ(dialog->GetRecords()[0].in_min, 9);
  dialog->Destroy();
}

TEST(ThresholdingDialog, AGrayDialogPreviewsItsThresholds) {
  PreviewParent parent;
  auto histograms = MakeHistograms(1);
  auto pointers = Pointers(histograms);
  auto* dialog = new orv::ThresholdingDialog<unsigned char>(parent.frame, wxID_ANY, pointers,
                                                            std::vector<Thres8>{{50, 150}}, Names({"Gray"}),
                                                            "Adjust Thresholds");
  EXPECT_EQ(Strings(dialog->GetChannelChoice()), Names({"Gray"}));
  EXPECT_EQ(dialog->FindWindow(10006)->GetLabel(), "Reset");
  EXPECT_EQ(dialog->FindWindow(10007), nullptr) << "no output box";
  ASSERT_EQ(parent.thresholds.size(), 1u);
  EXPECT_EQ(parent.thresholds[0], std::make_pair(50.0f, 150.0f));
  EXPECT_EQ(parent.channels[0], 0);

  auto* control = dialog->GetThresholdControl();
  EXPECT_EQ(control->GetGammaField(), nullptr);
  parent.Clear();
  TypeAndEnter(control->GetUpperField(), "120");
  ASSERT_EQ(parent.thresholds.size(), 1u);
  EXPECT_EQ(parent.thresholds[0], std::make_pair(50.0f, 120.0f));

  // The stripe shows black outside the thresholds and white between them.
  orvtest::ShowAndActivate(dialog);

  {
    orv::GradStripe* stripe = control->GetMappingStripe();
    orvtest::PaintNow(stripe);
    const wxImage shot = orvtest::GrabClientArea(stripe);
    const int w = shot.GetWidth();
    EXPECT_EQ(orvtest::PixelAt(shot, 50 * w / 256 - 3, 3), *wxBLACK);
    EXPECT_EQ(orvtest::PixelAt(shot, 85 * w / 256, 3), *wxWHITE);
    EXPECT_EQ(orvtest::PixelAt(shot, 121 * w / 256 + 3, 3), *wxBLACK);
  }

  orvtest::ClickButton(dialog, 10006);
  EXPECT_EQ(dialog->GetRecords()[0], (Thres8{0, 255}));
  EXPECT_EQ(parent.thresholds.back(), std::make_pair(0.0f, 255.0f));
  std::vector<Thres8> result;
  orvtest::ClickButton(dialog, wxID_OK);
  EXPECT_EQ(dialog->GetReturnCode(), wxID_OK);
  dialog->GetParams(result);
  EXPECT_EQ(result, std::vector<Thres8>(3, Thres8{0, 255}));
  dialog->Destroy();
}

TEST(ThresholdingDialog, AllStartsFromEqualThresholdsOrTheWholeRange) {
  PreviewParent parent;
  auto histograms = MakeHistograms(3);
  auto pointers = Pointers(histograms);
  {
    auto* dialog = new orv::ThresholdingDialog<unsigned char>(
        parent.frame, wxID_ANY, pointers, std::vector<Thres8>(3, Thres8{40, 90}), Names({"Red", "Green", "Blue"}),
        "Adjust Thresholds");
    EXPECT_EQ(Strings(dialog->GetChannelChoice()), Names({"Red", "Green", "Blue", "All"}));
    EXPECT_EQ(*dialog->GetAllParams(), (Thres8{40, 90}));
    dialog->Destroy();
  }
  parent.Clear();
  auto* dialog = new orv::ThresholdingDialog<unsigned char>(
      parent.frame, wxID_ANY, pointers, std::vector<Thres8>{{40, 90}, {10, 20}, {0, 255}},
      Names({"Red", "Green", "Blue"}), "Adjust Thresholds");
  EXPECT_EQ(parent.channels, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(*dialog->GetAllParams(), (Thres8{0, 255}));
  parent.Clear();
  Choose(dialog->GetChannelChoice(), 3);
  EXPECT_EQ(dialog->GetThresholdControl()->GetLowerField()->GetValue(), "0");
  EXPECT_EQ(dialog->GetThresholdControl()->GetUpperField()->GetValue(), "255");
  TypeAndEnter(dialog->GetThresholdControl()->GetLowerField(), "7");
  EXPECT_EQ(dialog->GetRecords(), std::vector<Thres8>(3, Thres8{7, 255}));
  EXPECT_EQ(parent.channels.back(), 3);
  EXPECT_EQ(parent.thresholds.back(), std::make_pair(7.0f, 255.0f));

  // A field changed with "All" shown and taken only by OK still reaches every channel.
  dialog->GetThresholdControl()->GetUpperField()->ChangeValue("200");
  orvtest::ClickButton(dialog, wxID_OK);
  std::vector<Thres8> result;
  dialog->GetParams(result);
  EXPECT_EQ(result, std::vector<Thres8>(3, Thres8{7, 200}));
  dialog->Destroy();
}

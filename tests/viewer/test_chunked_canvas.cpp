// A canvas over a chunked image never waits for a chunk: its first paint
// shows the held coarse level while the chunks are held back, and once they
// arrive the picture equals the in-memory viewer's, pixel for pixel (the
// requests' own test shows what is moved away from is never fetched). A
// failing source is reported and asked again, the info window names the
// full-resolution voxel once it is there, and projections come from the
// work level. Labels from their own chunks follow the same rules.

#include "gated_chunks.h"
#include "gui_test.h"
#include "test_mappers.h"

#include <orv/basic_overlaying.h>
#include <orv/orv_chunkedcanvas.h>
#include <orv/orv_labeledcanvas.h>

#include <wx/statusbr.h>

#include <functional>

using bix::Vector3d;
using orv::PROJ_XY;
using orv::PROJ_XZ;
using orv::PROJ_YZ;
using Chunks = orvtest::GatedChunks<unsigned char>;
using LabelChunks = orvtest::GatedChunks<unsigned short>;
using LabelModule = orv::orv_BasicOverlayingModule<unsigned short, bool>;
using LabeledCanvas = orv::orv_LabeledImageOrthoscopeCanvas<unsigned char, unsigned short, bool>;

namespace {

class OpenedChunkedCanvas : public orv::orv_ChunkedImageCanvas<unsigned char> {
public:
  using orv_ChunkedImageCanvas::orv_ChunkedImageCanvas;
  using orv_ChunkedImageCanvas::PointerValue;
  orv::orv_ChunkedView& Loading() { return *GetChunkedView(); }
};

constexpr orv::orv_ProjectionType kWindows[] = {PROJ_XY, PROJ_XZ, PROJ_YZ};

class ChunkedCanvasTest : public ::testing::Test {
protected:
  void SetUp() override {
    bix::Image3d<unsigned char> image(Vector3d<unsigned>(150, 110, 70));
    for (unsigned z = 0; z < 70; ++z)
      for (unsigned y = 0; y < 110; ++y)
        for (unsigned x = 0; x < 150; ++x)
          image.GetVoxel(x, y, z) = static_cast<unsigned char>(1 + (x * 3 + y * 5 + z * 7) % 250);
    image.SetOffset(Vector3d<float>(-10, 4, 2));
    source = Chunks::Make(image, 3, 16, 2);
  }
  void TearDown() override {
    source->Open();
    for (wxFrame* frame : frames) frame->Destroy();
    orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
    bix::SharedChunkCache().Forget(source->Id());
  }
  template <class Canvas, class... Args>
  Canvas* Show(Args&&... args) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "chunked");
    frame->CreateStatusBar(1);
    frame->SetClientSize(wxSize(380, 300));
    auto* canvas = new Canvas(frame, mapper, std::forward<Args>(args)...);
    canvas->SetSize(frame->GetClientSize());
    orv::orv_CutPointerStyle none;
    none.style = orv::POINTER_NONE;
    canvas->SetPointerStyle(none);
    frames.push_back(frame);
    EXPECT_TRUE(orvtest::ShowAndActivate(frame));
    EXPECT_TRUE(orvtest::PumpUntil([&] { return canvas->GetDrWin(PROJ_XY)->IsShownOnScreen(); }));
    return canvas;
  }
  OpenedChunkedCanvas* ShowChunked() {
    return Show<OpenedChunkedCanvas>(source, 0u, 0u, std::make_unique<bix::Image3d<unsigned char>>(source->LevelImage(2)),
                                     2u);
  }
  // An in-memory viewer of `image` laid out as the chunked one.
  orv::orv_ImageOrthoscopeCanvas<unsigned char>* ShowInMemory(const bix::Image3d<unsigned char>& image) {
    return Show<orv::orv_ImageOrthoscopeCanvas<unsigned char>>(new bix::Image3d<unsigned char>(image), true);
  }
  // Level 2 blown up to level 0's grid, voxel by voxel.
  bix::Image3d<unsigned char> CoarseAtFullSize() const {
    const auto& full = source->LevelImage(0);
    const auto& coarse = source->LevelImage(2);
    bix::Image3d<unsigned char> blown = full;
    const Vector3d<unsigned> n = full.GetSize();
    for (unsigned z = 0; z < n.z; ++z)
      for (unsigned y = 0; y < n.y; ++y)
        for (unsigned x = 0; x < n.x; ++x) blown.GetVoxel(x, y, z) = coarse.GetVoxel(x / 4, y / 4, z / 4);
    return blown;
  }
  static bool SamePictures(orv::orv_OrthoscopeCanvas* a, orv::orv_OrthoscopeCanvas* b) {
    for (auto w : kWindows) {
      orvtest::PaintNow(a->GetDrWin(w));
      orvtest::PaintNow(b->GetDrWin(w));
      if (!orvtest::SamePixels(a->GetDrWin(w)->GetBitmapImage(), b->GetDrWin(w)->GetBitmapImage())) return false;
    }
    return true;
  }
  static bool AtRest(orv::orv_OrthoscopeCanvas* canvas) {
    for (auto w : kWindows) orvtest::PaintNow(canvas->GetDrWin(w));
    orv::orv_ChunkedView& loading = *canvas->GetChunkedView();
    return loading.GetPendingChunkCount() == 0 &&
           std::all_of(std::begin(kWindows), std::end(kWindows), [&](auto w) { return loading.IsCutComplete(w); });
  }
  // A labeled canvas over `image` with `labels` shown solid.
  LabeledCanvas* ShowLabeled(const bix::Image3d<unsigned char>& image, const bix::Image3d<unsigned short>& labels) {
    auto held = std::make_unique<bix::LabeledImage3d<unsigned short, bool>>();
    static_cast<bix::Image3d<unsigned short>&>(*held) = labels;
    held->UpdateComponents();
    modules.push_back(std::make_unique<LabelModule>(nullptr, held.release(), true));
    modules.back()->SetOverlaying(true);
    return Show<LabeledCanvas>(*modules.back(), new bix::Image3d<unsigned char>(image), true);
  }
  // The same change of settings on both canvases.
  static void ChangeBoth(orv::orv_OrthoscopeCanvas* a, orv::orv_OrthoscopeCanvas* b,
                         const std::function<void(orv::orv_CanvasSettings&)>& change) {
    for (orv::orv_OrthoscopeCanvas* canvas : {a, b}) {
      orv::orv_CanvasSettings settings;
      canvas->GetSettings(settings);
      change(settings);
      canvas->SetSettings(settings);
    }
  }
  static wxString Status(wxWindow* canvas) {
    wxStatusBar* bar = static_cast<wxFrame*>(canvas->GetParent())->GetStatusBar();
    return bar->GetFieldsCount() > 1 ? bar->GetStatusText(1) : wxString();
  }

  std::shared_ptr<Chunks> source;
  orvtest::GrayMapper mapper;
  std::vector<wxFrame*> frames;
  std::vector<std::unique_ptr<LabelModule>> modules;  // outlive the frames
};

}  // namespace

TEST_F(ChunkedCanvasTest, PaintsTheHeldLevelAtOnceAndTheInMemoryPicturesOnceTheChunksArrive) {
  source->Close();
  OpenedChunkedCanvas* chunked = ShowChunked();
  // With every chunk held back, the paint returns showing level 2.
  EXPECT_TRUE(SamePictures(chunked, ShowInMemory(CoarseAtFullSize())));
  for (auto w : kWindows) {
    EXPECT_FALSE(chunked->Loading().IsCutComplete(w));
    EXPECT_EQ(chunked->Loading().GetShownLevel(w), 0u) << "one voxel per pixel asks for level 0";
  }
  EXPECT_GT(chunked->Loading().GetPendingChunkCount(), 0u);
  EXPECT_TRUE(Status(chunked).Matches("* chunks pending, cache * of * MB")) << Status(chunked);
  source->Open();
  ASSERT_TRUE(orvtest::PumpUntil([&] { return AtRest(chunked); }, 20000));
  auto* memory = ShowInMemory(source->LevelImage(0));
  EXPECT_TRUE(SamePictures(chunked, memory));
  // Autofocus projections come from the work level (the finest that fits
  // in memory: level 0 here); from level 2 they differ.
  EXPECT_EQ(chunked->Loading().GetWorkLevel(), 0u);
  ChangeBoth(chunked, memory, [](auto& settings) { settings.content[0] = orv::CONTENT_AUTOFOCUS; });
  ASSERT_TRUE(orvtest::PumpUntil([&] { return AtRest(chunked); }, 20000));
  EXPECT_TRUE(SamePictures(chunked, memory));
  chunked->Loading().SetWorkLevel(2);
  EXPECT_FALSE(SamePictures(chunked, memory));
  chunked->Loading().SetWorkLevel(0);
  EXPECT_TRUE(SamePictures(chunked, memory));
  // Zoomed out twice (a pixel is four voxels): level 2, the held one, at once.
  ChangeBoth(chunked, memory, [](auto& settings) { settings.zoomLevel = -2; });
  EXPECT_TRUE(orvtest::PumpUntil([&] { return AtRest(chunked); }));
  EXPECT_EQ(chunked->Loading().GetShownLevel(PROJ_XZ), 2u);
}

namespace {

// Channel 0 in red, channel 1 in green: added, neither saturates the other.
class ColourMapper : public orv::orv_Mapper<unsigned char> {
public:
  explicit ColourMapper(unsigned component) : m_component(component) {}
  void Map(const unsigned char* v, orv::Buffer2d<bix::RGB8>& out) const override {
    for (std::size_t i = 0, n = std::size_t(out.width) * out.height; i < n; ++i) {
      out.data[i] = bix::RGB8(0, 0, 0);
      (m_component ? out.data[i].green : out.data[i].red) = v[i];
    }
  }

private:
  unsigned m_component;
};

}  // namespace

TEST_F(ChunkedCanvasTest, FurtherChannelsShowTheirHeldLevelAtOnceAndTheirOwnChunksOnceThere) {
  const ColourMapper red(0), green(1);
  source->Close();
  OpenedChunkedCanvas* chunked = ShowChunked();
  chunked->SetMapper(red);
  chunked->AddChannel(std::make_unique<bix::Image3d<unsigned char>>(source->LevelImage(2, 1)), green, 1);
  auto* coarse = ShowInMemory(CoarseAtFullSize());
  coarse->SetMapper(red);
  bix::Image3d<unsigned char> coarse1 = CoarseAtFullSize();
  for (unsigned char& v : coarse1) v = Chunks::ChannelValue(v, 1);
  coarse->AddChannel(std::make_unique<bix::Image3d<unsigned char>>(coarse1), green);
  EXPECT_TRUE(SamePictures(chunked, coarse)) << "both channels' held levels at once";
  source->Open();
  ASSERT_TRUE(orvtest::PumpUntil([&] { return AtRest(chunked); }, 20000));
  auto* memory = ShowInMemory(source->LevelImage(0));
  memory->SetMapper(red);
  memory->AddChannel(std::make_unique<bix::Image3d<unsigned char>>(source->LevelImage(0, 1)), green);
  EXPECT_TRUE(SamePictures(chunked, memory)) << "channel 1 from its own chunks";
  EXPECT_THROW(chunked->AddChannel(std::make_unique<bix::Image3d<unsigned char>>(source->LevelImage(2, 1)), green),
               bix::LibException)
      << "a further channel of a chunked source names its channel";
}

TEST_F(ChunkedCanvasTest, AFailingSourceIsReportedAndAskedAgainAndTheInfoNamesTheFullVoxel) {
  source->Fail(true);
  OpenedChunkedCanvas* chunked = ShowChunked();
  const bix::ChunkKey atCut{source->Id(), 0, 0, 0, 75 / 16, 55 / 16, 35 / 16};  // the centre voxel's
  const Vector3d<float> voxel(-10 + 3.5f, 4 + 5.5f, 2 + 7.5f);  // voxel (3, 5, 7)
  EXPECT_EQ(chunked->PointerValue(0, voxel, "?"), wxString::FromUTF8("\u2026 (level 0 shown)"));
  ASSERT_TRUE(orvtest::PumpUntil([&] { return Status(chunked).Contains("503"); }, 10000)) << Status(chunked);
  EXPECT_TRUE(Status(chunked).EndsWith(" - the server answered 503 Service Unavailable (trying again)"));
  EXPECT_EQ(chunked->Loading().GetChunkFailure(), "the server answered 503 Service Unavailable");
  ASSERT_TRUE(orvtest::PumpUntil([&] { return source->Decodes(atCut) >= 2; }, 10000)) << "asked again";
  source->Fail(false);
  ASSERT_TRUE(orvtest::PumpUntil([&] { return AtRest(chunked); }, 20000));
  EXPECT_EQ(chunked->Loading().GetChunkFailure(), "");
  EXPECT_FALSE(Status(chunked).Contains("503"));
  // Its failed chunk is asked for again once due, as the pointer moves on.
  const wxString full = wxString::Format("%d (level 0 shown)", 1 + (3 * 3 + 5 * 5 + 7 * 7) % 250);
  EXPECT_TRUE(orvtest::PumpUntil([&] { return chunked->PointerValue(0, voxel, "?") == full; }, 10000));
}

TEST_F(ChunkedCanvasTest, LabelsFromTheirChunksShowTheHeldLevelAtOnceAndTheInMemoryOverlayAtRest) {
  // Blocks of labels 1 to 12, and at the cut point one voxel of label 40
  // that only level 0 has (the coarser levels take even voxels).
  const bix::Image3d<unsigned char>& image = source->LevelImage(0);
  bix::Image3d<unsigned short> labels(image.GetSize());
  labels.SetOffset(image.GetOffset());
  for (unsigned z = 0; z < 70; ++z)
    for (unsigned y = 0; y < 110; ++y)
      for (unsigned x = 0; x < 150; ++x)
        labels.GetVoxel(x, y, z) = (z / 8) % 2 ? 0 : static_cast<unsigned short>(1 + x / 25 + 6 * (y / 56));
  labels.GetVoxel(75, 55, 35) = 40;
  const auto labelSource = LabelChunks::Make(labels, 3, 16);
  source->Close();
  labelSource->Close();
  LabeledCanvas* chunked = ShowLabeled(source->LevelImage(2), labelSource->LevelImage(2));
  chunked->AttachChunkedSource(source, 0, 0, 2);
  ASSERT_TRUE(chunked->AttachChunkedLabels(labelSource, 2));
  bix::Image3d<unsigned short> coarseLabels = labels;
  for (unsigned z = 0; z < 70; ++z)
    for (unsigned y = 0; y < 110; ++y)
      for (unsigned x = 0; x < 150; ++x)
        coarseLabels.GetVoxel(x, y, z) = labelSource->LevelImage(2).GetVoxel(x / 4, y / 4, z / 4);
  EXPECT_TRUE(SamePictures(chunked, ShowLabeled(CoarseAtFullSize(), coarseLabels)));
  for (auto w : kWindows) EXPECT_FALSE(chunked->GetChunkedView()->IsCutComplete(w));
  source->Open();
  labelSource->Open();
  ASSERT_TRUE(orvtest::PumpUntil([&] { return AtRest(chunked); }, 20000));
  LabeledCanvas* memory = ShowLabeled(image, labels);
  EXPECT_TRUE(SamePictures(chunked, memory));
  // Projections take the labels at the image's work level (level 0 here).
  ChangeBoth(chunked, memory, [](auto& settings) { settings.content[0] = orv::CONTENT_AUTOFOCUS; });
  ASSERT_TRUE(orvtest::PumpUntil([&] { return AtRest(chunked); }, 20000));
  EXPECT_TRUE(SamePictures(chunked, memory));
}

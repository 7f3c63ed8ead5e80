// The volume window opened from a viewer: the "3D volume visualization"
// command, the texture of every voxel type mapped as the cuts are, and
// rebuilding on mapping and data changes; hiding and showing again.

#include "gui_test.h"
#include "volume_view.h"

#include <orv/mapping_module.h>
#include <orv/orv_factory.h>
#include <orv/orv_frame.h>
#include <orv/orv_ids.h>
#include <orv/vol3d_canvas.h>

#include <bix/RGB.h>

using namespace orv;
using bix::Vector3d;
using RGB8 = bix::RGB_generic<unsigned char>;

namespace {

template <class T>
T ValueOf(unsigned i) {
  return static_cast<T>(i * 7 % 250);
}
template <>
bix::RGB_generic<unsigned char> ValueOf(unsigned i) {
  return {static_cast<unsigned char>(i * 7 % 250), static_cast<unsigned char>(i * 3 % 200), static_cast<unsigned char>(i % 90)};
}
template <>
bix::RGB_generic<unsigned short> ValueOf(unsigned i) {
  return {static_cast<unsigned short>(i * 700 % 60000), static_cast<unsigned short>(i * 300 % 50000),
          static_cast<unsigned short>(i * 11 % 900)};
}

// 5 x 4 x 3 voxels of 1 micron with distinct values.
template <class T>
bix::Image3d<T>* MakeImage() {
  const bix::Resolution res(Vector3d<float>(1, 1, 1));
  auto* image = new bix::Image3d<T>(Vector3d<unsigned>(5, 4, 3), nullptr, &res);
  unsigned i = 0;
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned y = 0; y < 4; ++y)
      for (unsigned x = 0; x < 5; ++x) image->GetVoxel(x, y, z) = ValueOf<T>(++i);
  return image;
}

vol3D_VolVisFrame* VolumeFrameOf(orv_OrthoscopeFrame* frame) {
  return dynamic_cast<vol3D_VolVisFrame*>(frame->GetCanvas()->GetVolumeFrame());
}

void OpenVolume(orv_OrthoscopeFrame* frame) {
  wxCommandEvent command(wxEVT_MENU, ID_VOLUME_VISUALIZATION);
  frame->GetEventHandler()->ProcessEvent(command);
}

// The bound 3D texture, RGBA, with its size.
std::vector<unsigned char> TextureOf(vol3D_VolVisCanvas* canvas, Vector3d<unsigned>& size) {
  canvas->MakeCurrent();
  GLint w = 0, h = 0, d = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_HEIGHT, &h);
  glGetTexLevelParameteriv(GL_TEXTURE_3D, 0, GL_TEXTURE_DEPTH, &d);
  size = Vector3d<unsigned>(w, h, d);
  std::vector<unsigned char> texels(std::size_t(w) * h * d * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_3D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  return texels;
}

template <class T>
class VolumeOfEveryType : public ::testing::Test {
protected:
  void TearDown() override {
    if (frame) frame->Destroy();
    orvtest::Pump();
  }
  orv_OrthoscopeFrame* frame = nullptr;
};

using VoxelTypes = ::testing::Types<unsigned char, unsigned short, int, float, bix::RGB_generic<unsigned char>,
                                    bix::RGB_generic<unsigned short>>;
TYPED_TEST_SUITE(VolumeOfEveryType, VoxelTypes);

}  // namespace

TYPED_TEST(VolumeOfEveryType, TheTextureHoldsEveryVoxelMappedAsTheCutsAre) {
  using T = TypeParam;
  bix::Image3d<T>* image = MakeImage<T>();
  this->frame = orv_CreateImage3dFrame<T>(image, true, nullptr, wxID_ANY, "viewer");
  ASSERT_NE(this->frame, nullptr);
  auto* mapper = dynamic_cast<orv_Mapper<T>*>(this->frame->GetEventHandler());
  ASSERT_NE(mapper, nullptr);
  OpenVolume(this->frame);
  vol3D_VolVisFrame* volume = VolumeFrameOf(this->frame);
  ASSERT_NE(volume, nullptr);
  ASSERT_TRUE(volume->GetCanvas()->IsTextureValid());
  Vector3d<unsigned> size;
  const std::vector<unsigned char> texels = TextureOf(volume->GetCanvas(), size);
  ASSERT_EQ(size, Vector3d<unsigned>(7, 6, 5));
  Buffer2d<RGB8> mapped(5 * 4 * 3, 1);
  mapper->Map(image->GetFirstVoxelAddr(), mapped);
  for (unsigned z = 0; z < 3; ++z)
    for (unsigned y = 0; y < 4; ++y)
      for (unsigned x = 0; x < 5; ++x) {
        const RGB8& c = mapped.data[(z * 4 + y) * 5 + x];
        const unsigned char* t = &texels[4 * (((z + 1) * 6 + y + 1) * 7 + x + 1)];
        EXPECT_EQ(t[0], c.red);
        EXPECT_EQ(t[1], c.green);
        EXPECT_EQ(t[2], c.blue);
      }
}

class VolumeViewerTest : public ::testing::Test {
protected:
  void SetUp() override {
    image = MakeImage<unsigned char>();
    frame = orv_CreateImage3dFrame<unsigned char>(image, true, nullptr, wxID_ANY, "viewer");
    ASSERT_NE(frame, nullptr);
  }
  void TearDown() override {
    frame->Destroy();
    orvtest::Pump();
  }
  unsigned char Texel(unsigned x, unsigned y, unsigned z) {
    Vector3d<unsigned> size;
    return TextureOf(VolumeFrameOf(frame)->GetCanvas(), size)[4 * (((z + 1) * 6 + y + 1) * 7 + x + 1)];
  }
  bix::Image3d<unsigned char>* image;
  orv_OrthoscopeFrame* frame;
};

TEST_F(VolumeViewerTest, TheCommandOpensTheWindowOnceAndClosingHidesIt) {
  EXPECT_EQ(frame->GetCanvas()->GetVolumeFrame(), nullptr);
  OpenVolume(frame);
  vol3D_VolVisFrame* volume = VolumeFrameOf(frame);
  ASSERT_NE(volume, nullptr);
  EXPECT_TRUE(volume->IsShown());
  EXPECT_EQ(volume->GetTitle(), "Volume visualization");
  EXPECT_EQ(volume->GetSize(), wxSize(600, 600));
  EXPECT_EQ(volume->GetParent(), nullptr);
  vol3D_VolVisCanvas* canvas = volume->GetCanvas();
  canvas->ViewState().slices = 30;
  canvas->ViewState().distance = -2;
  volume->ShowHelp();
  ASSERT_NE(volume->GetHelpWindow(), nullptr);
  EXPECT_EQ(volume->GetHelpWindow()->GetTitle(), "Volume Visualization Help");
  // Closed once it is on screen (a late map event would mark it shown again).
  ASSERT_TRUE(orvtest::ShowAndActivate(volume));
  EXPECT_FALSE(volume->Close());  // vetoed: hidden, not destroyed
  EXPECT_FALSE(volume->IsShown());
  orvtest::Pump();
  EXPECT_FALSE(volume->IsShown());
  EXPECT_EQ(volume->GetHelpWindow(), nullptr);
  EXPECT_EQ(VolumeFrameOf(frame), volume);
  OpenVolume(frame);
  EXPECT_EQ(VolumeFrameOf(frame), volume);
  EXPECT_TRUE(volume->IsShown());
  EXPECT_EQ(volume->GetHelpWindow(), nullptr);
  EXPECT_EQ(canvas->GetViewState().slices, 100);
  EXPECT_EQ(canvas->GetViewState().distance, -5.0f);
  EXPECT_EQ(canvas->GetViewState().model, kIdentity4f);
  EXPECT_EQ(canvas->GetViewState().intensity, 0.5f);
  EXPECT_EQ(canvas->GetViewState().threshold, 0.5f);
}

TEST_F(VolumeViewerTest, MappingAndDataChangesRebuildTheTextureWhileShown) {
  OpenVolume(frame);
  const unsigned char first = Texel(2, 1, 1);
  image->GetVoxel(2, 1, 1) = static_cast<unsigned char>(first + 9);
  // A mapping change without the volume flag leaves the texture alone.
  orv_MappingEvent cutsOnly(false);
  frame->GetEventHandler()->ProcessEvent(cutsOnly);
  EXPECT_EQ(Texel(2, 1, 1), first);
  orv_MappingEvent withVolume(true);
  frame->GetEventHandler()->ProcessEvent(withVolume);
  const unsigned char second = Texel(2, 1, 1);
  EXPECT_NE(second, first);
  // Hidden: nothing is rebuilt until it is shown again.
  ASSERT_TRUE(orvtest::ShowAndActivate(VolumeFrameOf(frame)));
  VolumeFrameOf(frame)->Close();
  ASSERT_FALSE(VolumeFrameOf(frame)->IsShown());
  image->GetVoxel(2, 1, 1) = static_cast<unsigned char>(first + 18);
  frame->GetCanvas()->OnDataChange();
  EXPECT_EQ(Texel(2, 1, 1), second);
  OpenVolume(frame);
  EXPECT_NE(Texel(2, 1, 1), second);
  image->GetVoxel(2, 1, 1) = first;
  frame->GetCanvas()->OnDataChange();
  EXPECT_EQ(Texel(2, 1, 1), first);
}

// The volume window of several channels shows the sum of the visible
// channels' colours: hiding one rebuilds it without that one.
TEST_F(VolumeViewerTest, ChannelsShowTheirCompositeAndAHiddenOneGoes) {
  std::vector<std::unique_ptr<bix::Image3d<unsigned char>>> further;
  further.emplace_back(MakeImage<unsigned char>());
  for (unsigned char& v : *further.back()) v = static_cast<unsigned char>(v / 2 + 3);
  const bix::Image3d<unsigned char> second = *further.back();
  orv_ChannelsModule<unsigned char>* channels = orv_AddChannels<unsigned char>(frame, std::move(further), {});
  channels->SetChannelColour(0, bix::RGB8(255, 0, 0));
  channels->SetChannelColour(1, bix::RGB8(0, 0, 255));
  OpenVolume(frame);
  ASSERT_TRUE(VolumeFrameOf(frame)->GetCanvas()->IsTextureValid());
  // The colour of texture voxel (3, 2, 1) inside the border.
  auto colour = [&] {
    Vector3d<unsigned> size;
    const std::vector<unsigned char> texels = TextureOf(VolumeFrameOf(frame)->GetCanvas(), size);
    const std::size_t at = 4 * ((std::size_t(1 + 1) * 6 + 2 + 1) * 7 + 3 + 1);
    return std::vector<unsigned char>(texels.begin() + std::ptrdiff_t(at), texels.begin() + std::ptrdiff_t(at + 3));
  };
  // Channel 0 in red, channel 1 in blue, both through their own mappings.
  Buffer2d<RGB8> red(1, 1), blue(1, 1);
  channels->GetMapper(0).Map(&image->GetVoxel(3, 2, 1), red);
  channels->GetMapper(1).Map(&second.GetVoxel(3, 2, 1), blue);
  EXPECT_EQ(colour(), (std::vector<unsigned char>{red.data[0].red, 0, blue.data[0].blue}));
  EXPECT_GT(blue.data[0].blue, 0);
  channels->SetChannelVisible(1, false);
  EXPECT_EQ(colour(), (std::vector<unsigned char>{red.data[0].red, 0, 0}));
}

#include <orv/orv_buffer2d.h>
#include <orv/orv_events.h>
#include <orv/orv_mapper.h>
#include <orv/orv_types.h>
#include <orv/orv_voxel.h>
#include <orv/orv_voxel_traits.h>

#include <gtest/gtest.h>

#include <wx/image.h>
#include <wx/window.h>

#include <cfloat>
#include <climits>
#include <memory>

using RGB8 = bix::RGB_generic<unsigned char>;
using RGB16 = bix::RGB_generic<unsigned short>;

TEST(VoxelToStr, IntegersAndFloats) {
  EXPECT_EQ(orv::VoxelToStr<unsigned char>(7), "7");
  EXPECT_EQ(orv::VoxelToStr<unsigned char>(255), "255");
  EXPECT_EQ(orv::VoxelToStr<unsigned short>(65535), "65535");
  EXPECT_EQ(orv::VoxelToStr<int>(-5), "-5");
  EXPECT_EQ(orv::VoxelToStr<float>(0.5f), "0.5");
  EXPECT_EQ(orv::VoxelToStr<float>(1e10f), "1e+10");
  EXPECT_EQ(orv::VoxelToStr<float>(123456789.f), "1.23457e+08");
  EXPECT_EQ(orv::VoxelToStr<float>(0.0001f), "0.0001");
  EXPECT_EQ(orv::VoxelToStr<float>(0.00001f), "1e-05");
}

TEST(VoxelToStr, ColourComponentsAreRightAlignedInThreeColumns) {
  EXPECT_EQ(orv::VoxelToStr(RGB8(1, 20, 255)), "  1  20 255");
  EXPECT_EQ(orv::VoxelToStr(RGB8(0, 0, 0)), "  0   0   0");
  // 16-bit components above 999 widen their field.
  EXPECT_EQ(orv::VoxelToStr(RGB16(1000, 65535, 5)), "1000 65535   5");
}

TEST(VoxelTraits, NamesOfEveryType) {
  using orv::VoxelTraits;
  EXPECT_STREQ(VoxelTraits<unsigned char>::kDisplayName, "GRAY8");
  EXPECT_STREQ(VoxelTraits<unsigned short>::kDisplayName, "GRAY16");
  EXPECT_STREQ(VoxelTraits<int>::kDisplayName, "Unknown");
  EXPECT_STREQ(VoxelTraits<float>::kDisplayName, "float");
  EXPECT_STREQ(VoxelTraits<double>::kDisplayName, "double");
  EXPECT_STREQ(VoxelTraits<bool>::kDisplayName, "BINARY");
  EXPECT_STREQ(VoxelTraits<RGB8>::kDisplayName, "RGB");
  EXPECT_STREQ(VoxelTraits<RGB16>::kDisplayName, "RGB16");

  EXPECT_STREQ(VoxelTraits<unsigned char>::kCppName, "unsigned char");
  EXPECT_STREQ(VoxelTraits<unsigned short>::kCppName, "unsigned short");
  EXPECT_STREQ(VoxelTraits<int>::kCppName, "int");
  EXPECT_STREQ(VoxelTraits<float>::kCppName, "float");
  EXPECT_STREQ(VoxelTraits<double>::kCppName, "double");
  EXPECT_STREQ(VoxelTraits<bool>::kCppName, "bool");
  EXPECT_STREQ(VoxelTraits<RGB8>::kCppName, "bix::RGB_generic<unsigned char>");
  EXPECT_STREQ(VoxelTraits<RGB16>::kCppName, "bix::RGB_generic<unsigned short>");
}

TEST(VoxelTraits, ValueTextsAtTheExtremes) {
  using orv::VoxelTraits;
  EXPECT_EQ(VoxelTraits<unsigned char>::ValueText(0), "0");
  EXPECT_EQ(VoxelTraits<unsigned char>::ValueText(255), "255");
  EXPECT_EQ(VoxelTraits<unsigned short>::ValueText(65535), "65535");
  EXPECT_EQ(VoxelTraits<int>::ValueText(INT_MIN), "-2147483648");
  EXPECT_EQ(VoxelTraits<int>::ValueText(INT_MAX), "2147483647");
  EXPECT_EQ(VoxelTraits<float>::ValueText(-FLT_MAX), "-3.40282e+38");
  EXPECT_EQ(VoxelTraits<float>::ValueText(FLT_TRUE_MIN), "1.4013e-45");
  EXPECT_EQ(VoxelTraits<float>::ValueText(-0.0f), "-0");
  EXPECT_EQ(VoxelTraits<float>::ValueText(100000.f), "100000");
  EXPECT_EQ(VoxelTraits<float>::ValueText(1000000.f), "1e+06");
  EXPECT_EQ(VoxelTraits<double>::ValueText(-DBL_MAX), "-1.79769e+308");
  EXPECT_EQ(VoxelTraits<double>::ValueText(0.25), "0.25");
  EXPECT_EQ(VoxelTraits<bool>::ValueText(true), "1");
  EXPECT_EQ(VoxelTraits<RGB8>::ValueText(RGB8(255, 0, 9)), "255   0   9");
  EXPECT_EQ(VoxelTraits<RGB16>::ValueText(RGB16(65535, 65535, 65535)), "65535 65535 65535");
  EXPECT_EQ(VoxelTraits<RGB16>::ValueText(RGB16(0, 99, 100)), "  0  99 100");
}

TEST(VoxelTraits, VoxelToStrPrintsWhatTheTraitsPrint) {
  EXPECT_EQ(orv::VoxelToStr<int>(INT_MIN), "-2147483648");
  EXPECT_EQ(orv::VoxelToStr<float>(FLT_MAX), "3.40282e+38");
  EXPECT_EQ(orv::VoxelToStr(RGB16(65535, 0, 65535)), "65535   0 65535");
}

TEST(Buffer2d, SizeAndLayout) {
  orv::Buffer2d<RGB8> empty(0, 5);
  EXPECT_EQ(empty.data, nullptr);
  EXPECT_EQ(empty.height, 5u);

  orv::Buffer2d<RGB8> buffer(3, 2);
  ASSERT_NE(buffer.data, nullptr);
  EXPECT_EQ(buffer.data[5], RGB8());
  buffer.At(2, 1) = RGB8(9, 8, 7);
  EXPECT_EQ(buffer.data[1 * 3 + 2], RGB8(9, 8, 7));

  // Resizing to the same size still discards the pixels.
  buffer.Resize(3, 2);
  EXPECT_EQ(buffer.At(2, 1), RGB8());
  buffer.Resize(0, 0);
  EXPECT_TRUE(buffer.IsEmpty());
}

TEST(Buffer2d, AWxImageWrapsTheBufferWithoutCopying) {
  orv::Buffer2d<RGB8> buffer(4, 3);
  buffer.At(3, 2) = RGB8(10, 20, 30);
  wxImage image;
  image.Create(buffer.width, buffer.height, &buffer.data[0].red, true);
  EXPECT_EQ(image.GetData(), &buffer.data[0].red);
  EXPECT_EQ(image.GetRed(3, 2), 10);
  EXPECT_EQ(image.GetGreen(3, 2), 20);
  EXPECT_EQ(image.GetBlue(3, 2), 30);
  buffer.At(0, 0) = RGB8(1, 2, 3);
  EXPECT_EQ(image.GetBlue(0, 0), 3);
}

namespace {
// A host's own mapper: value v becomes (v, 0, 255 - v).
class RampMapper : public orv::orv_Mapper<unsigned char> {
public:
  void Map(const unsigned char* voxels, orv::Buffer2d<RGB8>& out) const override {
    const std::size_t n = static_cast<std::size_t>(out.width) * out.height;
    for (std::size_t i = 0; i < n; ++i) out.data[i] = RGB8(voxels[i], 0, static_cast<unsigned char>(255 - voxels[i]));
  }
};
}  // namespace

TEST(Mapper, IsCalledThroughTheBaseAndCanBeCopied) {
  const unsigned char voxels[4] = {0, 100, 200, 255};
  orv::Buffer2d<RGB8> out(2, 2);
  const RampMapper original;
  const RampMapper copy = original;
  const orv::orv_Mapper<unsigned char>& mapper = copy;
  mapper.Map(voxels, out);
  EXPECT_EQ(out.At(1, 0), RGB8(100, 0, 155));
  EXPECT_EQ(out.At(1, 1), RGB8(255, 0, 0));
}

TEST(Vocabulary, EnumerationValuesAndPointerDefaults) {
  EXPECT_EQ(orv::PROJ_XY | orv::PROJ_XZ, 3);
  EXPECT_EQ(orv::PROJ_XY | orv::PROJ_XZ | orv::PROJ_YZ, orv::PROJ_ALL);
  EXPECT_EQ(orv::CONTENT_AUTOFOCUS, 1);
  const orv::orv_CutPointerStyle pointer;
  EXPECT_EQ(pointer.style, orv::POINTER_ON_SIDES);
  EXPECT_EQ(pointer.colour, wxColour(0, 255, 0, 255));
  EXPECT_EQ(orv::POINTER_SOLID_CROSS, 5);
}

TEST(ChangeEvents, CloningKeepsTheFlagsAndHandlersReceiveThem) {
  const orv::orv_MappingEvent preview(false);
  std::unique_ptr<wxEvent> copy(preview.Clone());
  EXPECT_EQ(copy->GetEventType(), orv::orv_EVT_MAPPING_CHANGED);
  EXPECT_FALSE(static_cast<orv::orv_MappingEvent&>(*copy).GetUpdateVolume());
  EXPECT_TRUE(orv::orv_MappingEvent().GetUpdateVolume());

  const orv::orv_OverlayingEvent reload(true, true);
  std::unique_ptr<wxEvent> copy2(reload.Clone());
  EXPECT_EQ(copy2->GetEventType(), orv::orv_EVT_OVERLAYING_CHANGED);
  EXPECT_TRUE(static_cast<orv::orv_OverlayingEvent&>(*copy2).GetDataChanged());
  EXPECT_TRUE(static_cast<orv::orv_OverlayingEvent&>(*copy2).GetReload());
  EXPECT_NE(orv::orv_EVT_MAPPING_CHANGED, orv::orv_EVT_OVERLAYING_CHANGED);
  EXPECT_EQ(reload.GetId(), 0);

  wxEvtHandler handler;
  int volumeUpdates = -1;
  handler.Bind(orv::orv_EVT_MAPPING_CHANGED,
               [&](orv::orv_MappingEvent& e) { volumeUpdates = e.GetUpdateVolume() ? 1 : 0; });
  orv::orv_MappingEvent event(true);
  handler.ProcessEvent(event);
  EXPECT_EQ(volumeUpdates, 1);
}

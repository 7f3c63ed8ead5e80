// Long sessions: a viewer paged through for an afternoon, or a host that
// opens and closes viewers all day, must not grow the heap.

#include "gui_test.h"

#include <orv/orv_factory.h>

#include <malloc.h>

#include <cstddef>
#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's run time provides this; GCC 12 ships no header declaring
// it (sanitizer/allocator_interface.h comes with clang only).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include <type_traits>

using namespace orv;

namespace {

// Bytes of heap in use (AddressSanitizer replaces malloc: ask it instead).
long long HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
  return static_cast<long long>(mallinfo2().uordblks);
#endif
}

constexpr long long kAllowedGrowth = 64 * 1024;

template <class T>
T Level(std::size_t i) {
  if constexpr (std::is_arithmetic_v<T>)
    return static_cast<T>(i);
  else
    return T(static_cast<typename T::component_type>(i), 7, static_cast<typename T::component_type>(255 - i));
}

template <class T>
bix::Image3d<T>* Stack(bix::Vector3d<unsigned> n) {
  const bix::Resolution res(bix::Vector3d<float>(2, 2, 1));
  auto* image = new bix::Image3d<T>(n, nullptr, &res);
  std::size_t i = 0;
  for (T* v = image->GetFirstVoxelAddr(); v != image->GetFirstVoxelAddr() + image->GetVoxelCount(); ++v, ++i)
    *v = Level<T>(i % 251);
  return image;
}

void CloseAll() {
  for (wxWindow* w : wxTopLevelWindows) w->Destroy();
  orvtest::PumpUntil([] { return wxTopLevelWindows.empty(); });
}

class SoakTest : public ::testing::Test {
protected:
  void TearDown() override { CloseAll(); }
};

TEST_F(SoakTest, MovingTheCutAThousandTimesKeepsTheHeapFlat) {
  orv_OrthoscopeFrame* frame =
      orv_CreateImage3dFrame<unsigned short>(Stack<unsigned short>({96, 80, 60}), true, nullptr, wxID_ANY, "soak");
  ASSERT_TRUE(frame);
  ASSERT_TRUE(orvtest::ShowAndActivate(frame));
  orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  auto moveAndPaint = [&](int step) {
    // Every move changes the XY plane (a new picture and a new frame icon)
    // and the XZ and YZ cuts.
    canvas->ChangeCut(bix::Vector3d<float>(1.0f + step % 40, 1.0f + step % 35, 0.5f + step % 60));
    for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) orvtest::PaintNow(canvas->GetDrWin(w));
    orvtest::Pump();
  };
  for (int step = 0; step < 100; ++step) moveAndPaint(step);  // caches, icons and GTK warm up
  const long long before = HeapInUse();
  for (int step = 0; step < 1000; ++step) moveAndPaint(step);
  EXPECT_LT(HeapInUse() - before, kAllowedGrowth);
}

template <class T>
void OpenAndClose() {
  orv_OrthoscopeFrame* frame = orv_CreateImage3dFrame<T>(Stack<T>({40, 30, 12}), true, nullptr, wxID_ANY, "soak");
  ASSERT_TRUE(frame);
  frame->Show();
  for (auto w : {PROJ_XY, PROJ_XZ, PROJ_YZ}) orvtest::PaintNow(frame->GetCanvas()->GetDrWin(w));
  CloseAll();
}

void OpenAndCloseEachType() {
  OpenAndClose<unsigned char>();
  OpenAndClose<unsigned short>();
  OpenAndClose<int>();
  OpenAndClose<float>();
  OpenAndClose<bix::RGB_generic<unsigned char>>();
  OpenAndClose<bix::RGB_generic<unsigned short>>();
}

TEST_F(SoakTest, OpeningAndClosingThreeHundredViewersKeepsTheHeapFlat) {
  for (int round = 0; round < 5; ++round) OpenAndCloseEachType();
  const long long before = HeapInUse();
  for (int round = 0; round < 50; ++round) OpenAndCloseEachType();
  EXPECT_LT(HeapInUse() - before, kAllowedGrowth);
}

}  // namespace

#include <bix/bix.h>

#include <gtest/gtest.h>

#include <new>

using bix::Vector3d;

TEST(Vector3d, BoxTestsTreatEachEndAsTheirLettersSay) {
  const Vector3d<float> a(0, 0, 0), b(10, 20, 30);
  EXPECT_TRUE(Vector3d<float>(0, 0, 0).InCC(a, b));
  EXPECT_TRUE(Vector3d<float>(10, 20, 30).InCC(a, b));
  EXPECT_FALSE(Vector3d<float>(10.001f, 5, 5).InCC(a, b));

  EXPECT_FALSE(Vector3d<float>(0, 5, 5).InOO(a, b));
  EXPECT_FALSE(Vector3d<float>(5, 5, 30).InOO(a, b));
  EXPECT_TRUE(Vector3d<float>(0.001f, 19.99f, 29.99f).InOO(a, b));

  EXPECT_TRUE(Vector3d<float>(0, 0, 0).InCO(a, b));
  EXPECT_FALSE(Vector3d<float>(5, 20, 5).InCO(a, b));
  EXPECT_FALSE(Vector3d<float>(5, 5, -0.001f).InCO(a, b));
}

TEST(Vector3d, ArithmeticIsElementWise) {
  Vector3d<float> v(1, 2, 3);
  v += Vector3d<float>(1, 1, 1);
  EXPECT_EQ(v, Vector3d<float>(2, 3, 4));
  v *= Vector3d<float>(2, 3, 4);
  EXPECT_EQ(v, Vector3d<float>(4, 9, 16));
  v -= Vector3d<float>(4, 9, 16);
  EXPECT_EQ(v, Vector3d<float>(0, 0, 0));
  EXPECT_EQ(Vector3d<float>(1, 2, 3)[2], 3.f);
  EXPECT_EQ(Vector3d<unsigned>(Vector3d<float>(1.9f, 2.2f, 3.f)), Vector3d<unsigned>(1, 2, 3));
}

TEST(Resolution, UndefinedMeansOnePixelPerMicron) {
  const bix::Resolution undefined;
  EXPECT_FALSE(undefined.IsDefined());
  EXPECT_EQ(undefined.GetRes(), Vector3d<float>(1, 1, 1));
  const bix::Resolution r(Vector3d<float>(5, 5, 2));
  EXPECT_TRUE(r.IsDefined());
  EXPECT_EQ(bix::PixelsToMicrons(Vector3d<unsigned>(100, 50, 10), r), Vector3d<float>(20, 10, 5));
  EXPECT_EQ(bix::PixelsToMicrons(Vector3d<unsigned>(100, 50, 10), undefined),
            Vector3d<float>(100, 50, 10));
}

TEST(Resolution, RejectsValuesThatAreNotPositiveAndFinite) {
  EXPECT_THROW(bix::Resolution(Vector3d<float>(0, 1, 1)), bix::LibException);
  EXPECT_THROW(bix::Resolution(Vector3d<float>(1, -1, 1)), bix::LibException);
  EXPECT_THROW(bix::Resolution(Vector3d<float>(1, 1, NAN)), bix::LibException);
  EXPECT_THROW(bix::Resolution(Vector3d<float>(1, 1, INFINITY)), bix::LibException);
}

TEST(Image3d, VoxelsAreStoredXFastestThenYThenZ) {
  const Vector3d<float> offset(1, 2, 3);
  bix::Image3d<unsigned short> image(Vector3d<unsigned>(4, 3, 2), &offset);
  EXPECT_EQ(image.GetVoxelCount(), 24u);
  EXPECT_EQ(image.GetOffset(), offset);
  EXPECT_FALSE(image.GetResolution().IsDefined());
  for (unsigned short v : image) EXPECT_EQ(v, 0);
  image.GetVoxel(3, 2, 1) = 7;
  image.GetVoxel(1, 0, 0) = 5;
  EXPECT_EQ(image.GetFirstVoxelAddr()[23], 7);
  EXPECT_EQ(image.GetFirstVoxelAddr()[1], 5);
  EXPECT_EQ(image.end() - image.begin(), 24);
}

TEST(Image3d, EmptyImagesHaveNoVoxelsAndANullFirstAddress) {
  bix::Image3d<float> image(nullptr, nullptr);
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.GetFirstVoxelAddr(), nullptr);
  image.MakeRoom(5, 0, 3);
  EXPECT_TRUE(image.IsEmpty());
  EXPECT_EQ(image.GetSize(), Vector3d<unsigned>(5, 0, 3));
}

TEST(Image3d, IndexArithmeticDoesNotOverflowPast32Bits) {
  bix::Image3d<unsigned char> image;
  image.MakeRoom(70000, 70000, 0);  // no voxels are allocated
  EXPECT_EQ(image.Index(69999, 69999, 0), 69999ull * 70000ull + 69999ull);
  image.MakeRoom(70000, 1, 0);
  EXPECT_EQ(image.Index(1, 0, 70000), 70000ull * 70000ull + 1ull);
}

TEST(Image3d, MakeRoomDropsOldContents) {
  bix::Image3d<int> image(Vector3d<unsigned>(2, 2, 2));
  image.Fill(9);
  image.MakeRoom(2, 2, 2);
  for (int v : image) EXPECT_EQ(v, 0);
}

// A size whose voxel count or bytes wrap around 64 bits is refused like any
// allocation too large, and the image keeps a size that matches its voxels.
TEST(Image3d, SizesBeyondTheAddressRangeAreRefusedAndLeaveTheImageWhole) {
  bix::Image3d<unsigned short> image(bix::Vector3d<unsigned>(4, 3, 2));
  image.GetVoxel(3, 2, 1) = 7;
  EXPECT_THROW(image.MakeRoom(1u << 22, 1u << 21, 1u << 21), std::bad_alloc);  // 2^64 voxels
  EXPECT_THROW(image.MakeRoom(1u << 31, 1u << 31, 4), std::bad_alloc);        // 2^64 bytes
  EXPECT_EQ(image.GetSize(), bix::Vector3d<unsigned>(4, 3, 2));
  EXPECT_EQ(image.GetVoxel(3, 2, 1), 7);
  EXPECT_THROW(image.MakeRoomUninitialized(bix::Vector3d<unsigned>(1u << 22, 1u << 21, 1u << 21)), std::bad_alloc);
  EXPECT_EQ(image.GetVoxelCount(), std::size_t(image.GetSize().x) * image.GetSize().y * image.GetSize().z);
}

TEST(LabeledImage3d, ComponentsAreTheLabelsPresentAscending) {
  bix::LabeledImage3d<unsigned short, bool> labels(Vector3d<unsigned>(3, 2, 1));
  EXPECT_EQ(labels.GetHighestLabel(), 0);
  labels.GetVoxel(0, 0, 0) = 7;
  labels.GetVoxel(2, 1, 0) = 3;
  labels.GetVoxel(1, 1, 0) = 7;
  labels.UpdateComponents();
  EXPECT_EQ(labels.GetComponents(), (std::vector<unsigned short>{3, 7}));
  EXPECT_EQ(labels.GetHighestLabel(), 7);

  bix::LabeledImage3d<unsigned int, unsigned char> big(Vector3d<unsigned>(2, 1, 1));
  big.GetVoxel(0, 0, 0) = 4000000000u;  // too sparse for a presence table
  big.GetVoxel(1, 0, 0) = 12;
  big.UpdateComponents();
  EXPECT_EQ(big.GetComponents(), (std::vector<unsigned int>{12, 4000000000u}));
  EXPECT_EQ(big.GetHighestLabel(), 4000000000u);

  big.SetComponents({5, 9, 2});
  EXPECT_EQ(big.GetComponents(), (std::vector<unsigned int>{5, 9, 2}));
  EXPECT_EQ(big.GetHighestLabel(), 9u);
}

TEST(RGB, ComponentsInRedGreenBlueOrder) {
  const bix::RGB_generic<unsigned short> c(1000, 2000, 3000);
  EXPECT_EQ(c.GetComponent(0), 1000);
  EXPECT_EQ(c.GetComponent(1), 2000);
  EXPECT_EQ(c.GetComponent(2), 3000);
  const bix::RGB_generic<unsigned char> packed[2] = {{1, 2, 3}, {4, 5, 6}};
  const unsigned char* bytes = &packed[0].red;
  EXPECT_EQ(bytes[3], 4);
  EXPECT_EQ(bytes[5], 6);
}

TEST(Image3d, BorrowedVoxelsAreSharedUntilCopiedOrResized) {
  std::vector<unsigned short> host(2 * 3 * 4, 5);
  bix::Image3d<unsigned short> image;
  image.Borrow(host.data(), bix::Vector3d<unsigned>(4, 3, 2));
  EXPECT_EQ(image.GetVoxelCount(), host.size());
  host[23] = 99;
  EXPECT_EQ(image.GetVoxel(3, 2, 1), 99) << "the host's memory, not a copy";
  // A copy owns its voxels; a move takes the borrowed ones along.
  const bix::Image3d<unsigned short> copy(image);
  EXPECT_NE(copy.GetFirstVoxelAddr(), host.data());
  EXPECT_EQ(copy.GetVoxel(3, 2, 1), 99);
  bix::Image3d<unsigned short> moved(std::move(image));
  EXPECT_EQ(moved.GetFirstVoxelAddr(), host.data());
  // Resizing gives the image voxels of its own and leaves the host's alone.
  moved.MakeRoom(2, 2, 2);
  moved.Fill(7);
  EXPECT_FALSE(moved.IsBorrowed());
  EXPECT_EQ(host[0], 5);
}

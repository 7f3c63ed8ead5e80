// orv-view on files of several channels and time points: --channels and
// --time on the command line, the voxel type each choice opens as, and the
// refusals a user reads.

#include "gui_test.h"

#include "../bix/io_test_support.h"
#include "../bix/tiff_test_files.h"
#include "open_image.h"
#include "options.h"

#include <orv/orv_imagecanvas.h>

#include <bix/Exceptions.h>

using orvview::ParseOptions;
using orvview::ViewerOptions;

TEST(OrvViewOptions, ChannelsAndTimePoint) {
  ViewerOptions o;
  EXPECT_EQ(ParseOptions({"a.tif"}, o), "");
  EXPECT_TRUE(o.channels.empty()) << "all channels, up to three";
  EXPECT_EQ(o.timePoint, 1u);
  ViewerOptions p;
  EXPECT_EQ(ParseOptions({"a.tif", "--channels", "2,1", "--time", "3"}, p), "");
  EXPECT_EQ(p.channels, (std::vector<unsigned>{2, 1}));
  EXPECT_EQ(p.timePoint, 3u);
  ViewerOptions one;
  EXPECT_EQ(ParseOptions({"--channels", "4"}, one), "");
  EXPECT_EQ(one.channels, (std::vector<unsigned>{4}));

  ViewerOptions many;
  EXPECT_EQ(ParseOptions({"--channels", "5,1,4,2,3"}, many), "");
  EXPECT_EQ(many.channels, (std::vector<unsigned>{5, 1, 4, 2, 3}));
  EXPECT_FALSE(many.asRgb);
  EXPECT_EQ(ParseOptions({"--channels", "1,2,3,4", "--as-rgb"}, many),
            "--as-rgb reads one to three channels as red, green and blue, not 4");

  const std::string channelsError = "--channels needs channel numbers from 1, such as 2,1";
  for (const char* bad : {"", "0", "1,", ",1", "1,,2", "-1", "a", "1.5", "2 1", "99999999999"}) {
    ViewerOptions q;
    EXPECT_EQ(ParseOptions({"--channels", bad}, q), channelsError) << bad;
  }
  ViewerOptions r;
  EXPECT_EQ(ParseOptions({"--channels"}, r), "Option 'channels' requires a value.");
  const std::string timeError = "--time needs a time point number from 1, such as 2";
  for (const char* bad : {"", "0", "-2", "1,2", "x", "2.0"}) {
    ViewerOptions q;
    EXPECT_EQ(ParseOptions({"--time", bad}, q), timeError) << bad;
  }
  EXPECT_EQ(ParseOptions({"--time"}, r), "Option 'time' requires a value.");

  const std::string usage = orvview::Usage();
  EXPECT_NE(usage.find("[--channels C1,C2,...] [--as-rgb] [--time N]"), std::string::npos);
  EXPECT_NE(usage.find("  --time N            the time point of a time series shown first, from 1"), std::string::npos);
}

namespace {

template <class T>
void ExpectOpensAs(const ViewerOptions& options, const bix::Vector3d<unsigned>& size, unsigned channels = 1) {
  orv::orv_OrthoscopeFrame* frame = orvview::OpenViewer(options);
  auto* canvas = dynamic_cast<orv::orv_ImageOrthoscopeCanvas<T>*>(frame->GetCanvas());
  EXPECT_NE(canvas, nullptr);
  if (canvas) {
    EXPECT_EQ(canvas->GetChannelCount(), channels);
  }
  EXPECT_EQ(frame->GetCanvas()->GetImageSize(), size);
  frame->Destroy();
  orvtest::PumpUntil([frame] { return !wxTopLevelWindows.Find(frame); });
}

}  // namespace

TEST(OrvViewOpen, MultiChannelFilesOpenAsTheChosenChannels) {
  iotest::ScratchDir dir;
  // An ImageJ hyperstack: 3 channels x 2 slices x 2 frames, 16-bit.
  iotest::TiffPage page;
  page.bits = 16;
  std::vector<iotest::TiffPage> pages = iotest::Pages(12, page);
  pages[0].description = "ImageJ=1.53t\nimages=12\nchannels=3\nslices=2\nframes=2\nhyperstack=true\n";
  ASSERT_TRUE(iotest::WriteTiffFile(dir / "hyper.tif", "w", pages));
  ViewerOptions options;
  options.image = dir / "hyper.tif";
  ExpectOpensAs<unsigned short>(options, {4, 3, 2}, 3);
  options.asRgb = true;
  ExpectOpensAs<bix::RGB_generic<unsigned short>>(options, {4, 3, 2});
  options.asRgb = false;
  options.channels = {2};
  options.timePoint = 2;
  ExpectOpensAs<unsigned short>(options, {4, 3, 2});
  options.channels = {3, 1};
  ExpectOpensAs<unsigned short>(options, {4, 3, 2}, 2);
  options.asRgb = true;
  ExpectOpensAs<bix::RGB_generic<unsigned short>>(options, {4, 3, 2});
  options.timePoint = 3;
  try {
    orvview::OpenViewer(options);
    ADD_FAILURE() << "time point 3 opened";
  } catch (const bix::IOException& e) {
    EXPECT_EQ(std::string(e.what()), "'" + options.image + "': has 2 time points; there is no time point 3");
  }

  // Four channels read as RGB need a choice.
  pages = iotest::Pages(4, iotest::TiffPage());
  pages[0].description = "ImageJ=1.53t\nimages=4\nchannels=4\nhyperstack=true\n";
  ASSERT_TRUE(iotest::WriteTiffFile(dir / "four.tif", "w", pages));
  ViewerOptions four;
  four.image = dir / "four.tif";
  ExpectOpensAs<unsigned char>(four, {4, 3, 1}, 4);
  four.channels = {4, 5};
  try {
    orvview::OpenViewer(four);
    ADD_FAILURE() << "channel 5 opened";
  } catch (const bix::IOException& e) {
    EXPECT_EQ(std::string(e.what()), "'" + four.image + "': has 4 channels; there is no channel 5");
  }
  four.channels.clear();
  four.asRgb = true;
  try {
    orvview::OpenViewer(four);
    ADD_FAILURE() << "four channels opened";
  } catch (const bix::IOException& e) {
    EXPECT_EQ(std::string(e.what()), "'" + four.image +
                                         "': has 4 channels; up to three are read together: choose them with "
                                         "--channels, such as --channels 1,2,3");
  }
  four.channels = {4, 3, 2};
  ExpectOpensAs<bix::RGB_generic<unsigned char>>(four, {4, 3, 1});
  EXPECT_TRUE(wxTopLevelWindows.empty()) << "no frame is left behind";
}

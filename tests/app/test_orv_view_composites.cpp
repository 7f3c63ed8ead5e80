// orv-view on files of several channels: each channel a coloured layer of
// its own, added; the same data as an ImageJ hyperstack and as OME-Zarr.

#include "gui_test.h"

#include "frame_modules.h"

#include "../bix/io_test_support.h"
#include "../bix/tiff_test_files.h"
#include "open_image.h"
#include "options.h"

#include <orv/channels_module.h>
#include <orv/orv_ids.h>
#include <orv/orv_imagecanvas.h>
#include <orv/time_axis.h>

#include <bix/OmeZarr.h>

#include <wx/filedlg.h>

#include <algorithm>
#include <functional>
#include <array>

namespace {

using Colour = std::array<std::uint8_t, 3>;

constexpr unsigned kChannels = 5, kTimes = 4, kW = 16, kH = 12, kD = 6;
const Colour kColours[kChannels] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 128, 0}, {128, 0, 255}};

unsigned Value(unsigned c, unsigned t, unsigned x, unsigned y, unsigned z) {
  return (37 * c + 11 * t + 3 * x + 5 * y + 7 * z) % 90 + 10;
}

void WriteHyperstack(const std::string& path) {
  iotest::TiffPage page;
  page.width = kW;
  page.height = kH;
  std::vector<iotest::TiffPage> pages = iotest::Pages(kChannels * kD * kTimes, page);
  pages[0].description = "ImageJ=1.53t\nimages=120\nchannels=5\nslices=6\nframes=4\nhyperstack=true\nmode=composite\n";
  iotest::SetImageJLuts(pages[0], std::vector<Colour>(std::begin(kColours), std::end(kColours)));
  // ImageJ's order: channel fastest, then slice, then frame.
  ASSERT_TRUE(iotest::WriteTiffFile(path, "w", pages, [](unsigned p, unsigned x, unsigned y, unsigned) {
    return Value(p % kChannels, p / (kChannels * kD), x, y, p / kChannels % kD);
  }));
}

void WriteZarr(const std::string& path) {
  std::vector<std::vector<bix::Image3d<unsigned char>>> stacks(kTimes);
  std::vector<std::vector<const bix::Image3d<unsigned char>*>> pointers(kTimes);
  std::vector<bix::ChannelFacts> facts(kChannels);
  for (unsigned c = 0; c < kChannels; ++c) {
    facts[c].hasColour = true;
    facts[c].red = kColours[c][0], facts[c].green = kColours[c][1], facts[c].blue = kColours[c][2];
  }
  for (unsigned t = 0; t < kTimes; ++t) {
    stacks[t].resize(kChannels);
    for (unsigned c = 0; c < kChannels; ++c) {
      stacks[t][c].MakeRoom(bix::Vector3d<unsigned>(kW, kH, kD));
      for (unsigned z = 0; z < kD; ++z)
        for (unsigned y = 0; y < kH; ++y)
          for (unsigned x = 0; x < kW; ++x) stacks[t][c].GetVoxel(x, y, z) = (unsigned char)Value(c, t, x, y, z);
      pointers[t].push_back(&stacks[t][c]);
    }
  }
  bix::WriteOmeZarrSeries<unsigned char>(pointers, facts, path);
}

// The XY window's pixel of voxel (x, y) at zoom level 0 (a pixel per voxel).
wxColour ShownAt(orv::orv_OrthoscopeCanvas* canvas, unsigned x, unsigned y) {
  return orvtest::PixelAt(canvas->GetDrWin(orv::PROJ_XY)->GetBitmapImage(), int(x), int(y));
}

// The sum of the channels' colours at a voxel of the cut (8-bit channels
// without a stretch show their values), clamped; `off` is left out.
wxColour Expected(unsigned t, unsigned x, unsigned y, unsigned z, int off = -1) {
  unsigned sum[3] = {0, 0, 0};
  for (unsigned c = 0; c < kChannels; ++c)
    for (unsigned k = 0; k < 3 && int(c) != off; ++k) sum[k] += (Value(c, t, x, y, z) * kColours[c][k] + 127) / 255;
  return wxColour(std::min(sum[0], 255u), std::min(sum[1], 255u), std::min(sum[2], 255u));
}

void Command(orv::orv_OrthoscopeFrame* frame, int id) {
  wxCommandEvent command(wxEVT_MENU, id);
  command.SetEventObject(frame);
  frame->ProcessWindowEvent(command);
}

void ShowOneVoxelPerPixel(orv::orv_OrthoscopeCanvas* canvas) {
  orv::orv_ImageCanvasSettings settings;
  canvas->GetSettings(settings);
  settings.zoomLevel = 0;
  canvas->SetSettings(settings);
}

// Runs `check` on the cells opened at time point `timePoint` (from 1) as an
// ImageJ hyperstack and as OME-Zarr, in `dir`; each viewer is closed after.
void ForBothFiles(const iotest::ScratchDir& dir, unsigned timePoint,
                  const std::function<void(orv::orv_OrthoscopeFrame*, const std::string& name)>& check) {
  WriteHyperstack(dir / "cells.tif");
  WriteZarr(dir / "cells.zarr");
  for (const std::string name : {"cells.tif", "cells.zarr"}) {
    SCOPED_TRACE(name);
    orvview::ViewerOptions options;
    options.image = dir / name;
    options.timePoint = timePoint;
    orv::orv_OrthoscopeFrame* frame = orvview::OpenViewer(options);
    check(frame, name);
    frame->Destroy();
    orvtest::Pump();
  }
}

}  // namespace

TEST(OrvViewComposite, HyperstackAndOmeZarrShowEveryChannelInItsColourAdded) {
  iotest::ScratchDir dir;
  ForBothFiles(dir, 2, [](orv::orv_OrthoscopeFrame* frame, const std::string&) {
    auto* canvas = dynamic_cast<orv::orv_ImageOrthoscopeCanvas<unsigned char>*>(frame->GetCanvas());
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(canvas->GetChannelCount(), kChannels);
    auto* channels = orvview::FindModule<orv::orv_ChannelsModule<unsigned char>>(frame);
    ASSERT_NE(channels, nullptr);
    for (unsigned c = 0; c < kChannels; ++c) {
      const bix::RGB8 colour = channels->GetChannelColour(c);
      EXPECT_EQ((Colour{colour.red, colour.green, colour.blue}), kColours[c]) << "the file's colour of channel " << c;
    }
    ShowOneVoxelPerPixel(canvas);
    const unsigned z = kD / 2, t = 1;  // the cut's depth; time point 2
    const std::pair<unsigned, unsigned> voxels[] = {{2, 2}, {13, 3}, {5, 10}};
    for (const auto& [x, y] : voxels) EXPECT_EQ(ShownAt(canvas, x, y), Expected(t, x, y, z)) << x << "," << y;

    // Switching channel 3 off takes away its colour and nothing else.
    Command(frame, channels->ShowItem(3));
    for (const auto& [x, y] : voxels) EXPECT_EQ(ShownAt(canvas, x, y), Expected(t, x, y, z, 3)) << x << "," << y;
    const wxColour before = ShownAt(canvas, 2, 2);
    Command(frame, channels->ShowItem(3));

    // Another stretch of channel 3 (mapped through the "&Mapping" menu)
    // changes its part of the picture alone.
    Command(frame, channels->MapItem(3));
    orvview::ApplyStretch(frame, "linear");
    EXPECT_NE(ShownAt(canvas, 13, 3), Expected(t, 13, 3, z));
    Command(frame, channels->ShowItem(3));
    EXPECT_EQ(ShownAt(canvas, 2, 2), before);
  });
}

TEST(OrvViewComposite, TwoChannelsDifferFromTheirRgbReadingOnlyByTheirColours) {
  iotest::ScratchDir dir;
  iotest::TiffPage page;
  page.width = kW;
  page.height = kH;
  std::vector<iotest::TiffPage> pages = iotest::Pages(2 * kD, page);
  pages[0].description = "ImageJ=1.53t\nimages=12\nchannels=2\nslices=6\nhyperstack=true\n";
  ASSERT_TRUE(iotest::WriteTiffFile(dir / "two.tif", "w", pages, [](unsigned p, unsigned x, unsigned y, unsigned) {
    return Value(p % 2, 0, x, y, p / 2) * 2;
  }));
  orvview::ViewerOptions options;
  options.image = dir / "two.tif";
  options.asRgb = true;
  orv::orv_OrthoscopeFrame* rgb = orvview::OpenViewer(options);
  options.asRgb = false;
  orv::orv_OrthoscopeFrame* composite = orvview::OpenViewer(options);
  auto* channels = orvview::FindModule<orv::orv_ChannelsModule<unsigned char>>(composite);
  ASSERT_NE(channels, nullptr);
  EXPECT_EQ(channels->GetChannelColour(0), bix::RGB8(0, 255, 0)) << "green, then magenta, without the file's colours";
  EXPECT_EQ(channels->GetChannelColour(1), bix::RGB8(255, 0, 255));
  auto shown = [](orv::orv_OrthoscopeFrame* frame) {
    return frame->GetCanvas()->GetDrWin(orv::PROJ_XY)->GetBitmapImage();
  };
  EXPECT_FALSE(orvtest::SamePixels(shown(rgb), shown(composite)));
  channels->SetChannelColour(0, bix::RGB8(255, 0, 0));
  channels->SetChannelColour(1, bix::RGB8(0, 255, 0));
  EXPECT_TRUE(orvtest::SamePixels(shown(rgb), shown(composite)));
  rgb->Destroy();
  composite->Destroy();
  orvtest::Pump();
}

namespace {

// Presses `key` in the XY window as a user would: the frame's key hook
// finds the menu item it is the key of.
void PressKey(orv::orv_OrthoscopeFrame* frame, int key) {
  wxKeyEvent event(wxEVT_CHAR_HOOK);
  event.SetEventObject(frame->GetCanvas()->GetDrWin(orv::PROJ_XY));
  event.m_keyCode = key;
  frame->GetEventHandler()->ProcessEvent(event);
}

}  // namespace

TEST(OrvViewComposite, TimeKeysAndSliderMoveThroughTimeKeepingTheCutAndTheMappings) {
  iotest::ScratchDir dir;
  ForBothFiles(dir, 2, [](orv::orv_OrthoscopeFrame* frame, const std::string&) {
    auto* canvas = frame->GetCanvas();
    auto* channels = orvview::FindModule<orv::orv_ChannelsModule<unsigned char>>(frame);
    auto* axis = orvview::FindModule<orv::orv_TimeAxis>(frame);
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->GetTimePointCount(), kTimes);
    EXPECT_EQ(axis->GetShownTimePoint(), 1u) << "--time 2";
    ShowOneVoxelPerPixel(canvas);
    const unsigned z = 1;
    canvas->ChangeCut(bix::Vector3d<float>(8.5f, 6.5f, z + 0.5f));
    channels->SetChannelVisible(3, false);
    const bix::Vector3d<float> cut = canvas->GetCut();

    PressKey(frame, ']');
    ASSERT_TRUE(orvtest::PumpUntil([&] { return axis->GetShownTimePoint() == 2; }));
    EXPECT_EQ(axis->GetSlider()->GetValue(), 3);
    EXPECT_EQ(ShownAt(canvas, 2, 2), Expected(2, 2, 2, z, 3)) << "time point 3, channel 4 still hidden";
    EXPECT_EQ(canvas->GetCut(), cut);
    EXPECT_EQ(canvas->GetZoomLevel(), 0);

    axis->GetSlider()->SetValue(4);
    wxCommandEvent moved(wxEVT_SLIDER, axis->GetSlider()->GetId());
    moved.SetEventObject(axis->GetSlider());
    axis->GetSlider()->GetEventHandler()->ProcessEvent(moved);
    ASSERT_TRUE(orvtest::PumpUntil([&] { return axis->GetShownTimePoint() == 3; }));
    EXPECT_EQ(ShownAt(canvas, 13, 3), Expected(3, 13, 3, z, 3));
    PressKey(frame, ']');
    EXPECT_EQ(axis->GetTimePoint(), 3u) << "the last time point is the last";
    for (int k = 0; k < 4; ++k) PressKey(frame, '[');
    ASSERT_TRUE(orvtest::PumpUntil([&] { return axis->GetShownTimePoint() == 0; }));
    EXPECT_EQ(ShownAt(canvas, 5, 10), Expected(0, 5, 10, z, 3));
  });
}

namespace {

orvtest::ExpectDialog<wxFileDialog> ChooseFile(const std::string& path) {
  return orvtest::ExpectDialog<wxFileDialog>([=](wxFileDialog* d) {
    EXPECT_EQ(d->GetWildcard(), "OME-TIFF (*.ome.tif)|*.ome.tif|OME-Zarr (*.zarr)|*.zarr");
    d->SetPath(path);
    EXPECT_TRUE(orvtest::PumpUntil([&] { return d->GetPath() == path; }));
    return int(wxID_OK);
  });
}

// Every channel and time point of a saved series reads back with its values
// and its channel's colour.
void ExpectSeries(const std::string& path, const std::vector<unsigned>& times) {
  const bix::ImageLayout layout = bix::ReadImageLayout(path);
  ASSERT_EQ(layout.channels, kChannels);
  ASSERT_EQ(layout.timePoints, times.size());
  for (unsigned c = 0; c < kChannels; ++c) {
    const bix::ChannelFacts& facts = layout.channelFacts[c];
    EXPECT_TRUE(facts.hasColour);
    EXPECT_EQ((Colour{facts.red, facts.green, facts.blue}), kColours[c]);
    for (std::size_t k = 0; k < times.size(); ++k) {
      bix::Image3d<unsigned char> stack;
      bix::ReadImage(path, stack, {}, bix::ReadOptions{{c + 1}, unsigned(k + 1)});
      ASSERT_EQ(stack.GetSize(), bix::Vector3d<unsigned>(kW, kH, kD));
      unsigned wrong = 0;
      for (unsigned z = 0; z < kD; ++z)
        for (unsigned y = 0; y < kH; ++y)
          for (unsigned x = 0; x < kW; ++x) wrong += stack.GetVoxel(x, y, z) != Value(c, times[k], x, y, z);
      EXPECT_EQ(wrong, 0u) << "channel " << c << ", time point " << times[k];
    }
  }
}

}  // namespace

TEST(OrvViewComposite, Save3dDataWritesEveryChannelOfEveryTimePointOrOfTheShownOne) {
  iotest::ScratchDir dir;
  ForBothFiles(dir, 3, [&dir](orv::orv_OrthoscopeFrame* frame, const std::string& name) {
    const wxString question = "Save all 4 time points, or time point 3 alone?";
    wxTEST_DIALOG(Command(frame, orv::ID_SAVE_3D_DATA), ChooseFile(dir / ("all-" + name + ".ome.tif")),
                  orvtest::ExpectMessageBox(question, "Save 3d data", wxID_YES));
    ExpectSeries(dir / ("all-" + name + ".ome.tif"), {0, 1, 2, 3});
    wxTEST_DIALOG(Command(frame, orv::ID_SAVE_3D_DATA), ChooseFile(dir / ("shown-" + name + ".zarr")),
                  orvtest::ExpectMessageBox(question, "Save 3d data", wxID_NO));
    ExpectSeries(dir / ("shown-" + name + ".zarr"), {2});
  });
}

TEST(OrvViewComposite, AChunkedChannelMovesThroughTimeFromItsChunks) {
  iotest::ScratchDir dir;
  WriteZarr(dir / "cells.zarr");
  orvview::ViewerOptions options;
  options.image = dir / "cells.zarr";
  options.channels = {2};
  options.stretch = "none";
  options.timePoint = 2;
  orv::orv_OrthoscopeFrame* stepped = orvview::OpenViewer(options);
  ASSERT_NE(stepped->GetCanvas()->GetChunkedView(), nullptr) << "one channel of a store is shown from its chunks";
  auto* axis = orvview::FindModule<orv::orv_TimeAxis>(stepped);
  ASSERT_NE(axis, nullptr);
  PressKey(stepped, ']');
  EXPECT_EQ(stepped->GetCanvas()->GetChunkedView()->GetTimePoint(), 2u) << "the cuts move at once";
  options.timePoint = 3;
  orv::orv_OrthoscopeFrame* direct = orvview::OpenViewer(options);
  auto atRest = [](orv::orv_OrthoscopeFrame* frame) {
    orv::orv_ChunkedView* view = frame->GetCanvas()->GetChunkedView();
    bool complete = true;
    for (orv::orv_ProjectionType window : {orv::PROJ_XY, orv::PROJ_XZ, orv::PROJ_YZ}) {
      frame->GetCanvas()->GetDrWin(window)->GetBitmapImage();  // painted: the cut taken from what is there
      complete = complete && view->IsCutComplete(window);
    }
    return complete;
  };
  ASSERT_TRUE(orvtest::PumpUntil([&] { return axis->GetShownTimePoint() == 2 && atRest(stepped) && atRest(direct); }))
      << axis->GetShownTimePoint() << atRest(stepped) << atRest(direct);
  for (orv::orv_ProjectionType window : {orv::PROJ_XY, orv::PROJ_XZ, orv::PROJ_YZ})
    EXPECT_TRUE(orvtest::SamePixels(stepped->GetCanvas()->GetDrWin(window)->GetBitmapImage(),
                                    direct->GetCanvas()->GetDrWin(window)->GetBitmapImage()));
  stepped->Destroy();
  direct->Destroy();
  orvtest::Pump();
}

TEST(OrvViewComposite, AChannelShownAloneIsItsIntensityInItsColourOrItsPalettesColours) {
  iotest::ScratchDir dir;
  WriteHyperstack(dir / "cells.tif");
  orvview::ViewerOptions options;
  options.image = dir / "cells.tif";
  orv::orv_OrthoscopeFrame* frame = orvview::OpenViewer(options);
  auto* channels = orvview::FindModule<orv::orv_ChannelsModule<unsigned char>>(frame);
  ShowOneVoxelPerPixel(frame->GetCanvas());
  Command(frame, channels->MapItem(3));
  Command(frame, channels->ShowOnlyItem());
  const unsigned char v = static_cast<unsigned char>(Value(3, 0, 2, 2, kD / 2));
  auto tinted = [&](unsigned k) { return (v * kColours[3][k] + 127) / 255; };
  EXPECT_EQ(ShownAt(frame->GetCanvas(), 2, 2), wxColour(tinted(0), tinted(1), tinted(2)));
  // The periodic palette's colours, as the channel's mapping gives them.
  Command(frame, frame->GetMenuBar()->FindMenuItem("Mapping", "Periodic"));
  orv::Buffer2d<bix::RGB8> one(1, 1);
  channels->GetMapping(3).Map(&v, one);
  EXPECT_NE(one.data[0], bix::RGB8(v, v, v));
  EXPECT_EQ(ShownAt(frame->GetCanvas(), 2, 2), wxColour(one.data[0].red, one.data[0].green, one.data[0].blue));
  Command(frame, channels->ShowItem(3));
  EXPECT_EQ(ShownAt(frame->GetCanvas(), 2, 2), wxColour(0, 0, 0)) << "no channel shown";
  frame->Destroy();
  orvtest::Pump();
}

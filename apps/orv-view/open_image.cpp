#include "open_image.h"

#include "cut_mouse.h"
#include "frame_modules.h"
#include "help_window.h"
#include "initial_mapping.h"
#include "initial_zoom.h"
#include "label_file.h"
#include "label_reload.h"
#include "level_menu.h"
#include "sample_volume.h"
#include "viewer_title.h"

#include <orv/channels_module.h>
#include <orv/gray_mapping.h>
#include <orv/rgb_mapping.h>
#include <orv/orv_factory.h>
#include <orv/time_axis.h>
#include <orv/orv_imagecanvas.h>
#include <orv/orv_labeledcanvas.h>
#include <orv/orv_labeledpointcanvas.h>
#include <orv/overlaying_module.h>
#include <orv/point_set_module.h>

#include <bix/ChunkedCut.h>
#include <bix/Exceptions.h>
#include <bix/ImageIO.h>
#include <bix/OmeZarr.h>

#include <wx/filename.h>
#include <wx/progdlg.h>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <memory>
#include <type_traits>

namespace orvview {

namespace {

// Files above this size are read under a progress dialog.
constexpr unsigned long long kProgressFromBytes = 64ull << 20;

void ApplyVoxelSize(const ViewerOptions& options, bix::Resolution& resolution) {
  if (!options.hasVoxelSize) return;
  const bix::Vector3d<float>& size = options.voxelSize;
  // Microns per voxel (what microscopists type) to pixels per micron.
  resolution = bix::Resolution(bix::Vector3d<float>(1.0f / size.x, 1.0f / size.y, 1.0f / size.z));
}

template <class T>
constexpr bool kIsRGB = !std::is_arithmetic_v<T>;

// The voxel type as the title names it.
template <class T>
const char* VoxelTypeName() {
  if constexpr (std::is_same_v<T, unsigned char>) return "8-bit";
  if constexpr (std::is_same_v<T, unsigned short>) return "16-bit";
  if constexpr (std::is_same_v<T, int>) return "32-bit integer";
  if constexpr (std::is_same_v<T, float>) return "32-bit float";
  if constexpr (std::is_same_v<T, bix::RGB8>) return "8-bit RGB";
  if constexpr (std::is_same_v<T, bix::RGB16>) return "16-bit RGB";
}

// Camera data rarely fill 16 bits: the range ends at the data's bit depth,
// so levels and thresholds span what the camera can give. Channels made into
// RGB get the depth of their brightest channel.
void RangeToBitDepth(orv::orv_OrthoscopeFrame* frame) {
  auto brightest = [](const orv::Histogram<unsigned short>& h) {
    return static_cast<unsigned long>(h.empty() ? 0 : h.GetBinCenter(h.FindLastNonZero()));
  };
  orv::orv_GrayMappingModule<unsigned short>* gray = FindModule<orv::orv_GrayMappingModule<unsigned short>>(frame);
  if (auto* channels = FindModule<orv::orv_ChannelsModule<unsigned short>>(frame))
    gray = &channels->GetMapping(channels->GetMappedChannel());
  if (gray && gray->HasData()) {
    gray->SetBitdepth(DataBitDepth(brightest(gray->GetHistograms().Get())));
  } else if (auto* rgb = FindModule<orv::orv_RGBMappingModule<unsigned short>>(frame); rgb && rgb->HasData()) {
    unsigned long top = 0;
    for (int c = 0; c < 3; ++c) top = std::max(top, brightest(rgb->GetHistograms().Get(c)));
    rgb->SetBitdepth(DataBitDepth(top));
  }
}

template <class T>
constexpr bool kHasPointViewer = !std::is_same_v<T, int>;

// The point viewer of `image` (with the labels over it when there are any)
// with the command line's point file: loaded when it exists (a failure is
// shown, or under --snapshot ends the run), or the file the first "Save"
// creates.
// What a viewer needs done as soon as it is made, before its points load
// (a chunked source attached, which places the canvas on its grid).
using PrepareFrame = std::function<void(orv::orv_OrthoscopeFrame*)>;

template <class T>
orv::orv_OrthoscopeFrame* CreatePointFrame(bix::Image3d<T>* image, ViewerLabels& labels,
                                           const ViewerOptions& options, const wxString& title,
                                           const PrepareFrame& prepare) {
  if constexpr (kHasPointViewer<T>) {
    if (wxFileName::DirExists(wxString::FromUTF8(options.points))) {
      delete image;
      throw OptionError("--points: '" + options.points + "' is a folder, not a point file");
    }
    auto create = [&]() -> orv::orv_OrthoscopeFrame* {
      if (labels.narrow)
        return orv::orv_CreateLabeledImage3dPointsFrame<T, unsigned short, bool>(
            image, labels.narrow.release(), true, true, wxEmptyString, nullptr, wxID_ANY, title);
      if constexpr (std::is_same_v<T, unsigned char>)
        if (labels.wide)
          return orv::orv_CreateLabeledImage3dPointsFrame<T, unsigned, unsigned char>(
              image, labels.wide.release(), true, true, wxEmptyString, nullptr, wxID_ANY, title);
      return orv::orv_CreateImage3dPointsFrame<T>(image, true, wxEmptyString, nullptr, wxID_ANY, title);
    };
    orv::orv_OrthoscopeFrame* frame = create();
    if (frame && prepare) prepare(frame);
    if (!frame || options.points.empty()) return frame;
    auto* module = FindModule<orv::orv_PointSetModule<T>>(frame);
    const wxString file = wxString::FromUTF8(options.points);
    if (!wxFileName::FileExists(file)) {
      module->SetFileName(file);
    } else if (!options.Scripted()) {
      module->LoadPoints(file);
    } else if (const wxString failure = module->TryLoadPoints(file); !failure.empty()) {
      frame->Destroy();
      throw OptionError(failure.utf8_string());
    }
    return frame;
  } else {
    delete image;
    throw OptionError("--points works with 8 and 16-bit gray, 32-bit float and RGB images, not 32-bit integer ones");
  }
}

// The viewer of `image`, labeled when there are labels, with points when
// the command line names a point file; the frame owns what it shows.
// 32-bit labels go with 8-bit images only.
template <class T>
orv::orv_OrthoscopeFrame* CreateWideLabeledFrame(bix::Image3d<T>* image, ViewerLabels& labels, const wxString& title) {
  if constexpr (std::is_same_v<T, unsigned char>)
    return orv::orv_CreateLabeledImage3dFrame<T, unsigned, unsigned char>(image, labels.wide.release(), true, true,
                                                                          nullptr, wxID_ANY, title);
  return nullptr;
}

template <class T>
orv::orv_OrthoscopeFrame* CreateFrame(bix::Image3d<T>* image, ViewerLabels& labels, const ViewerOptions& options,
                                      const wxString& title, const PrepareFrame& prepare = PrepareFrame()) {
  if (!options.points.empty() || options.pointViewer)
    return CreatePointFrame<T>(image, labels, options, title, prepare);
  orv::orv_OrthoscopeFrame* frame = nullptr;
  if (labels.narrow)
    frame = orv::orv_CreateLabeledImage3dFrame<T, unsigned short, bool>(image, labels.narrow.release(), true, true,
                                                                        nullptr, wxID_ANY, title);
  else if (std::is_same_v<T, unsigned char> && labels.wide)
    frame = CreateWideLabeledFrame<T>(image, labels, title);
  else
    frame = orv::orv_CreateImage3dFrame<T>(image, true, nullptr, wxID_ANY, title);
  if (frame && prepare) prepare(frame);
  return frame;
}

// Labels are shown as outlines, so the image shows inside every object.
void ShowOutlines(orv::orv_OrthoscopeFrame* frame) {
  const int boundary = frame->GetMenuBar()->FindMenuItem("Overlaying", "Boundary");
  if (boundary == wxNOT_FOUND) return;
  wxCommandEvent command(wxEVT_MENU, boundary);
  command.SetEventObject(frame);
  frame->ProcessWindowEvent(command);
}

// Voxel sizes no microscope makes, which the windows cannot lay out: an
// image more than a kilometre long, or voxels below a femtometre.
void CheckGeometry(const bix::Vector3d<unsigned>& size, const double voxels[3], const wxString& name) {
  static const char* const kAxes = "xyz";
  for (unsigned a = 0; a < 3; ++a) {
    const double voxel = voxels[a], extent = voxel * size[a];
    const char* why = voxel < 1e-9 ? "voxels smaller than 1e-09 microns" : extent > 1e9 ? "more than a kilometre" : nullptr;
    if (!why) continue;
    char text[160];
    std::snprintf(text, sizeof text, "voxels of %g microns along %c make the image %g microns long (%s)", voxel,
                  kAxes[a], extent, why);
    throw OptionError("'" + name.utf8_string() + "': " + text + "; give the voxel size with --voxel-size X,Y,Z");
  }
}

// What every viewer of orv-view gets once made: levels within the data's bit
// depth and the stretch (for each channel: channels added are stretched as
// the channels of an RGB image are), the cut mouse, the help menu and the
// initial zoom.
template <class T>
void SetUpViewer(orv::orv_OrthoscopeFrame* frame, const ViewerOptions& options, bool rgb, int channelBits) {
  auto setUpMapping = [&](bool composite) {
    if (channelBits == 16 && !options.fullRange) RangeToBitDepth(frame);
    ApplyStretch(frame, options.stretch.empty() ? DefaultStretch(rgb || composite, channelBits) : options.stretch);
  };
  bool composite = false;
  if constexpr (std::is_arithmetic_v<T>) {
    if (auto* channels = FindModule<orv::orv_ChannelsModule<T>>(frame)) {
      composite = true;
      for (unsigned c = channels->GetChannelCount(); c-- > 0;) {
        channels->SetMappedChannel(c);
        setUpMapping(true);
      }
    }
  }
  if (!composite) setUpMapping(false);
  BindCutMouse(frame->GetCanvas());
  AddHelpMenu(frame);
  ApplyInitialZoom(frame);
}

// Time point t and channels `channels` (from 0) of an OME-Zarr image, shown
// from its chunks as the windows need them: the image need not fit in
// memory. The coarse level held for the first picture is what the viewer is
// made with; the chunked source is attached at once, before labels are
// placed or points loaded, so that they take level 0's grid. Several
// channels are shown in `styles`, each from its own chunks.
template <class T>
orv::orv_OrthoscopeFrame* OpenChunked(const ViewerOptions& options, unsigned t, const std::vector<unsigned>& channels,
                                      const std::vector<orv::orv_ChannelStyle>& styles) {
  const unsigned c = channels.front();
  std::shared_ptr<const bix::ChunkedImage> source = bix::OpenOmeZarr(options.image);
  const bix::ChunkLevel& full = source->Level(0);
  const wxString name = wxFileName(wxString::FromUTF8(bix::OmeZarrFolder(options.image))).GetFullName();
  const double voxels[3] = {full.voxelSize.x, full.voxelSize.y, full.voxelSize.z};
  CheckGeometry(full.size, voxels, name);
  const bix::Resolution resolution = full.GetResolution();
  ChunkedLabels chunkedLabels;
  if (!options.labels.empty())
    chunkedLabels = ReadChunkedLabels(options.labels, std::is_same_v<T, unsigned char>, resolution);
  ViewerLabels& labels = chunkedLabels.labels;
  const bool labeled = !labels.Empty();
  const ShownLabels shown{labels.narrow.get(), labels.wide.get(), std::is_same_v<T, unsigned char>, resolution};
  const unsigned heldLevel = bix::LevelToHold(*source);
  const bix::Vector3d<unsigned> heldSize = source->Level(heldLevel).size;
  std::vector<std::unique_ptr<bix::Image3d<T>>> held;
  for (unsigned channel : channels) {
    held.push_back(std::make_unique<bix::Image3d<T>>());
    source->ReadBox(heldLevel, t, channel, bix::Vector3d<unsigned>(0, 0, 0), heldSize, *held.back());
  }
  wxString title = ViewerTitle(name, VoxelTypeName<T>(), full.size, resolution);
  if (channels.size() > 1) title += wxString::Format(", %zu channels", channels.size());
  std::unique_ptr<bix::Image3d<T>> first = std::move(held.front());
  held.erase(held.begin());
  orv::orv_OrthoscopeFrame* frame =
      CreateFrame<T>(first.release(), labels, options, title, [&](orv::orv_OrthoscopeFrame* made) {
        static_cast<orv::orv_ImageOrthoscopeCanvas<T>*>(made->GetCanvas())
            ->AttachChunkedSource(source, t, c, heldLevel);
        if (!held.empty())
          orv::orv_AddChannels<T>(made, std::move(held), styles,
                                  std::vector<unsigned>(channels.begin() + 1, channels.end()));
        if (chunkedLabels.source) made->GetCanvas()->AttachChunkedLabels(chunkedLabels.source, chunkedLabels.heldLevel);
      });
  if (!frame) throw bix::IOException("There is not enough memory to show the image.");
  if (source->TimePoints() > 1) {
    // Other time points: their held levels are read as they are asked for,
    // on the time axis's thread alone, so that the decoding workers serve
    // the chunks the cuts show first.
    orv::orv_TimePointReader<T> read = [source, heldLevel, channels, heldSize](
                                           unsigned time, std::vector<bix::Image3d<T>>& stacks,
                                           const std::function<bool()>&) {
      stacks.resize(channels.size());
      for (std::size_t k = 0; k < channels.size(); ++k)
        source->ReadBoxHere(heldLevel, time, channels[k], bix::Vector3d<unsigned>(0, 0, 0), heldSize, stacks[k]);
    };
    orv::orv_AddTimeAxis<T>(frame, source->TimePoints(), t, std::move(read));
  }
  if (labeled) ShowOutlines(frame);
  // Labels from their chunks are not read again whole (they need not fit in memory).
  if (labeled && !chunkedLabels.source) ReloadLabelsFromFile(frame, options.labels, shown);
  AddLevelMenu(frame);
  SetUpViewer<T>(frame, options, false, static_cast<int>(8 * sizeof(T)));
  return frame;
}

// An OME-Zarr image of gray channels is shown from its chunks; a voxel size
// of the user's, or channels read as RGB, still need it in memory.
bool OpensChunked(const ViewerOptions& options, bix::VoxelType type) {
  const bool gray = type != bix::VOXEL_RGB8 && type != bix::VOXEL_RGB16;
  return gray && bix::IsOmeZarr(options.image) && !options.hasVoxelSize;
}

}  // namespace

namespace {

// The viewer of one image, or of channels (each in its style) when there
// are several: MakeViewer's work.
template <class T>
orv::orv_OrthoscopeFrame* MakeViewerOf(std::vector<std::unique_ptr<bix::Image3d<T>>> channels,
                                       const std::vector<orv::orv_ChannelStyle>& styles, const ViewerOptions& options,
                                       const wxString& name, ViewerLabels labels) {
  std::unique_ptr<bix::Image3d<T>> image = std::move(channels.front());
  channels.erase(channels.begin());
  bix::Resolution resolution = image->GetResolution();
  // Checked in microns, before they become pixels per micron: 1e-45 microns
  // has no such number.
  if (options.hasVoxelSize || resolution.IsDefined()) {
    double voxels[3];
    for (unsigned a = 0; a < 3; ++a)
      voxels[a] = options.hasVoxelSize ? options.voxelSize[a] : 1.0 / resolution.GetRes()[a];
    CheckGeometry(image->GetSize(), voxels, name);
  }
  ApplyVoxelSize(options, resolution);
  image->SetResolution(resolution);
  for (auto& channel : channels) channel->SetResolution(resolution);
  if (!options.labels.empty())
    labels = ReadLabelFile(options.labels, std::is_same_v<T, unsigned char>, resolution);
  const bool labeled = !labels.Empty();
  const ShownLabels shown{labels.narrow.get(), labels.wide.get(), std::is_same_v<T, unsigned char>, resolution};
  wxString title = ViewerTitle(name, VoxelTypeName<T>(), image->GetSize(), resolution);
  if (!channels.empty()) title += wxString::Format(", %zu channels", channels.size() + 1);
  orv::orv_OrthoscopeFrame* frame =
      CreateFrame<T>(image.release(), labels, options, title, [&](orv::orv_OrthoscopeFrame* made) {
        if constexpr (std::is_arithmetic_v<T>)
          if (!channels.empty()) orv::orv_AddChannels<T>(made, std::move(channels), styles);
      });
  // The frame's canvas owns the image now (or it was deleted with a failed frame).
  if (!frame) throw bix::IOException("There is not enough memory to show the image.");
  if (labeled) ShowOutlines(frame);
  if (labeled && !options.labels.empty()) ReloadLabelsFromFile(frame, options.labels, shown);
  SetUpViewer<T>(frame, options, kIsRGB<T>, static_cast<int>(8 * (kIsRGB<T> ? sizeof(T) / 3 : sizeof(T))));
  return frame;
}

}  // namespace

template <class T>
orv::orv_OrthoscopeFrame* MakeViewer(std::unique_ptr<bix::Image3d<T>> image, const ViewerOptions& options,
                                     const wxString& name, ViewerLabels labels) {
  std::vector<std::unique_ptr<bix::Image3d<T>>> channels;
  channels.push_back(std::move(image));
  return MakeViewerOf<T>(std::move(channels), {}, options, name, std::move(labels));
}

#define ORV_VIEW_INSTANTIATE_MAKE_VIEWER(T)                                                                \
  template orv::orv_OrthoscopeFrame* MakeViewer<T>(std::unique_ptr<bix::Image3d<T>>, const ViewerOptions&, \
                                                   const wxString&, ViewerLabels);
BIX_FOR_EACH_VOXEL_TYPE(ORV_VIEW_INSTANTIATE_MAKE_VIEWER)

namespace {

// Reads what `read` chooses of the options' file (each of `parts` reads
// takes its share of the progress, the `part`-th now), under a progress
// dialog for large files unless the caller is told the progress.
template <class T>
void ReadPart(const ViewerOptions& options, const bix::ReadOptions& read, const bix::ProgressCallback& given,
              unsigned part, unsigned parts, bix::Image3d<T>& image, std::unique_ptr<wxProgressDialog>& progress) {
  const wxFileName file(wxString::FromUTF8(options.image));
  if (!given && !progress && file.GetSize() != wxInvalidSize && file.GetSize().GetValue() > kProgressFromBytes)
    progress = std::make_unique<wxProgressDialog>("orv-view", "Reading " + file.GetFullName() + "...", 1000, nullptr,
                                                  wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME);
  auto report = [&](double fraction) {
    const double whole = (part + fraction) / parts;
    return progress ? progress->Update(static_cast<int>(whole * 1000)) : given(whole);
  };
  bix::ReadImage<T>(options.image, image, progress || given ? bix::ProgressCallback(report) : bix::ProgressCallback(),
                    read);
}

// The name a viewer's title gives the options' file: an OME-Zarr store is
// named by its folder, also when its ".zattrs" was chosen.
wxString ImageName(const ViewerOptions& options) {
  return bix::IsOmeZarr(options.image)
             ? wxFileName(wxString::FromUTF8(bix::OmeZarrFolder(options.image))).GetFullName()
             : wxFileName(wxString::FromUTF8(options.image)).GetFullName();
}

void NoteAssumedZSpacing(const ViewerOptions& options, bool zSpacingAssumed) {
  if (!options.hasVoxelSize && zSpacingAssumed)
    std::fprintf(stderr, "orv-view: z spacing not in the file; using the x spacing, override with --voxel-size\n");
}

// What each stack of a time point is read with: one read per channel shown,
// or the options' own reading of one image.
std::vector<bix::ReadOptions> StackReads(const ViewerOptions& options, const std::vector<unsigned>& channels,
                                         unsigned timePoint) {
  if (channels.empty()) {
    bix::ReadOptions read = ReadOptionsOf(options);
    read.timePoint = timePoint;
    return {read};
  }
  std::vector<bix::ReadOptions> reads;
  for (unsigned c : channels) reads.push_back(bix::ReadOptions{{c}, timePoint});
  return reads;
}

// A viewer of a time series in memory gets its time axis: the other time
// points are read as they are asked for, placed where the viewer's first
// one is (a voxel size given on the command line included).
template <class T>
void AddTimeAxis(orv::orv_OrthoscopeFrame* frame, const ViewerOptions& options, unsigned timePoints,
                 const std::vector<unsigned>& channels) {
  if (timePoints < 2) return;
  const bix::Image3d<T>& shown = static_cast<orv::orv_ImageOrthoscopeCanvas<T>*>(frame->GetCanvas())->GetChannelImage(0);
  const bix::Resolution resolution = shown.GetResolution();
  const bix::Vector3d<float> offset = shown.GetOffset();
  orv::orv_TimePointReader<T> read = [options, channels, resolution, offset](
                                         unsigned t, std::vector<bix::Image3d<T>>& stacks,
                                         const std::function<bool()>& keepGoing) {
    const std::vector<bix::ReadOptions> reads = StackReads(options, channels, t + 1);
    stacks.resize(reads.size());
    for (std::size_t k = 0; k < reads.size(); ++k) {
      bix::ReadImage<T>(options.image, stacks[k], [&](double) { return keepGoing(); }, reads[k]);
      stacks[k].SetResolution(resolution);
      stacks[k].SetOffset(offset);
    }
  };
  orv::orv_AddTimeAxis<T>(frame, timePoints, options.timePoint - 1, std::move(read));
}

template <class T>
orv::orv_OrthoscopeFrame* OpenFile(const ViewerOptions& options, bool zSpacingAssumed, unsigned timePoints,
                                   const bix::ProgressCallback& given) {
  const std::string problem = StretchProblem(options.stretch, kIsRGB<T>);
  if (!problem.empty()) throw OptionError(problem);
  auto image = std::make_unique<bix::Image3d<T>>();
  std::unique_ptr<wxProgressDialog> progress;
  ReadPart<T>(options, ReadOptionsOf(options), given, 0, 1, *image, progress);
  progress.reset();
  NoteAssumedZSpacing(options, zSpacingAssumed);
  orv::orv_OrthoscopeFrame* frame = MakeViewer<T>(std::move(image), options, ImageName(options), ViewerLabels());
  AddTimeAxis<T>(frame, options, timePoints, {});
  return frame;
}

// "1 channel", "4 channels".
std::string Counted(unsigned n, const std::string& what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

// The channels a viewer of `layout` shows: those the options name, else all.
std::vector<unsigned> ShownChannels(const ViewerOptions& options, const bix::ImageLayout& layout) {
  if (!options.channels.empty()) return options.channels;
  std::vector<unsigned> all(layout.channels);
  for (unsigned c = 0; c < layout.channels; ++c) all[c] = c + 1;
  return all;
}

// How the channels are shown: the file's names and colours. Colours that
// are all alike (an ImageJ hyperstack in grayscale mode: white for every
// channel) tell the channels apart no better than none, so the defaults
// take their place.
std::vector<orv::orv_ChannelStyle> ChannelStyles(const bix::ImageLayout& layout, const std::vector<unsigned>& shown) {
  std::vector<orv::orv_ChannelStyle> styles(shown.size());
  bool alike = true;
  for (std::size_t k = 0; k < shown.size(); ++k) {
    const bix::ChannelFacts& facts = layout.channelFacts.at(shown[k] - 1);
    const bix::ChannelFacts& first = layout.channelFacts.at(shown[0] - 1);
    alike = alike && facts.hasColour && first.hasColour && facts.red == first.red && facts.green == first.green &&
            facts.blue == first.blue;
    styles[k].name = wxString::FromUTF8(facts.name);
    if (facts.hasColour) styles[k].colour = wxColour(facts.red, facts.green, facts.blue);
  }
  if (alike && shown.size() > 1)
    for (auto& style : styles) style.colour = wxColour();
  return styles;
}

// A file's channels, each read at the chosen time point and shown in its own
// colour with its own mapping, added.
template <class T>
orv::orv_OrthoscopeFrame* OpenChannels(const ViewerOptions& options, const bix::ImageLayout& layout,
                                       const std::vector<unsigned>& shown, const bix::ProgressCallback& given) {
  const std::string problem = StretchProblem(options.stretch, true);
  if (!problem.empty()) throw OptionError(problem);
  std::vector<std::unique_ptr<bix::Image3d<T>>> channels;
  std::unique_ptr<wxProgressDialog> progress;
  for (std::size_t k = 0; k < shown.size(); ++k) {
    channels.push_back(std::make_unique<bix::Image3d<T>>());
    ReadPart<T>(options, bix::ReadOptions{{shown[k]}, options.timePoint}, given, static_cast<unsigned>(k),
                static_cast<unsigned>(shown.size()), *channels.back(), progress);
  }
  progress.reset();
  NoteAssumedZSpacing(options, layout.zSpacingAssumed);
  orv::orv_OrthoscopeFrame* frame = MakeViewerOf<T>(std::move(channels), ChannelStyles(layout, shown), options,
                                                    ImageName(options), ViewerLabels());
  AddTimeAxis<T>(frame, options, layout.timePoints, shown);
  return frame;
}

}  // namespace

// As a user would: the item of the "&Mapping" menu, whose first item is the
// module's base id.
void ApplyStretch(orv::orv_OrthoscopeFrame* frame, const std::string& stretch) {
  const int offset = StretchMenuOffset(stretch);
  const int mapping = frame->GetMenuBar()->FindMenu("Mapping");
  if (mapping == wxNOT_FOUND || offset < 0) return;
  wxCommandEvent command(wxEVT_MENU, frame->GetMenuBar()->GetMenu(mapping)->FindItemByPosition(0)->GetId() + offset);
  command.SetEventObject(frame);
  frame->ProcessWindowEvent(command);
}

void ApplyInitialZoom(orv::orv_OrthoscopeFrame* frame) {
  orv::orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  ZoomChoice choice;
  choice.extent = canvas->GetImageBox().size;
  choice.baseZoom = canvas->GetBaseZoom();
  choice.available = wxGetClientDisplayRect().GetSize();
  choice.decoration = frame->ClientToWindowSize(wxSize(0, 0));
  orv::orv_CanvasSettings settings;
  canvas->GetSettings(settings);
  settings.zoomLevel = ChooseInitialZoomLevel(choice);
  canvas->SetSettings(settings);
  frame->ResizeFrameIfRequired();
}

orv::orv_OrthoscopeFrame* OpenStartViewer(const ViewerOptions& options, bool& cancelled,
                                          const bix::ProgressCallback& progress) {
  cancelled = false;
  try {
    return OpenViewer(options, progress);
  } catch (const bix::ReadCancelled&) {
    cancelled = true;
    return OpenViewer(ViewerOptions());
  }
}

orv::orv_OrthoscopeFrame* OpenViewer(const ViewerOptions& options, const bix::ProgressCallback& progress) {
  if (options.image.empty()) {
    const std::string problem = StretchProblem(options.stretch, false);
    if (!problem.empty()) throw OptionError(problem);
    SampleStack sample = MakeSampleStack(!options.noLabels && options.labels.empty() && options.points.empty());
    ViewerLabels nuclei;
    nuclei.narrow = std::move(sample.labels);
    return MakeViewer<unsigned short>(std::move(sample.image), options, "sample stack", std::move(nuclei));
  }
  // Several channels open as one coloured layer each, unless --as-rgb.
  const bix::ImageLayout layout = bix::ReadImageLayout(options.image);
  if (!options.asRgb) {
    const std::vector<unsigned> shown = ShownChannels(options, layout);
    if (shown.size() > 1) {
      for (unsigned c : shown)
        if (c > layout.channels)
          throw bix::IOException("'" + options.image + "': has " + Counted(layout.channels, "channel") +
                                 "; there is no channel " + std::to_string(c));
      if (OpensChunked(options, layout.channelType)) {
        const std::vector<orv::orv_ChannelStyle> styles = ChannelStyles(layout, shown);
        std::vector<unsigned> channels;
        for (unsigned c : shown) channels.push_back(c - 1);
        const std::string problem = StretchProblem(options.stretch, true);
        if (!problem.empty()) throw OptionError(problem);
        const unsigned t = options.timePoint - 1;
        if (t >= layout.timePoints)
          throw bix::IOException("'" + options.image + "': has " + Counted(layout.timePoints, "time point") +
                                 "; there is no time point " + std::to_string(options.timePoint));
        switch (layout.channelType) {
          case bix::VOXEL_UCHAR: return OpenChunked<unsigned char>(options, t, channels, styles);
          case bix::VOXEL_USHORT: return OpenChunked<unsigned short>(options, t, channels, styles);
          case bix::VOXEL_INT: return OpenChunked<int>(options, t, channels, styles);
          default: return OpenChunked<float>(options, t, channels, styles);
        }
      }
      switch (layout.channelType) {
        case bix::VOXEL_UCHAR: return OpenChannels<unsigned char>(options, layout, shown, progress);
        case bix::VOXEL_USHORT: return OpenChannels<unsigned short>(options, layout, shown, progress);
        case bix::VOXEL_INT: return OpenChannels<int>(options, layout, shown, progress);
        case bix::VOXEL_FLOAT: return OpenChannels<float>(options, layout, shown, progress);
        default: break;  // RGB voxels: one channel of their own
      }
    }
  }
  const bix::ImageFileFacts facts = bix::ReadImageFacts(options.image, ReadOptionsOf(options));
  if (OpensChunked(options, facts.type)) {
    const std::string problem = StretchProblem(options.stretch, false);
    if (!problem.empty()) throw OptionError(problem);
    const unsigned t = options.timePoint - 1, c = options.channels.empty() ? 0 : options.channels.front() - 1;
    switch (facts.type) {
      case bix::VOXEL_UCHAR: return OpenChunked<unsigned char>(options, t, {c}, {});
      case bix::VOXEL_USHORT: return OpenChunked<unsigned short>(options, t, {c}, {});
      case bix::VOXEL_INT: return OpenChunked<int>(options, t, {c}, {});
      default: return OpenChunked<float>(options, t, {c}, {});
    }
  }
  switch (facts.type) {
    case bix::VOXEL_UCHAR:
      return OpenFile<unsigned char>(options, facts.zSpacingAssumed, layout.timePoints, progress);
    case bix::VOXEL_USHORT:
      return OpenFile<unsigned short>(options, facts.zSpacingAssumed, layout.timePoints, progress);
    case bix::VOXEL_INT:
      return OpenFile<int>(options, facts.zSpacingAssumed, layout.timePoints, progress);
    case bix::VOXEL_FLOAT:
      return OpenFile<float>(options, facts.zSpacingAssumed, layout.timePoints, progress);
    case bix::VOXEL_RGB8:
      return OpenFile<bix::RGB8>(options, facts.zSpacingAssumed, layout.timePoints, progress);
    case bix::VOXEL_RGB16:
      return OpenFile<bix::RGB16>(options, facts.zSpacingAssumed, layout.timePoints, progress);
  }
  throw bix::IOException("'" + options.image + "': unknown voxel type");
}

}  // namespace orvview

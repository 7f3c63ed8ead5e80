// Time points and channels of gray stacks as one OME-TIFF: a page per
// plane in the order XYZCT, the OME-XML in the first page's description.

#include "IOError.h"
#include "ImageWriters.h"
#include "PosixFile.h"
#include "TemporaryFiles.h"

#include <bix/ImageIO.h>
#include <bix/Types.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace bix {

namespace {

template <class T>
const char* OmePixelType() {
  if constexpr (std::is_same_v<T, unsigned char>) return "uint8";
  if constexpr (std::is_same_v<T, unsigned short>) return "uint16";
  if constexpr (std::is_same_v<T, int>) return "int32";
  return "float";
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", v);
  return text;
}

template <class T>
std::string OmeXml(const Image3d<T>& first, unsigned channels, unsigned times,
                   const std::vector<ChannelFacts>& facts) {
  const Vector3d<unsigned> n = first.GetSize();
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<OME xmlns=\"http://www.openmicroscopy.org/Schemas/OME/2016-06\">"
      "<Image ID=\"Image:0\"><Pixels ID=\"Pixels:0\" DimensionOrder=\"XYZCT\" Type=\"" +
      std::string(OmePixelType<T>()) + "\" SizeX=\"" + std::to_string(n.x) + "\" SizeY=\"" + std::to_string(n.y) +
      "\" SizeZ=\"" + std::to_string(n.z) + "\" SizeC=\"" + std::to_string(channels) + "\" SizeT=\"" +
      std::to_string(times) + "\"";
  if (first.GetResolution().IsDefined()) {
    const Vector3d<float>& res = first.GetResolution().GetRes();
    for (unsigned a = 0; a < 3; ++a) {
      const std::string axis(1, char('X' + a));
      xml += " PhysicalSize" + axis + "=\"" + Number(1.0 / res[a]) + "\" PhysicalSize" + axis + "Unit=\"\xC2\xB5m\"";
    }
  }
  xml += ">";
  for (unsigned c = 0; c < channels; ++c) {
    xml += "<Channel ID=\"Channel:0:" + std::to_string(c) + "\" SamplesPerPixel=\"1\"";
    if (c < facts.size() && !facts[c].name.empty()) xml += " Name=\"" + Escaped(facts[c].name) + "\"";
    if (c < facts.size() && facts[c].hasColour) {
      // OME's colour: RGBA packed into a signed 32-bit number.
      const std::uint32_t rgba = std::uint32_t(facts[c].red) << 24 | std::uint32_t(facts[c].green) << 16 |
                                 std::uint32_t(facts[c].blue) << 8 | 0xff;
      xml += " Color=\"" + std::to_string(std::int32_t(rgba)) + "\"";
    }
    xml += "/>";
  }
  xml += "<TiffData/></Pixels></Image></OME>";
  return xml;
}

}  // namespace

template <class T>
void SaveOmeTiff(const std::vector<std::vector<const Image3d<T>*>>& stacks, const std::vector<ChannelFacts>& channels,
                 const std::string& path) {
  const std::size_t count = stacks.empty() ? 0 : stacks.front().size();
  if (count == 0) io::Fail(path, "the image is empty; there is nothing to save");
  const Image3d<T>& first = *stacks.front().front();
  std::uint64_t bytes = 0;
  for (const auto& time : stacks) {
    if (time.size() != count) io::Fail(path, "every time point needs the same channels");
    for (const Image3d<T>* stack : time) {
      if (!stack || stack->GetVoxelCount() == 0) io::Fail(path, "the image is empty; there is nothing to save");
      if (stack->GetSize() != first.GetSize()) io::Fail(path, "every channel and time point needs the same size");
      bytes += stack->GetVoxelCount() * sizeof(T);
    }
  }
  const std::string description = OmeXml(first, unsigned(count), unsigned(stacks.size()), channels);
  io::TemporaryFiles files({io::FileBehindLinks(path)}, path);
  {
    io::TiffFile file(files.Path(0), io::NeedsBigTiff(bytes) ? "w8" : "w", path);
    std::uint64_t page = 0;
    for (const auto& time : stacks)
      for (const Image3d<T>* stack : time) {
        io::VoxelBox box;
        box.first = reinterpret_cast<const unsigned char*>(stack->GetFirstVoxelAddr());
        box.size = stack->GetSize();
        box.type = io::StoredTypeOf<T>::value;
        box.rowStride = box.RowBytes();
        box.planeStride = box.PlaneBytes();
        box.offset = stack->GetOffset();
        box.resolution = stack->GetResolution();
        io::WriteTiffPages(file, box, true, page == 0 ? &description : nullptr, page);
        page += box.size.z;
      }
    file.Close();
  }
  files.Commit();
}

#define BIX_INSTANTIATE_SAVE_OME_TIFF(T)                                                                  \
  template void SaveOmeTiff<T>(const std::vector<std::vector<const Image3d<T>*>>&, const std::vector<ChannelFacts>&, \
                               const std::string&);
BIX_FOR_EACH_GRAY_TYPE(BIX_INSTANTIATE_SAVE_OME_TIFF)

}  // namespace bix

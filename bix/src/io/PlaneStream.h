#ifndef BIX_IO_PLANESTREAM_H
#define BIX_IO_PLANESTREAM_H

// The z planes of an image file one after the other, as voxels of type T:
// for work that must not hold the whole image (converting a stack larger
// than memory).

#include "ImageReader.h"

#include <memory>
#include <string>
#include <vector>

namespace bix::io {

template <class T>
class PlaneStream {
public:
  // Opens the file with the channel and time point `options` choose; T must
  // be a gray type the file's voxels read as. Raises IOException.
  PlaneStream(const std::string& name, const ReadOptions& options);
  ~PlaneStream();

  const ImageInfo& Info() const { return m_reader->GetInfo(); }
  // Reads the next z plane (size.x * size.y voxels) into `plane`.
  void Next(T* plane);

private:
  std::unique_ptr<ImageReader> m_reader;
  void (*m_convert)(const unsigned char*, T*, std::size_t, const std::string&);
  std::vector<unsigned char> m_buffer;
  unsigned m_z = 0;
};

}  // namespace bix::io

#endif

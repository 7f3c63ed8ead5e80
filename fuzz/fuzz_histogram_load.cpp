// libFuzzer target: Histogram::Load on arbitrary bytes must never crash,
// hang or allocate absurdly, and must either succeed with a consistent
// histogram or leave the histogram as it was.

#include "fuzz_input_file.h"

#include <orv/histogram.h>

#include <wx/string.h>

#include <cstdint>

namespace {

template <class T>
void LoadAs(const wxString& path) {
  orv::Histogram<T> h;
  h.Init(T(0), T(10), 11);
  h[3] = 7;
  if (h.Load(path)) {
    if (h.empty() || h.GetLeftCenter() > h.GetRightCenter()) __builtin_trap();
  } else if (h.size() != 11 || h[3] != 7) {
    __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static FuzzInputFile file(".hist");
  const wxString path = wxString::FromUTF8(file.Write(data, size));
  LoadAs<unsigned char>(path);
  LoadAs<unsigned short>(path);
  LoadAs<int>(path);
  LoadAs<float>(path);
  return 0;
}

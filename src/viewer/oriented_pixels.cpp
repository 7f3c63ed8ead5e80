#include "oriented_pixels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORV_PIXELS_SSSE3 1
#endif

namespace orv {

namespace {


inline std::uint32_t XRGB(const bix::RGB8& c) {
  return std::uint32_t(c.red) << 16 | std::uint32_t(c.green) << 8 | c.blue;
}

// Where picture pixels come from and go to. Passed by value: pixel stores
// through a pointer could otherwise overwrite the fields, forcing reloads.
struct Picture {
  const bix::RGB8* data;
  int bw;    // buffer row length
  int w, h;  // picture size
  bool transpose, mirrorH, mirrorV;
  unsigned char* pixels;
  std::size_t stride;

  std::uint32_t* Row(int r) const { return reinterpret_cast<std::uint32_t*>(pixels + std::size_t(r) * stride); }
  // The buffer row of picture column c (transposed) or row r (not).
  int SourceColumn(int c) const { return mirrorH ? w - 1 - c : c; }
  int SourceRow(int r) const { return mirrorV ? h - 1 - r : r; }
  const bix::RGB8& At(int c, int r) const {
    return transpose ? data[std::size_t(SourceColumn(c)) * bw + SourceRow(r)]
                     : data[std::size_t(SourceRow(r)) * bw + SourceColumn(c)];
  }
  // The pixels of columns [c0, c1) x rows [r0, r1), one at a time.
  void WriteEach(int c0, int c1, int r0, int r1) const {
    for (int r = r0; r < r1; ++r) {
      std::uint32_t* dst = Row(r);
      for (int c = c0; c < c1; ++c) dst[c] = XRGB(At(c, r));
    }
  }
};

void WritePlain(Picture p) {
  if (!p.transpose) {
    for (int r = 0; r < p.h; ++r) {
      const bix::RGB8* line = p.data + std::size_t(p.SourceRow(r)) * p.bw;
      std::uint32_t* __restrict dst = p.Row(r);
      if (p.mirrorH) {
        for (int c = 0; c < p.w; ++c) dst[c] = XRGB(line[p.w - 1 - c]);
      } else {
        const unsigned char* __restrict src = &line[0].red;
        // Four bytes loaded at once and byte-reversed put red, green, blue
        // where cairo wants them; the last pixel of a row is read on its own
        // so that no byte past the buffer is touched.
        for (int c = 0; c + 1 < p.w; ++c, src += 3) {
          std::uint32_t v;
          std::memcpy(&v, src, 4);
          dst[c] = __builtin_bswap32(v) >> 8;
        }
        dst[p.w - 1] = XRGB(line[p.w - 1]);
      }
    }
    return;
  }
  // Transposing in tiles keeps both the rows read and the rows written in cache.
  constexpr int kTile = 32;
  for (int r0 = 0; r0 < p.h; r0 += kTile)
    for (int c0 = 0; c0 < p.w; c0 += kTile) p.WriteEach(c0, std::min(c0 + kTile, p.w), r0, std::min(r0 + kTile, p.h));
}

#ifdef ORV_PIXELS_SSSE3

// Four packed RGB pixels (exactly the 12 bytes at src) as four RGB24 words,
// in their order or reversed.
__attribute__((target("ssse3"))) inline __m128i Expand4(const bix::RGB8* pixels, __m128i order) {
  const auto* src = reinterpret_cast<const unsigned char*>(pixels);
  std::int32_t last;
  std::memcpy(&last, src + 8, 4);
  const __m128i bytes = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)),
                                           _mm_cvtsi32_si128(last));
  return _mm_shuffle_epi8(bytes, order);
}

__attribute__((target("ssse3"))) void WriteVectorised(Picture p) {
  // Byte k of the result takes byte order[k] of the source (-128: zero).
  const __m128i forward = _mm_setr_epi8(2, 1, 0, -128, 5, 4, 3, -128, 8, 7, 6, -128, 11, 10, 9, -128);
  const __m128i reversed = _mm_setr_epi8(11, 10, 9, -128, 8, 7, 6, -128, 5, 4, 3, -128, 2, 1, 0, -128);
  const int w4 = p.w & ~3, h4 = p.h & ~3;
  if (!p.transpose) {
    for (int r = 0; r < p.h; ++r) {
      const bix::RGB8* line = p.data + std::size_t(p.SourceRow(r)) * p.bw;
      auto* dst = reinterpret_cast<__m128i*>(p.Row(r));
      if (p.mirrorH) {
        for (int c = 0; c < w4; c += 4) _mm_storeu_si128(dst + c / 4, Expand4(line + (p.w - 4 - c), reversed));
      } else {
        for (int c = 0; c < w4; c += 4) _mm_storeu_si128(dst + c / 4, Expand4(line + c, forward));
      }
    }
    p.WriteEach(w4, p.w, 0, p.h);
    return;
  }
  // Blocks of 4 x 4 pixels: four buffer rows give four picture columns, each
  // read as four consecutive elements, then transposed in registers. Sixteen
  // picture columns at a time fill whole cache lines of the picture rows.
  const __m128i order = p.mirrorV ? reversed : forward;
  for (int cs = 0; cs < w4; cs += 16) {
    const int ce = std::min(cs + 16, w4);
    for (int r0 = 0; r0 < h4; r0 += 4) {
      const int first = p.mirrorV ? p.h - 4 - r0 : r0;  // lowest buffer element of these rows
      for (int c0 = cs; c0 < ce; c0 += 4) {
        const __m128i v0 = Expand4(p.data + std::size_t(p.SourceColumn(c0)) * p.bw + first, order);
        const __m128i v1 = Expand4(p.data + std::size_t(p.SourceColumn(c0 + 1)) * p.bw + first, order);
        const __m128i v2 = Expand4(p.data + std::size_t(p.SourceColumn(c0 + 2)) * p.bw + first, order);
        const __m128i v3 = Expand4(p.data + std::size_t(p.SourceColumn(c0 + 3)) * p.bw + first, order);
        const __m128i t0 = _mm_unpacklo_epi32(v0, v1), t1 = _mm_unpacklo_epi32(v2, v3);
        const __m128i t2 = _mm_unpackhi_epi32(v0, v1), t3 = _mm_unpackhi_epi32(v2, v3);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p.Row(r0) + c0), _mm_unpacklo_epi64(t0, t1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p.Row(r0 + 1) + c0), _mm_unpackhi_epi64(t0, t1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p.Row(r0 + 2) + c0), _mm_unpacklo_epi64(t2, t3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p.Row(r0 + 3) + c0), _mm_unpackhi_epi64(t2, t3));
      }
    }
  }
  p.WriteEach(w4, p.w, 0, p.h);
  p.WriteEach(0, w4, h4, p.h);
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

#endif

}  // namespace

void WriteOrientedPixels(const RGB8Buffer& buffer, bool transpose, bool mirrorH, bool mirrorV,
                         unsigned char* pixels, std::size_t stride, bool vectorised) {
  const int bw = static_cast<int>(buffer.width), bh = static_cast<int>(buffer.height);
  if (!buffer.data || bw == 0 || bh == 0) return;
  const Picture p{buffer.data, bw, transpose ? bh : bw, transpose ? bw : bh, transpose, mirrorH, mirrorV,
                  pixels, stride};
#ifdef ORV_PIXELS_SSSE3
  if (vectorised && HasSsse3()) {
    WriteVectorised(p);
    return;
  }
#else
  (void)vectorised;
#endif
  WritePlain(p);
}

}  // namespace orv

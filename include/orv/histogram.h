#ifndef ORV_HISTOGRAM_H
#define ORV_HISTOGRAM_H

#include <orv/orv_export.h>

#include <bix/Image3d.h>

// File names are the toolkit's strings; counting needs no toolkit, so only
// a declaration here.
class wxString;

#include <cstddef>
#include <functional>
#include <memory>

namespace orv {

// A histogram over a value range of T with n equally spaced bins, each
// described by its centre: centre i = lo + (hi - lo) / (n - 1) * i (truncated
// for integer T), so the first centre is lo and the last hi. Counts are
// 32-bit and wrap.
template <class T>
class ORV_EXPORT Histogram {
public:
  // Bin counts above this are refused by Load (a file cannot make us allocate
  // gigabytes); it is also the most bins a data-range histogram gets.
  static constexpr unsigned kMaxBins = 1u << 24;

  Histogram() = default;
  Histogram(const Histogram& other);
  Histogram& operator=(const Histogram& other);
  virtual ~Histogram() = default;

  // n bins over [lo, hi], all counts 0; n = 0 leaves an empty histogram.
  void Init(const T& lo, const T& hi, unsigned n);
  // The bins of `src` from src.GetBinPos(lo) to src.GetBinPos(hi) inclusive.
  void CreateSubHist(const Histogram& src, T lo, T hi);
  // Counts every stride-th value of [first, last) after Init(lo, hi, n).
  void Fill(const T& lo, const T& hi, unsigned n, const T* first, const T* last, std::size_t stride);

  // 0 at or below the first centre, n - 1 at or above the last, otherwise the
  // position between them scaled to n - 1 and truncated (NaN gives 0).
  unsigned GetBinPos(T x) const;
  unsigned& GetBin(const T& x) { return m_counts[GetBinPos(x)]; }
  const unsigned& GetBin(const T& x) const { return m_counts[GetBinPos(x)]; }
  T GetBinCenter(unsigned i) const { return m_centres[i]; }
  T GetLeftCenter() const { return m_centres[0]; }
  T GetRightCenter() const { return m_centres[m_n - 1]; }

  unsigned& operator[](unsigned i) { return m_counts[i]; }
  const unsigned& operator[](unsigned i) const { return m_counts[i]; }
  unsigned* begin() { return m_counts.get(); }
  unsigned* end() { return m_counts.get() + m_n; }
  const unsigned* begin() const { return m_counts.get(); }
  const unsigned* end() const { return m_counts.get() + m_n; }
  unsigned size() const { return m_n; }
  bool empty() const { return m_n == 0; }

  void Clear();
  unsigned GetSum() const;
  // Index of the first non-zero count; n - 1 if there is none.
  unsigned FindFirstNonZero() const;
  // Index of the last non-zero count; 0 if there is none.
  unsigned FindLastNonZero() const;
  // The bin at which the fraction of voxels counted from the bottom (left)
  // or the top (right) first reaches p.
  unsigned FindLeftPercentil(double p) const;
  unsigned FindRightPercentil(double p) const;

  // Same layout: bin count and both end centres; counts are not compared.
  bool operator==(const Histogram& other) const;
  bool operator!=(const Histogram& other) const { return !(*this == other); }
  // Adds other's counts over the first min(n, other.n) bins.
  Histogram& operator+=(const Histogram& other);

  // The histogram file: the type name, "n first last " with the first and
  // last non-zero bins, the two end centres, then the counts of bins first
  // to last, each followed by a blank. Save writes a temporary file beside
  // the target and renames it, so a failed save keeps the old file; it
  // refuses an empty histogram. Load returns false, leaving the histogram
  // unchanged, for any file that is not exactly of that form.
  bool Save(const wxString& path) const;
  bool Load(const wxString& path);

private:
  template <class>
  friend class HistogramSet;
  // Fill, with `meanwhile` done once on the calling thread while the cores count.
  void Fill(const T& lo, const T& hi, unsigned n, const T* first, const T* last, std::size_t stride,
            const std::function<void()>& meanwhile);

  unsigned m_n = 0;
  std::unique_ptr<unsigned[]> m_counts;
  std::unique_ptr<T[]> m_centres;
};

// The histograms of one image: one for a gray voxel type, one per channel
// (0 red, 1 green, 2 blue) for a colour type.
template <class T>
class ORV_EXPORT HistogramSet {
public:
  HistogramSet() = default;
  explicit HistogramSet(const bix::Image3d<T>& image) { CreateFromImage(image); }

  Histogram<T>& Get() { return m_histogram; }
  const Histogram<T>& Get() const { return m_histogram; }
  void Set(const Histogram<T>& h) { m_histogram = h; }
  bool IsEmpty() const { return m_histogram.empty(); }
  // 8-bit: 256 bins over 0..255; 16-bit: 65536 over 0..65535; int: one bin
  // per value from the data minimum to the maximum (at most kMaxBins bins
  // over that range); float: 256 bins from the smallest to the largest
  // finite voxel. Shows "Creating histogram..." while it counts.
  void CreateFromImage(const bix::Image3d<T>& image);

private:
  Histogram<T> m_histogram;
};

template <class C>
class ORV_EXPORT HistogramSet<bix::RGB_generic<C>> {
public:
  HistogramSet() = default;
  explicit HistogramSet(const bix::Image3d<bix::RGB_generic<C>>& image) { CreateFromImage(image); }

  Histogram<C>& Get(int channel) { return m_channels[channel]; }
  const Histogram<C>& Get(int channel) const { return m_channels[channel]; }
  Histogram<C>& operator[](int channel) { return m_channels[channel]; }
  const Histogram<C>& operator[](int channel) const { return m_channels[channel]; }
  void Set(int channel, const Histogram<C>& h) { m_channels[channel] = h; }
  bool IsEmpty() const { return m_channels[0].empty() && m_channels[1].empty() && m_channels[2].empty(); }
  // One histogram per channel over the channel type's whole range, with a
  // busy message per channel ("Creating histogram (red)..." and so on).
  void CreateFromImage(const bix::Image3d<bix::RGB_generic<C>>& image);

private:
  Histogram<C> m_channels[3];
};

}  // namespace orv

#endif

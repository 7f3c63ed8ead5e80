// Histogram files and the busy notices shown while sets are counted.

#include "gui_test.h"

#include <orv/histogram.h>

#include <wx/eventfilter.h>
#include <wx/ffile.h>
#include <wx/filename.h>
#include <wx/frame.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

using orv::Histogram;
using orv::HistogramSet;

namespace {

// A file in a fresh temporary folder, removed with it.
class TempFile {
public:
  TempFile() {
    m_dir = wxFileName::CreateTempFileName("orvhist");
    wxRemoveFile(m_dir);
    wxMkdir(m_dir);
    m_path = m_dir + "/hist.txt";
  }
  ~TempFile() { wxFileName::Rmdir(m_dir, wxPATH_RMDIR_RECURSIVE); }
  const wxString& path() const { return m_path; }
  std::string Read() const {
    std::ifstream in(m_path.fn_str(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void Write(const std::string& text) const { std::ofstream(m_path.fn_str(), std::ios::binary) << text; }

private:
  wxString m_dir, m_path;
};

}  // namespace

TEST(HistogramFile, SaveWritesTheWorkedExampleByteForByte) {
  Histogram<unsigned char> h;
  h.Init(0, 255, 256);
  h[2] = 5;
  h[4] = 1;
  TempFile file;
  ASSERT_TRUE(h.Save(file.path()));
  EXPECT_EQ(file.Read(), "unsigned char\n256 2 4 \n0 255\n5 0 1 ");

  h.Clear();
  ASSERT_TRUE(h.Save(file.path()));
  EXPECT_EQ(file.Read(), "unsigned char\n256 255 255 \n0 255\n0 ");

  Histogram<float> f;
  f.Init(0.1f, 2.5f, 3);
  f[1] = 7;
  ASSERT_TRUE(f.Save(file.path()));
  EXPECT_EQ(file.Read(), "float\n3 1 1 \n0.100000001 2.5\n7 ");

  EXPECT_FALSE(Histogram<int>().Save(file.path()));
  EXPECT_FALSE(h.Save("/nonexistent-folder/h.txt"));
}

TEST(HistogramFile, LoadRoundTripsAndRecomputesCentres) {
  Histogram<unsigned short> h;
  h.Init(100, 1099, 1000);
  h[3] = 70000;
  h[500] = 4000000000u;
  TempFile file;
  ASSERT_TRUE(h.Save(file.path()));
  Histogram<unsigned short> loaded;
  ASSERT_TRUE(loaded.Load(file.path()));
  EXPECT_TRUE(loaded == h);
  EXPECT_EQ(std::vector<unsigned>(loaded.begin(), loaded.end()), std::vector<unsigned>(h.begin(), h.end()));

  Histogram<float> f;
  f.Init(0.1f, 2.7f, 256);
  f[200] = 3;
  ASSERT_TRUE(f.Save(file.path()));
  Histogram<float> g;
  ASSERT_TRUE(g.Load(file.path()));
  EXPECT_TRUE(g == f) << "float centres survive the file";

  // Windows line ends are accepted; line ends between counts are skipped.
  file.Write("int\r\n4 0 3 \r\n0 30\r\n1 2 \n3 4 ");
  Histogram<int> i;
  ASSERT_TRUE(i.Load(file.path()));
  for (unsigned k = 0; k < 4; ++k) EXPECT_EQ(i.GetBinCenter(k), int(10 * k));
  EXPECT_EQ(i[3], 4u);
  // The last count may end with the file instead of a blank.
  file.Write("int\n2 0 1 \n0 1\n5 6");
  ASSERT_TRUE(i.Load(file.path()));
  EXPECT_EQ(i[1], 6u);
}

TEST(HistogramFile, LoadRejectsMalformedFilesAndKeepsTheHistogram) {
  TempFile file;
  const std::string bad[] = {
      "",                                             // empty file
      "unsigned short\n256 2 4 \n0 255\n5 0 1 ",     // wrong type
      "unsigned char \n256 2 4 \n0 255\n5 0 1 ",     // not exactly the name
      "unsigned char\n0 0 0 \n0 255\n",              // zero bins
      "unsigned char\n99999999999 0 0 \n0 255\n1 ",  // absurd bin count
      "unsigned char\n256 4 2 \n0 255\n1 1 1 ",      // first > last
      "unsigned char\n256 2 256 \n0 255\n1 ",        // last >= n
      "unsigned char\n256 2 4 \n0 255\n5 0 ",        // truncated counts
      "unsigned char\n256 2 4 \n0 255\n5  0 1 ",     // two blanks: an empty number
      "unsigned char\n256 2 4 \n0 255\n5 12a 1 ",    // a non-digit
      "unsigned char\n256 2 4 \n0 255\n5 -1 1 ",     // a sign
      "unsigned char\n256 2 2 \n0 255\n12345678901234567890 ",  // 20 digits
      "unsigned char\n256 2 4 \n0 300\n5 0 1 ",      // centre out of range
      "unsigned char\n256 2 4 \n200 100\n5 0 1 ",    // centres inverted
      "unsigned char\nx 2 4 \n0 255\n5 0 1 ",        // non-digit header
      "float\n3 0 0 \nnan 1\n1 ",                    // not a number
      std::string(200, 'u') + "\n",                  // a line longer than any type name
  };
  Histogram<unsigned char> h;
  h.Init(0, 9, 10);
  h[4] = 42;
  for (const std::string& text : bad) {
    file.Write(text);
    if (text.rfind("float", 0) == 0) {
      Histogram<float> f;
      EXPECT_FALSE(f.Load(file.path()));
      EXPECT_TRUE(f.empty());
      continue;
    }
    EXPECT_FALSE(h.Load(file.path())) << text.substr(0, 60);
    EXPECT_EQ(h.size(), 10u);
    EXPECT_EQ(h[4], 42u);
  }
  EXPECT_FALSE(h.Load("/nonexistent-folder/h.txt"));

  // A 100 MB file of digits is refused without reading it all.
  {
    std::ofstream big(file.path().fn_str(), std::ios::binary);
    const std::string chunk(1 << 20, '7');
    for (int i = 0; i < 100; ++i) big << chunk;
  }
  EXPECT_FALSE(h.Load(file.path()));
  EXPECT_EQ(h[4], 42u);
  // A header line of digits then a huge count line is refused as well.
  {
    std::ofstream big(file.path().fn_str(), std::ios::binary);
    big << "unsigned char\n256 0 0 \n0 255\n" << std::string(30 << 20, '9');
  }
  EXPECT_FALSE(h.Load(file.path()));
}

namespace {

// Records the message of every busy notice shown while it exists.
class BusyNotices : public wxEventFilter {
public:
  BusyNotices() { wxEvtHandler::AddFilter(this); }
  ~BusyNotices() override { wxEvtHandler::RemoveFilter(this); }
  int FilterEvent(wxEvent& event) override {
    // A busy notice is a tool frame kept on top; the first event after it is
    // shown records its message.
    auto* window = wxDynamicCast(event.GetEventObject(), wxWindow);
    wxWindow* top = window ? wxGetTopLevelParent(window) : nullptr;
    if (top && top->IsShown() && top->HasFlag(wxFRAME_TOOL_WINDOW) && top->HasFlag(wxSTAY_ON_TOP) &&
        std::find(m_seen.begin(), m_seen.end(), top) == m_seen.end()) {
      m_seen.push_back(top);
      shown.push_back(LabelIn(top));
    }
    return Event_Skip;
  }
  std::vector<wxString> shown;

private:
  std::vector<wxWindow*> m_seen;
  static wxString LabelIn(wxWindow* window) {
    for (wxWindow* child : window->GetChildren()) {
      const wxString label = child->GetLabel().empty() ? LabelIn(child) : child->GetLabel();
      if (!label.empty()) return label;
    }
    return wxString();
  }
};

bool AnyBusyNoticeShown() {
  for (wxWindow* window : wxTopLevelWindows)
    if (window->IsShown() && window->HasFlag(wxFRAME_TOOL_WINDOW) && window->HasFlag(wxSTAY_ON_TOP)) return true;
  return false;
}

}  // namespace

// Each set puts up its notices with their exact messages while it counts
// and takes them down when done, also for an image that gives an empty
// histogram, for images counted on several cores and in two passes.
TEST(HistogramSet, BusyNoticesAreShownWhileCountingAndGoneAfterwards) {
  const std::vector<wxString> gray = {"Creating histogram..."};
  auto expectNotices = [](auto build, const std::vector<wxString>& expected, const char* what) {
    BusyNotices notices;
    build();
    EXPECT_EQ(notices.shown, expected) << what;
    EXPECT_FALSE(AnyBusyNoticeShown()) << what;
  };
  bix::Image3d<unsigned short> small(bix::Vector3d<unsigned>(5, 4, 3));
  small.Fill(7);
  expectNotices([&] { HistogramSet<unsigned short> set(small); }, gray, "16-bit");
  bix::Image3d<unsigned char> large(bix::Vector3d<unsigned>(1024, 1024, 5));
  large.Fill(1);
  expectNotices([&] { HistogramSet<unsigned char> set(large); }, gray, "8-bit on several cores");
  bix::Image3d<int> ints(bix::Vector3d<unsigned>(3, 3, 3));
  ints.Fill(-4);
  expectNotices([&] { HistogramSet<int> set(ints); }, gray, "int");
  ints.GetVoxel(0, 0, 0) = std::numeric_limits<int>::min();
  ints.GetVoxel(1, 0, 0) = std::numeric_limits<int>::max();
  expectNotices([&] { HistogramSet<int> set(ints); }, gray, "int in two passes");
  bix::Image3d<float> nothing(bix::Vector3d<unsigned>(2, 2, 2));
  nothing.Fill(NAN);
  expectNotices([&] { EXPECT_TRUE(HistogramSet<float>(nothing).IsEmpty()); }, gray, "float without finite voxels");
  bix::Image3d<bix::RGB_generic<unsigned char>> rgb(bix::Vector3d<unsigned>(4, 4, 4));
  expectNotices([&] { HistogramSet<bix::RGB_generic<unsigned char>> set(rgb); },
                {"Creating histogram (red)...", "Creating histogram (green)...", "Creating histogram (blue)..."},
                "RGB");
}

// The data range of a float image skips infinities and NaN and orders
// negative values and zeros as numbers do, however the voxels are split
// between cores.

// The viewer over stacks larger than memory: OME-Zarr pyramids made by
// bench/make_lazy_datasets.sh, read from disk and from `python3 -m
// http.server`. For each store and source, one run of:
//   first paint   from opening the store to the three windows painted
//   at rest       until every window shows the detail its zoom asks for
//   interactions  UI-thread time of Page Down, a scroll, a moved cut and a
//                 zoom step (the key or call and the repaint), median and
//                 99th percentile, and the longest single event the UI
//                 thread handled meanwhile (chunk arrivals, repaints)
//   detail        a moved XY cut's full-resolution chunks arriving in the
//                 viewer, against reading and decoding the same number of
//                 chunks alone on the workers
// stack-1g.zarr runs once more with its cells' labels over it (their chunks
// load with the image's; "decoding alone" counts the image's chunks only),
// also read into memory as the baseline.
// With --memory it pages through all of stack-16g.zarr instead and reports
// the peak resident memory against the cache's budget.
// series-1g.zarr (bench/make_time_series.py), when there, times steps
// through its time points.
//
// With --only TEXT it runs the rows whose name holds TEXT.
//
//   xvfb-run -s "-screen 0 1600x1600x24" build-release/bench/orv_lazy_bench /data/lazy [--memory | --only TEXT]

#include "open_image.h"
#include "options.h"

#include <orv/orv_chunkedview.h>
#include <orv/time_axis.h>

#include <bix/ChunkCache.h>
#include <bix/ChunkedCut.h>
#include <bix/OmeZarr.h>

#include <wx/evtloop.h>
#include <wx/wx.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

constexpr orv::orv_ProjectionType kWindows[] = {orv::PROJ_XY, orv::PROJ_XZ, orv::PROJ_YZ};

// Runs the event loop until nothing is pending, timing each event handled.
void Pump(std::vector<double>* events = nullptr) {
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  for (;;) {
    const auto t0 = Clock::now();
    bool any = false;
    if (loop->Pending()) {
      loop->Dispatch();
      any = true;
    } else if (wxTheApp->HasPendingEvents()) {
      wxTheApp->ProcessPendingEvents();
      any = true;
    }
    if (!any) break;
    if (events) events->push_back(Ms(Clock::now() - t0));
  }
  wxTheApp->ProcessIdle();
}

void PaintAll(orv::orv_OrthoscopeCanvas* canvas) {
  for (auto w : kWindows) canvas->GetDrWin(w)->Refresh(false);
  canvas->Update();
}

// Every window complete, and (unless only the detail counts) nothing more
// to fetch, the chunks next to the cuts included.
bool AtRest(orv::orv_OrthoscopeCanvas* canvas, bool detailOnly) {
  orv::orv_ChunkedView* view = canvas->GetChunkedView();
  if (!view) return true;
  return (detailOnly || view->GetPendingChunkCount() == 0) &&
         std::all_of(std::begin(kWindows), std::end(kWindows), [&](auto w) { return view->IsCutComplete(w); });
}

// Pumps until the canvas is at rest; the time it took, in ms.
double WaitForRest(orv::orv_OrthoscopeCanvas* canvas, std::vector<double>* events, bool detailOnly = false) {
  const double limitMs = 600000;
  const auto t0 = Clock::now();
  // Painted first: a window knows whether its cut is complete once it has sampled it.
  PaintAll(canvas);
  // Then as the toolkit does: windows repaint when their chunks arrive.
  while (!AtRest(canvas, detailOnly) && Ms(Clock::now() - t0) < limitMs) {
    Pump(events);
    wxMilliSleep(1);
  }
  return Ms(Clock::now() - t0);
}

void Key(orv::orv_OrthoscopeCanvas* canvas, orv::orv_ProjectionType window, int code) {
  wxKeyEvent key(wxEVT_KEY_DOWN);
  key.m_keyCode = code;
  key.SetEventObject(canvas->GetDrWin(window));
  canvas->GetDrWin(window)->GetEventHandler()->ProcessEvent(key);
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * (v.size() - 1) + 0.5))];
}

orv::orv_OrthoscopeFrame* Open(const std::string& image, double& firstPaintMs, bool inMemory = false,
                               const std::string& labels = "") {
  orvview::ViewerOptions options;
  options.image = image;
  options.labels = labels;
  if (inMemory) {
    // A voxel size of the user's reads the store into memory.
    const bix::ChunkLevel& l = bix::OpenOmeZarr(image)->Level(0);
    options.hasVoxelSize = true;
    options.voxelSize = l.voxelSize;
  }
  const auto t0 = Clock::now();
  orv::orv_OrthoscopeFrame* frame = orvview::OpenViewer(options);
  frame->Show();
  orv::orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  while (!canvas->GetDrWin(orv::PROJ_XY)->IsShownOnScreen()) {
    Pump();
    wxMilliSleep(1);
  }
  PaintAll(canvas);
  firstPaintMs = Ms(Clock::now() - t0);
  return frame;
}

void Close(orv::orv_OrthoscopeFrame* frame) {
  frame->Destroy();
  for (int i = 0; i < 20; ++i) Pump();
}

// The chunks of level 0 an XY cut at voxel plane z needs over the visible box
// of the canvas's XY window at zoom 1, read and decoded on the workers.
double DecodeAlone(const std::string& image, unsigned z, unsigned width, unsigned height) {
  const auto source = bix::OpenOmeZarr(image);
  const bix::ChunkLevel& l = source->Level(0);
  std::vector<bix::ChunkKey> keys;
  const unsigned k = z / l.chunk.z, i0 = (l.size.x / 2 - std::min(l.size.x / 2, width / 2)) / l.chunk.x,
                 j0 = (l.size.y / 2 - std::min(l.size.y / 2, height / 2)) / l.chunk.y;
  const unsigned i1 = std::min(l.Grid().x, (l.size.x / 2 + width / 2 + l.chunk.x - 1) / l.chunk.x),
                 j1 = std::min(l.Grid().y, (l.size.y / 2 + height / 2 + l.chunk.y - 1) / l.chunk.y);
  for (unsigned j = j0; j < j1; ++j)
    for (unsigned i = i0; i < i1; ++i) keys.push_back(bix::ChunkKey{source->Id(), 0, 0, 0, i, j, k});
  const auto t0 = Clock::now();
  bix::RunOnChunkWorkers(keys.size(), [&](std::size_t n) { source->Chunk(keys[n]); });
  return Ms(Clock::now() - t0);
}

std::string g_only;  // --only's text

void RunStore(const std::string& label, const std::string& image, bool inMemory = false,
              const std::string& labels = "") {
  if (label.find(g_only) == std::string::npos) return;
  bix::SharedChunkCache().SetBudget(bix::DefaultChunkCacheBudget());
  double firstPaint = 0;
  orv::orv_OrthoscopeFrame* frame = Open(image, firstPaint, inMemory, labels);
  orv::orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  std::vector<double> events;
  const double rest = WaitForRest(canvas, &events);

  // Interactions, each with its repaint, the loop pumped between them.
  std::vector<double> actions;
  auto timed = [&](const std::function<void()>& act) {
    const auto t0 = Clock::now();
    act();
    PaintAll(canvas);
    actions.push_back(Ms(Clock::now() - t0));
    Pump(&events);
  };
  orv::orv_CanvasSettings settings;
  for (int n = 0; n < 40; ++n) {
    timed([&] { Key(canvas, orv::PROJ_XY, WXK_PAGEDOWN); });
    timed([&] { Key(canvas, orv::PROJ_XY, WXK_RIGHT); });
    timed([&] {
      canvas->GetSettings(settings);
      const bix::VOI<float>& box = canvas->GetImageBox();
      settings.cut.x = box.offset.x + box.size.x * float((n * 37) % 100) / 100.f;
      settings.cut.y = box.offset.y + box.size.y * float((n * 61) % 100) / 100.f;
      canvas->SetSettings(settings);
    });
    timed([&] { n % 2 ? canvas->ZoomOut() : canvas->ZoomIn(); });
  }
  WaitForRest(canvas, &events);
  if (inMemory) {
    Close(frame);
    std::printf("%-22s read into memory %7.0f ms  interactions median %5.1f p99 %6.1f ms\n", label.c_str(),
                firstPaint, Percentile(actions, 0.5), Percentile(actions, 0.99));
    return;
  }

  // Detail: zoomed to one voxel per pixel, the XY cut moved to a plane not
  // yet read; then as many chunks of another such plane read alone.
  canvas->GetSettings(settings);
  settings.zoomLevel = 0;
  canvas->SetSettings(settings);
  WaitForRest(canvas, &events);
  const bix::VOI<float>& box = canvas->GetImageBox();
  // Three cuts each way, the medians compared.
  std::vector<double> details, alones;
  const wxSize xy = canvas->GetDrWin(orv::PROJ_XY)->GetClientSize();
  const auto source = bix::OpenOmeZarr(image);
  for (float at : {0.83f, 0.63f, 0.43f}) {
    WaitForRest(canvas, &events);
    canvas->GetSettings(settings);
    settings.cut.z = box.offset.z + box.size.z * at;
    canvas->SetSettings(settings);
    details.push_back(WaitForRest(canvas, &events, true));
    const unsigned plane = static_cast<unsigned>(source->Level(0).size.z * (1 - at));
    alones.push_back(DecodeAlone(image, plane, unsigned(xy.x), unsigned(xy.y)));
  }
  const double detail = Percentile(details, 0.5), alone = Percentile(alones, 0.5);
  Close(frame);
  std::printf("%-22s first paint %7.0f ms  at rest %7.0f ms  interactions median %5.1f p99 %6.1f ms  "
              "longest event %6.1f ms  detail %6.0f ms vs decoding alone %6.0f ms (%.2fx)\n",
              label.c_str(), firstPaint, rest, Percentile(actions, 0.5), Percentile(actions, 0.99),
              events.empty() ? 0.0 : *std::max_element(events.begin(), events.end()), detail, alone,
              alone > 0 ? detail / alone : 0.0);
  std::fflush(stdout);
}

// Time steps through a series of 1 GiB time points (bench/make_time_series.py):
// the UI-thread time of each step (the key's work and the repaint from what
// is at hand), the longest event the UI thread handled while the new time
// point loaded (chunk arrivals, its held level taking over), and the time
// until the windows show its full detail. Three steps to time points not
// yet read, then three back to ones read before.
void RunTimeSteps(const std::string& label, const std::string& image) {
  if (label.find(g_only) == std::string::npos || !wxDirExists(image)) return;
  bix::SharedChunkCache().SetBudget(bix::DefaultChunkCacheBudget());
  double firstPaint = 0;
  orv::orv_OrthoscopeFrame* frame = Open(image, firstPaint);
  orv::orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  WaitForRest(canvas, nullptr);
  orv::orv_TimeAxis* axis = frame->FindModule<orv::orv_TimeAxis>();
  if (!axis) {
    std::printf("%-22s has no time axis\n", label.c_str());
    Close(frame);
    return;
  }
  // The UI thread's own processor time, beside the wall time: what is left
  // is waiting (for the X server, for a core).
  auto threadMs = [] {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
  };
  std::vector<double> steps[2], cpu[2], events[2], loads[2];
  const unsigned order[] = {1, 2, 3, 2, 1, 0};
  for (unsigned n = 0; n < 6; ++n) {
    const int warm = n >= 3;
    const unsigned t = order[n] % axis->GetTimePointCount();
    const auto t0 = Clock::now();
    const double cpu0 = threadMs();
    axis->SetTimePoint(t);
    PaintAll(canvas);
    steps[warm].push_back(Ms(Clock::now() - t0));
    cpu[warm].push_back(threadMs() - cpu0);
    const auto l0 = Clock::now();
    while (!(axis->GetShownTimePoint() == t && AtRest(canvas, true)) && Ms(Clock::now() - l0) < 600000) {
      Pump(&events[warm]);
      PaintAll(canvas);
      wxMilliSleep(1);
    }
    loads[warm].push_back(Ms(Clock::now() - l0));
  }
  Close(frame);
  for (int warm = 0; warm < 2; ++warm) {
    const std::vector<double>& e = events[warm];
    std::printf("%-22s %s time step: UI %5.1f ms median (its processor time %5.1f), %5.1f ms most; longest event "
                "while loading %6.1f ms; full detail after %6.0f ms median\n",
                label.c_str(), warm ? "back, read before," : "to a new time point,", Percentile(steps[warm], 0.5),
                Percentile(cpu[warm], 0.5), *std::max_element(steps[warm].begin(), steps[warm].end()),
                e.empty() ? 0.0 : *std::max_element(e.begin(), e.end()), Percentile(loads[warm], 0.5));
  }
  std::fflush(stdout);
}

void RunMemory(const std::string& image) {
  const std::size_t budget = std::size_t(1) << 30;
  bix::SharedChunkCache().SetBudget(budget);
  double firstPaint = 0;
  orv::orv_OrthoscopeFrame* frame = Open(image, firstPaint);
  orv::orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  orv::orv_CanvasSettings settings;
  canvas->GetSettings(settings);
  settings.zoomLevel = 0;
  canvas->SetSettings(settings);
  WaitForRest(canvas, nullptr);
  Key(canvas, orv::PROJ_XY, WXK_HOME);
  const auto t0 = Clock::now();
  const unsigned planes = canvas->GetImageSize().z;
  for (unsigned z = 0; z < planes; ++z) {
    Key(canvas, orv::PROJ_XY, WXK_PAGEDOWN);
    PaintAll(canvas);
    WaitForRest(canvas, nullptr);
  }
  const double ms = Ms(Clock::now() - t0);
  Close(frame);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("paging through %u planes of %s at zoom 1: %.1f s; peak resident %.0f MB, cache budget %.0f MB "
              "(+ %.0f MB)\n",
              planes, image.c_str(), ms / 1000, usage.ru_maxrss / 1024.0, budget / 1048576.0,
              usage.ru_maxrss / 1024.0 - budget / 1048576.0);
}

class BenchApp : public wxApp {
public:
  bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !wxGetEnv("DISPLAY", nullptr)) {
    std::fprintf(stderr, "usage (with an X display): %s DATA_DIR [--memory | --only TEXT]\n", argv[0]);
    return 2;
  }
  const std::string data = argv[1];
  const bool memory = argc > 2 && std::string(argv[2]) == "--memory";
  if (argc > 3 && std::string(argv[2]) == "--only") g_only = argv[3];
  wxApp::SetInstance(new BenchApp);
  int wxArgc = 1;
  if (!wxEntryStart(wxArgc, argv) || !wxTheApp->CallOnInit()) return 2;
  delete wxLog::SetActiveTarget(new wxLogStderr);
  wxLog::SetLogLevel(wxLOG_Info);
  wxGUIEventLoop loop;
  wxEventLoopBase::SetActive(&loop);
  if (memory) {
    RunMemory(data + "/stack-16g.zarr");
  } else {
    // The folder served as the users serve theirs.
    const pid_t server = fork();
    if (server == 0) {
      freopen("/dev/null", "w", stderr);
      execl("/usr/bin/python3", "python3", "-m", "http.server", "8765", "--bind", "127.0.0.1", "--directory",
            data.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    wxMilliSleep(1500);
    // The same interactions on the same data in memory: the baseline.
    RunStore("stack-1g.zarr memory", data + "/stack-1g.zarr", true);
    for (const char* store : {"stack-1g.zarr", "stack-16g.zarr", "virtual-16t.zarr"}) {
      RunStore(std::string(store) + " disk", data + "/" + store);
      RunStore(std::string(store) + " http", std::string("http://127.0.0.1:8765/") + store);
    }
    const std::string web = "http://127.0.0.1:8765/stack-1g.zarr";
    RunStore("stack-1g+labels memory", data + "/stack-1g.zarr", true, data + "/stack-1g.zarr/labels/cells");
    RunStore("stack-1g+labels disk", data + "/stack-1g.zarr", false, data + "/stack-1g.zarr/labels/cells");
    RunStore("stack-1g+labels http", web, false, web + "/labels/cells");
    RunTimeSteps("series-1g.zarr disk", data + "/series-1g.zarr");
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
  }
  wxEventLoopBase::SetActive(nullptr);
  wxTheApp->OnExit();
  wxEntryCleanup();
  return 0;
}

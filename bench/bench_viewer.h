#ifndef ORV_BENCH_VIEWER_H
#define ORV_BENCH_VIEWER_H

// A viewer for the interactive benchmarks: a frame whose canvas holds three
// ~700 x 700 cut windows of a 16-bit stack, painted as the toolkit paints
// them after a user action.

#include <orv/orv_factory.h>
#include <orv/orv_imagecanvas.h>

#include <wx/evtloop.h>
#include <wx/wx.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>

namespace bench {
using Stack = bix::Image3d<unsigned short>;
using RGB8 = bix::RGB_generic<unsigned char>;

// The viewer's own 16-bit gray mapping module behind a counter of Map calls.
class CountingMapper : public orv::orv_Mapper<unsigned short> {
public:
  CountingMapper() {
    const Stack range(bix::Vector3d<unsigned>(256, 256, 1));
    m_module.reset(orv::orv_CreateMapperForType<unsigned short>(nullptr, range));
  }
  void Map(const unsigned short* v, orv::Buffer2d<RGB8>& out) const override {
    ++calls;
    m_module->Map(v, out);
  }

  mutable long calls = 0;

private:
  std::unique_ptr<orv::orv_MappingModule<unsigned short>> m_module;
};

inline std::unique_ptr<Stack> MakeStack(unsigned nx, unsigned ny, unsigned nz) {
  const bix::Resolution res(bix::Vector3d<float>(1, 1, 1));
  auto s = std::make_unique<Stack>(bix::Vector3d<unsigned>(nx, ny, nz), nullptr, &res);
  std::uint32_t state = 7;
  for (unsigned short& v : *s) {
    state = state * 1664525u + 1013904223u;
    v = static_cast<unsigned short>(state >> 16);
  }
  return s;
}

// One streaming read of `bytes` bytes, eight at a time: the baseline the
// bulk figures are read against.
inline std::uint64_t SumWords(const void* data, std::size_t bytes) {
  const auto* p = static_cast<const unsigned char*>(data);
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i + 8 <= bytes; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    sum += w;
  }
  return sum;
}

inline void Pump() {
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  while (loop->Pending()) loop->Dispatch();
  wxTheApp->ProcessPendingEvents();
  wxTheApp->ProcessIdle();
}

// One viewer: a frame whose canvas holds three ~700 x 700 windows at zoom level 2.
// The canvas a viewer shows its stack in (the plain image canvas by default).
using CanvasMaker = std::function<orv::orv_ImageOrthoscopeCanvas<unsigned short>*(
    wxFrame* frame, const orv::orv_Mapper<unsigned short>& mapper, Stack* stack)>;

struct Viewer {
  explicit Viewer(std::unique_ptr<Stack> stack, const CanvasMaker& make = CanvasMaker()) {
    frame = new wxFrame(nullptr, wxID_ANY, "bench");
    frame->SetClientSize(1414, 1414);
    canvas = make ? make(frame, mapper, stack.release())
                  : new orv::orv_ImageOrthoscopeCanvas<unsigned short>(frame, mapper, stack.release(), true);
    canvas->SetSize(frame->GetClientSize());
    frame->Show();
    frame->Raise();
    canvas->ZoomIn();
    canvas->ZoomIn();
    for (int i = 0; i < 400 && !(frame->IsActive() && canvas->GetDrWin(orv::PROJ_XY)->IsShownOnScreen()); ++i) {
      Pump();
      wxMilliSleep(5);
    }
    PaintAll();
    mapsBefore = mapper.calls;
  }
  ~Viewer() {
    frame->Destroy();
    for (int i = 0; i < 10; ++i) Pump();
  }
  // What the event loop does after a user action: all three windows painted
  // in one pass of the toolkit. Update() first waits for the X server to
  // finish every earlier request, so each measured action also pays for the
  // server putting the previous action's pixels on the screen.
  void PaintAll() {
    for (auto w : {orv::PROJ_XY, orv::PROJ_XZ, orv::PROJ_YZ}) canvas->GetDrWin(w)->Refresh(false);
    canvas->Update();
  }
  void Key(orv::orv_ProjectionType window, int code) {
    wxKeyEvent key(wxEVT_KEY_DOWN);
    key.m_keyCode = code;
    key.SetEventObject(canvas->GetDrWin(window));
    canvas->GetDrWin(window)->GetEventHandler()->ProcessEvent(key);
  }
  CountingMapper mapper;
  long mapsBefore = 0;
  wxFrame* frame;
  orv::orv_ImageOrthoscopeCanvas<unsigned short>* canvas;
};

}  // namespace bench

#endif

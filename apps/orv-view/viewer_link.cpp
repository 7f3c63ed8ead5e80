#include "viewer_link.h"

#include <algorithm>

namespace orvview {

namespace {

bool Changed(const orv::orv_OrthoscopeCanvas* canvas, const bix::Vector3d<float>& cut, int zoomLevel) {
  return canvas->GetCut() != cut || canvas->GetZoomLevel() != zoomLevel;
}

void ZoomTo(orv::orv_OrthoscopeFrame* frame, int level) {
  orv::orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  if (canvas->GetZoomLevel() == level) return;
  if (level == 0) {
    canvas->NormalZoom();
  } else {
    while (canvas->GetZoomLevel() < level) canvas->ZoomIn();
    while (canvas->GetZoomLevel() > level) canvas->ZoomOut();
  }
  frame->ResizeFrameIfRequired();
}

}  // namespace

bool BoxesOverlap(const bix::VOI<float>& a, const bix::VOI<float>& b) {
  const bix::Vector3d<float> aEnd = a.offset + a.size;
  const bix::Vector3d<float> bEnd = b.offset + b.size;
  for (unsigned axis = 0; axis < 3; ++axis)
    if (!(a.offset[axis] < bEnd[axis] && b.offset[axis] < aEnd[axis])) return false;
  return true;
}

void ViewerLink::Add(orv::orv_OrthoscopeFrame* frame) {
  // A viewer opened while linked joins the others where they are.
  if (m_linked && !m_viewers.empty()) Take(m_viewers.front().frame->GetCanvas(), frame);
  const orv::orv_OrthoscopeCanvas* canvas = frame->GetCanvas();
  m_viewers.push_back({frame, canvas->GetCut(), canvas->GetZoomLevel()});
}

void ViewerLink::Remove(orv::orv_OrthoscopeFrame* frame) {
  m_viewers.erase(std::remove_if(m_viewers.begin(), m_viewers.end(), [frame](const Viewer& v) { return v.frame == frame; }),
                  m_viewers.end());
}

void ViewerLink::SetLinked(bool linked, orv::orv_OrthoscopeFrame* leader) {
  m_linked = linked;
  if (m_linked && leader) Lead(leader);
  Remember();
}

void ViewerLink::Follow() {
  const Viewer* leader = nullptr;
  for (const Viewer& v : m_viewers) {
    if (!Changed(v.frame->GetCanvas(), v.cut, v.zoomLevel)) continue;
    if (!leader || v.frame->IsActive()) leader = &v;
  }
  if (!leader) return;
  if (m_linked) Lead(leader->frame);
  Remember();
}

void ViewerLink::Lead(const orv::orv_OrthoscopeFrame* leader) {
  for (const Viewer& v : m_viewers)
    if (v.frame != leader) Take(leader->GetCanvas(), v.frame);
}

void ViewerLink::Take(const orv::orv_OrthoscopeCanvas* from, orv::orv_OrthoscopeFrame* follower) {
  ZoomTo(follower, from->GetZoomLevel());
  orv::orv_OrthoscopeCanvas* to = follower->GetCanvas();
  if (BoxesOverlap(from->GetImageBox(), to->GetImageBox())) to->ChangeCut(from->GetCut());
}

void ViewerLink::Remember() {
  for (Viewer& v : m_viewers) {
    v.cut = v.frame->GetCanvas()->GetCut();
    v.zoomLevel = v.frame->GetCanvas()->GetZoomLevel();
  }
}

}  // namespace orvview

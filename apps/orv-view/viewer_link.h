#ifndef ORV_VIEW_VIEWER_LINK_H
#define ORV_VIEW_VIEWER_LINK_H

#include <orv/orv_frame.h>

#include <bix/VOI.h>

#include <vector>

namespace orvview {

// Whether two image boxes (microns) share some volume; touching faces do not.
bool BoxesOverlap(const bix::VOI<float>& a, const bix::VOI<float>& b);

// Links the cut points and zoom levels of open viewers. It works from the
// host's side only: it remembers each viewer's cut and zoom level, notices
// which viewer changed them (whatever the way: keys, mouse, menus, dialogs;
// the session calls Follow after each view change a viewer announces) and
// carries the change to the others through the canvas's operations
// (ChangeCut, ZoomIn, ZoomOut). Viewers whose stacks do not overlap the
// leading viewer's stack keep their own cut; the zoom level follows anyway.
class ViewerLink {
public:
  // While linked, the added viewer takes the others' cut and zoom at once.
  void Add(orv::orv_OrthoscopeFrame* frame);
  void Remove(orv::orv_OrthoscopeFrame* frame);

  bool IsLinked() const { return m_linked; }
  // Linking makes every viewer take `leader`'s cut and zoom at once.
  void SetLinked(bool linked, orv::orv_OrthoscopeFrame* leader = nullptr);

  // Finds the viewer whose cut or zoom changed since the last call (the
  // active one if several did) and, while linked, makes the others follow
  // it. Called after a viewer announced a view change.
  void Follow();

private:
  struct Viewer {
    orv::orv_OrthoscopeFrame* frame;
    bix::Vector3d<float> cut;
    int zoomLevel;
  };
  void Lead(const orv::orv_OrthoscopeFrame* leader);
  // `follower` takes the zoom level of `from`, and its cut where the stacks overlap.
  static void Take(const orv::orv_OrthoscopeCanvas* from, orv::orv_OrthoscopeFrame* follower);
  void Remember();

  std::vector<Viewer> m_viewers;
  bool m_linked = false;
};

}  // namespace orvview

#endif

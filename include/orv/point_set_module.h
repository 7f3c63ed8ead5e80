#ifndef ORV_POINT_SET_MODULE_H
#define ORV_POINT_SET_MODULE_H

#include <orv/orv_frame.h>
#include <orv/orv_pointcanvas.h>

#include <wx/dynarray.h>

namespace orv {

// The "&Points" menu of a point viewer: point files, stepping through the
// points, showing and deleting them, the display options, and the labels
// the info window's "Points" page shows (kept up to date while idle).
template <class T>
class ORV_EXPORT orv_PointSetModule : public orv_ExtensionModule {
public:
  enum {
    MENU_LOAD = 0,
    MENU_SAVE = 1,
    MENU_SAVE_AS = 2,
    MENU_FIRST = 3,
    MENU_PREVIOUS = 4,
    MENU_NEXT = 5,
    MENU_LAST = 6,
    MENU_CURRENT = 7,
    MENU_SHOW = 8,
    MENU_OPTIONS = 9,
    MENU_LABELS = 10,
    MENU_DELETE = 11,
    MENU_END = 12,
  };

  // Loads `fileName` at once when it is not empty (a failure is shown).
  orv_PointSetModule(wxFrame* frame, orv_PointOrthoscopeCanvas<T>* canvas, const wxString& fileName);

  wxMenu* CreateMenu(int& lastId) override;

  // Loads a point file; a failure is shown in a message box and leaves no
  // file name. Returns whether it loaded.
  bool LoadPoints(const wxString& file);
  // As LoadPoints, but returns the failure's message ("Can't load file
  // ...") instead of showing it; empty on success.
  wxString TryLoadPoints(const wxString& file);
  // Saves to `file`, which becomes the file name; a failure is shown.
  bool SavePoints(const wxString& file);

  const wxString& GetFileName() const { return m_fileName; }
  // The file "Save" writes (a file that does not exist yet is created then).
  void SetFileName(const wxString& file) { m_fileName = file; }
  const wxArrayInt& GetInfoLabels() const { return m_infoLabels; }

  // Whether the points changed since they were last loaded or saved.
  bool IsModified() const;
  // Before unsaved points would be lost: asks "Save changes to the points
  // of 'FILE'?" with Save, Discard and Cancel. True when the viewer may go
  // on (nothing unsaved, saved, or discarded); false on Cancel or when the
  // save failed or its file dialog was cancelled.
  bool ConfirmUnsavedPoints();
  void SetInfoLabels(const wxArrayInt& labels) { m_infoLabels = labels; }
  // The points as they are now are kept (saved, or taken over by a host):
  // closing asks nothing until they change again.
  void MarkUnmodified();

private:
  void OnCommand(wxCommandEvent& event);
  void OnUpdateShow(wxUpdateUIEvent& event);
  void OnIdle(wxIdleEvent& event);
  void OnClose(wxCloseEvent& event);
  void ShowModifiedInTitle();
  void ChooseAndLoad();
  bool ChooseAndSave();
  void ChooseLabels();
  void EditOptions();
  void ResetInfoLabels();
  void UpdateInfoPage();

  wxString m_fileName;
  orv_PointOrthoscopeCanvas<T>* m_canvas;
  int m_infoPage = -1;
  wxArrayInt m_infoLabels;
  // The point set's change count when it was last loaded or saved.
  unsigned long m_savedChanges = 0;
  // The frame's title carries the "*" of unsaved changes.
  bool m_titleStarred = false;
};

// A complete point viewer of `image`: the frame with the "&View",
// "&Mapping" and "&Points" menus and the point canvas; `pointFile`, when not
// empty, is loaded at once. Not yet shown; null when memory for the mapping
// ran out.
template <class T>
ORV_EXPORT orv_OrthoscopeFrame* orv_CreateImage3dPointsFrame(bix::Image3d<T>* image, bool ownImage,
                                                             const wxString& pointFile, wxWindow* parent, int id,
                                                             const wxString& title,
                                                             const wxPoint& pos = wxDefaultPosition,
                                                             const wxSize& size = wxDefaultSize,
                                                             long style = wxDEFAULT_FRAME_STYLE);

}  // namespace orv

#endif

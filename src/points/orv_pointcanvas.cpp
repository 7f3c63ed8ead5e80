#include <orv/orv_pointcanvas.h>

#include "point_set_layer.h"

#include <wx/msgdlg.h>

#include <algorithm>

namespace orv {

template <class T>
orv_PointOrthoscopeCanvas<T>::orv_PointOrthoscopeCanvas(wxWindow* parent, const orv_Mapper<T>& mapper,
                                                        bix::Image3d<T>* image, bool ownImage, int id,
                                                        const wxPoint& pos, const wxSize& size)
    : orv_ImageOrthoscopeCanvas<T>(parent, mapper, image, ownImage, id, pos, size) {
  wxASSERT_MSG(image != nullptr, "img != 0");
  auto layer = std::make_unique<PointSetLayer>(*this);
  m_layer = layer.get();
  this->AddLayer(std::move(layer));
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::Load(const wxString& fileName) {
  m_layer->Load(fileName);
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::Save(const wxString& fileName) {
  m_layer->Save(fileName);
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::DeleteSelected() {
  m_layer->DeleteSelected();
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::ShowFirst() {
  m_layer->SetCurrentPoint(0);
  ShowCurrent();
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::ShowPrevious() {
  const unsigned n = m_layer->GetPoints().GetCount();
  if (n == 0) return;
  const unsigned current = std::min(m_layer->GetCurrentPoint(), n);
  if (current == 0) {
    wxMessageBox("First point already selected");
    return;
  }
  m_layer->SetCurrentPoint(current - 1);
  ShowCurrent();
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::ShowNext() {
  const unsigned n = m_layer->GetPoints().GetCount();
  if (n == 0) return;
  const unsigned current = m_layer->GetCurrentPoint();
  if (current >= n) {
    m_layer->SetCurrentPoint(n - 1);
  } else if (current == n - 1) {
    wxMessageBox("Last point already selected");
    return;
  } else {
    m_layer->SetCurrentPoint(current + 1);
  }
  ShowCurrent();
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::ShowLast() {
  const unsigned n = m_layer->GetPoints().GetCount();
  if (n == 0) return;
  m_layer->SetCurrentPoint(n - 1);
  ShowCurrent();
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::ShowCurrent() {
  m_layer->ShowCurrent();
}

template <class T>
bool orv_PointOrthoscopeCanvas<T>::GetPointsShown() const {
  return m_layer->GetPointsShown();
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::SetPointsShown(bool shown) {
  m_layer->SetPointsShown(shown);
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::GetSettings(orv_PointCanvasSettings& settings) const {
  orv_ImageOrthoscopeCanvas<T>::GetSettings(settings);
  m_layer->GetSettings(settings);
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::SetSettings(const orv_PointCanvasSettings& settings) {
  orv_ImageOrthoscopeCanvas<T>::SetSettings(settings);
  m_layer->SetSettings(settings);
}

template <class T>
const LabelledPointSet& orv_PointOrthoscopeCanvas<T>::GetPoints() const {
  return m_layer->GetPoints();
}

template <class T>
unsigned orv_PointOrthoscopeCanvas<T>::GetCurrentPoint() const {
  return m_layer->GetCurrentPoint();
}

template <class T>
void orv_PointOrthoscopeCanvas<T>::SetCurrentPoint(unsigned index) {
  m_layer->SetCurrentPoint(index);
}

template <class T>
const std::vector<orv_PointStyle>& orv_PointOrthoscopeCanvas<T>::GetStyles() const {
  return m_layer->GetStyles();
}

template <class T>
unsigned orv_PointOrthoscopeCanvas<T>::GetStyleColumn() const {
  return m_layer->GetStyleColumn();
}

template <class T>
unsigned orv_PointOrthoscopeCanvas<T>::GetDisplayedLabelColumn() const {
  return m_layer->GetDisplayedLabelColumn();
}

template <class T>
unsigned orv_PointOrthoscopeCanvas<T>::StyleOf(unsigned i) const {
  return m_layer->StyleOf(i);
}

template <class T>
unsigned orv_PointOrthoscopeCanvas<T>::AddPoint(const bix::Vector3d<float>& p) {
  return m_layer->AddPoint(p);
}

#define ORV_INSTANTIATE_POINT_CANVAS(T) template class orv_PointOrthoscopeCanvas<T>;
ORV_FOR_EACH_POINT_VOXEL_TYPE(ORV_INSTANTIATE_POINT_CANVAS)

}  // namespace orv

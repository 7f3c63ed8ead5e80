#include <orv/thresholding_dialog.h>

#include "../wdr/dlg_thres_wdr.h"

#include <bix/Types.h>

#include <algorithm>

namespace orv {

wxDEFINE_EVENT(orv_EVT_THRESHOLDING_PREVIEW, orv_ThresholdingEvent);

template <class T>
ThresholdingDialog<T>::ThresholdingDialog(wxWindow* parent, wxWindowID id,
                                          std::vector<Histogram<T>*>& _HistData_vector,
                                          const std::vector<Params>& params_vector,
                                          const wxArrayString& channel_names, const wxString& title,
                                          const wxPoint& pos, const wxSize& size, long style)
    : HistogramChannelDialog<T, Params>(parent, id, _HistData_vector, params_vector, channel_names, title, pos,
                                        size, style) {
  // White between the thresholds, black outside: what the thresholded view shows.
  m_control = new VariableMinMaxCtrl<T>(this, ID_THRESHOLD_CONTROL, false, false, false, *wxBLACK, *wxBLACK,
                                        *wxWHITE, wxDefaultPosition, wxDefaultSize,
                                        wxCLIP_CHILDREN | wxTAB_TRAVERSAL);
  ThresholdFunc(this, this->m_graph, m_control);
  this->Start(channel_names, ID_THRESHOLD_RESET);
  this->Bind(orv_EVT_MINMAXCTRL, [this](orv_MinMaxCtrlEvent&) { this->DoPreview(); });
  this->Bind(orv_EVT_THRESHOLDING_PREVIEW, [this](orv_ThresholdingEvent&) { this->DoPreview(); });
}

template <class T>
void ThresholdingDialog<T>::AttachControls(Params& record, const Histogram<T>& histogram) {
  m_control->Attach(&record.lower, &record.upper, nullptr, histogram.GetLeftCenter(), histogram.GetRightCenter(),
                    static_cast<int>(histogram.size()));
}

template <class T>
void ThresholdingDialog<T>::ResetControls() {
  m_control->Reset();
}

template <class T>
bool ThresholdingDialog<T>::AcceptControls() {
  return m_control->Validate() && m_control->TransferDataFromWindow();
}

template <class T>
ThresParams<T> ThresholdingDialog<T>::MakeAllRecord() const {
  const std::vector<Params>& records = this->m_params;
  if (std::all_of(records.begin(), records.end(), [&](const Params& p) { return p == records.front(); }))
    return records.front();
  // Channels with different thresholds: "All" starts from the whole range.
  const Histogram<T>& first = *(*this->m_histograms)[0];
  return Params{first.GetLeftCenter(), first.GetRightCenter()};
}

template <class T>
void ThresholdingDialog<T>::SendPreview(const Params& record, int channel) {
  orv_ThresholdingEvent event(static_cast<float>(record.lower), static_cast<float>(record.upper), channel);
  this->ProcessByParent(event);
}

#define ORV_INSTANTIATE_THRESHOLDING_DIALOG(T) template class ThresholdingDialog<T>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_THRESHOLDING_DIALOG)

}  // namespace orv

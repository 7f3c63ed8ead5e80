#include <orv/levels_dialog.h>

#include "../wdr/dlg_levels_wdr.h"

#include <bix/Types.h>

#include <algorithm>

namespace orv {

wxDEFINE_EVENT(orv_EVT_LEVELS_PREVIEW, orv_LevelsEvent);

template <class T, class U>
LevelsWidget<T, U>::LevelsWidget(wxWindow* parent, wxWindowID id, std::vector<Histogram<T>*>& _HistData_vector,
                                 const std::vector<Params>& params_vector, const wxArrayString& channel_names,
                                 const wxString& title, const wxPoint& pos, const wxSize& size, long style)
    : HistogramChannelDialog<T, Params>(parent, id, _HistData_vector, params_vector, channel_names, title, pos,
                                        size, style) {
  const long controlStyle = wxCLIP_CHILDREN | wxTAB_TRAVERSAL;
  m_input = new VariableMinMaxCtrl<T>(this, ID_INPUT_LEVELS, true, false, true, *wxBLACK, *wxWHITE, *wxWHITE,
                                      wxDefaultPosition, wxDefaultSize, controlStyle);
  m_output = new VariableMinMaxCtrl<U>(this, ID_OUTPUT_LEVELS, false, true, true, *wxBLACK, *wxWHITE, *wxWHITE,
                                       wxDefaultPosition, wxDefaultSize, controlStyle);
  LevelsFunc(this, this->m_graph, m_input, m_output);
  this->Start(channel_names, ID_LEVELS_RESET);
  this->Bind(orv_EVT_MINMAXCTRL, [this](orv_MinMaxCtrlEvent&) { this->DoPreview(); });
}

template <class T, class U>
void LevelsWidget<T, U>::AttachControls(Params& record, const Histogram<T>& histogram) {
  m_input->Attach(&record.in_min, &record.in_max, &record.gamma, histogram.GetLeftCenter(),
                  histogram.GetRightCenter(), static_cast<int>(histogram.size()));
  m_output->Attach(&record.out_min, &record.out_max, nullptr, U(0), U(255), 256);
}

template <class T, class U>
void LevelsWidget<T, U>::ResetControls() {
  m_input->Reset();
  m_output->Reset();
}

template <class T, class U>
bool LevelsWidget<T, U>::AcceptControls() {
  return m_input->Validate() && m_input->TransferDataFromWindow() && m_output->Validate() &&
         m_output->TransferDataFromWindow();
}

template <class T, class U>
TLevelsParams<T, U> LevelsWidget<T, U>::MakeAllRecord() const {
  Params all = this->m_params.front();
  for (const Params& p : this->m_params) {
    all.in_min = std::min(all.in_min, p.in_min);
    all.in_max = std::max(all.in_max, p.in_max);
  }
  all.gamma = 1.0;
  all.out_min = U(0);
  all.out_max = U(255);
  return all;
}

template <class T, class U>
void LevelsWidget<T, U>::SendPreview(const Params& record, int channel) {
  const TLevelsParams<float, float> preview(static_cast<float>(record.in_min), static_cast<float>(record.in_max),
                                            record.gamma, static_cast<float>(record.out_min),
                                            static_cast<float>(record.out_max));
  orv_LevelsEvent event(preview, channel);
  this->ProcessByParent(event);
}

#define ORV_INSTANTIATE_LEVELS_WIDGET(T) template class LevelsWidget<T, unsigned char>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_LEVELS_WIDGET)

}  // namespace orv

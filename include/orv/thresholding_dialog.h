#ifndef ORV_THRESHOLDING_DIALOG_H
#define ORV_THRESHOLDING_DIALOG_H

#include <orv/channel_dialog.h>
#include <orv/level_records.h>
#include <orv/minmax_ctrl.h>

namespace orv {

// "Adjust Thresholds": per channel, a lower and an upper threshold edited
// over the channel's histogram with a live preview (orv_ThresholdingEvent to
// the parent window).
template <class T>
class ORV_EXPORT ThresholdingDialog : public HistogramChannelDialog<T, ThresParams<T>> {
public:
  using Params = ThresParams<T>;

  ThresholdingDialog(wxWindow* parent, wxWindowID id, std::vector<Histogram<T>*>& _HistData_vector,
                     const std::vector<Params>& params_vector, const wxArrayString& channel_names,
                     const wxString& title, const wxPoint& pos = wxDefaultPosition,
                     const wxSize& size = wxDefaultSize,
                     long style = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxCLIP_CHILDREN);

  VariableMinMaxCtrl<T>* GetThresholdControl() const { return m_control; }

private:
  void AttachControls(Params& record, const Histogram<T>& histogram) override;
  void ResetControls() override;
  bool AcceptControls() override;
  Params MakeAllRecord() const override;
  void SendPreview(const Params& record, int channel) override;

  VariableMinMaxCtrl<T>* m_control;
};

}  // namespace orv

#endif

#ifndef ORV_LEVELS_DIALOG_H
#define ORV_LEVELS_DIALOG_H

#include <orv/channel_dialog.h>
#include <orv/level_records.h>
#include <orv/minmax_ctrl.h>

namespace orv {

// "Adjust Levels": per channel, the input range with its gamma and the
// output range, edited over the channel's histogram with a live preview
// (orv_LevelsEvent to the parent window). T is the channel's value type, U
// the output type (unsigned char).
template <class T, class U>
class ORV_EXPORT LevelsWidget : public HistogramChannelDialog<T, TLevelsParams<T, U>> {
public:
  using Params = TLevelsParams<T, U>;

  LevelsWidget(wxWindow* parent, wxWindowID id, std::vector<Histogram<T>*>& _HistData_vector,
               const std::vector<Params>& params_vector, const wxArrayString& channel_names, const wxString& title,
               const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
               long style = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxCLIP_CHILDREN);

  VariableMinMaxCtrl<T>* GetInputControl() const { return m_input; }
  VariableMinMaxCtrl<U>* GetOutputControl() const { return m_output; }

private:
  void AttachControls(Params& record, const Histogram<T>& histogram) override;
  void ResetControls() override;
  bool AcceptControls() override;
  Params MakeAllRecord() const override;
  void SendPreview(const Params& record, int channel) override;

  // The output range is edited in the output type: U, not T.
  VariableMinMaxCtrl<T>* m_input;
  VariableMinMaxCtrl<U>* m_output;
};

}  // namespace orv

#endif

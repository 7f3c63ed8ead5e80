#ifndef ORV_CHANNEL_DIALOG_H
#define ORV_CHANNEL_DIALOG_H

#include <orv/histgraph.h>
#include <orv/histogram.h>
#include <orv/orv_export.h>

#include <wx/arrstr.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dialog.h>

#include <vector>

namespace orv {

// What the levels and thresholding dialogs share: one record per channel
// edited over a drawing of the channel's histogram, a histogram type choice,
// a channel choice (with an "All" entry that edits every channel at once when
// the histograms share a layout), a live preview sent to the parent window,
// Reset, and OK that closes only when the controls validate.
//
// The histograms are the caller's and must outlive the dialog; the records
// are the dialog's own copy until the caller reads them with GetParams.
template <class T, class Record>
class ORV_EXPORT HistogramChannelDialog : public wxDialog {
public:
  ~HistogramChannelDialog() override;

  // The dialog's records; a dialog of one channel gives three copies of it,
  // so a gray result can be applied to three channels.
  void GetParams(std::vector<Record>& params) const;
  const std::vector<Record>& GetRecords() const { return m_params; }

  // Shows channel c (-1: "All") in the graph and the controls.
  void SelectChannel(int channel);
  // After an edit: "All" is copied into every channel; the edited record is
  // previewed when the preview box is checked.
  void DoPreview();
  // One preview of "All", or one per channel in channel order.
  void GeneratePreviewEvents(bool all);

  HistGraph<T>* GetGraph() const { return m_graph; }
  wxChoice* GetTypeChoice() const { return m_typeChoice; }
  wxChoice* GetChannelChoice() const { return m_channelChoice; }
  wxCheckBox* GetPreviewBox() const { return m_previewBox; }
  const Record* GetAllParams() const { return All_params; }
  const Histogram<T>* GetAllHistogram() const { return All_histdata; }

protected:
  enum { ID_TYPE_CHOICE = 10001, ID_CHANNEL_CHOICE = 10002, ID_PREVIEW = 10003, ID_GRAPH = 10004 };

  HistogramChannelDialog(wxWindow* parent, wxWindowID id, std::vector<Histogram<T>*>& _HistData_vector,
                         const std::vector<Record>& params_vector, const wxArrayString& channel_names,
                         const wxString& title, const wxPoint& pos, const wxSize& size, long style);

  // Once the derived dialog has made its controls and laid itself out:
  // fills the choices, prepares "All", checks Preview and selects channel 0.
  void Start(const wxArrayString& channel_names, wxWindowID resetId);

  virtual void AttachControls(Record& record, const Histogram<T>& histogram) = 0;
  virtual void ResetControls() = 0;
  // Validates the controls and writes them into the record; false keeps the dialog open.
  virtual bool AcceptControls() = 0;
  // The initial record of "All", from the channels' records and histogram 0.
  virtual Record MakeAllRecord() const = 0;
  virtual void SendPreview(const Record& record, int channel) = 0;
  // Lets the parent window's handler process a preview.
  void ProcessByParent(wxEvent& event);

  HistGraph<T>* m_graph;
  std::vector<Histogram<T>*>* m_histograms;
  std::vector<Record> m_params;
  wxChoice* m_typeChoice = nullptr;
  wxChoice* m_channelChoice = nullptr;
  wxCheckBox* m_previewBox = nullptr;
  Record* All_params = nullptr;
  Histogram<T>* All_histdata = nullptr;

private:
  std::size_t ChannelCount() const;
  bool AllSelected() const;
  // Gives every channel the record of "All".
  void SpreadAll();
  void PrepareAll();
  void OnType(wxCommandEvent& event);
  void OnChannel(wxCommandEvent& event);
  void OnPreviewBox(wxCommandEvent& event);
  void OnReset(wxCommandEvent& event);
  void OnOK(wxCommandEvent& event);
};

}  // namespace orv

#endif

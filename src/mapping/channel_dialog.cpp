#include <orv/channel_dialog.h>
#include <orv/level_records.h>

#include <bix/Types.h>

#include <wx/button.h>

#include <algorithm>

namespace orv {

namespace {
const char* const kAll = "All";
}

template <class T, class Record>
HistogramChannelDialog<T, Record>::HistogramChannelDialog(wxWindow* parent, wxWindowID id,
                                                          std::vector<Histogram<T>*>& _HistData_vector,
                                                          const std::vector<Record>& params_vector,
                                                          const wxArrayString& channel_names, const wxString& title,
                                                          const wxPoint& pos, const wxSize& size, long style)
    : m_histograms(&_HistData_vector), m_params(params_vector.begin(), params_vector.end()) {
  Create(parent, id, title, pos, size, style);
  wxASSERT(_HistData_vector.size());
  wxASSERT(_HistData_vector.size() == params_vector.size());
  wxASSERT(_HistData_vector.size() == channel_names.GetCount());
  m_graph = new HistGraph<T>(this, ID_GRAPH, nullptr, wxDefaultPosition, wxSize(264, 72),
                             wxBORDER_SUNKEN | wxCLIP_CHILDREN | wxTAB_TRAVERSAL);
  m_graph->SetDivisions(8, 4);
  m_graph->SetBarColour(*wxBLACK);
}

template <class T, class Record>
HistogramChannelDialog<T, Record>::~HistogramChannelDialog() {
  delete All_params;
  delete All_histdata;
}

template <class T, class Record>
std::size_t HistogramChannelDialog<T, Record>::ChannelCount() const {
  // A caller that broke the construction assertions still gets a dialog
  // that never reads past either list.
  return std::min(m_histograms->size(), m_params.size());
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::SpreadAll() {
  for (std::size_t c = 0; c < ChannelCount(); ++c) m_params[c] = *All_params;
}

template <class T, class Record>
bool HistogramChannelDialog<T, Record>::AllSelected() const {
  return m_channelChoice->GetStringSelection() == kAll;
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::Start(const wxArrayString& channel_names, wxWindowID resetId) {
  m_typeChoice = dynamic_cast<wxChoice*>(FindWindow(ID_TYPE_CHOICE));
  m_channelChoice = dynamic_cast<wxChoice*>(FindWindow(ID_CHANNEL_CHOICE));
  m_previewBox = dynamic_cast<wxCheckBox*>(FindWindow(ID_PREVIEW));
  m_typeChoice->SetSelection(m_graph->GetType());
  m_channelChoice->Append(channel_names);
  PrepareAll();
  m_previewBox->SetValue(true);
  if (ChannelCount() > 0) {
    m_channelChoice->SetSelection(0);
    SelectChannel(0);
  }

  Bind(wxEVT_CHOICE, &HistogramChannelDialog::OnType, this, ID_TYPE_CHOICE);
  Bind(wxEVT_CHOICE, &HistogramChannelDialog::OnChannel, this, ID_CHANNEL_CHOICE);
  Bind(wxEVT_CHECKBOX, &HistogramChannelDialog::OnPreviewBox, this, ID_PREVIEW);
  Bind(wxEVT_BUTTON, &HistogramChannelDialog::OnReset, this, resetId);
  Bind(wxEVT_BUTTON, &HistogramChannelDialog::OnOK, this, wxID_OK);
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::PrepareAll() {
  const std::size_t n = ChannelCount();
  if (n < 2) return;
  const Histogram<T>& first = *(*m_histograms)[0];
  for (std::size_t c = 1; c < n; ++c)
    if (*(*m_histograms)[c] != first) return;
  All_histdata = new Histogram<T>(first);
  for (std::size_t c = 1; c < n; ++c) *All_histdata += *(*m_histograms)[c];
  All_params = new Record(MakeAllRecord());
  m_channelChoice->Append(kAll);
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::SelectChannel(int channel) {
  Histogram<T>* histogram;
  Record* record;
  if (channel == -1) {
    wxASSERT(All_histdata);
    wxASSERT(All_params);
    if (!All_histdata || !All_params) return;
    histogram = All_histdata;
    record = All_params;
  } else {
    if (channel < 0 || static_cast<std::size_t>(channel) >= ChannelCount()) return;
    histogram = (*m_histograms)[channel];
    record = &m_params[channel];
  }
  m_graph->SetHistogram(histogram);
  AttachControls(*record, *histogram);
  m_graph->Refresh(false);
  if (m_previewBox->GetValue()) GeneratePreviewEvents(channel == -1);
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::DoPreview() {
  const Record* record = nullptr;
  if (AllSelected() && All_params) {
    SpreadAll();
    record = All_params;
  } else {
    const int c = m_channelChoice->GetSelection();
    if (c < 0 || static_cast<std::size_t>(c) >= ChannelCount()) return;
    record = &m_params[c];
  }
  if (m_previewBox->GetValue()) SendPreview(*record, m_channelChoice->GetSelection());
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::GeneratePreviewEvents(bool all) {
  if (all) {
    if (All_params) SendPreview(*All_params, m_channelChoice->GetSelection());
    return;
  }
  for (std::size_t c = 0; c < ChannelCount(); ++c) SendPreview(m_params[c], static_cast<int>(c));
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::GetParams(std::vector<Record>& params) const {
  if (m_params.size() == 1)
    params.assign(3, m_params[0]);
  else
    params = m_params;
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::ProcessByParent(wxEvent& event) {
  event.SetEventObject(this);
  if (wxWindow* parent = GetParent()) parent->GetEventHandler()->ProcessEvent(event);
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::OnType(wxCommandEvent&) {
  const int type = m_typeChoice->GetSelection();
  if (type == wxNOT_FOUND || type == m_graph->GetType()) return;
  m_graph->SetType(type);
  m_graph->Refresh(false);
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::OnChannel(wxCommandEvent&) {
  SelectChannel(AllSelected() ? -1 : m_channelChoice->GetSelection());
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::OnPreviewBox(wxCommandEvent&) {
  // Unchecking sends nothing: the last preview stays until the dialog closes.
  if (m_previewBox->GetValue()) GeneratePreviewEvents(AllSelected());
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::OnReset(wxCommandEvent&) {
  ResetControls();
  m_graph->SetType(HistGraph<T>::LOGARITHMIC);
  m_typeChoice->SetSelection(0);
  m_graph->Refresh(false);
  DoPreview();
}

template <class T, class Record>
void HistogramChannelDialog<T, Record>::OnOK(wxCommandEvent&) {
  const Record before = All_params ? *All_params : Record();
  if (!AcceptControls()) return;
  // A value taken from the fields only now still belongs to every channel;
  // "All" merely looked at leaves each channel its own record.
  if (AllSelected() && All_params && !(*All_params == before)) SpreadAll();
  if (IsModal()) {
    EndModal(wxID_OK);
  } else {
    SetReturnCode(wxID_OK);
    Hide();
  }
}

#define ORV_INSTANTIATE_CHANNEL_DIALOGS(T)                                 \
  template class HistogramChannelDialog<T, TLevelsParams<T, unsigned char>>; \
  template class HistogramChannelDialog<T, ThresParams<T>>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_CHANNEL_DIALOGS)

}  // namespace orv

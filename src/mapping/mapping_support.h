#ifndef ORV_SRC_MAPPING_SUPPORT_H
#define ORV_SRC_MAPPING_SUPPORT_H

// Small pieces the gray and RGB mapping modules share.

#include <wx/arrstr.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/string.h>

#include <exception>
#include <initializer_list>
#include <vector>

class wxWindow;

namespace orv {

// The style of the levels and thresholding dialogs the modules open.
constexpr long kLevelDialogStyle = wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER | wxCLIP_CHILDREN;

// Runs a look-up table operation; a refusal by the table is shown to the
// user, and the module goes on with the table as it was left.
template <class Operation>
void RunTableOperation(Operation operation) {
  try {
    operation();
  } catch (const std::exception& e) {
    wxMessageBox(e.what(), wxMessageBoxCaptionStr, wxOK | wxCENTRE);
  }
}

// Shows a levels or thresholding dialog modally over the channels'
// histograms; on OK its records replace `records` (a dialog of one channel
// gives three copies, of which the caller keeps what it needs). Returns
// whether the user accepted.
template <class Dialog, class Histograms, class Record>
bool RunRecordDialog(wxWindow* parent, Histograms& histograms, std::vector<Record>& records,
                     const wxArrayString& names, const char* title) {
  Dialog dialog(parent, wxID_ANY, histograms, records, names, title, wxDefaultPosition, wxDefaultSize,
                kLevelDialogStyle);
  if (dialog.ShowModal() != wxID_OK) return false;
  dialog.GetParams(records);
  return true;
}

inline wxArrayString ChannelNames(std::initializer_list<const char*> names) {
  wxArrayString array;
  for (const char* name : names) array.Add(name);
  return array;
}

// Binary digits of the integer part of v (at least 1).
int BinaryDigits(double v);
// The largest value of `bits` bits: 2^bits - 1.
double BitDepthMaximum(int bits);
// Asks for the "real" bit depth of the data: offered from the digits the
// range's low end needs (so the new high end never falls below it) up to the
// digits of the histogram's last value, starting at the digits of the range's
// high end. Returns 0 when the user cancelled or kept the current depth.
int AskBitDepth(wxWindow* parent, double rangeLow, double rangeHigh, double lastValue);

}  // namespace orv

#endif

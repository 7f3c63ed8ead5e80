#include "series_saving.h"

#include <orv/orv_ids.h>
#include <orv/orv_imagecanvas.h>

#include "image_save.h"
#include "save_dialogs.h"

#include <bix/Exceptions.h>
#include <bix/OmeZarr.h>
#include <bix/Types.h>

#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>

namespace orv {

template <class T>
SeriesSaving<T>& SeriesSaving<T>::Of(orv_OrthoscopeFrame* frame) {
  if (auto* saving = frame->FindModule<SeriesSaving>()) return *saving;
  auto* saving = new SeriesSaving(frame);
  frame->AddExtensionModule(saving, wxEmptyString, true);
  return *saving;
}

template <class T>
SeriesSaving<T>::SeriesSaving(orv_OrthoscopeFrame* frame) : orv_ExtensionModule(frame) {
  Bind(wxEVT_MENU, &SeriesSaving::OnSave, this, ID_SAVE_3D_DATA);
}

template <class T>
void SeriesSaving<T>::OnSave(wxCommandEvent& event) {
  auto* frame = static_cast<orv_OrthoscopeFrame*>(m_frame);
  auto* canvas = dynamic_cast<orv_ImageOrthoscopeCanvas<T>*>(frame->GetCanvas());
  const unsigned times = m_axis ? m_axis->GetTimePointCount() : 1;
  if (!canvas || (canvas->GetChannelCount() < 2 && times < 2)) return event.Skip();
  const wxString path = AskSavePath(frame, "Save 3d image data as...", "OME-TIFF (*.ome.tif)|*.ome.tif|OME-Zarr (*.zarr)|*.zarr");
  if (path.empty()) return;
  const unsigned shown = m_axis ? m_axis->GetShownTimePoint() : 0;
  bool all = false;
  if (times > 1) {
    wxMessageDialog ask(frame, wxString::Format("Save all %u time points, or time point %u alone?", times, shown + 1),
                        "Save 3d data", wxYES_NO | wxCANCEL | wxICON_QUESTION);
    ask.SetYesNoCancelLabels("All time points", "This time point", "Cancel");
    const int answer = ask.ShowModal();
    if (answer == wxID_CANCEL) return;
    all = answer == wxID_YES;
  }
  std::vector<bix::ChannelFacts> facts(canvas->GetChannelCount());
  for (unsigned c = 0; m_channels && c < facts.size(); ++c) {
    const bix::RGB8 colour = m_channels->GetChannelColour(c);
    facts[c].name = m_channels->GetChannelName(c).utf8_string();
    facts[c].hasColour = true;
    facts[c].red = colour.red, facts[c].green = colour.green, facts[c].blue = colour.blue;
  }
  const std::string file = path.utf8_string();
  SaveOrLogErrors(file, [&] {
    // The shown time point's stacks are the canvas's; the others are read.
    std::vector<std::vector<bix::Image3d<T>>> read(times);
    std::vector<std::vector<const bix::Image3d<T>*>> stacks;
    std::unique_ptr<wxProgressDialog> progress;
    if (all && times > 1)
      progress = std::make_unique<wxProgressDialog>("Save 3d data", "Reading the time points...", int(times), frame,
                                                    wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE);
    // A chunked image's channels are saved at full resolution, read from
    // level 0 (the canvas holds a coarse level).
    orv_ChunkedView* chunked = canvas->GetChunkedView();
    for (unsigned t = all ? 0 : shown; t < (all ? times : shown + 1); ++t) {
      std::vector<const bix::Image3d<T>*> time;
      if (chunked) {
        const bix::ChunkedImage& source = chunked->GetSource();
        for (unsigned c : chunked->GetChannels()) {
          read[t].emplace_back();
          source.ReadBox(0, t, c, bix::Vector3d<unsigned>(0, 0, 0), source.Level(0).size, read[t].back());
        }
        for (const auto& stack : read[t]) time.push_back(&stack);
      } else if (t == shown) {
        for (unsigned c = 0; c < canvas->GetChannelCount(); ++c) time.push_back(&canvas->GetChannelImage(c));
      } else {
        m_read(t, read[t], [&] { return !progress || progress->Update(int(t)); });
        for (const auto& stack : read[t]) time.push_back(&stack);
      }
      if (progress && !progress->Update(int(t + 1))) return;
      stacks.push_back(std::move(time));
    }
    progress.reset();
    if (path.Lower().EndsWith(".zarr"))
      bix::WriteOmeZarrSeries<T>(stacks, facts, file);
    else
      bix::SaveOmeTiff<T>(stacks, facts, file);
  });
}

#define ORV_INSTANTIATE_SERIES_SAVING(T) template class SeriesSaving<T>;
BIX_FOR_EACH_GRAY_TYPE(ORV_INSTANTIATE_SERIES_SAVING)

}  // namespace orv

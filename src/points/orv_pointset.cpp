#include <orv/orv_pointset.h>

#include <wx/debug.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string_view>

namespace orv {

namespace {

constexpr double kNotRead = std::numeric_limits<double>::quiet_NaN();

}  // namespace

wxString LabelledPointSet::GetLabelName(unsigned lbl_idx) const {
  wxCHECK_MSG(lbl_idx < m_label_names.GetCount(), wxString(), "lbl_idx < m_label_names.GetCount()");
  return m_label_names[lbl_idx];
}

unsigned LabelledPointSet::FindLabelName(const wxString& name) const {
  for (unsigned i = 0; i < m_label_names.GetCount(); ++i)
    if (m_label_names[i] == name) return i;
  return GetLabelNameCount();
}

const bix::Vector3d<float>& LabelledPointSet::operator[](unsigned pt_idx) const {
  wxASSERT_MSG(pt_idx < m_coords.size(), "pt_idx < m_coords.size()");
  return m_coords[pt_idx];
}

wxString LabelledPointSet::GetAllLabels(unsigned pt_idx) const {
  const std::string_view text = GetAllLabelsUtf8(pt_idx);
  return wxString::FromUTF8(text.data(), text.size());
}

std::string_view LabelledPointSet::GetAllLabelsUtf8(unsigned pt_idx) const {
  wxCHECK_MSG(pt_idx < m_labelAt.size(), std::string_view(), "pt_idx < m_labelAt.size()");
  return std::string_view(m_labelText).substr(m_labelAt[pt_idx], m_labelSize[pt_idx]);
}

void LabelledPointSet::SetAllLabels(unsigned pt_idx, const wxString& text) {
  wxCHECK_RET(pt_idx < m_labelAt.size(), "pt_idx < m_labelAt.size()");
  const std::string utf8 = text.utf8_string();
  if (GetAllLabelsUtf8(pt_idx) == utf8) return;
  SetLabelText(pt_idx, utf8);
  ++m_changes;
}

void LabelledPointSet::SetLabelText(std::size_t i, std::string_view text) {
  m_labelUnused += m_labelSize[i];
  m_labelAt[i] = m_labelText.size();
  m_labelSize[i] = static_cast<std::uint32_t>(text.size());
  m_labelText.append(text);
  if (m_labelUnused > m_labelText.size() / 2) CompactLabels();
}

void LabelledPointSet::CompactLabels() {
  std::string text;
  text.reserve(m_labelText.size() - std::min(m_labelUnused, m_labelText.size()));
  for (std::size_t i = 0; i < m_labelAt.size(); ++i) {
    const std::uint64_t at = text.size();
    text.append(m_labelText, m_labelAt[i], m_labelSize[i]);
    m_labelAt[i] = at;
  }
  m_labelText = std::move(text);
  m_labelUnused = 0;
}

const LabelledPointSet::FileValues& LabelledPointSet::GetFileValues(unsigned pt_idx) const {
  static const FileValues none = {kNotRead, kNotRead, kNotRead};
  wxCHECK_MSG(pt_idx < m_read.size(), none, "pt_idx < m_coords.size()");
  return m_read[pt_idx];
}

// Called for every point drawn with styles: a scan of the text for its
// non-empty fields, without copying it or every field before the one asked.
wxString LabelledPointSet::GetLabel(unsigned pt_idx, unsigned column) const {
  const std::string_view text = GetAllLabelsUtf8(pt_idx);
  const std::string& separator = m_separator;
  unsigned k = 0;
  for (std::size_t start = 0; start < text.size();) {
    if (text.compare(start, separator.size(), separator) == 0) {
      start += separator.size();
      continue;
    }
    const std::size_t end = std::min(text.find(separator, start), text.size());
    if (k++ == column) return wxString::FromUTF8(text.data() + start, end - start);
    start = end;
  }
  return wxString();
}

unsigned LabelledPointSet::AddPoint(const bix::Vector3d<float>& coords) {
  // A point at NaN or infinity has no place to be drawn, picked or saved.
  if (!std::isfinite(coords.x) || !std::isfinite(coords.y) || !std::isfinite(coords.z)) return GetCount();
  m_coords.push_back(coords);
  m_labelAt.push_back(m_labelText.size());
  m_labelSize.push_back(0);
  m_read.push_back({kNotRead, kNotRead, kNotRead});
  ++m_changes;
  return GetCount() - 1;
}

void LabelledPointSet::Clear() {
  m_label_names.Clear();
  m_coords.clear();
  m_labelText.clear();
  m_labelAt.clear();
  m_labelSize.clear();
  m_labelUnused = 0;
  m_read.clear();
  m_selection.clear();
  ++m_changes;
}

bool LabelledPointSet::IsSelected(unsigned pt_idx) const {
  wxCHECK_MSG(pt_idx < m_coords.size(), false, "pt_idx < m_coords.size()");
  return m_selection.count(pt_idx) != 0;
}

void LabelledPointSet::Select(unsigned pt_idx, bool select, bool clearFirst) {
  wxCHECK_RET(pt_idx < m_coords.size(), "pt_idx < m_coords.size()");
  if (clearFirst) m_selection.clear();
  if (select)
    m_selection.insert(pt_idx);
  else
    m_selection.erase(pt_idx);
}

// One pass that keeps the unselected points in order, whatever the number
// of points deleted.
void LabelledPointSet::DeleteSelected() {
  if (m_selection.empty()) return;
  std::size_t keep = 0;
  for (std::size_t i = 0; i < m_coords.size(); ++i) {
    if (m_selection.count(static_cast<unsigned>(i))) continue;
    if (keep != i) {
      m_coords[keep] = m_coords[i];
      m_labelAt[keep] = m_labelAt[i];
      m_labelSize[keep] = m_labelSize[i];
      m_read[keep] = m_read[i];
    }
    ++keep;
  }
  m_labelAt.resize(keep);
  m_labelSize.resize(keep);
  // The deleted points' texts go with them.
  CompactLabels();
  m_coords.resize(keep);
  m_read.resize(keep);
  m_selection.clear();
  ++m_changes;
}

void LabelledPointSet::Assign(std::vector<bix::Vector3d<float>> coords, wxArrayString labels,
                              std::vector<FileValues> read) {
  std::vector<std::string> utf8;
  utf8.reserve(labels.size());
  for (const wxString& text : labels) utf8.push_back(text.utf8_string());
  Assign(std::move(coords), std::move(utf8), std::move(read));
}

void LabelledPointSet::Assign(std::vector<bix::Vector3d<float>> coords, std::vector<std::string> labels,
                              std::vector<FileValues> read) {
  LabelTexts texts;
  texts.ends.reserve(labels.size());
  for (const std::string& text : labels) {
    texts.text += text;
    texts.EndPoint();
  }
  Assign(std::move(coords), std::move(texts), std::move(read));
}

// Points without a text get an empty one; texts without a point are left out.
void LabelledPointSet::Assign(std::vector<bix::Vector3d<float>> coords, LabelTexts labels,
                              std::vector<FileValues> read) {
  wxASSERT_MSG(read.empty() || read.size() == coords.size(), "read.size() == coords.size()");
  read.resize(coords.size(), {kNotRead, kNotRead, kNotRead});
  const std::size_t n = coords.size();
  labels.ends.resize(n, labels.ends.empty() ? 0 : labels.ends.back());
  m_labelAt.resize(n);
  m_labelSize.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    m_labelAt[i] = i ? labels.ends[i - 1] : 0;
    m_labelSize[i] = static_cast<std::uint32_t>(labels.ends[i] - m_labelAt[i]);
  }
  m_labelText = std::move(labels.text);
  m_labelUnused = m_labelText.size() - (n ? labels.ends[n - 1] : 0);
  m_coords = std::move(coords);
  m_read = std::move(read);
  m_selection.clear();
  ++m_changes;
}

}  // namespace orv

#ifndef ORV_POINTSET_H
#define ORV_POINTSET_H

#include <orv/label_texts.h>
#include <orv/orv_export.h>

#include <bix/Vector3d.h>

#include <wx/arrstr.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// A set of 3D points in microns (image space, offset included), each with a
// label text (its label fields, each preceded by the separator), the names
// of the label columns, and the selected points. Label texts are held as
// UTF-8 in one buffer (a quarter of the toolkit's wide strings, and no
// string per point: point files are read into about their own size).
class ORV_EXPORT LabelledPointSet {
public:
  explicit LabelledPointSet(wxChar separator = wxT('\t'))
      : m_separator(wxString(separator).utf8_string()) {}

  unsigned GetCount() const { return static_cast<unsigned>(m_coords.size()); }
  unsigned GetLabelNameCount() const { return static_cast<unsigned>(m_label_names.GetCount()); }
  wxString GetLabelName(unsigned lbl_idx) const;
  void AddLabelName(const wxString& name) { m_label_names.Add(name); }
  // The index of a label column by exact name; the name count when absent.
  unsigned FindLabelName(const wxString& name) const;

  const bix::Vector3d<float>& operator[](unsigned pt_idx) const;
  const std::vector<bix::Vector3d<float>>& GetCoords() const { return m_coords; }
  wxString GetAllLabels(unsigned pt_idx) const;
  // Valid until the labels change.
  std::string_view GetAllLabelsUtf8(unsigned pt_idx) const;
  void SetAllLabels(unsigned pt_idx, const wxString& text);
  // The point's field in label column `column`, empty fields skipped; empty
  // when the point has fewer fields.
  wxString GetLabel(unsigned pt_idx, unsigned column) const;

  // Appends a point with an empty label text; returns its index. A point
  // that is not a finite place (NaN, infinity) is refused: the count is
  // returned and the set stays as it was.
  unsigned AddPoint(const bix::Vector3d<float>& coords);
  void Clear();

  // The coordinates a point had in the file it was read from (x, y, z in
  // the file's units), so that saving writes them back as they were; NaN
  // for a point that was not read from a file.
  using FileValues = std::array<double, 3>;
  const FileValues& GetFileValues(unsigned pt_idx) const;

  // Counts every change of points or label texts (not of the selection),
  // so that a holder can tell whether the set changed since it looked.
  unsigned long GetChangeCount() const { return m_changes; }

  bool IsSelected(unsigned pt_idx) const;
  // Empties the selection first when `clearFirst`, then adds or removes the point.
  void Select(unsigned pt_idx, bool select, bool clearFirst);
  const std::set<unsigned>& GetSelection() const { return m_selection; }
  // Removes the selected points with their label texts; empties the selection.
  void DeleteSelected();

  // Coordinates, label texts and the values read are replaced in bulk when
  // a file is read; `read` is empty or holds one entry per point.
  void Assign(std::vector<bix::Vector3d<float>> coords, wxArrayString labels, std::vector<FileValues> read = {});
  // The same with the label texts in UTF-8.
  void Assign(std::vector<bix::Vector3d<float>> coords, std::vector<std::string> labels,
              std::vector<FileValues> read = {});
  // The same with the label texts in one buffer, as a point file is read.
  void Assign(std::vector<bix::Vector3d<float>> coords, LabelTexts labels, std::vector<FileValues> read = {});

private:
  wxArrayString m_label_names;
  std::vector<bix::Vector3d<float>> m_coords;
  // Sets point i's label text; the one it replaces stays in the buffer
  // until half of it is such (then the buffer is compacted).
  void SetLabelText(std::size_t i, std::string_view text);
  void CompactLabels();

  std::string m_labelText;               // the label texts, one after another
  std::vector<std::uint64_t> m_labelAt;  // where each point's text starts
  std::vector<std::uint32_t> m_labelSize;
  std::size_t m_labelUnused = 0;  // bytes of replaced texts still in the buffer
  std::vector<FileValues> m_read;  // one entry per point
  std::set<unsigned> m_selection;
  unsigned long m_changes = 0;
  std::string m_separator;  // UTF-8, as the label texts
};

}  // namespace orv

#endif

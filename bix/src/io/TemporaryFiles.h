#ifndef BIX_IO_TEMPORARYFILES_H
#define BIX_IO_TEMPORARYFILES_H

#include <string>
#include <vector>

namespace bix::io {

// Files written in a temporary directory beside their targets, under the
// targets' own names, and renamed over the targets once complete: a failed
// save leaves the previous files as they were, and formats that record their
// own file name (ICS) or derive a companion's from it (ICS version 1's .ids)
// see the final names. Destroyed without Commit(), it removes what it made.
class TemporaryFiles {
public:
  // Creates the directory beside the first target (all targets share one
  // directory); `name` is the file the user asked for, used in messages.
  // Raises IOException when the directory takes no new entry, or when a
  // target exists and is read-only (renaming would replace it all the same).
  TemporaryFiles(const std::vector<std::string>& targets, const std::string& name);
  ~TemporaryFiles();
  TemporaryFiles(const TemporaryFiles&) = delete;
  TemporaryFiles& operator=(const TemporaryFiles&) = delete;

  // Where to write target i.
  const std::string& Path(std::size_t i) const { return m_temporaries[i]; }
  // Flushes every file to the disk and renames it over its target, the
  // first target last. A target that existed keeps its permissions.
  void Commit();

private:
  std::vector<std::string> m_targets;
  std::vector<std::string> m_temporaries;
  std::string m_directory;
  int m_lock = -1;  // the folder's host file, locked while the save runs
  std::string m_name;
};

}  // namespace bix::io

#endif

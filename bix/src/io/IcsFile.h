#ifndef BIX_IO_ICSFILE_H
#define BIX_IO_ICSFILE_H

#include <libics.h>

#include <string>

namespace bix::io {

// Raises IOException "'name': what (libics: <its text for error>)" unless
// `error` is IcsErr_Ok.
void CheckIcs(Ics_Error error, const std::string& name, const std::string& what);

// Owns an ICS handle: IcsClose frees it (and, when writing, writes the
// files), so every way out must call it.
struct IcsHandle {
  ICS* ics = nullptr;
  IcsHandle() = default;
  IcsHandle(const IcsHandle&) = delete;
  IcsHandle& operator=(const IcsHandle&) = delete;
  ~IcsHandle() {
    if (ics) IcsClose(ics);
  }
  // Closes now and reports what IcsClose says.
  Ics_Error Close() {
    ICS* closing = ics;
    ics = nullptr;
    return IcsClose(closing);
  }
};

// Opens an ICS header for reading as IcsOpen(ics, path, "r") does, but frees
// what a bad header leaves: libics's IcsOpen frees its structure without the
// history lines it had read (8 kB lost per bad file opened).
Ics_Error OpenIcsForReading(ICS** ics, const std::string& path);

// Raises IOException unless `path` fits libics's file names: it cuts longer
// ones short and would write somewhere else.
void CheckIcsPath(const std::string& path, const std::string& name);

// The data file of a version 1 header `ics`, named as libics names it when
// it writes and reads one: Cell.ics gives Cell.ids, Cell.ICS gives Cell.IDS.
std::string IdsNameOf(const std::string& ics, const std::string& name);
// The header libics reads for `path` (Cell.ids gives Cell.ics).
std::string IcsNameOf(const std::string& path, const std::string& name);

// The numbering of ICS dimensions: channels (colour) may come first, then x,
// y and z.
bool IsChannelDimension(const char* order);

}  // namespace bix::io

#endif

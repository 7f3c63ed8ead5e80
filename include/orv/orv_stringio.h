#ifndef ORV_STRINGIO_H
#define ORV_STRINGIO_H

#include <orv/orv_export.h>

#include <wx/string.h>

#include <istream>
#include <ostream>

// One string token in a text stream, written as UTF-8.
//
// SavewxString writes the string between double quotes when it contains a
// blank or a tab (and when it is empty, so that it reads back as empty), bare
// otherwise; one blank follows when `blankAfter` is true.
//
// LoadwxString clears `s` and skips white space; a token starting with a
// double quote runs to the closing quote, any other token to the next blank
// or tab. A line feed (or carriage return) ends either form and is put back
// into the stream, so line-oriented readers still see the end of the line.
namespace orv {

ORV_EXPORT void SavewxString(wxString& s, std::ostream& out, bool blankAfter);
ORV_EXPORT void LoadwxString(wxString& s, std::istream& in);

}  // namespace orv

#endif

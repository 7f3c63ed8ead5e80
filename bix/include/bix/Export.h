#ifndef BIX_EXPORT_H
#define BIX_EXPORT_H

// Marks a bix type as visible across shared libraries even when the code
// including it is compiled with hidden symbol visibility (as liborv is): a
// template instantiated over a hidden type is hidden itself, so liborv could
// not export, say, its factory for RGB_generic<unsigned char> images.
#define BIX_EXPORT __attribute__((visibility("default")))

#endif

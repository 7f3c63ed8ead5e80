#ifndef ORV_EXPORT_H
#define ORV_EXPORT_H

// Marks what liborv exports to hosts. The library is built with default
// symbol visibility, so this only documents the interface and keeps event
// type declarations in the form wxWidgets expects.
#define ORV_EXPORT __attribute__((visibility("default")))

#endif

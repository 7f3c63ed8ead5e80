#ifndef ORV_EXPORT_H
#define ORV_EXPORT_H

// Marks what liborv exports to hosts. The library is built with hidden
// symbol visibility, so only what carries this mark (a class, a function or
// an event type) is visible to a program that links it.
#define ORV_EXPORT __attribute__((visibility("default")))

#endif

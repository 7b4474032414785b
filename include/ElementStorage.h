// Raw storage for the elements of the growable arrays.  Large blocks are
// offered to the system for huge pages, so that filling the millions of
// events of a big file takes a few page faults instead of one per 4 KiB.

#ifndef ELEMENTSTORAGE_H
#define ELEMENTSTORAGE_H

#include <cstddef>

void* allocateElements(size_t bytes);
void releaseElements(void* block);

#endif

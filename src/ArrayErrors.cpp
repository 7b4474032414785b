// The fatal errors of the growable arrays.

#include "ArrayErrors.h"

#include <iostream>

#include "FatalError.h"

void arrayIndexError(long anIndex, long aSize) {
    std::cerr << "Error: accessing invalid array location " << anIndex << " Maximum is "
              << aSize - 1 << std::endl;
    fatalExit();
}

void arrayMaximumExceeded() {
    std::cerr << "Error: Maximum size allowed for array exceeded." << std::endl;
    fatalExit();
}

void arrayStorageBelowSize() {
    std::cerr << "Error: cannot set allocated size smaller than actual size." << std::endl;
    fatalExit();
}

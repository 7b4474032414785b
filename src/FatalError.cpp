// The end of the library's fatal errors.

#include "FatalError.h"

#include <cstdlib>

namespace {

FatalHandler handler = nullptr;

}  // namespace

FatalHandler setFatalHandler(FatalHandler aHandler) {
    FatalHandler previous = handler;
    handler = aHandler;
    return previous;
}

void fatalExit() {
    if (handler != nullptr) {
        handler();
    }
    std::exit(1);
}

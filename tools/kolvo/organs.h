// The two organs that the companion program knows, in the order in which
// a roll is tried on them.

#ifndef KOLVO_TOOL_ORGANS_H
#define KOLVO_TOOL_ORGANS_H

#include <array>

#include "xlate150.h"
#include "xlate165.h"

inline std::array<const OrganProfile*, 2> organs() {
    return {&organ165, &organ150};
}

#endif

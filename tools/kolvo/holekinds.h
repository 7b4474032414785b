// How every kind of hole looks wherever a roll is drawn (the still picture
// and the roll page): its short name, its colour and its legend's words.
// One row per kind, in the legend's order.

#ifndef KOLVO_TOOL_HOLEKINDS_H
#define KOLVO_TOOL_HOLEKINDS_H

#include <cstring>

#include "organ.h"

struct KindStyle {
    HoleKind kind;
    const char* name;    // a CSS class and the page's name of the kind
    const char* colour;  // "#rrggbb"
    const char* legend;
};

constexpr KindStyle kindStyles[] = {
    {HoleKind::Bass, "bass", "#1f4e9c", "Bass"},
    {HoleKind::Accompaniment, "accomp", "#2e8b3a", "Accompaniment"},
    {HoleKind::Melody, "melody", "#d1342f", "Melody"},
    {HoleKind::Trumpet, "trumpet", "#e08a00", "Trumpet"},
    {HoleKind::Percussion, "drum", "#7b3fb8", "Percussion"},
    {HoleKind::Register, "register", "#0f9fb0", "Register, stop, bells"},
    {HoleKind::Shutter, "shutter", "#8a5a3c", "Shutter"},
    {HoleKind::Cancel, "cancel", "#111111", "Cancel"},
    {HoleKind::Nothing, "silent", "#9a9a9a", "Silent"},
};

constexpr int kindCount = sizeof kindStyles / sizeof kindStyles[0];

// Every kind has its row, in the order of HoleKind.
constexpr bool kindsInOrder() {
    for (int i = 0; i < kindCount; i++) {
        if (static_cast<int>(kindStyles[i].kind) != i) {
            return false;
        }
    }
    return kindCount == static_cast<int>(HoleKind::Nothing) + 1;
}
static_assert(kindsInOrder(), "one row per hole kind, in the order of HoleKind");

constexpr const KindStyle& styleOf(HoleKind kind) {
    return kindStyles[static_cast<int>(kind)];
}

// The kind a control is drawn in: the shutter's own, else that of the
// holes that switch registers, stop and bells on.
inline HoleKind controlKind(const OrganControl& control) {
    return std::strcmp(control.name, "shutter") == 0 ? HoleKind::Shutter : HoleKind::Register;
}

#endif

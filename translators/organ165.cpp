// The texts, tables and translator that make the shared driver kolvo165.

#include "organ.h"
#include "xlate165.h"

// layout165Rows lives in another translation unit, so this profile is
// initialised when the program starts; read it only from inside functions.
const OrganProfile organ165 = {
    "Play Wurlitzer 165 e-roll, v2.01",
    "kolvo165, Copyright (C) 2026 the kolvo authors",
    "  w165e-roll.mid [optempo]",
    "Invalid w165 e-roll",
    "w165k-v",
    3,
    layout165,
    layout165Rows,
    xlate165,
    "165",
    w165::lowestHole,
    w165::highestHole,
    describeHole165,
    reset165Controls,
};

// The texts, tables and translator that make the shared driver kolvo150.

#include "organ.h"
#include "xlate150.h"

// layout150Rows lives in another translation unit, so this profile is
// initialised when the program starts; read it only from inside functions.
const OrganProfile organ150 = {
    "Play Wurlitzer 150 e-roll, v2.01",
    "kolvo150, Copyright (C) 2026 the kolvo authors",
    "  w150e-roll.mid [optempo]",
    "Invalid w150 e-roll",
    "w150k-v",
    2,
    layout150,
    layout150Rows,
    xlate150,
    "150",
    w150::lowestHole,
    w150::highestHole,
    describeHole150,
    reset150Controls,
};

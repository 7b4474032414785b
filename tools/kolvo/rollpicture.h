// A picture of a roll as its organ sees it, as SVG: time runs along the
// roll from left to right, in strips of half a minute one below the other
// so that a long roll stays readable; one lane per hole of the organ's
// scale, the lowest at the bottom, labelled with what the hole does; each
// hole a rounded perforation coloured by its kind; under them a lane per
// control of the organ (register, stop, bells, shutter) marked where it
// is on (the shutter open); a seconds axis under every strip, and a legend.

#ifndef KOLVO_TOOL_ROLLPICTURE_H
#define KOLVO_TOOL_ROLLPICTURE_H

#include <string>

#include "roll.h"

// How long the picture of the roll runs: seconds of playing time until its
// last hole has closed.
double pictureSeconds(const Arrangement& roll);

// The seconds of a strip, unless --seconds-per-strip says otherwise, and
// the fewest and most it may say.
const double defaultStripSeconds = 30.0;
const double fewestStripSeconds = 1.0;
const double mostStripSeconds = 3600.0;

// The SVG document of the arranged roll (its organ must be set), with the
// title and the file name in its heading; every strip holds `stripSeconds`
// of the roll in the same width.
std::string rollPicture(const Arrangement& roll, const std::string& title,
                        const std::string& fileName, double stripSeconds = defaultStripSeconds);

#endif

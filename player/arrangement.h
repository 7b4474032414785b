// Output arrangement: the skeleton of outputfile (sixteen tracks, names,
// banks, instruments, marker text), the copies of the roll's texts and the
// tempo event.  Everything here lies at tick 0.

#ifndef KOLVO_ARRANGEMENT_H
#define KOLVO_ARRANGEMENT_H

#include <string>

#include "organ.h"

// Meta types of the roll texts that the arrangement copies.
const int metaText = 0x01;
const int metaCopyright = 0x02;
const int metaTrackName = 0x03;
const int metaTempo = 0x51;

// Lays out outputfile for `organ`: absolute time, sixteen tracks, tpq set
// to the roll's ticks per quarter note, the track names, bank selects and
// program changes of the organ's layout, and the marker text from `result`
// on track 1.
void layOutArrangement(const Organ& organ, int rollTpq);

// Copies a roll text into outputfile at tick 0: a copyright or a title on
// track 0, a text on track 1.  The text is taken up to its first zero byte.
void addRollText(int metaType, const std::string& text);

// Microseconds per quarter note of a tempo in beats per minute, rounded.
int tempoMicroseconds(double beatsPerMinute);

// Adds the tempo event of optempo (FF 51 03 and three bytes) at tick 0 on
// track 0, assembled in mididata.
void addTempoEvent();

#endif

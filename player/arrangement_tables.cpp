// The arrangement's named tracks for each organ: track (and channel), name
// and program of the organ's bank, in the order their events are added.

#include "organ.h"

// Wurlitzer 165, bank 3.  Tracks 0, 8, 10, 11 and 15 are not named; track
// 10 is the percussion channel.
const TrackLayout layout165[] = {
    {1, "Bass", 58},
    {2, "Bass", 43},
    {3, "Accomp", 70},
    {4, "Accomp", 11},
    {5, "Melody", 82},
    {6, "Melody", 40},
    {7, "Melody", 75},
    {9, "Melody", 73},
    {12, "Melody", 8},
    {13, "Trumpet", 68},
    {14, "Trumpet", 56},
};
const int layout165Rows = sizeof(layout165) / sizeof(layout165[0]);

// Wurlitzer 150, bank 2.  Tracks 0, 3, 4, 6, 9 and 10 are not named.
const TrackLayout layout150[] = {
    {1, "Trombone", 58},
    {2, "Bass", 43},
    {5, "Accomp", 70},
    {7, "Melody", 73},
    {8, "Melody", 82},
    {11, "Melody", 75},
    {12, "Melody", 8},
    {13, "Trumpet", 68},
    {14, "Trumpet", 69},
    {15, "Trumpet", 56},
};
const int layout150Rows = sizeof(layout150) / sizeof(layout150[0]);

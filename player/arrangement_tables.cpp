// The arrangement's named tracks for each organ: track (and channel), name,
// program of the organ's bank and the rank it sounds, in the order their
// events are added.

#include "organ.h"

// Wurlitzer 165, bank 3.  Tracks 0, 8, 10, 11 and 15 are not named; track
// 10 is the percussion channel.
const TrackLayout layout165[] = {
    {1, "Bass", 58, Rank::StoppedBass},
    {2, "Bass", 43, Rank::OpenStringBass},
    {3, "Accomp", 70, Rank::AccompFlute},
    {4, "Accomp", 11, Rank::AccompBell},
    {5, "Melody", 82, Rank::Piccolo},
    {6, "Melody", 40, Rank::ViolinPipe},
    {7, "Melody", 75, Rank::Flageolet},
    {9, "Melody", 73, Rank::Flute},
    {12, "Melody", 8, Rank::Glockenspiel},
    {13, "Trumpet", 68, Rank::BaritoneReed},
    {14, "Trumpet", 56, Rank::TrumpetReed},
};
const int layout165Rows = sizeof(layout165) / sizeof(layout165[0]);

// Wurlitzer 150, bank 2.  Tracks 0, 3, 4, 6, 9 and 10 are not named.
const TrackLayout layout150[] = {
    {1, "Trombone", 58, Rank::TromboneReed},
    {2, "Bass", 43, Rank::OpenBass},
    {5, "Accomp", 70, Rank::AccompFlute},
    {7, "Melody", 73, Rank::ViolinPipe},
    {8, "Melody", 82, Rank::Piccolo},
    {11, "Melody", 75, Rank::Flute},
    {12, "Melody", 8, Rank::Glockenspiel},
    {13, "Trumpet", 68, Rank::BaritoneReed},
    {14, "Trumpet", 69, Rank::ClarinetReed},
    {15, "Trumpet", 56, Rank::TrumpetReed},
};
const int layout150Rows = sizeof(layout150) / sizeof(layout150[0]);

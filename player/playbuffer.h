// The plain byte buffer op_buffer that hands the written arrangement to the
// synthesizer's player.

#ifndef KOLVO_PLAYBUFFER_H
#define KOLVO_PLAYBUFFER_H

#include <string>

// The length rounded up to the next multiple of 4.
long paddedLength(long length);

// Allocates op_buffer for the written file, rounded up to a multiple of 4,
// copies the file into it and fills the rest with zero bytes.  Returns the
// rounded length, or -1 when the memory cannot be had (op_buffer stays
// null then).  The buffer is never released: the player reads it until the
// process ends.
long fillPlaybackBuffer(const std::string& writtenFile);

#endif

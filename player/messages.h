// Messages of the players that other programs on the same driver print
// too, so that every program refuses a roll in the same words.

#ifndef KOLVO_MESSAGES_H
#define KOLVO_MESSAGES_H

const char* const inputFileMissing = "Input file does not exist";
const char* const outputTempoOutOfRange = "Output tempo must be between 10.0 and 200.0";
const char* const audioOutputMissing = "Cannot open the audio output";
const char* const playBufferNotAllocated = "op_buffer allocation failed";

// The refusal of a roll whose arrangement cannot be written: a delta time
// of it does not fit the four bytes of a MIDI file's variable-length
// quantity.  Printed on standard error; the run ends with status 1.
const char* const unwritableArrangement =
    "Cannot write the arrangement: a pause between notes is longer than a MIDI file can hold";

#endif

// Messages of the players that other programs on the same driver print
// too, so that every program refuses a roll in the same words.

#ifndef KOLVO_MESSAGES_H
#define KOLVO_MESSAGES_H

const char* const inputFileMissing = "Input file does not exist";
const char* const outputTempoOutOfRange = "Output tempo must be between 10.0 and 200.0";
const char* const audioOutputMissing = "Cannot open the audio output";
const char* const playBufferNotAllocated = "op_buffer allocation failed";

#endif

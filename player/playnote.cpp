// Note emission: turns one note request of a translator into a note-on and
// a note-off in the output arrangement.

#include "playnote.h"

#include <climits>

#include "runstate.h"

namespace {

// Ticks of the arrangement at a time in seconds of roll time, truncated.
// The arrangement has no time before its start, so earlier times clamp to
// 0; times beyond the range of a tick clamp to its end.
int rollSecondsToTick(double seconds) {
    const double ticks = (tpq * seconds) * iptempo / 60.0;
    if (!(ticks > 0.0)) {
        return 0;
    }
    if (ticks >= static_cast<double>(INT_MAX - 1)) {
        return INT_MAX - 1;
    }
    return static_cast<int>(ticks);
}

}  // namespace

void playnote(double start, double duration, int key, int velocity, int track, int channel) {
    if (velocity == 0) {
        return;
    }
    if (duration < 0.01) {
        return;
    }
    const int channelBits = (channel - 1) & 0x0F;

    midievent.setSize(3);
    midievent[2] = static_cast<unsigned char>(velocity);
    midievent[0] = static_cast<unsigned char>(0x90 | channelBits);
    midievent[1] = static_cast<unsigned char>(key);
    const int onTick = rollSecondsToTick(start);
    outputfile.addEvent(track, onTick, midievent);

    // The note-off carries the note-on's velocity.  A note always ends at
    // least one tick after it starts: an off at the on's tick would sort
    // before it and leave the note sounding for ever.
    midievent[0] = static_cast<unsigned char>(0x80 | channelBits);
    int offTick = rollSecondsToTick(start + duration);
    if (offTick <= onTick) {
        offTick = onTick + 1;
    }
    outputfile.addEvent(track, offTick, midievent);
}

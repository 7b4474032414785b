// MidiFile tempo map: seconds at a tick and the tick at a second under the
// tempo events of all tracks, and the text dump of a whole file.

#include <cstdlib>
#include <iostream>

#include "MidiFile.h"

namespace {

// Tempo before the first tempo event, in beats per minute.
const double DEFAULT_TEMPO_BPM = 120.0;

}  // namespace

void MidiFile::doTimeInSecondsAnalysis() {
    buildTimeMap();
}

//////////////////////////////
//
// MidiFile::buildTimeMap -- one point for each distinct tick at which an
//     event lies, with the seconds at which that tick sounds.  A tempo event
//     applies from its own tick on.  The tracks are joined for the work and
//     split again, so a split file comes back with each track in playing
//     order.
//

void MidiFile::buildTimeMap() {
    int oldTrackState = getTrackState();
    int oldTimeState = getTimeState();

    double secondsPerTick = 60.0 / (ticksPerQuarterNote * DEFAULT_TEMPO_BPM);

    if (getTrackCount() == 0) {
        timemap.setSize(0);
        timemapFinalSecondsPerTick = secondsPerTick;
        timemapvalid = 1;
        return;
    }

    absoluteTime();
    joinTracks();

    SigCollection<MFEvent>& track = *events[0];
    int count = static_cast<int>(track.getSize());

    timemap.setSize(0);
    timemap.setAllocSize(count + 10);

    double seconds = 0.0;
    int lastTick = 0;
    for (int i = 0; i < count; i++) {
        MFEvent& event = track[i];
        if (i == 0 || event.time > lastTick) {
            seconds += secondsPerTick * (static_cast<double>(event.time) - lastTick);
            _TickTime point;
            point.tick = event.time;
            point.seconds = seconds;
            timemap.append(point);
            lastTick = event.time;
        }
        // Only a six-byte event can be a tempo event; looking no further
        // leaves events with other data untouched.
        if (event.data.getSize() == 6 && event.isTempo()) {
            secondsPerTick = event.getTempoMicro() / 1000000.0 / ticksPerQuarterNote;
        }
    }
    timemapFinalSecondsPerTick = secondsPerTick;

    if (oldTimeState == 0) {
        deltaTime();
    }
    if (oldTrackState == 0) {
        splitTracks();
    }
    timemapvalid = 1;
}

//////////////////////////////
//
// MidiFile::getTimeInSeconds -- the seconds at which a tick sounds, for any
//     tick from 0 on; -1.0 for a negative tick.  Between points of the map
//     the tempo is constant, so the time is interpolated linearly; before
//     the first point it runs from tick 0 at 0.0 seconds, and after the last
//     point it goes on at the tempo in force there.
//

double MidiFile::getTimeInSeconds(int tickvalue) {
    if (tickvalue < 0) {
        return -1.0;
    }
    if (!timemapvalid) {
        buildTimeMap();
        if (!timemapvalid) {
            return -1.0;
        }
    }

    int count = static_cast<int>(timemap.getSize());
    if (count == 0) {
        return tickvalue * timemapFinalSecondsPerTick;
    }

    const _TickTime* points = timemap.getBase();
    _TickTime key;
    key.tick = tickvalue;
    key.seconds = 0.0;
    const void* found = std::bsearch(&key, points, count, sizeof(_TickTime),
                                     ticksearch);
    if (found != nullptr) {
        return static_cast<const _TickTime*>(found)->seconds;
    }

    // The first point past the tick.
    int lo = 0;
    int hi = count;
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (points[mid].tick <= tickvalue) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }

    // Tick differences are taken in double: the ticks of a map may lie
    // anywhere in the range of int.
    const double tick = tickvalue;
    if (lo == 0) {
        return points[0].seconds * tick / points[0].tick;
    }
    const _TickTime& before = points[lo - 1];
    if (lo == count) {
        return before.seconds + (tick - before.tick) * timemapFinalSecondsPerTick;
    }
    const _TickTime& after = points[lo];
    return before.seconds + (after.seconds - before.seconds) * (tick - before.tick) /
                                (static_cast<double>(after.tick) - before.tick);
}

double MidiFile::getTimeInSeconds(int aTrack, int anIndex) {
    int tick = getEvent(aTrack, anIndex).time;
    return getTimeInSeconds(tick);
}

//////////////////////////////
//
// MidiFile::getAbsoluteTickTime -- the tick that sounds at a second: a
//     point of the map when one lies exactly there, else interpolated
//     between two points.  -1 outside the map.
//

int MidiFile::getAbsoluteTickTime(double starttime) {
    if (!timemapvalid) {
        buildTimeMap();
        if (!timemapvalid) {
            return -1;
        }
    }

    int count = static_cast<int>(timemap.getSize());
    if (count > 0) {
        _TickTime key;
        key.tick = 0;
        key.seconds = starttime;
        const void* found = std::bsearch(&key, timemap.getBase(), count,
                                         sizeof(_TickTime), secondsearch);
        if (found != nullptr) {
            return static_cast<const _TickTime*>(found)->tick;
        }
    }
    return linearTickInterpolationAtSecond(starttime);
}

//////////////////////////////
//
// MidiFile::linearTickInterpolationAtSecond -- the tick at a second between
//     two points of the map; -1 before the first point, at or after the
//     last one.  The search starts from the end of the map nearer to the
//     second asked for.
//

int MidiFile::linearTickInterpolationAtSecond(double seconds) {
    if (!timemapvalid) {
        buildTimeMap();
        if (!timemapvalid) {
            return -1;
        }
    }

    int count = static_cast<int>(timemap.getSize());
    if (count == 0) {
        return -1;
    }
    const _TickTime* points = timemap.getBase();
    double lastSeconds = points[count - 1].seconds;
    if (seconds < 0.0 || seconds > lastSeconds) {
        return -1;
    }

    int s;
    if (seconds < lastSeconds / 2.0) {
        if (points[0].seconds > seconds) {
            return -1;
        }
        s = 0;
        while (s + 1 < count && points[s + 1].seconds <= seconds) {
            s++;
        }
    } else {
        s = count - 1;
        while (s > 0 && points[s].seconds > seconds) {
            s--;
        }
        if (points[s].seconds > seconds) {
            return -1;
        }
    }

    if (s == count - 1) {
        return -1;
    }

    double ticks = points[s].tick + (seconds - points[s].seconds) *
                                        (static_cast<double>(points[s + 1].tick) - points[s].tick) /
                                        (points[s + 1].seconds - points[s].seconds);
    // Seconds that are not numbers (a division of 0 gives them) have no tick.
    if (!(ticks > -2147483649.0 && ticks < 2147483648.0)) {
        return -1;
    }
    return static_cast<int>(ticks);
}

int MidiFile::ticksearch(const void* A, const void* B) {
    const _TickTime& a = *static_cast<const _TickTime*>(A);
    const _TickTime& b = *static_cast<const _TickTime*>(B);
    if (a.tick < b.tick) {
        return -1;
    }
    if (a.tick > b.tick) {
        return 1;
    }
    return 0;
}

int MidiFile::secondsearch(const void* A, const void* B) {
    const _TickTime& a = *static_cast<const _TickTime*>(A);
    const _TickTime& b = *static_cast<const _TickTime*>(B);
    if (a.seconds < b.seconds) {
        return -1;
    }
    if (a.seconds > b.seconds) {
        return 1;
    }
    return 0;
}

//////////////////////////////
//
// operator<< -- the whole file as text: header values, then each track
//     with one line per event, times as stored.  Texts of meta events 1 to
//     5 are shown as characters, every other event as decimal bytes.
//

std::ostream& operator<<(std::ostream& out, MidiFile& aMidiFile) {
    static const char* const textLabels[6] = {
        nullptr, "TEXT [", "COPY [", "TRACK [", "INSTR [", "LYRIC ["};

    // The dump has one format whatever the stream was set to: decimal
    // numbers without sign or base, lower-case hexadecimal.
    std::ios_base::fmtflags oldFlags = out.flags();
    out.unsetf(std::ios_base::uppercase | std::ios_base::showbase | std::ios_base::showpos);
    out.width(0);
    out << std::dec;

    out << "++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++\n";
    out << "Number of Tracks: " << aMidiFile.getTrackCount() << "\n";
    int timeState = aMidiFile.getTimeState();
    out << "Time method: " << timeState;
    if (timeState == 0) {
        out << " (Delta timing)";
    } else if (timeState == 1) {
        out << " (Absolute timing)";
    } else {
        out << " (unknown method)";
    }
    out << "\n";
    out << "Divisions per Quarter Note: " << aMidiFile.getTicksPerQuarterNote() << "\n";

    for (int i = 0; i < aMidiFile.getTrackCount(); i++) {
        out << "\nTrack " << i
            << "   +++++++++++++++++++++++++++++++++++++++++++++++++++\n\n";
        int count = aMidiFile.getNumEvents(i);
        for (int j = 0; j < count; j++) {
            MFEvent& event = aMidiFile.getEvent(i, j);
            int size = static_cast<int>(event.data.getSize());
            const unsigned char* bytes = event.data.getBase();
            out << event.time << '\t';
            if (size == 0) {
                out << '\n';
                continue;
            }
            out << "0x" << std::hex << static_cast<int>(bytes[0]) << std::dec << ' ';
            if (bytes[0] == 0xFF && size >= 2 && bytes[1] >= 1 && bytes[1] <= 5) {
                // The text follows the length, a variable-length quantity.
                int start = 2;
                while (start < size && (bytes[start] & 0x80) != 0) {
                    start++;
                }
                start++;
                out << textLabels[bytes[1]];
                for (int k = start; k < size; k++) {
                    out << static_cast<char>(bytes[k]);
                }
                out << "]";
            } else {
                for (int k = 1; k < size; k++) {
                    out << static_cast<int>(bytes[k]) << ' ';
                }
            }
            out << '\n';
        }
    }
    out << "+++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++++\n\n";

    out.flags(oldFlags);
    return out;
}

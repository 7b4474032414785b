// The skeleton of the output arrangement, the copied roll texts and the
// tempo event.

#include "arrangement.h"

#include "runstate.h"

void layOutArrangement(const Organ& organ, int rollTpq) {
    // From here on every tick handed to outputfile is counted from the start.
    outputfile.absoluteTime();
    outputfile.addTrack(15);
    tpq = rollTpq;
    outputfile.setTicksPerQuarterNote(tpq);

    for (const TrackLayout& voice : organ.layout) {
        outputfile.addMetaEvent(voice.track, 0, metaTrackName, voice.name);
    }

    // Each named track selects the organ's bank on its own channel ...
    midievent.setSize(3);
    for (const TrackLayout& voice : organ.layout) {
        midievent[0] = static_cast<unsigned char>(0xB0 | ((voice.track - 1) & 0x0F));
        midievent[1] = 0;
        midievent[2] = static_cast<unsigned char>(organ.bank);
        outputfile.addEvent(voice.track, 0, midievent);
    }

    // ... and then its instrument in that bank.
    midievent.setSize(2);
    for (const TrackLayout& voice : organ.layout) {
        midievent[0] = static_cast<unsigned char>(0xC0 | ((voice.track - 1) & 0x0F));
        midievent[1] = static_cast<unsigned char>(voice.program);
        outputfile.addEvent(voice.track, 0, midievent);
    }

    outputfile.addMetaEvent(1, 0, metaText, result.c_str());
}

void addRollText(int metaType, const std::string& text) {
    const int track = metaType == metaText ? 1 : 0;
    // c_str() ends the copy at the first zero byte inside the text.
    outputfile.addMetaEvent(track, 0, metaType, text.c_str());
}

int tempoMicroseconds(double beatsPerMinute) {
    return static_cast<int>(60.0 / beatsPerMinute * 1000000.0 + 0.5);
}

void addTempoEvent() {
    const int micro = tempoMicroseconds(optempo);
    mididata.setSize(6);
    mididata[0] = 0xFF;
    mididata[1] = metaTempo;
    mididata[2] = 0x03;
    mididata[3] = static_cast<unsigned char>((micro >> 16) & 0xFF);
    mididata[4] = static_cast<unsigned char>((micro >> 8) & 0xFF);
    mididata[5] = static_cast<unsigned char>(micro & 0xFF);
    outputfile.addEvent(0, 0, mididata);
}

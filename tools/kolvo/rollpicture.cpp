// Drawing a roll as SVG.

#include "rollpicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

#include "holekinds.h"
#include "textcoding.h"

namespace {

// Geometry, in pixels.  A strip's time is always this wide, whatever
// seconds it holds.
const double stripWidth = 1200.0;
const double laneHeight = 12.0;
const double holeHeight = 10.0;
const double labelWidth = 190.0;
const double margin = 20.0;
const double headingHeight = 96.0;
const double axisHeight = 26.0;
const double stripGap = 14.0;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string shown = text;
    if (shown.size() > 2 && shown.compare(shown.size() - 2, 2, ".0") == 0) {
        shown.erase(shown.size() - 2);
    }
    return shown;
}

}  // namespace

double pictureSeconds(const Arrangement& roll) {
    const Organ& organ = *roll.organ;
    double end = roll.playedSeconds(roll.lastEnd);
    for (const RollHole& h : roll.holes) {
        if (h.hole >= organ.lowestHole && h.hole <= organ.highestHole) {
            end = std::max(end, roll.playedSeconds(h.start + h.duration));
        }
    }
    return end;
}

namespace {

// Where each control of the organ is on (the shutter open), in seconds of
// playing time: one list of [from, to) spans per control.
struct Span {
    double from;
    double to;
};

std::vector<std::vector<Span>> controlSpans(const Arrangement& roll, double end) {
    std::vector<std::vector<Span>> spans(roll.organ->controls.size());
    std::vector<double> since(spans.size(), -1.0);  // -1: off
    for (const ControlChange& c : roll.controlChanges) {
        const double t = roll.playedSeconds(c.rollSeconds);
        if (c.on && since[c.control] < 0) {
            since[c.control] = t;
        } else if (!c.on && since[c.control] >= 0) {
            spans[c.control].push_back({since[c.control], t});
            since[c.control] = -1.0;
        }
    }
    for (size_t c = 0; c < spans.size(); c++) {
        if (since[c] >= 0) {
            spans[c].push_back({since[c], std::max(end, since[c])});
        }
    }
    return spans;
}

// The seconds between labels of the axis: the first step at least 150
// pixels wide.
double axisStep(double pixelsPerSecond) {
    for (const double step : {1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0, 120.0, 300.0, 600.0}) {
        if (step * pixelsPerSecond >= 150.0) {
            return step;
        }
    }
    return 1200.0;
}

}  // namespace

std::string rollPicture(const Arrangement& roll, const std::string& title,
                        const std::string& fileName, double stripSeconds) {
    const Organ& organ = *roll.organ;
    const int lanes = organ.highestHole - organ.lowestHole + 1;
    const int controlLanes = organ.controls.size();
    const double holesHeight = lanes * laneHeight;
    // The controls' lanes under the holes', after a gap.
    const double controlsTop = holesHeight + laneHeight;
    const double stripHeight = controlsTop + controlLanes * laneHeight;
    const double pixelsPerSecond = stripWidth / stripSeconds;

    const double end = pictureSeconds(roll);
    auto outsideScale = [&](const RollHole& h) {
        return h.hole < organ.lowestHole || h.hole > organ.highestHole;
    };
    const long outside = std::count_if(roll.holes.begin(), roll.holes.end(), outsideScale);
    std::vector<const char*> laneClass(lanes);
    for (int hole = organ.lowestHole; hole <= organ.highestHole; hole++) {
        laneClass[hole - organ.lowestHole] = styleOf(organ.describeHole(hole).kind).name;
    }
    const std::vector<std::vector<Span>> spans = controlSpans(roll, end);
    const int strips = std::max(1, static_cast<int>(std::ceil(end / stripSeconds)));
    const double width = 2 * margin + labelWidth + stripWidth;
    const double stripPitch = stripHeight + axisHeight + stripGap;
    const double height = headingHeight + strips * stripPitch + margin;

    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" "
           "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\""
        << number(width) << "\" height=\"" << number(height) << "\" viewBox=\"0 0 "
        << number(width) << " " << number(height) << "\">\n";
    svg << "<title>" << xmlEscaped(title) << " (Wurlitzer " << organ.name << ")</title>\n";
    svg << "<style>\n"
           "text{font-family:sans-serif;fill:#333}\n"
           ".heading{font-size:18px;font-weight:bold}\n"
           ".note{font-size:12px}\n"
           ".label,.state{font-size:10px;text-anchor:end}\n"
           ".axis{font-size:10px;text-anchor:middle}\n"
           ".grid{stroke:#d8d2c4;stroke-width:1}\n";
    for (const KindStyle& style : kindStyles) {
        svg << "." << style.name << "{fill:" << style.colour << "}\n";
    }
    svg << "</style>\n";

    // The lanes' stripes and their labels, drawn once and used by every
    // strip.
    svg << "<defs>\n"
        << "<pattern id=\"lanes\" width=\"10\" height=\"" << number(2 * laneHeight)
        << "\" patternUnits=\"userSpaceOnUse\"><rect width=\"10\" height=\"" << number(laneHeight)
        << "\" fill=\"#f3efe6\"/><rect y=\"" << number(laneHeight) << "\" width=\"10\" height=\""
        << number(laneHeight) << "\" fill=\"#fbf9f4\"/></pattern>\n"
        << "<g id=\"labels\">\n";
    for (int hole = organ.highestHole; hole >= organ.lowestHole; hole--) {
        const HoleInfo info = organ.describeHole(hole);
        const double y = (organ.highestHole - hole) * laneHeight + laneHeight - 2;
        svg << "<text class=\"label " << styleOf(info.kind).name << "\" data-hole=\"" << hole
            << "\" x=\"" << number(labelWidth - 6) << "\" y=\"" << number(y) << "\">" << hole
            << " " << xmlEscaped(info.label) << "</text>\n";
    }
    for (int c = 0; c < controlLanes; c++) {
        const OrganControl& control = organ.controls[c];
        svg << "<text class=\"state " << styleOf(controlKind(control)).name << "\" data-control=\""
            << control.name << "\" x=\"" << number(labelWidth - 6) << "\" y=\""
            << number(controlsTop + c * laneHeight + laneHeight - 2) << "\">"
            << xmlEscaped(control.label)
            << (controlKind(control) == HoleKind::Shutter ? " open" : " on") << "</text>\n";
    }
    svg << "</g>\n</defs>\n";
    svg << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";

    // Heading and legend.
    svg << "<text class=\"heading\" x=\"" << number(margin) << "\" y=\"30\">"
        << xmlEscaped(title) << "</text>\n";
    std::ostringstream about;
    about << "Wurlitzer " << organ.name << " e-roll " << fileName << ", holes "
          << organ.lowestHole << " to " << organ.highestHole << ", " << roll.outputTempo
          << " beats per minute, " << roll.playingTime;
    if (outside > 0) {
        about << "; " << outside << " holes outside the scale not shown";
    }
    svg << "<text class=\"note\" x=\"" << number(margin) << "\" y=\"52\">"
        << xmlEscaped(about.str()) << "</text>\n";
    double legendX = margin;
    for (const KindStyle& style : kindStyles) {
        svg << "<rect class=\"" << style.name << "\" x=\"" << number(legendX)
            << "\" y=\"66\" width=\"18\" height=\"" << number(holeHeight) << "\" rx=\"3\"/>"
            << "<text class=\"note\" x=\"" << number(legendX + 24) << "\" y=\"75\">"
            << style.legend << "</text>\n";
        legendX += 36 + 7.0 * std::string(style.legend).size();
    }

    // A mark from `start` to `stop` seconds in a lane of the strip that
    // begins at `from`, when it reaches into the strip.
    auto mark = [&](const char* kindClass, double from, double start, double stop, double top) {
        if (stop < from || start >= from + stripSeconds) {
            return;
        }
        const double x0 = std::max(start, from) - from;
        const double x1 = std::min(stop, from + stripSeconds) - from;
        const double w = std::max((x1 - x0) * pixelsPerSecond, 1.5);
        svg << "<rect class=\"" << kindClass << "\" x=\""
            << number(labelWidth + x0 * pixelsPerSecond) << "\" y=\"" << number(top + 1)
            << "\" width=\"" << number(w) << "\" height=\"" << number(holeHeight) << "\" rx=\""
            << number(std::min(3.0, w / 2)) << "\"/>\n";
    };

    // The strips.
    const double labelStep = axisStep(pixelsPerSecond);
    for (int strip = 0; strip < strips; strip++) {
        const double from = strip * stripSeconds;
        const double seconds = std::min(stripSeconds, end - from);
        const double length = std::max(seconds * pixelsPerSecond, 40.0);
        svg << "<g class=\"strip\" transform=\"translate(" << number(margin) << ","
            << number(headingHeight + strip * stripPitch) << ")\">\n";
        svg << "<use xlink:href=\"#labels\"/>\n";
        for (const double top : {0.0, controlsTop}) {
            svg << "<rect x=\"" << number(labelWidth) << "\" y=\"" << number(top) << "\" width=\""
                << number(length) << "\" height=\""
                << number(top == 0.0 ? holesHeight : controlLanes * laneHeight)
                << "\" fill=\"url(#lanes)\"/>\n";
        }
        // A grid line and a label at every step of the axis, five ticks
        // between.
        svg << "<path class=\"grid\" d=\"";
        for (int tick = 0; tick * labelStep / 5 <= seconds + 1e-9; tick++) {
            const double x = labelWidth + tick * labelStep / 5 * pixelsPerSecond;
            if (tick % 5 == 0) {
                svg << "M" << number(x) << " 0V" << number(stripHeight + 6);
            } else {
                svg << "M" << number(x) << " " << number(stripHeight) << "v3";
            }
        }
        svg << "\"/>\n";
        for (int step = 0; step * labelStep <= seconds + 1e-9; step++) {
            svg << "<text class=\"axis\" x=\""
                << number(labelWidth + step * labelStep * pixelsPerSecond) << "\" y=\""
                << number(stripHeight + 18) << "\">" << number(from + step * labelStep)
                << (step == 0 ? " s" : "") << "</text>\n";
        }
        for (const RollHole& h : roll.holes) {
            if (!outsideScale(h)) {
                mark(laneClass[h.hole - organ.lowestHole], from, roll.playedSeconds(h.start),
                     roll.playedSeconds(h.start + h.duration),
                     (organ.highestHole - h.hole) * laneHeight);
            }
        }
        for (int c = 0; c < controlLanes; c++) {
            for (const Span& span : spans[c]) {
                mark(styleOf(controlKind(organ.controls[c])).name, from, span.from, span.to,
                     controlsTop + c * laneHeight);
            }
        }
        svg << "</g>\n";
    }
    svg << "</svg>\n";
    return svg.str();
}

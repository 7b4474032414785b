// Drawing a roll as SVG.

#include "rollpicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

#include "textcoding.h"

namespace {

// Geometry, in pixels.
const double pixelsPerSecond = 40.0;
const double stripSeconds = 30.0;
const double laneHeight = 10.0;
const double holeHeight = 8.0;
const double labelWidth = 190.0;
const double margin = 20.0;
const double headingHeight = 96.0;
const double axisHeight = 26.0;
const double stripGap = 14.0;

struct KindStyle {
    HoleKind kind;
    const char* cssClass;
    const char* colour;
    const char* legend;
};

const KindStyle kindStyles[] = {
    {HoleKind::Bass, "bass", "#1f4e9c", "Bass"},
    {HoleKind::Accompaniment, "accomp", "#2e8b3a", "Accompaniment"},
    {HoleKind::Melody, "melody", "#d1342f", "Melody"},
    {HoleKind::Trumpet, "trumpet", "#e08a00", "Trumpet"},
    {HoleKind::Percussion, "drum", "#7b3fb8", "Percussion"},
    {HoleKind::Register, "register", "#0f9fb0", "Register, stop, bells"},
    {HoleKind::Shutter, "shutter", "#8a5a3c", "Shutter"},
    {HoleKind::Cancel, "cancel", "#111111", "Cancel"},
    {HoleKind::Nothing, "silent", "#9a9a9a", "Silent"},
};

const KindStyle& styleOf(HoleKind kind) {
    for (const KindStyle& style : kindStyles) {
        if (style.kind == kind) {
            return style;
        }
    }
    return kindStyles[8];
}

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

std::string rollPicture(const Arrangement& roll, const std::string& title,
                        const std::string& fileName) {
    const Organ& organ = *roll.organ;
    const int lanes = organ.highestHole - organ.lowestHole + 1;
    const double stripHeight = lanes * laneHeight;

    const double end = pictureSeconds(roll);
    auto outsideScale = [&](const RollHole& h) {
        return h.hole < organ.lowestHole || h.hole > organ.highestHole;
    };
    const long outside = std::count_if(roll.holes.begin(), roll.holes.end(), outsideScale);
    std::vector<const char*> laneClass(lanes);
    for (int hole = organ.lowestHole; hole <= organ.highestHole; hole++) {
        laneClass[hole - organ.lowestHole] = styleOf(organ.describeHole(hole).kind).cssClass;
    }
    const int strips = std::max(1, static_cast<int>(std::ceil(end / stripSeconds)));
    const double width = 2 * margin + labelWidth + stripSeconds * pixelsPerSecond;
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
           ".label{font-size:8px;text-anchor:end}\n"
           ".axis{font-size:10px;text-anchor:middle}\n"
           ".grid{stroke:#d8d2c4;stroke-width:1}\n";
    for (const KindStyle& style : kindStyles) {
        svg << "." << style.cssClass << "{fill:" << style.colour << "}\n";
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
        svg << "<text class=\"label " << styleOf(info.kind).cssClass << "\" data-hole=\"" << hole
            << "\" x=\"" << number(labelWidth - 6) << "\" y=\"" << number(y) << "\">" << hole
            << " " << xmlEscaped(info.label) << "</text>\n";
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
        svg << "<rect class=\"" << style.cssClass << "\" x=\"" << number(legendX)
            << "\" y=\"66\" width=\"18\" height=\"" << number(holeHeight) << "\" rx=\"3\"/>"
            << "<text class=\"note\" x=\"" << number(legendX + 24) << "\" y=\"75\">"
            << style.legend << "</text>\n";
        legendX += 36 + 7.0 * std::string(style.legend).size();
    }

    // The strips.
    for (int strip = 0; strip < strips; strip++) {
        const double from = strip * stripSeconds;
        const double seconds = std::min(stripSeconds, end - from);
        const double length = std::max(seconds, 1.0) * pixelsPerSecond;
        svg << "<g class=\"strip\" transform=\"translate(" << number(margin) << ","
            << number(headingHeight + strip * stripPitch) << ")\">\n";
        svg << "<use xlink:href=\"#labels\"/>\n";
        svg << "<rect x=\"" << number(labelWidth) << "\" width=\"" << number(length)
            << "\" height=\"" << number(stripHeight) << "\" fill=\"url(#lanes)\"/>\n";
        // A grid line and a label every five seconds, a tick every second.
        svg << "<path class=\"grid\" d=\"";
        for (int s = 0; s <= static_cast<int>(seconds); s++) {
            const double x = labelWidth + s * pixelsPerSecond;
            if (s % 5 == 0) {
                svg << "M" << number(x) << " 0V" << number(stripHeight + 6);
            } else {
                svg << "M" << number(x) << " " << number(stripHeight) << "v3";
            }
        }
        svg << "\"/>\n";
        for (int s = 0; s <= static_cast<int>(seconds); s += 5) {
            svg << "<text class=\"axis\" x=\"" << number(labelWidth + s * pixelsPerSecond)
                << "\" y=\"" << number(stripHeight + 18) << "\">"
                << static_cast<int>(from) + s << (s == 0 ? " s" : "") << "</text>\n";
        }
        for (const RollHole& h : roll.holes) {
            if (h.hole < organ.lowestHole || h.hole > organ.highestHole) {
                continue;
            }
            const double start = roll.playedSeconds(h.start);
            const double stop = roll.playedSeconds(h.start + h.duration);
            if (stop < from || start >= from + stripSeconds) {
                continue;
            }
            const double x0 = std::max(start, from) - from;
            const double x1 = std::min(stop, from + stripSeconds) - from;
            const double w = std::max((x1 - x0) * pixelsPerSecond, 1.5);
            svg << "<rect class=\"" << laneClass[h.hole - organ.lowestHole]
                << "\" x=\"" << number(labelWidth + x0 * pixelsPerSecond) << "\" y=\""
                << number((organ.highestHole - h.hole) * laneHeight + 1) << "\" width=\""
                << number(w) << "\" height=\"" << number(holeHeight) << "\" rx=\""
                << number(std::min(3.0, w / 2)) << "\"/>\n";
        }
        svg << "</g>\n";
    }
    svg << "</svg>\n";
    return svg.str();
}

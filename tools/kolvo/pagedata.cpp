// The roll page's data and the filling of its template.

#include "pagedata.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "arrangement.h"
#include "holekinds.h"
#include "json.h"
#include "textcoding.h"

namespace {

// Seconds to the millisecond, as the page's times are written (adding 0
// makes -0 a plain 0).
std::string seconds(double value) {
    return jsonNumber(std::round(value * 1000.0) / 1000.0 + 0.0);
}

std::string text(const std::string& value) {
    return jsonString(value, JsonPlace::Script);
}

// The roll's texts of one meta type, in order, as a JSON list.
std::string textsOfType(const Arrangement& a, int type) {
    std::string list = "[";
    for (const RollText& t : a.texts) {
        if (t.type == type) {
            list += (list.size() > 1 ? "," : "") + text(t.text);
        }
    }
    return list + "]";
}

struct PageHole {
    double start;
    double end;
    int hole;
};

}  // namespace

double firstNoteSeconds(const Arrangement& a) {
    if (a.firstNoteTick <= 0 || a.ticksPerQuarterNote <= 0) {
        return 0.0;
    }
    return a.firstNoteTick * 60.0 / (a.outputTempo * a.ticksPerQuarterNote);
}

std::string pageData(const Arrangement& a, const std::string& title,
                     const std::string& fileName, const PageAudio& audio) {
    const Organ& organ = *a.organ;
    std::ostringstream out;
    out << "{\"format\":1,\"title\":" << text(title) << ",\"file\":" << text(fileName)
        << ",\"organ\":" << text(std::string("Wurlitzer ") + organ.name)
        << ",\"copyright\":" << textsOfType(a, metaCopyright) << ",\"text\":" << textsOfType(a, metaText)
        << ",\"input_tempo\":" << (a.rollHasTempo ? jsonNumber(a.inputTempo) : "null")
        << ",\"output_tempo\":" << jsonNumber(a.outputTempo)
        << ",\"playing_seconds\":" << a.playingSeconds << ",\"duration\":" << seconds(audio.seconds)
        << ",\"audio_offset\":" << seconds(audio.offset);

    out << ",\"kinds\":[";
    for (const KindStyle& k : kindStyles) {
        out << (&k == kindStyles ? "" : ",") << "{\"name\":" << text(k.name)
            << ",\"colour\":" << text(k.colour) << ",\"label\":" << text(k.legend) << "}";
    }
    out << "],\"lanes\":[";
    for (int hole = organ.lowestHole; hole <= organ.highestHole; hole++) {
        const HoleInfo info = organ.describeHole(hole);
        out << (hole == organ.lowestHole ? "" : ",") << "{\"hole\":" << hole
            << ",\"kind\":" << text(styleOf(info.kind).name) << ",\"label\":" << text(info.label)
            << "}";
    }

    // The holes of the scale as the paper has them, by their start.
    std::vector<PageHole> holes;
    for (const RollHole& h : a.holes) {
        if (h.hole >= organ.lowestHole && h.hole <= organ.highestHole) {
            holes.push_back({a.playedSeconds(h.start), a.playedSeconds(h.start + h.duration), h.hole});
        }
    }
    std::stable_sort(holes.begin(), holes.end(),
                     [](const PageHole& x, const PageHole& y) { return x.start < y.start; });
    out << "],\"holes\":[";
    for (const PageHole& h : holes) {
        out << (&h == holes.data() ? "" : ",") << h.hole << "," << seconds(h.start) << ","
            << seconds(h.end);
    }

    out << "],\"controls\":[";
    for (const OrganControl& c : organ.controls) {
        const HoleKind kind = controlKind(c);
        out << (&c == organ.controls.begin() ? "" : ",") << "{\"name\":" << text(c.name)
            << ",\"label\":" << text(c.label) << ",\"kind\":" << text(styleOf(kind).name)
            << (kind == HoleKind::Shutter ? ",\"off\":\"closed\",\"on\":\"open\"" : "") << "}";
    }
    // Recorded as the translator made them, so in order of time already.
    out << "],\"timeline\":[";
    for (const ControlChange& c : a.controlChanges) {
        out << (&c == a.controlChanges.data() ? "" : ",") << seconds(a.playedSeconds(c.rollSeconds))
            << "," << c.control << "," << (c.on ? 1 : 0);
    }
    out << "]}";
    return out.str();
}

std::string fillPage(const PageAssets& assets, const std::string& title,
                     const PageAudio& audio, const std::string& data) {
    const std::map<std::string_view, std::string> values = {
        {"title", xmlEscaped(title)},
        {"css", std::string(assets.css)},
        {"script", std::string(assets.script)},
        {"script-hash", "sha256-" + base64(assets.scriptSha256)},
        {"audio", xmlEscaped(audio.source)},
        {"data", data},
    };
    const std::string_view html = assets.html;
    std::string page;
    page.reserve(html.size() + assets.css.size() + assets.script.size() + data.size() +
                 audio.source.size());
    size_t at = 0;
    for (size_t open; (open = html.find("{{", at)) != std::string_view::npos;) {
        const size_t close = html.find("}}", open);
        const auto value = close == std::string_view::npos
                               ? values.end()
                               : values.find(html.substr(open + 2, close - open - 2));
        if (value == values.end()) {
            throw std::logic_error("the page's template has an unknown placeholder");
        }
        page.append(html.substr(at, open - at)).append(value->second);
        at = close + 2;
    }
    return page.append(html.substr(at));
}

std::string base64(std::string_view bytes) {
    static const char digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    encoded.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const size_t left = std::min<size_t>(3, bytes.size() - at);
        unsigned long group = 0;
        for (size_t i = 0; i < 3; i++) {
            group = group << 8 | (i < left ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        }
        for (size_t i = 0; i < 4; i++) {
            encoded += i <= left ? digits[(group >> (18 - 6 * i)) & 63] : '=';
        }
    }
    return encoded;
}

std::string percentEncoded(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : path) {
        const unsigned char byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || (c != '\0' && std::strchr("-._~/", c));
        if (plain) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 15];
        }
    }
    return encoded;
}

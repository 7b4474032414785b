// The roll page of `kolvo page`: the data that its script reads (what the
// roll holds, how it is drawn, when each control changes), and the page
// made by filling its template.  See tools/kolvo/page/README.md.

#ifndef KOLVO_TOOL_PAGEDATA_H
#define KOLVO_TOOL_PAGEDATA_H

#include <string>
#include <string_view>

#include "pageassets.h"
#include "roll.h"

// The page's audio: where it is (a data URI, or a URL relative to the
// page), its length in seconds, and its time at the music's time 0.
struct PageAudio {
    std::string source;
    double seconds = 0.0;
    double offset = 0.0;
};

// Seconds of playing time at which the arrangement's first note sounds,
// where its rendered audio starts; 0 when it has no note.
double firstNoteSeconds(const Arrangement& a);

// The page data of the arranged roll (format 1), as JSON to stand in a
// script element.
std::string pageData(const Arrangement& a, const std::string& title,
                     const std::string& fileName, const PageAudio& audio);

// The page: the template with each placeholder filled in one pass.
std::string fillPage(const PageAssets& assets, const std::string& title,
                     const PageAudio& audio, const std::string& data);

// The bytes in Base64 (RFC 4648, with padding).
std::string base64(std::string_view bytes);

// A path as a URL path: every byte but letters, digits, "-._~" and "/"
// as %XX.
std::string percentEncoded(const std::string& path);

#endif

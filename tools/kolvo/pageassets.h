// The roll page's template, style and script (tools/kolvo/page), embedded
// into the program at build time from the files themselves.

#ifndef KOLVO_TOOL_PAGEASSETS_H
#define KOLVO_TOOL_PAGEASSETS_H

#include <cstddef>
#include <string_view>

struct PageAssets {
    std::string_view html;
    std::string_view css;
    std::string_view script;
    std::string_view scriptSha256;  // the 32 bytes of the script's digest
};

const PageAssets& pageAssets();

#endif

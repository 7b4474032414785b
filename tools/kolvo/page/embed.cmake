# Writes OUT, a C++ source that holds the roll page's template, style and
# script (PAGE_DIR/page.html, page.css, page.js) as bytes, and the SHA-256
# of the script for the page's Content-Security-Policy.  Run at build time:
#   cmake -DPAGE_DIR=... -DOUT=pageassets.cpp -P embed.cmake
# Refuses a style or script that could end its element early.

function(as_bytes hex var)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
         "\\1\n" bytes "${bytes}")
  set(${var} "${bytes}" PARENT_SCOPE)
endfunction()

string(CONCAT source "// Made by embed.cmake from the files in tools/kolvo/page; do not edit.\n\n"
           "#include \"pageassets.h\"\n\nnamespace {\n\n")
foreach(asset html css js)
  set(path "${PAGE_DIR}/page.${asset}")
  file(READ "${path}" text)
  string(TOLOWER "${text}" lower)
  foreach(ending "</script" "</style" "<!--")
    string(FIND "${lower}" "${ending}" at)
    if(NOT asset STREQUAL "html" AND at GREATER -1)
      message(FATAL_ERROR "${path} holds ${ending}, which would end its element in the page")
    endif()
  endforeach()
  file(READ "${path}" hex HEX)
  as_bytes("${hex}" bytes)
  string(APPEND source "const unsigned char ${asset}[] = {\n${bytes}};\n\n")
endforeach()
file(SHA256 "${PAGE_DIR}/page.js" digest)
as_bytes("${digest}" bytes)
string(APPEND source "const unsigned char jsDigest[] = {\n${bytes}};\n\n"
  "std::string_view view(const unsigned char* bytes, std::size_t size) {\n"
  "    return {reinterpret_cast<const char*>(bytes), size};\n}\n\n"
  "}  // namespace\n\n"
  "const PageAssets& pageAssets() {\n"
  "    static const PageAssets assets{view(html, sizeof html), view(css, sizeof css),\n"
  "                                   view(js, sizeof js), view(jsDigest, sizeof jsDigest)};\n"
  "    return assets;\n}\n")
file(WRITE "${OUT}.new" "${source}")
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")

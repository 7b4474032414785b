// Helpers shared by the unit tests: byte strings written as hex, and
// scratch files in a private temporary folder.

#ifndef KOLVO_TESTBYTES_H
#define KOLVO_TESTBYTES_H

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

// "4D 54 68 64" -> the four bytes M T h d.  Blanks and line breaks are
// ignored.
inline std::string hexBytes(const std::string& hex) {
    std::string out;
    std::string digits;
    for (char c : hex) {
        if (std::isxdigit(static_cast<unsigned char>(c))) {
            digits += c;
            if (digits.size() == 2) {
                out += static_cast<char>(std::strtoul(digits.c_str(), nullptr, 16));
                digits.clear();
            }
        }
    }
    return out;
}

// The bytes as upper-case hex pairs separated by blanks, for readable
// failure messages.
inline std::string toHex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) {
            out += ' ';
        }
        out += digits[c >> 4];
        out += digits[c & 0x0F];
    }
    return out;
}

// A folder of its own for this test process, made on first use and removed
// when the process ends (not by the children that death tests fork).
inline const std::string& scratchDir() {
    struct Folder {
        std::string path;
        pid_t owner;
        Folder() : owner(getpid()) {
            char templ[] = "/tmp/kolvo-test-XXXXXX";
            const char* made = mkdtemp(templ);
            path = made ? made : "/tmp";
        }
        ~Folder() {
            if (getpid() == owner && path != "/tmp") {
                std::error_code ignored;
                std::filesystem::remove_all(path, ignored);
            }
        }
    };
    static Folder folder;
    return folder.path;
}

// Writes bytes to a file of that name in the scratch folder; returns its path.
inline std::string writeScratchFile(const std::string& name, const std::string& bytes) {
    std::string path = scratchDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

// The whole content of a file.
inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

#endif

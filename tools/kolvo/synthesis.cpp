// The soundfont to sound rolls with, and the synthesizer's failures in words.

#include "synthesis.h"

#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <iostream>

#include "runstate.h"

#ifndef KOLVO_BUILT_SOUNDFONT
#define KOLVO_BUILT_SOUNDFONT ""
#endif
#ifndef KOLVO_INSTALLED_SOUNDFONT
#define KOLVO_INSTALLED_SOUNDFONT "../share/kolvo/bandorgan.sf2"
#endif

namespace {

bool isFile(const std::string& path) {
    struct stat status;
    return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// The folder of the running program, its links resolved; empty when the
// system does not tell.
std::filesystem::path programFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

}  // namespace

std::string chooseSoundfont(const std::string& given, std::string& why) {
    if (!given.empty()) {
        why = "given";
        return given;
    }
    // The soundfont an install put beside the program (bin/../share/kolvo
    // by default), and the build's own, which counts only for the program in
    // the build folder: an installed program must not depend on a build left
    // behind.
    const std::filesystem::path folder = programFolder();
    const std::filesystem::path built = KOLVO_BUILT_SOUNDFONT;
    std::error_code error;
    const bool inBuild =
        !folder.empty() && std::filesystem::equivalent(folder, built.parent_path(), error);
    const std::string installed =
        folder.empty() ? "" : (folder / KOLVO_INSTALLED_SOUNDFONT).lexically_normal().string();
    const struct {
        std::string path;
        const char* why;
    } choices[] = {
        {font, "the players' fixed path"},
        {installed, "installed with kolvo"},
        {inBuild ? built.string() : "", "the band-organ soundfont of the build"},
        {"/usr/share/sounds/sf2/TimGM6mb.sf2", "Debian's General MIDI soundfont"},
    };
    for (const auto& choice : choices) {
        if (isFile(choice.path)) {
            why = choice.why;
            return choice.path;
        }
    }
    return "";
}

std::string announceSoundfont(const char* command, const std::string& given, bool quiet) {
    std::string why;
    const std::string soundfont = chooseSoundfont(given, why);
    if (soundfont.empty()) {
        std::cerr << "kolvo " << command << ": no soundfont found; give one with --soundfont"
                  << std::endl;
    } else if (!quiet) {
        std::cerr << "kolvo: soundfont " << soundfont << " (" << why << ")" << std::endl;
    }
    return soundfont;
}

std::string failureText(SynthesizerFailure failure) {
    std::string text = failureMessage(failure);
    if (!text.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

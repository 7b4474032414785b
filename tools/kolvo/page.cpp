// kolvo page: a roll page per roll, one self-contained HTML file that plays
// the roll and moves it past the tracker bar.  Each roll is handled in a
// child process of its own, -j at once, so that a roll on which the
// library ends the process ends only that child.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "child.h"
#include "commands.h"
#include "librarymessages.h"
#include "outputs.h"
#include "pagedata.h"
#include "progress.h"
#include "renderer.h"
#include "roll.h"
#include "rollpicture.h"
#include "subcommands.h"
#include "synthesis.h"

namespace {

struct Settings {
    const Organ* organ = nullptr;
    std::string tempo;
    std::string soundfont;  // for embedded audio
    std::string audioFile;  // linked instead, when given
    bool quiet = false;
};

// A page's audio: Ogg Opus at about 63 kbps (libsndfile's compression
// level 0.9), which keeps a page of a 60-minute roll near 40 MB; Ogg Vorbis
// at its smallest (level 1, about 70 kbps) sounds worse and is larger.
const char* const pageAudioFormat = "opus";
const double pageAudioCompression = 0.9;

// The roll's audio rendered so and embedded as a data URI.  This is the one
// place that asks the renderer for a page's audio.
bool embeddedAudio(const Arrangement& a, const std::string& soundfont,
                   const std::function<void(double)>& progress, PageAudio& audio,
                   std::string& error) {
    const AudioFormat& format = formatNamed(pageAudioFormat);
    std::string path =
        (std::filesystem::temp_directory_path() / "kolvo-page-XXXXXX").string() + format.extension;
    const int fd = mkstemps(path.data(), static_cast<int>(std::strlen(format.extension)));
    if (fd < 0) {
        error = std::string("cannot make a temporary file: ") + std::strerror(errno);
        return false;
    }
    close(fd);
    RenderRequest request{a.file, a.firstNoteTick, soundfont, path, format.name};
    request.compression = pageAudioCompression;
    audio.seconds = renderToFile(request, progress, interrupted, error);
    if (audio.seconds < 0.0) {
        std::remove(path.c_str());
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const bool read = !in.bad();
    std::remove(path.c_str());
    if (!read) {
        error = "cannot read the rendered audio back";
        return false;
    }
    audio.source = "data:audio/ogg;base64," + base64(bytes);
    audio.offset = -firstNoteSeconds(a);
    return true;
}

// The audio file linked from the page at `page` ("-": in the working
// directory) by its path relative to the page.  It is taken to be the
// roll as `kolvo render` renders it, from the first note; its length is
// that of the music until the page has read the file's own.
PageAudio linkedAudio(const Arrangement& a, const std::string& file, const std::string& page) {
    namespace fs = std::filesystem;
    const fs::path folder = page == "-" ? fs::current_path() : fs::absolute(page).parent_path();
    PageAudio audio;
    audio.source = percentEncoded(fs::absolute(file).lexically_relative(folder).generic_string());
    audio.offset = -firstNoteSeconds(a);
    audio.seconds = pictureSeconds(a) + audio.offset;
    return audio;
}

int writePage(const std::string& roll, const std::string& out, const Settings& settings) {
    Arrangement a;
    if (!arrangePlayable(roll, settings.organ, settings.tempo, a)) {
        return 1;
    }
    if (pictureSeconds(a) > longestRollSeconds) {
        std::cerr << rollErrorLine(roll, tooLongRefusal()) << std::endl;
        return 1;
    }
    PageAudio audio;
    if (!settings.audioFile.empty()) {
        audio = linkedAudio(a, settings.audioFile, out);
    } else {
        ProgressBoard board(!settings.quiet && stderrIsTerminal());
        const int bar = board.add(roll);
        auto progress = [&](double fraction) {
            board.set(bar, fraction, std::to_string(static_cast<int>(fraction * 100)) + "%");
        };
        std::string error;
        const bool rendered = embeddedAudio(a, settings.soundfont, progress, audio, error);
        board.finish(bar, rendered ? roll + " -> " + out : "");
        if (!rendered) {
            if (interrupted) {
                return interruptedStatus;
            }
            std::cerr << rollErrorLine(roll, error) << std::endl;
            return 1;
        }
    }
    const std::string title = rollTitle(a, roll);
    const std::string page =
        fillPage(pageAssets(), title, audio, pageData(a, title, fileNameOf(roll), audio));
    return writeOutput(out, page) ? 0 : 1;
}

}  // namespace

int pageCommand(const Arguments& args) {
    const std::vector<std::string>& rolls = args.operands();
    if (args.has("--audio") && rolls.size() > 1) {
        throw UsageError("--audio links the audio of a single roll");
    }
    const std::string outDir = args.value("--out-dir");
    const std::vector<std::string> outputs =
        namedOutputs(rolls, args.value("--out"), outDir, ".html");
    Settings settings;
    settings.organ = chosenOrgan(args);
    settings.tempo = args.value("--tempo");
    settings.quiet = args.has("--quiet");
    settings.audioFile = args.value("--audio");
    showSynthesizerMessages(args.has("--verbose"));

    struct stat status;
    if (args.has("--audio") &&
        (stat(settings.audioFile.c_str(), &status) != 0 || !S_ISREG(status.st_mode))) {
        std::cerr << "kolvo: " << settings.audioFile << ": no audio file there to link"
                  << std::endl;
        return 1;
    }
    if (!args.has("--audio")) {
        settings.soundfont = announceSoundfont("page", args.value("--soundfont"), settings.quiet);
        if (settings.soundfont.empty()) {
            return 1;
        }
    }
    if (!makeOutputFolder(outDir)) {
        return 1;
    }
    const int parallel = std::min(static_cast<int>(rolls.size()), jobsOf(args));
    // Rolls made at once share the terminal: each says when it is done
    // instead of drawing its progress.
    const bool sayDone = parallel > 1 && !settings.quiet && stderrIsTerminal();
    settings.quiet = settings.quiet || parallel > 1;
    std::vector<std::function<int()>> works;
    for (size_t i = 0; i < rolls.size(); i++) {
        works.push_back([&, i] { return writePage(rolls[i], outputs[i], settings); });
    }
    catchInterrupt();
    int exitStatus = 0;
    runInChildren(works, parallel, [&](size_t i, int status) {
        if (status > 128 && status != interruptedStatus) {
            std::cerr << rollErrorLine(rolls[i], "making its page ended with signal " +
                                                     std::to_string(status - 128))
                      << std::endl;
        } else if (status == 0 && sayDone) {
            std::cerr << rolls[i] << " -> " << outputs[i] << std::endl;
        }
        if (status != 0 && exitStatus != interruptedStatus) {
            exitStatus = status == interruptedStatus ? interruptedStatus : 1;
        }
    });
    return interrupted ? interruptedStatus : exitStatus;
}

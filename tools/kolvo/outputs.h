// What kolvo names its outputs: audio files in the formats it writes, named
// after their rolls, and pictures.

#ifndef KOLVO_TOOL_OUTPUTS_H
#define KOLVO_TOOL_OUTPUTS_H

#include <functional>
#include <string>
#include <vector>

struct AudioFormat {
    const char* name;            // as --format takes it
    const char* extension;
    const char* otherExtension;  // another name of the extension, or nullptr
    const char* title;
    int sndfileFormat;           // libsndfile's container | encoding
    double sampleRate;           // the rate the encoder needs; 0 for any
    double headroom;             // dB kept under the peak ceiling before a lossy
                                 // encoder, whose decoded peaks overshoot (twice
                                 // as much for its smallest files)
};

// Every format, the default first.
const std::vector<AudioFormat>& audioFormats();

// "wav|flac|ogg|...", and "wav, flac or ogg ...".
std::string formatChoices(const char* lastSeparator, const char* separator);

// The format of that name; throws UsageError for another name.
const AudioFormat& formatNamed(const std::string& name);

// The format an output file's extension names (".oga" is Ogg Vorbis
// too); nullptr when it names none.
const AudioFormat* formatOfFile(const std::string& path);

// The format to render to: the one `name` gives (when not empty), which
// `out`'s extension must then name too when `out` has one; else the one
// `out`'s extension names; else the default.  Throws UsageError for an
// extension that names no format, a mismatch, or a format the linked
// audio library cannot write (`writable` tells), naming those it can.
const AudioFormat& chooseFormat(const std::string& name, const std::string& out,
                                const std::function<bool(const AudioFormat&)>& writable);

// The file name of a path, and that name without its extension (a name
// that starts with its only dot keeps it).
std::string fileNameOf(const std::string& path);
std::string stemOf(const std::string& path);

// Where each roll's output goes: `out` for a single roll; else its stem
// with `extension`, in `outDir` when given.  Throws UsageError when `out`
// is given for several rolls, with `outDir` too, or when two rolls would
// go to one file.
std::vector<std::string> namedOutputs(const std::vector<std::string>& rolls,
                                      const std::string& out, const std::string& outDir,
                                      const std::string& extension);

// Where each roll renders to: namedOutputs() with the format's extension.
std::vector<std::string> renderOutputs(const std::vector<std::string>& rolls,
                                       const std::string& out, const std::string& outDir,
                                       const AudioFormat& format);

// The picture of a roll, when no name is given: its stem with ".svg", in
// the working directory.
std::string pictureOutput(const std::string& roll);

// Makes the folder `dir` unless it exists (or is empty).  False, after a
// line on standard error, when it cannot.
bool makeOutputFolder(const std::string& dir);

// Writes `bytes` to the file at `path`, replacing what it held, or to
// standard output for "-".  A file is written beside and renamed onto
// `path`, so that it is whole or untouched; a device or a pipe is written
// into.  False, after a line on standard error, when it cannot.
bool writeOutput(const std::string& path, const std::string& bytes);

#endif

// Reading a command line by a table of its options: flags, options with a
// value ("-o OUT", "--out OUT", "--out=OUT"), operands, "--" before
// operands that look like options, and --help.  The same table writes the
// options' part of the help.

#ifndef KOLVO_TOOL_OPTIONS_H
#define KOLVO_TOOL_OPTIONS_H

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// A command line that cannot be obeyed; the program prints its one line
// and exits with status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const int usageStatus = 2;

// One option.  It is known by its long name, or by its short name when it
// has no long one.
struct Option {
    const char* shortName;  // "-o", or nullptr
    const char* longName;   // "--out", or nullptr
    std::string value;      // what its value is called ("OUT.svg"); empty for a flag
    std::string help;       // what it does, lines after the first indented; empty:
                            // left out of the help (an option between processes)
    // Judges a value as it is read, left to right, and throws UsageError
    // for a bad one; given the option's name as the messages name it (its
    // short name, else its long one).  nullptr takes any value.
    void (*check)(const std::string& name, const std::string& value) = nullptr;
};

// What a command takes: its options (-h and --help come with every
// command), how many operands, and the texts of its help.
struct Command {
    const char* name;            // "render"
    std::string summary;         // its line in the program's help
    std::string usage;           // "Usage: kolvo render ROLL... [-o OUT ...]", maybe several lines
    std::string about;           // the paragraph after the usage
    std::vector<Option> options;
    int helpColumn;              // where the options' descriptions start
    std::string closing;         // what follows the options, if anything
    int fewestOperands;
    int mostOperands;            // -1: no limit
    const char* operandsError;   // the usage error of another count
};

// The options and operands of one command line, as read.
class Arguments {
  public:
    explicit Arguments(const Command& command) : command_(&command) {}

    // Whether -h or --help came (reading stopped there).
    bool helpAsked() const { return helpAsked_; }
    // Whether the option came, flag or value; `name` is its long name, or
    // its short one when it has none.
    bool has(const char* name) const;
    // The option's last value; empty when it did not come.
    std::string value(const char* name) const;
    const std::vector<std::string>& operands() const { return operands_; }

  private:
    friend Arguments parseArguments(const Command&, int, char**);
    const Option& known(const char* name) const;

    const Command* command_;
    bool helpAsked_ = false;
    std::map<std::string, std::string> values_;
    std::vector<std::string> operands_;
};

// Reads the arguments after the command's name, left to right, by its
// options: stops at -h or --help; an argument that starts with '-' and is
// no option of it (but "-" alone, and everything after a lone "--") is an
// unknown option; the operands are counted at the end.  Throws UsageError.
Arguments parseArguments(const Command& command, int argc, char** argv);

// The command's help: usage, about, its options with -h, --help last, and
// the closing, each part after an empty line.
std::string helpText(const Command& command);

#endif

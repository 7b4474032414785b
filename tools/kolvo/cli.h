// The command line of one subcommand: its options and operands, read left
// to right, and the usage errors that end the program with status 2.

#ifndef KOLVO_TOOL_CLI_H
#define KOLVO_TOOL_CLI_H

#include <stdexcept>
#include <string>
#include <vector>

#include "organ.h"

// A command line that cannot be obeyed; main() prints its one line and
// exits with status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const int usageStatus = 2;

class CommandLine {
  public:
    CommandLine(int argc, char** argv);  // the arguments after the subcommand

    // Whether arguments are left; a lone "--" is passed over, and every
    // argument after it is an operand.
    bool more();

    // When the next argument is this option (or one of two spellings),
    // consumes it.  An option with a value takes it from "--name=value" or
    // from the next argument.
    bool flag(const char* name, const char* other = nullptr);
    bool option(const char* name, const char* other = nullptr);
    std::string value() const { return value_; }

    // Consumes the next argument as an operand; one that starts with '-'
    // (but "-" alone, and everything after "--") is an unknown option.
    std::string operand();

  private:
    bool matches(const char* name, const char* other, bool withValue);

    std::vector<std::string> args_;
    size_t next_ = 0;
    bool operandsOnly_ = false;
    std::string value_;
};

// The organ named by --organ: one of the registry's.
const Organ* organNamed(const std::string& name);

// A tempo for --tempo, checked by the players' own rule.
std::string checkedTempo(const std::string& tempo);

// A positive count for -j.
int positiveCount(const std::string& option, const std::string& text);

#endif

// Reading a subcommand's command line.

#include "cli.h"

#include <cstdlib>

#include "driver.h"
#include "messages.h"
#include "organs.h"

CommandLine::CommandLine(int argc, char** argv) : args_(argv, argv + argc) {}

bool CommandLine::more() {
    if (!operandsOnly_ && next_ < args_.size() && args_[next_] == "--") {
        operandsOnly_ = true;
        ++next_;
    }
    return next_ < args_.size();
}

bool CommandLine::matches(const char* name, const char* other, bool withValue) {
    if (!more() || operandsOnly_) {
        return false;
    }
    const std::string& arg = args_[next_];
    for (const char* spelling : {name, other}) {
        if (spelling == nullptr) {
            continue;
        }
        const std::string n = spelling;
        if (arg == n) {
            ++next_;
            if (withValue) {
                if (!more()) {
                    throw UsageError("option " + n + " needs a value");
                }
                value_ = args_[next_++];
            }
            return true;
        }
        if (withValue && n.rfind("--", 0) == 0 && arg.rfind(n + "=", 0) == 0) {
            value_ = arg.substr(n.size() + 1);
            ++next_;
            return true;
        }
    }
    return false;
}

bool CommandLine::flag(const char* name, const char* other) {
    return matches(name, other, false);
}

bool CommandLine::option(const char* name, const char* other) {
    return matches(name, other, true);
}

std::string CommandLine::operand() {
    const std::string arg = args_[next_++];
    if (!operandsOnly_ && arg.size() > 1 && arg[0] == '-') {
        throw UsageError("unknown option " + arg);
    }
    return arg;
}

const Organ* organNamed(const std::string& name) {
    if (const Organ* organ = findOrgan(name)) {
        return organ;
    }
    throw UsageError("--organ takes " + organNames(" or ") + ", not \"" + name + "\"");
}

std::string checkedTempo(const std::string& tempo) {
    if (!tempoInRange(tempoArgument(tempo.c_str()))) {
        throw UsageError(outputTempoOutOfRange);
    }
    return tempo;
}

int positiveCount(const std::string& option, const std::string& text) {
    char* end = nullptr;
    const long count = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || count < 1 || count > 1024) {
        throw UsageError(option + " takes a count from 1 to 1024, not \"" + text + "\"");
    }
    return static_cast<int>(count);
}

// Reading a command line by its options, and writing their help.

#include "options.h"

#include <algorithm>
#include <cstring>

namespace {

const Option helpOption = {"-h", "--help", "", "this help"};

// The name by which the table and Arguments know an option.
const char* keyOf(const Option& option) {
    return option.longName != nullptr ? option.longName : option.shortName;
}

// "-o, --out OUT.svg", as the help shows an option.
std::string spelled(const Option& option) {
    std::string text;
    if (option.shortName != nullptr) {
        text = option.shortName;
    }
    if (option.longName != nullptr) {
        text += (text.empty() ? "" : ", ") + std::string(option.longName);
    }
    if (!option.value.empty()) {
        text += " " + option.value;
    }
    return text;
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// The arguments, read one at a time.  A lone "--" is passed over once, and
// every argument after it is an operand.
class Reader {
  public:
    Reader(int argc, char** argv) : args_(argv, argv + argc) {}

    bool more() {
        if (!operandsOnly_ && next_ < args_.size() && args_[next_] == "--") {
            operandsOnly_ = true;
            ++next_;
        }
        return next_ < args_.size();
    }
    bool operandsOnly() const { return operandsOnly_; }
    const std::string& peek() const { return args_[next_]; }
    std::string take() { return args_[next_++]; }

  private:
    std::vector<std::string> args_;
    size_t next_ = 0;
    bool operandsOnly_ = false;
};

// When the next argument is one of `option`'s spellings, takes it (and its
// value) and returns true.
bool takeOption(Reader& reader, const Option& option, std::string& value) {
    const std::string& arg = reader.peek();
    const bool withValue = !option.value.empty();
    for (const char* spelling : {option.shortName, option.longName}) {
        if (spelling == nullptr) {
            continue;
        }
        const std::string name = spelling;
        if (arg == name) {
            reader.take();
            if (withValue) {
                if (!reader.more()) {
                    throw UsageError("option " + name + " needs a value");
                }
                value = reader.take();
            }
            return true;
        }
        if (withValue && startsWith(name, "--") && startsWith(arg, name + "=")) {
            value = reader.take().substr(name.size() + 1);
            return true;
        }
    }
    return false;
}

}  // namespace

const Option& Arguments::known(const char* name) const {
    for (const Option& option : command_->options) {
        if (std::strcmp(keyOf(option), name) == 0) {
            return option;
        }
    }
    throw std::logic_error(std::string("kolvo ") + command_->name + " has no option " + name);
}

bool Arguments::has(const char* name) const {
    return values_.count(keyOf(known(name))) != 0;
}

std::string Arguments::value(const char* name) const {
    const auto found = values_.find(keyOf(known(name)));
    return found != values_.end() ? found->second : std::string();
}

Arguments parseArguments(const Command& command, int argc, char** argv) {
    Arguments args(command);
    Reader reader(argc, argv);
    while (reader.more()) {
        if (!reader.operandsOnly()) {
            std::string value;
            if (takeOption(reader, helpOption, value)) {
                args.helpAsked_ = true;
                return args;
            }
            const Option* taken = nullptr;
            for (const Option& option : command.options) {
                if (takeOption(reader, option, value)) {
                    taken = &option;
                    break;
                }
            }
            if (taken != nullptr) {
                if (taken->check != nullptr) {
                    taken->check(taken->shortName != nullptr ? taken->shortName : taken->longName,
                                 value);
                }
                args.values_[keyOf(*taken)] = value;
                continue;
            }
        }
        const std::string arg = reader.take();
        if (!reader.operandsOnly() && arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        }
        args.operands_.push_back(arg);
    }
    const int count = static_cast<int>(args.operands_.size());
    if (count < command.fewestOperands ||
        (command.mostOperands >= 0 && count > command.mostOperands)) {
        throw UsageError(command.operandsError);
    }
    return args;
}

std::string helpText(const Command& command) {
    std::string text = command.usage + "\n\n" + command.about + "\n\n";
    const std::string indent(command.helpColumn, ' ');
    std::vector<const Option*> shown;
    for (const Option& option : command.options) {
        shown.push_back(&option);
    }
    shown.push_back(&helpOption);
    for (const Option* option : shown) {
        if (option->help.empty()) {
            continue;
        }
        std::string line = "  " + spelled(*option);
        line.resize(std::max(line.size() + 2, indent.size()), ' ');
        for (const char c : option->help) {
            line += c;
            if (c == '\n') {
                line += indent;
            }
        }
        text += line + "\n";
    }
    if (!command.closing.empty()) {
        text += "\n" + command.closing;
    }
    return text;
}

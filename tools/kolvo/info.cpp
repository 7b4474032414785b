// kolvo info: which organ a roll is for, and what is on it.  Each roll is
// examined in a child process of its own.

#include <iostream>
#include <string>
#include <vector>

#include "child.h"
#include "librarymessages.h"
#include "report.h"
#include "roll.h"
#include "subcommands.h"

namespace {

// Within the child that handles a roll, when the library ends it: the
// error line, and in JSON the roll's object with the error.
bool jsonReport = false;

int refuse(const std::string& path, const char* rule, const std::string& refusal) {
    std::cerr << rollErrorLine(path, refusal) << std::endl;
    if (jsonReport) {
        printJsonError(path, rule, refusal, std::cout);
    }
    return 1;
}

void reportFatal(const std::string& path, const std::string& message) {
    refuse(path, refusalRule::midi, message);
}

// Handles one roll; runs in a child process of its own.
int reportRoll(const std::string& path) {
    setFatalReport(reportFatal);
    RollFile roll;
    std::string refusal;
    if (!loadRollFile(path, roll, refusal)) {
        return refuse(path, refusalRule::file, refusal);
    }
    std::vector<Arrangement> tried;
    const Arrangement a = examineRoll(roll, &tried);
    if (!a.midiFile) {
        return refuse(path, a.rule, a.refusal);
    }
    if (jsonReport) {
        printJson(a, tried, roll, std::cout);
    } else {
        printReport(a, roll, std::cout);
    }
    return 0;
}

}  // namespace

int infoCommand(const Arguments& args) {
    jsonReport = args.has("--json");
    const std::vector<std::string>& rolls = args.operands();

    int status = 0;
    if (jsonReport) {
        std::cout << "{\"format_version\": " << jsonReportVersion << ", \"rolls\": [";
    }
    for (size_t i = 0; i < rolls.size(); i++) {
        const ChildOutcome outcome = runInChild([&] { return reportRoll(rolls[i]); }, true);
        if (jsonReport) {
            std::cout << (i == 0 ? "\n  " : ",\n  ");
            if (outcome.output.empty()) {
                printJsonError(rolls[i], refusalRule::failed, "the roll could not be examined",
                               std::cout);
            }
        } else if (i > 0 && !outcome.output.empty()) {
            std::cout << "\n";
        }
        std::cout << outcome.output;
        if (outcome.status > 128) {
            std::cerr << rollErrorLine(rolls[i], "examining it ended with signal " +
                                                     std::to_string(outcome.status - 128))
                      << std::endl;
        }
        if (outcome.status != 0) {
            status = 1;
        }
    }
    if (jsonReport) {
        std::cout << "\n]}\n";
    }
    return status;
}

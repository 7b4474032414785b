// Keeping the library's messages, and its fatal errors.

#include "librarymessages.h"

#include <unistd.h>

#include <iostream>

#include "FatalError.h"

namespace {

LibraryMessages* active = nullptr;

void printErrorLine(const std::string& rollPath, const std::string& message) {
    std::cerr << rollErrorLine(rollPath, message) << std::endl;
}

FatalReport report = printErrorLine;

[[noreturn]] void onFatalError() {
    std::string path;
    std::string message;
    if (active != nullptr) {
        path = active->rollPath();
        message = active->firstLine();
    }
    while (active != nullptr) {
        active->restore();
    }
    if (message.empty()) {
        message = "the MIDI file library stopped on an error";
    }
    report(path, message);
    std::cout.flush();
    std::cerr.flush();
    _exit(1);
}

}  // namespace

LibraryMessages::LibraryMessages(const std::string& rollPath)
    : rollPath_(rollPath),
      savedOut_(std::cout.rdbuf(&kept_)),
      savedErr_(std::cerr.rdbuf(&kept_)),
      outer_(active) {
    active = this;
}

LibraryMessages::~LibraryMessages() {
    restore();
}

void LibraryMessages::restore() {
    if (restored_) {
        return;
    }
    restored_ = true;
    std::cout.rdbuf(savedOut_);
    std::cerr.rdbuf(savedErr_);
    active = outer_;
}

std::string LibraryMessages::firstLine() const {
    const std::string text = kept_.str();
    return text.substr(0, text.find('\n'));
}

std::string rollErrorLine(const std::string& rollPath, const std::string& text) {
    if (rollPath.empty() || text.find(rollPath) != std::string::npos) {
        return "kolvo: " + text;
    }
    return "kolvo: " + rollPath + ": " + text;
}

void setFatalReport(FatalReport aReport) {
    report = aReport;
}

void installFatalHandler() {
    setFatalHandler(onFatalError);
}

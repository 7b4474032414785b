// Progress bars on standard error.

#include "progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

bool stderrIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

namespace {

int terminalWidth() {
    struct winsize size;
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 40) {
        return size.ws_col;
    }
    return 80;
}

}  // namespace

ProgressBoard::ProgressBoard(bool draw) : draw_(draw) {}

ProgressBoard::~ProgressBoard() {
    redraw(true);
}

int ProgressBoard::add(const std::string& name) {
    bars_.push_back({name, 0.0, "", true});
    redraw(true);
    return static_cast<int>(bars_.size()) - 1;
}

void ProgressBoard::set(int bar, double fraction, const std::string& text) {
    bars_[bar].fraction = fraction < 0.0 ? 0.0 : fraction > 1.0 ? 1.0 : fraction;
    bars_[bar].text = text;
    redraw(false);
}

void ProgressBoard::finish(int bar, const std::string& line) {
    bars_[bar].active = false;
    if (draw_ && !line.empty()) {
        pending_.push_back(line);
    }
    redraw(true);
}

void ProgressBoard::message(const std::string& line) {
    pending_.push_back(line);
    redraw(true);
}

std::string ProgressBoard::barLine(const Bar& bar, int width) const {
    std::string name = bar.name;
    const int nameWidth = width / 3;
    if (static_cast<int>(name.size()) > nameWidth) {
        name = "..." + name.substr(name.size() - (nameWidth - 3));
    }
    name.resize(nameWidth, ' ');
    const int cells = width - nameWidth - static_cast<int>(bar.text.size()) - 5;
    std::string line = name + " [";
    const int filled = static_cast<int>(bar.fraction * cells);
    for (int i = 0; i < cells; i++) {
        line += i < filled ? '#' : '.';
    }
    return line + "] " + bar.text;
}

void ProgressBoard::redraw(bool now) {
    if (!draw_) {
        for (const std::string& line : pending_) {
            std::cerr << line << "\n";
        }
        pending_.clear();
        std::cerr.flush();
        return;
    }
    const auto time = std::chrono::steady_clock::now();
    if (!now && time - lastDraw_ < std::chrono::milliseconds(100)) {
        return;
    }
    lastDraw_ = time;
    const int width = terminalWidth() - 1;
    std::string screen;
    if (drawnLines_ > 0) {
        screen += "\x1b[" + std::to_string(drawnLines_) + "A";
    }
    for (const std::string& line : pending_) {
        screen += "\r\x1b[2K" + line + "\n";
    }
    pending_.clear();
    int lines = 0;
    for (const Bar& bar : bars_) {
        if (bar.active) {
            screen += "\r\x1b[2K" + barLine(bar, width) + "\n";
            lines++;
        }
    }
    // Lines that bars left behind are cleared.
    for (int extra = lines; extra < drawnLines_; extra++) {
        screen += "\r\x1b[2K\n";
    }
    if (drawnLines_ > lines) {
        screen += "\x1b[" + std::to_string(drawnLines_ - lines) + "A";
    }
    drawnLines_ = lines;
    std::fputs(screen.c_str(), stderr);
    std::fflush(stderr);
}

std::string minutesAndSeconds(double seconds) {
    const long whole = seconds > 0.0 ? static_cast<long>(seconds) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

// Progress on a terminal: one bar per piece of work on standard error,
// redrawn in place, with finished work and messages scrolling above the
// bars.  Without a terminal it is quiet: it passes only messages through.

#ifndef KOLVO_TOOL_PROGRESS_H
#define KOLVO_TOOL_PROGRESS_H

#include <chrono>
#include <string>
#include <vector>

// Whether standard error is a terminal.
bool stderrIsTerminal();

class ProgressBoard {
  public:
    explicit ProgressBoard(bool draw);
    ~ProgressBoard();

    bool drawing() const { return draw_; }

    // A new bar; returns its number.
    int add(const std::string& name);
    // Sets a bar's text after its name (a percentage, a time) and the
    // fraction of it filled; redraws now and then.
    void set(int bar, double fraction, const std::string& text = "");
    // The bar is done: it gives way to this line, which stays (on a
    // terminal).
    void finish(int bar, const std::string& line);
    // A line printed above the bars (an error of a piece of work).
    void message(const std::string& line);

  private:
    struct Bar {
        std::string name;
        double fraction = 0.0;
        std::string text;
        bool active = true;
    };
    void redraw(bool now);
    std::string barLine(const Bar& bar, int width) const;

    bool draw_;
    std::vector<Bar> bars_;
    std::vector<std::string> pending_;  // lines to print above the bars
    int drawnLines_ = 0;
    std::chrono::steady_clock::time_point lastDraw_;
};

// "M:SS" for a time in seconds.
std::string minutesAndSeconds(double seconds);

#endif

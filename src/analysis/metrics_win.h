// The metrics of the current document's functions on screen: the "Tarvo code analysis" dialog
// for one function (with "Next function") and the plot window of a series for all of them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "analysis/metrics.h"

namespace tarvo::analysis {

// The commands, on the current document.
bool ShowCodeAnalysis();
bool ShowAnalysisPlot();

// What a plot window draws now, for its tests: the series and its values, the geometry of the
// last paint and the highlighted bar (-1: none). False when the window is not a plot.
struct PlotDrawing {
    std::string seriesTitle;
    std::vector<std::string> names;
    std::vector<double> values;
    PlotLayout layout;
    int highlighted = -1;
};
bool DrawnPlot(HWND window, PlotDrawing& out);
// The plot window opened last, or null.
HWND LatestPlotWindow();

}  // namespace tarvo::analysis

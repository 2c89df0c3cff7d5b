// Function metrics: operator, operand and keyword counts of one C function, the values derived
// from them (length, volume, level, density, comment percentage), the series of a whole file,
// and the geometry of their plot.
#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "analysis/char_source.h"
#include "analysis/function_list.h"

namespace tarvo::analysis {

// Operator kinds by counter index: / /= + += ++ - -= -> -- | || |= & && &= ( ) [ ] ! . % << >>
// <= >= == > < ^ ~ = *(multiplication) *= *(pointer) ? %= #
inline constexpr int kOperatorKinds = 38;

struct Metrics {
    std::string name;
    std::array<long, kOperatorKinds> operators{};
    long lines = 0;              // the comment block before the function and its own lines
    long totalOperands = 0;      // identifiers that are not keywords, numbers, strings, characters
    long totalOperators = 0;     // operator tokens plus keyword occurrences
    long statements = 0;         // semicolons
    long references = 0;         // identifiers that are not keywords
    long maxDepth = -1;          // -1: the function has no brace
    long gotos = 0;
    long controlOperators = 0;   // control keywords: the cyclomatic complexity shown
    long characters = 0;         // line lengths, plus every comment met inside the function again
    long commentCharacters = 0;
    std::vector<std::string> operands;  // distinct identifiers, in the order first met
    double length = 0, volume = 0, commentPercentage = 0, level = 0;

    int DistinctOperators() const;  // operator kinds used
    double Density() const;         // volume / level; 0 while the level is 0
};

// Keywords that count as control operators.
bool IsControlKeyword(std::string_view keyword);

// The first line (1-based) of a function's definition: its name's line, or the lines of its
// return type and qualifiers just above it.
long DefinitionStart(const Lines& lines, const Function& function);
// The first line of the comment block that ends just above line n; n when there is none.
long CommentBlockStart(const Lines& lines, long n);

// The function's record; none when the function has no characters.
std::optional<Metrics> Measure(const Lines& lines, const Function& function);

// The series of the plot, one value per function in list order.
enum Series { kSeriesLength, kSeriesVolume, kSeriesComments, kSeriesControl, kSeriesDensity, kSeriesLevel,
              kSeriesCount };
struct FileMetrics {
    std::vector<std::string> names;
    std::array<std::vector<double>, kSeriesCount> values;
};
FileMetrics MeasureAll(const Lines& lines, const FunctionRecords& functions);

// The texts of the analysis dialog, by field.
enum AnalysisField {
    kFieldName, kFieldLines, kFieldCharacters, kFieldOperands, kFieldOperators, kFieldReferences,
    kFieldControl, kFieldTotalOperands, kFieldTotalOperators, kFieldExpressions, kFieldLength,
    kFieldVolume, kFieldLevel, kFieldDensity, kFieldComments, kFieldGotos, kFieldMaxDepth, kFieldCount
};
std::array<std::string, kFieldCount> AnalysisTexts(const Metrics& m);

// The plot of one series in a client area of width x height pixels.
struct PlotBar {
    int x = 0;
    int top = 0;  // the line runs from the baseline up to here
};
struct PlotLayout {
    int spacing = 0;
    int baseline = 0;    // y0
    int plotHeight = 0;
    double min = 0, max = 0;
    std::vector<PlotBar> bars;
    int axisLeft = 0, axisRight = 0, axisTop = 0;
};
PlotLayout LayOutPlot(const std::vector<double>& values, int width, int height);
// The bar a click at x selects: the first not 3 or more pixels left of it; -1 when none.
int BarAt(const PlotLayout& layout, int x);

}  // namespace tarvo::analysis

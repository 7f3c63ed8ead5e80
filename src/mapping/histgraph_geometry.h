#ifndef ORV_SRC_HISTGRAPH_GEOMETRY_H
#define ORV_SRC_HISTGRAPH_GEOMETRY_H

// Where the histogram graph and the gradient stripe put their pixels, as plain
// functions the widgets call and the tests check by hand.

#include <wx/colour.h>

#include <vector>

namespace orv {

struct HistogramBar {
  int x, width, height;  // bottom-aligned at the graph's base line
};

// Bars of n bins in a W x H graph with margins mx, my: width ceil(s) with
// s = (W - mx) / (n - 1), x = floor(i s) + mx / 2; heights scaled to H - my
// by the largest count among bins 0 to n - 2, linearly or logarithmically
// (rounded half away from zero). A non-zero count gets at least one pixel;
// no bar is taller than H - my. With a largest count of 1 a logarithmic
// graph shows every non-zero bin at full height. Bins that fall on one
// pixel column give one bar there, the tallest.
std::vector<HistogramBar> HistogramBars(const unsigned* counts, unsigned n, int W, int H, int mx, int my,
                                        bool logarithmic);

// The spacing of grid lines: extent / divisions rounded half away from zero.
int GridStep(int extent, int divisions);

// Colour of one column of a gradient stripe `width` pixels wide over `steps`
// positions: `below` left of the lower position, `above` right of the upper
// one, and between them the ramp colour flat or scaled by (d / w)^(1/gamma)
// with d the distance from the ramp's start and w its width. A lower position
// above the upper one swaps the outer colours and runs the ramp the other way.
wxColour StripeColour(int column, int width, int steps, int lower, int upper, bool gradient, double gamma,
                      const wxColour& below, const wxColour& above, const wxColour& ramp);

}  // namespace orv

#endif

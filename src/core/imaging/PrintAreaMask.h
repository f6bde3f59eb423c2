#pragma once
// The print-area mask: the white bars over the parts of a shown picture that fall outside the
// chosen print format, as the laboratory cuts them off when it fills the print. The main
// window and the enlarged view round the bars differently; both are pure functions of the
// picture's size and the format's sides, and one routine paints the result.

#include <QImage>

struct TPrintAreaBars {
    enum Kind { None, Columns, Rows };
    Kind kind = None;
    int leading = 0;        // columns or rows 0 .. leading - 1
    int trailingStart = 0;  // columns or rows trailingStart .. extent - 1
    int extent = 0;         // the picture's width (columns) or height (rows)

    bool isEmpty() const { return kind == None || (leading <= 0 && trailingStart >= extent); }

    bool operator==(const TPrintAreaBars &) const = default;
};

// The bars for a picture of width x height pixels and a format of `breedte` by `lengte` cm.
// No bars when the picture is empty, the format's length is below 1.0 (its print follows the
// photo) or its width is not above 0.
TPrintAreaBars MainWindowMaskBars(int width, int height, double breedte, double lengte);
TPrintAreaBars EnlargedViewMaskBars(int width, int height, double breedte, double lengte);

// Paints the bars solid white.
void PaintPrintAreaMask(QImage &picture, const TPrintAreaBars &bars);

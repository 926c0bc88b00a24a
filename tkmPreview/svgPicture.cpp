// SPDX-License-Identifier: MIT
#include "svgPicture.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double PANEL_SIZE = 300.0;
constexpr double PANEL_GAP = 20.0;
constexpr double TITLE_HEIGHT = 40.0;
constexpr double LABEL_HEIGHT = 30.0;    // below the panels: view names and sizes
constexpr double NOTE_HEIGHT = 16.0;     // one line per odd thing, below the labels
constexpr double DRAWING_MARGIN = 20.0;  // inside a panel, around the drawing
constexpr double AXIS_GUTTER = 56.0;     // left of the isometric drawing, for its height axis
constexpr double AXIS_OFFSET = 8.0;      // from the axis to the drawing
constexpr double AXIS_TICK = 4.0;        // half the length of a tick
constexpr double CROSS_SIZE = 6.0;       // half the width of the mark of an inverted box
constexpr int VIEW_COUNT = 4;
constexpr int ISOMETRIC = 3;
constexpr int BOX_CORNERS = 8;
constexpr double BLEND_OPACITY = 0.6;
constexpr double BLEND_ALPHA = -1.0;  // alpha of additive and subtractive colours, as written
constexpr double TITLE_TEXT_LIMIT = 200;
constexpr int DEFAULT_GREY = 160;   // a quad without a usable normal
constexpr double GREY_BASE = 0.30;  // the grey of a quad: base plus lit part plus height part
constexpr double GREY_LIT = 0.30;
constexpr double GREY_HEIGHT = 0.35;

// A view: screen right, screen up and the direction away from the viewer.
struct View {
    const char* name;
    const char* axes;  // the brick's axes along screen right and up
    double right[3];
    double up[3];
    double away[3];
};

const double ISO_R = 1.0 / std::sqrt(2.0);
const double ISO_U = 1.0 / std::sqrt(6.0);
const double ISO_A = 1.0 / std::sqrt(3.0);

const View VIEWS[VIEW_COUNT] = {
    {"top", "xy", {1, 0, 0}, {0, 1, 0}, {0, 0, -1}},
    {"front", "xz", {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {"side", "yz", {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}},
    {"isometric", "xyz", {ISO_R, ISO_R, 0}, {-ISO_U, ISO_U, 2 * ISO_U}, {-ISO_A, ISO_A, -ISO_A}},
};

double dot(const double* a, const double* b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

bool isFinitePoint(const double* p) {
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

bool isDrawable(const PreviewQuad& quad) {
    for (const auto& corner : quad.position) {
        if (!isFinitePoint(corner)) return false;
    }
    return true;
}

int undrawnQuadCount(const BrickFile& brick) {
    int count = 0;
    for (int q = 0; q < brick.quadCount; ++q) count += isDrawable(brick.quads[q]) ? 0 : 1;
    return count;
}

// A box as drawn: an outline; a cross at its centre when a size is negative
// (the converter writes such a box for a COLLISION group without faces); not
// at all when a number is not finite.
enum class BoxKind { OUTLINE, INVERTED, NOT_FINITE };

BoxKind boxKind(const PreviewBox& box) {
    if (!isFinitePoint(box.center) || !isFinitePoint(box.size)) return BoxKind::NOT_FINITE;
    const bool inverted = box.size[0] < 0 || box.size[1] < 0 || box.size[2] < 0;
    return inverted ? BoxKind::INVERTED : BoxKind::OUTLINE;
}

void boxCorners(const PreviewBox& box, double corners[BOX_CORNERS][3]) {
    for (int i = 0; i < BOX_CORNERS; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            const double half = box.size[axis] / 2.0;
            corners[i][axis] = box.center[axis] + ((i >> axis) & 1 ? half : -half);
        }
    }
}

// The brick's extent, centred on the origin as the brick is placed.
PreviewBox extentBox(const BrickFile& brick) {
    PreviewBox box = {{0, 0, 0}, {0, 0, 0}};
    for (int axis = 0; axis < 3; ++axis) box.size[axis] = brick.size[axis];
    return box;
}

// The lowest and highest value of a set of points along two directions.
struct Range2 {
    double low[2] = {HUGE_VAL, HUGE_VAL};
    double high[2] = {-HUGE_VAL, -HUGE_VAL};

    void include(const double* p, const double* first, const double* second) {
        const double along[2] = {dot(p, first), dot(p, second)};
        for (int k = 0; k < 2; ++k) {
            low[k] = std::min(low[k], along[k]);
            high[k] = std::max(high[k], along[k]);
        }
    }
    bool isEmpty() const {
        return low[0] > high[0];
    }
    // Halved before subtracting, so that no extent overflows.
    double center(int k) const {
        return low[k] / 2 + high[k] / 2;
    }
    double extent(int k) const {
        return 2 * (high[k] / 2 - low[k] / 2);
    }
};

void includeBox(Range2& range, const PreviewBox& box, const double* first, const double* second) {
    const BoxKind kind = boxKind(box);
    if (kind == BoxKind::INVERTED) {
        range.include(box.center, first, second);
    } else if (kind == BoxKind::OUTLINE) {
        double corners[BOX_CORNERS][3];
        boxCorners(box, corners);
        for (const auto& corner : corners) range.include(corner, first, second);
    }
}

// Everything a view draws: the extent, every drawable quad, every box.
Range2 drawnRange(const BrickFile& brick, const double* first, const double* second) {
    Range2 range;
    includeBox(range, extentBox(brick), first, second);
    for (int q = 0; q < brick.quadCount; ++q) {
        if (!isDrawable(brick.quads[q])) continue;
        for (const auto& corner : brick.quads[q].position) range.include(corner, first, second);
    }
    for (int b = 0; b < brick.boxCount; ++b) includeBox(range, brick.boxes[b], first, second);
    return range;
}

// The part of panel v that the drawing fills: all of it inside the margin,
// but for the isometric view's gutter on the left.
double drawingLeft(int v) {
    const double panelLeft = PANEL_GAP + v * (PANEL_SIZE + PANEL_GAP);
    return panelLeft + DRAWING_MARGIN + (v == ISOMETRIC ? AXIS_GUTTER : 0);
}

double drawingWidth(int v) {
    return PANEL_SIZE - 2 * DRAWING_MARGIN - (v == ISOMETRIC ? AXIS_GUTTER : 0);
}

constexpr double DRAWING_HEIGHT = PANEL_SIZE - 2 * DRAWING_MARGIN;

// Where the views land: one scale for all, so that the panels compare, at
// which everything drawn fits every view's drawing area; each view centred.
struct Layout {
    double scale;
    double center[VIEW_COUNT][2];
    double heightLow;  // the heights that the grey of a quad spans
    double heightHigh;
};

Layout layoutOf(const BrickFile& brick) {
    Layout layout{HUGE_VAL, {}, 0, 0};
    for (int v = 0; v < VIEW_COUNT; ++v) {
        const Range2 range = drawnRange(brick, VIEWS[v].right, VIEWS[v].up);
        const double room[2] = {drawingWidth(v), DRAWING_HEIGHT};
        for (int k = 0; k < 2; ++k) {
            layout.center[v][k] = range.isEmpty() ? 0 : range.center(k);
            const double extent = range.isEmpty() ? 0 : range.extent(k);
            if (extent > 0) layout.scale = std::min(layout.scale, room[k] / extent);
        }
    }
    const double vertical[3] = {0, 0, 1};
    const Range2 heights = drawnRange(brick, vertical, vertical);
    if (!heights.isEmpty()) {
        layout.heightLow = heights.low[0];
        layout.heightHigh = heights.high[0];
        // The height axis fits the isometric drawing's height too.
        const double axisLength = heights.extent(0) * dot(vertical, VIEWS[ISOMETRIC].up);
        if (axisLength > 0) layout.scale = std::min(layout.scale, DRAWING_HEIGHT / axisLength);
    }
    if (!(layout.scale > 0) || !std::isfinite(layout.scale)) layout.scale = 1.0;
    return layout;
}

// Model units to panel pixels for one view.
struct Frame {
    const View& view;
    double scale;
    double centerRight;
    double centerUp;
    double left;  // of the drawing area
    double width;
};

Frame frameOf(const Layout& layout, int v) {
    return Frame{VIEWS[v],       layout.scale,   layout.center[v][0], layout.center[v][1],
                 drawingLeft(v), drawingWidth(v)};
}

double screenX(const Frame& frame, const double* p) {
    return frame.left + frame.width / 2 +
           (dot(p, frame.view.right) - frame.centerRight) * frame.scale;
}

double screenY(const Frame& frame, const double* p) {
    return TITLE_HEIGHT + DRAWING_MARGIN + DRAWING_HEIGHT / 2 -
           (dot(p, frame.view.up) - frame.centerUp) * frame.scale;
}

int channel(double fraction) {
    const double clamped = std::min(1.0, std::max(0.0, std::fabs(fraction)));
    return static_cast<int>(std::lround(clamped * 255));
}

// The grey of a quad without colours, the same in every view: lighter the
// more it faces a light from above, front and left, and the higher it lies,
// so that heights read in the views that do not show them.
int shadeOfQuad(const PreviewQuad& quad, const Layout& layout) {
    double mean[3] = {0, 0, 0};
    double height = 0;
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        for (int axis = 0; axis < 3; ++axis) mean[axis] += quad.normal[corner][axis];
        height += quad.position[corner][2] / CORNERS_PER_QUAD;
    }
    const double length = std::sqrt(dot(mean, mean));
    if (!(length > 0) || !std::isfinite(length)) {
        return DEFAULT_GREY;
    }
    const double light[3] = {-0.3, -0.5, 0.8};
    const double lightLength = std::sqrt(dot(light, light));
    const double facing = std::fabs(dot(mean, light)) / (length * lightLength);
    const double span = layout.heightHigh / 2 - layout.heightLow / 2;
    const double raised = span > 0 ? (height / 2 - layout.heightLow / 2) / span : 0.5;
    const double grey =
        GREY_BASE + GREY_LIT * facing + GREY_HEIGHT * std::min(1.0, std::max(0.0, raised));
    return static_cast<int>(std::lround(255 * grey));
}

void writeQuadPolygon(FILE* out, const PreviewQuad& quad, const Frame& frame,
                      const Layout& layout) {
    int red = 0, green = 0, blue = 0;
    double opacity = 1.0;
    const char* stroke = "#333333";
    const char* kind = "";
    if (quad.hasColors) {
        double mean[4] = {0, 0, 0, 0};
        for (const auto& color : quad.color) {
            for (int k = 0; k < 4; ++k) mean[k] += color[k] / CORNERS_PER_QUAD;
        }
        red = channel(mean[0]);
        green = channel(mean[1]);
        blue = channel(mean[2]);
        if (mean[3] == BLEND_ALPHA) {
            const bool subtractive = mean[0] < 0 || mean[1] < 0 || mean[2] < 0;
            stroke = subtractive ? "#0090ff" : "#ff00cc";
            kind = subtractive ? " subtractive" : " additive";
            opacity = BLEND_OPACITY;
        } else {
            opacity = std::min(1.0, std::max(0.0, std::isfinite(mean[3]) ? mean[3] : 1.0));
        }
    } else {
        red = green = blue = shadeOfQuad(quad, layout);
    }
    fprintf(out, "<polygon class=\"quad%s\" points=\"", kind);
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        fprintf(out, "%s%.2f,%.2f", corner ? " " : "", screenX(frame, quad.position[corner]),
                screenY(frame, quad.position[corner]));
    }
    fprintf(out, "\" fill=\"#%02x%02x%02x\" fill-opacity=\"%.2f\" stroke=\"%s\"%s/>\n", red, green,
            blue, opacity, stroke, *kind ? " stroke-width=\"1.5\" stroke-dasharray=\"3 2\"" : "");
}

double quadDistance(const PreviewQuad& quad, const View& view) {
    double sum = 0;
    for (const auto& corner : quad.position) sum += dot(corner, view.away);
    return sum / CORNERS_PER_QUAD;
}

void writeQuads(FILE* out, const BrickFile& brick, const Frame& frame, const Layout& layout) {
    static int order[MAX_PREVIEW_QUADS];
    static double distance[MAX_PREVIEW_QUADS];
    int count = 0;
    for (int q = 0; q < brick.quadCount; ++q) {
        if (isDrawable(brick.quads[q])) {
            distance[q] = quadDistance(brick.quads[q], frame.view);
            order[count++] = q;
        }
    }
    // Farthest first, so that nearer quads cover them; ties keep file order.
    std::stable_sort(order, order + count, [](int a, int b) { return distance[a] > distance[b]; });
    for (int i = 0; i < count; ++i) {
        writeQuadPolygon(out, brick.quads[order[i]], frame, layout);
    }
}

// kind is the element's class ("collision", "extent"); style its stroke.
void writeBox(FILE* out, const PreviewBox& box, const Frame& frame, const char* kind,
              const char* style) {
    const BoxKind boxShape = boxKind(box);
    if (boxShape == BoxKind::NOT_FINITE) return;
    if (boxShape == BoxKind::INVERTED) {
        const double x = screenX(frame, box.center);
        const double y = screenY(frame, box.center);
        fprintf(
            out,
            "<path class=\"%s inverted\" %s d=\"M%.2f,%.2f L%.2f,%.2f M%.2f,%.2f L%.2f,%.2f\"/>\n",
            kind, style, x - CROSS_SIZE, y - CROSS_SIZE, x + CROSS_SIZE, y + CROSS_SIZE,
            x - CROSS_SIZE, y + CROSS_SIZE, x + CROSS_SIZE, y - CROSS_SIZE);
        return;
    }
    double corners[BOX_CORNERS][3];
    boxCorners(box, corners);
    fprintf(out, "<path class=\"%s\" %s d=\"", kind, style);
    int edges = 0;
    for (int a = 0; a < BOX_CORNERS; ++a) {
        for (int axis = 0; axis < 3; ++axis) {
            const int b = a | (1 << axis);
            if (b == a) continue;
            fprintf(out, "%sM%.2f,%.2f L%.2f,%.2f", edges++ ? " " : "", screenX(frame, corners[a]),
                    screenY(frame, corners[a]), screenX(frame, corners[b]),
                    screenY(frame, corners[b]));
        }
    }
    fprintf(out, "\"/>\n");
}

// The isometric view's height axis, in the gutter left of the drawing: a
// vertical line as long as the heights drawn span in this view, centred on
// the drawing's height, each end marked with its height.
void writeHeightAxis(FILE* out, const Frame& frame, const Layout& layout) {
    const double vertical[3] = {0, 0, 1};
    const double length = (layout.heightHigh / 2 - layout.heightLow / 2) * 2 *
                          dot(vertical, frame.view.up) * frame.scale;
    const double middle = TITLE_HEIGHT + DRAWING_MARGIN + DRAWING_HEIGHT / 2;
    const double x = frame.left - AXIS_OFFSET;
    const double bottom = middle + length / 2;
    const double top = middle - length / 2;
    fprintf(out,
            "<path class=\"height-axis\" stroke=\"#2040a0\" fill=\"none\" "
            "d=\"M%.2f,%.2f L%.2f,%.2f M%.2f,%.2f L%.2f,%.2f M%.2f,%.2f L%.2f,%.2f\"/>\n",
            x, bottom, x, top, x - AXIS_TICK, bottom, x + AXIS_TICK, bottom, x - AXIS_TICK, top,
            x + AXIS_TICK, top);
    const char* label =
        "<text class=\"height\" x=\"%.2f\" y=\"%.2f\" font-size=\"10\" text-anchor=\"end\" "
        "fill=\"#2040a0\">z %.4g</text>\n";
    fprintf(out, label, x - AXIS_TICK - 2, top - 2, layout.heightHigh);
    fprintf(out, label, x - AXIS_TICK - 2, bottom + 10, layout.heightLow);
}

void writePanel(FILE* out, const BrickFile& brick, int v, const Layout& layout) {
    const Frame frame = frameOf(layout, v);
    const double panelLeft = PANEL_GAP + v * (PANEL_SIZE + PANEL_GAP);
    fprintf(out, "<g class=\"view\" id=\"%s\" clip-path=\"url(#clip%d)\">\n", frame.view.name, v);
    fprintf(out,
            "<rect class=\"panel\" x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" "
            "fill=\"#f4f4f0\" stroke=\"#999999\"/>\n",
            panelLeft, TITLE_HEIGHT, PANEL_SIZE, PANEL_SIZE);
    writeQuads(out, brick, frame, layout);
    for (int b = 0; b < brick.boxCount; ++b) {
        writeBox(out, brick.boxes[b], frame, "collision",
                 "fill=\"none\" stroke=\"#d02020\" stroke-width=\"1.2\" stroke-dasharray=\"6 4\"");
    }
    writeBox(out, extentBox(brick), frame, "extent",
             "fill=\"none\" stroke=\"#2040a0\" stroke-width=\"0.6\"");
    if (v == ISOMETRIC) {
        writeHeightAxis(out, frame, layout);
    }
    fprintf(out, "</g>\n");
    // Below the panel: the view's name and the brick's size along its axes.
    fprintf(out,
            "<text class=\"label\" x=\"%.2f\" y=\"%.2f\" font-size=\"14\" text-anchor=\"middle\">"
            "%s",
            panelLeft + PANEL_SIZE / 2, TITLE_HEIGHT + PANEL_SIZE + 20, frame.view.name);
    for (const char* axis = frame.view.axes; *axis != '\0'; ++axis) {
        fprintf(out, "%s %c %d", axis == frame.view.axes ? ":" : ",", *axis,
                brick.size[*axis - 'x']);
    }
    fprintf(out, "</text>\n");
}

// The title text with the characters XML gives meaning to escaped, and bytes
// that are not printable ASCII shown as "?", so the document stays well-formed.
void writeEscaped(FILE* out, const char* text) {
    int written = 0;
    for (const char* p = text; *p != '\0' && written < TITLE_TEXT_LIMIT; ++p, ++written) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '&')
            fputs("&amp;", out);
        else if (c == '<')
            fputs("&lt;", out);
        else if (c == '>')
            fputs("&gt;", out);
        else if (c == '"')
            fputs("&quot;", out);
        else
            fputc(c >= 0x20 && c < 0x7f ? c : '?', out);
    }
}

void writeTitle(FILE* out, const BrickFile& brick, const char* title) {
    fprintf(out, "<text class=\"title\" x=\"%.0f\" y=\"26\" font-size=\"16\">", PANEL_GAP);
    writeEscaped(out, title);
    fprintf(out, " &#8212; %d quads", brick.quadCount);
    const int undrawn = undrawnQuadCount(brick);
    if (undrawn > 0) fprintf(out, ", %d not drawn", undrawn);
    fprintf(out, " &#8212; size %d x %d x %d</text>\n", brick.size[0], brick.size[1],
            brick.size[2]);
    for (int q = 0; q < brick.quadCount; ++q) {
        if (!isDrawable(brick.quads[q])) {
            fprintf(out, "<!-- quad %d (%s section) not drawn: a corner is not finite -->\n", q + 1,
                    FACE_SECTION_NAMES[brick.quads[q].section]);
        }
    }
}

// What is odd about a box, or nullptr; extent names the brick's extent.
const char* boxOddity(const PreviewBox& box, bool extent) {
    switch (boxKind(box)) {
        case BoxKind::NOT_FINITE:
            return "a number is not finite; not drawn";
        case BoxKind::INVERTED:
            return extent ? "a size is negative; a cross marks its centre"
                          : "a size is negative (a COLLISION group without faces); a cross "
                            "marks its centre";
        case BoxKind::OUTLINE:
            break;
    }
    return nullptr;
}

int noteCount(const BrickFile& brick) {
    int count = boxOddity(extentBox(brick), true) != nullptr ? 1 : 0;
    for (int b = 0; b < brick.boxCount; ++b) count += boxOddity(brick.boxes[b], false) ? 1 : 0;
    return count;
}

// One line per odd box below the labels, in the box's colour.
void writeNotes(FILE* out, const BrickFile& brick) {
    double y = TITLE_HEIGHT + PANEL_SIZE + LABEL_HEIGHT + NOTE_HEIGHT / 2;
    const char* line = "<text class=\"note\" x=\"%.0f\" y=\"%.0f\" font-size=\"12\" fill=\"%s\">";
    if (const char* oddity = boxOddity(extentBox(brick), true)) {
        fprintf(out, line, PANEL_GAP, y, "#2040a0");
        fprintf(out, "brick size %d x %d x %d: %s</text>\n", brick.size[0], brick.size[1],
                brick.size[2], oddity);
        y += NOTE_HEIGHT;
    }
    for (int b = 0; b < brick.boxCount; ++b) {
        if (const char* oddity = boxOddity(brick.boxes[b], false)) {
            const double* size = brick.boxes[b].size;
            fprintf(out, line, PANEL_GAP, y, "#d02020");
            fprintf(out, "collision box %d of size %.6g x %.6g x %.6g: %s</text>\n", b + 1, size[0],
                    size[1], size[2], oddity);
            y += NOTE_HEIGHT;
        }
    }
}

}  // namespace

void writeSvgPicture(FILE* out, const BrickFile& brick, const char* title) {
    const double width = VIEW_COUNT * PANEL_SIZE + (VIEW_COUNT + 1) * PANEL_GAP;
    const double height =
        TITLE_HEIGHT + PANEL_SIZE + LABEL_HEIGHT + noteCount(brick) * NOTE_HEIGHT + PANEL_GAP;
    fprintf(out,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
            "viewBox=\"0 0 %.0f %.0f\" font-family=\"sans-serif\">\n",
            width, height, width, height);
    fprintf(out, "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n<defs>\n");
    for (int v = 0; v < VIEW_COUNT; ++v) {
        fprintf(out,
                "<clipPath id=\"clip%d\"><rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" "
                "height=\"%.2f\"/></clipPath>\n",
                v, PANEL_GAP + v * (PANEL_SIZE + PANEL_GAP), TITLE_HEIGHT, PANEL_SIZE, PANEL_SIZE);
    }
    fprintf(out, "</defs>\n");
    writeTitle(out, brick, title);
    const Layout layout = layoutOf(brick);
    for (int v = 0; v < VIEW_COUNT; ++v) {
        writePanel(out, brick, v, layout);
    }
    writeNotes(out, brick);
    fprintf(out, "</svg>\n");
}

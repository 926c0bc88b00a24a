#include "svgPicture.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double PANEL_SIZE = 300.0;
constexpr double PANEL_GAP = 20.0;
constexpr double TITLE_HEIGHT = 40.0;
constexpr double LABEL_HEIGHT = 24.0;
constexpr double DRAWING_MARGIN = 30.0;  // inside a panel, around the drawing
constexpr int VIEW_COUNT = 4;
constexpr int BOX_CORNERS = 8;
constexpr double BLEND_OPACITY = 0.6;
constexpr double BLEND_ALPHA = -1.0;  // alpha of additive and subtractive colours, as written
constexpr double TITLE_TEXT_LIMIT = 200;

// A view: screen right, screen up and the direction away from the viewer.
struct View {
    const char* name;
    double right[3];
    double up[3];
    double away[3];
};

const double ISO_R = 1.0 / std::sqrt(2.0);
const double ISO_U = 1.0 / std::sqrt(6.0);
const double ISO_A = 1.0 / std::sqrt(3.0);

const View VIEWS[VIEW_COUNT] = {
    {"top", {1, 0, 0}, {0, 1, 0}, {0, 0, -1}},
    {"front", {1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {"side", {0, 1, 0}, {0, 0, 1}, {-1, 0, 0}},
    {"isometric", {ISO_R, ISO_R, 0}, {-ISO_U, ISO_U, 2 * ISO_U}, {-ISO_A, ISO_A, -ISO_A}},
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

// Where a view's drawing lands: model units to panel pixels.
struct Frame {
    double scale;
    double centerRight;
    double centerUp;
    double panelLeft;
};

double screenX(const Frame& frame, const View& view, const double* p) {
    return frame.panelLeft + PANEL_SIZE / 2 +
           (dot(p, view.right) - frame.centerRight) * frame.scale;
}

double screenY(const Frame& frame, const View& view, const double* p) {
    return TITLE_HEIGHT + PANEL_SIZE / 2 - (dot(p, view.up) - frame.centerUp) * frame.scale;
}

// The eight corners of the brick's extent, centred on the origin.
void extentCorners(const BrickFile& brick, double corners[BOX_CORNERS][3]) {
    for (int i = 0; i < BOX_CORNERS; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            const double half = brick.size[axis] / 2.0;
            corners[i][axis] = (i >> axis) & 1 ? half : -half;
        }
    }
}

void boxCorners(const PreviewBox& box, double corners[BOX_CORNERS][3]) {
    for (int i = 0; i < BOX_CORNERS; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            const double half = box.size[axis] / 2.0;
            corners[i][axis] = box.center[axis] + ((i >> axis) & 1 ? half : -half);
        }
    }
}

// One scale for every view, so that the panels compare: the largest extent
// over all views of the quads and the brick's extent fits a panel.
double commonScale(const BrickFile& brick, double centers[VIEW_COUNT][2]) {
    double largest = 0;
    for (int v = 0; v < VIEW_COUNT; ++v) {
        double low[2] = {HUGE_VAL, HUGE_VAL};
        double high[2] = {-HUGE_VAL, -HUGE_VAL};
        auto include = [&](const double* p) {
            const double along[2] = {dot(p, VIEWS[v].right), dot(p, VIEWS[v].up)};
            for (int k = 0; k < 2; ++k) {
                low[k] = std::min(low[k], along[k]);
                high[k] = std::max(high[k], along[k]);
            }
        };
        double extent[BOX_CORNERS][3];
        extentCorners(brick, extent);
        for (const auto& corner : extent) include(corner);
        for (int q = 0; q < brick.quadCount; ++q) {
            if (!isDrawable(brick.quads[q])) continue;
            for (const auto& corner : brick.quads[q].position) include(corner);
        }
        for (int k = 0; k < 2; ++k) {
            centers[v][k] = (low[k] + high[k]) / 2;
            largest = std::max(largest, high[k] - low[k]);
        }
    }
    const double room = PANEL_SIZE - 2 * DRAWING_MARGIN;
    return largest > 0 && std::isfinite(largest) ? room / largest : 1.0;
}

int channel(double fraction) {
    const double clamped = std::min(1.0, std::max(0.0, std::fabs(fraction)));
    return static_cast<int>(std::lround(clamped * 255));
}

// The grey of a quad without colours: lit from above, front and left.
int shadeOfNormal(const PreviewQuad& quad) {
    double mean[3] = {0, 0, 0};
    for (const auto& normal : quad.normal) {
        for (int axis = 0; axis < 3; ++axis) mean[axis] += normal[axis];
    }
    const double length = std::sqrt(dot(mean, mean));
    if (!(length > 0) || !std::isfinite(length)) {
        return 160;
    }
    const double light[3] = {-0.3, -0.5, 0.8};
    const double lightLength = std::sqrt(dot(light, light));
    const double facing = std::fabs(dot(mean, light)) / (length * lightLength);
    return static_cast<int>(std::lround(255 * (0.35 + 0.6 * facing)));
}

void writeQuadPolygon(FILE* out, const PreviewQuad& quad, const View& view, const Frame& frame) {
    int red = 0, green = 0, blue = 0;
    double opacity = 1.0;
    const char* stroke = "#333333";
    const char* kind = "";
    if (quad.hasColors) {
        double mean[4] = {0, 0, 0, 0};
        for (const auto& color : quad.color) {
            for (int k = 0; k < 4; ++k) mean[k] += color[k] / QUAD_CORNERS;
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
        red = green = blue = shadeOfNormal(quad);
    }
    fprintf(out, "<polygon class=\"quad%s\" points=\"", kind);
    for (int corner = 0; corner < QUAD_CORNERS; ++corner) {
        fprintf(out, "%s%.2f,%.2f", corner ? " " : "", screenX(frame, view, quad.position[corner]),
                screenY(frame, view, quad.position[corner]));
    }
    fprintf(out, "\" fill=\"#%02x%02x%02x\" fill-opacity=\"%.2f\" stroke=\"%s\"%s/>\n", red, green,
            blue, opacity, stroke, *kind ? " stroke-width=\"1.5\" stroke-dasharray=\"3 2\"" : "");
}

double quadDistance(const PreviewQuad& quad, const View& view) {
    double sum = 0;
    for (const auto& corner : quad.position) sum += dot(corner, view.away);
    return sum / QUAD_CORNERS;
}

void writeQuads(FILE* out, const BrickFile& brick, const View& view, const Frame& frame) {
    static int order[MAX_PREVIEW_QUADS];
    static double distance[MAX_PREVIEW_QUADS];
    int count = 0;
    for (int q = 0; q < brick.quadCount; ++q) {
        if (isDrawable(brick.quads[q])) {
            distance[q] = quadDistance(brick.quads[q], view);
            order[count++] = q;
        }
    }
    // Farthest first, so that nearer quads cover them; ties keep file order.
    std::stable_sort(order, order + count, [](int a, int b) { return distance[a] > distance[b]; });
    for (int i = 0; i < count; ++i) {
        writeQuadPolygon(out, brick.quads[order[i]], view, frame);
    }
}

void writeBoxOutline(FILE* out, const double corners[BOX_CORNERS][3], const View& view,
                     const Frame& frame, const char* attributes) {
    for (int i = 0; i < BOX_CORNERS; ++i) {
        if (!isFinitePoint(corners[i])) return;
    }
    fprintf(out, "<path %s d=\"", attributes);
    int edges = 0;
    for (int a = 0; a < BOX_CORNERS; ++a) {
        for (int axis = 0; axis < 3; ++axis) {
            const int b = a | (1 << axis);
            if (b == a) continue;
            fprintf(out, "%sM%.2f,%.2f L%.2f,%.2f", edges++ ? " " : "",
                    screenX(frame, view, corners[a]), screenY(frame, view, corners[a]),
                    screenX(frame, view, corners[b]), screenY(frame, view, corners[b]));
        }
    }
    fprintf(out, "\"/>\n");
}

void writePanel(FILE* out, const BrickFile& brick, int v, const Frame& frame) {
    const View& view = VIEWS[v];
    fprintf(out, "<g class=\"view\" id=\"%s\" clip-path=\"url(#clip%d)\">\n", view.name, v);
    fprintf(out,
            "<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" fill=\"#f4f4f0\" "
            "stroke=\"#999999\"/>\n",
            frame.panelLeft, TITLE_HEIGHT, PANEL_SIZE, PANEL_SIZE);
    writeQuads(out, brick, view, frame);
    for (int b = 0; b < brick.boxCount; ++b) {
        double corners[BOX_CORNERS][3];
        boxCorners(brick.boxes[b], corners);
        writeBoxOutline(out, corners, view, frame,
                        "class=\"collision\" fill=\"none\" stroke=\"#d02020\" "
                        "stroke-width=\"1.2\" stroke-dasharray=\"6 4\"");
    }
    double extent[BOX_CORNERS][3];
    extentCorners(brick, extent);
    writeBoxOutline(out, extent, view, frame,
                    "class=\"extent\" fill=\"none\" stroke=\"#2040a0\" stroke-width=\"0.6\"");
    double labelAt[3] = {extent[BOX_CORNERS - 1][0], extent[BOX_CORNERS - 1][1],
                         extent[BOX_CORNERS - 1][2]};
    fprintf(out,
            "<text class=\"size\" x=\"%.2f\" y=\"%.2f\" font-size=\"11\" fill=\"#2040a0\">"
            "%d x %d x %d</text>\n",
            std::min(screenX(frame, view, labelAt) + 4, frame.panelLeft + PANEL_SIZE - 70),
            std::max(screenY(frame, view, labelAt) - 4, TITLE_HEIGHT + 12), brick.size[0],
            brick.size[1], brick.size[2]);
    fprintf(out, "</g>\n");
    fprintf(out, "<text x=\"%.2f\" y=\"%.2f\" font-size=\"14\" text-anchor=\"middle\">%s</text>\n",
            frame.panelLeft + PANEL_SIZE / 2, TITLE_HEIGHT + PANEL_SIZE + 18, view.name);
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

}  // namespace

void writeSvgPicture(FILE* out, const BrickFile& brick, const char* title) {
    const double width = VIEW_COUNT * PANEL_SIZE + (VIEW_COUNT + 1) * PANEL_GAP;
    const double height = TITLE_HEIGHT + PANEL_SIZE + LABEL_HEIGHT + PANEL_GAP;
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
    fprintf(out, "</defs>\n<text class=\"title\" x=\"%.0f\" y=\"26\" font-size=\"16\">", PANEL_GAP);
    writeEscaped(out, title);
    fprintf(out, " &#8212; %d quads &#8212; size %d x %d x %d</text>\n", brick.quadCount,
            brick.size[0], brick.size[1], brick.size[2]);
    double centers[VIEW_COUNT][2];
    const double scale = commonScale(brick, centers);
    for (int v = 0; v < VIEW_COUNT; ++v) {
        const Frame frame{scale, centers[v][0], centers[v][1],
                          PANEL_GAP + v * (PANEL_SIZE + PANEL_GAP)};
        writePanel(out, brick, v, frame);
    }
    fprintf(out, "</svg>\n");
}

// SPDX-License-Identifier: MIT
#include "advice.h"

#include <cstring>

#include "meshStore.h"
#include "platformFiles.h"
#include "textScan.h"

namespace {

bool hasCode(const Message& message, const char* code) {
    return strcmp(message.code, code) == 0;
}

bool hasExtension(const char* path, const char* const* extensions) {
    const char* extension = findExtension(path);
    for (int i = 0; extension != nullptr && extensions[i] != nullptr; ++i) {
        if (equalsIgnoringCase(extension, extensions[i])) {
            return true;
        }
    }
    return false;
}

constexpr const char* MESH_FORMATS[] = {".stl", ".fbx",  ".3ds", ".ply", ".3mf", ".step", ".stp",
                                        ".dae", ".gltf", ".glb", ".x3d", ".wrl", ".lwo",  nullptr};
constexpr const char* BLENDER_FILES[] = {".blend", nullptr};
constexpr const char* BRICK_FILES[] = {".tkm", ".svg", nullptr};
constexpr const char* DXF_FILES[] = {".dxf", nullptr};
constexpr const char* RDS_FILES[] = {".rds", nullptr};

const char* unsupportedTypeAdvice(const char* model) {
    if (isExistingFolder(model)) {
        return "this is a folder: give the model files in it, not the folder";
    }
    if (hasExtension(model, BLENDER_FILES)) {
        return "export the model as OBJ (File > Export > Wavefront (.obj)), or use the "
               "Blender add-on, which writes the brick itself";
    }
    if (hasExtension(model, MESH_FORMATS)) {
        return "open it in a modeller such as Blender and export it as OBJ (or save it as "
               "DXF from a CAD program)";
    }
    if (hasExtension(model, BRICK_FILES)) {
        return "this is a brick file: give it to tkmpreview (drop it on tkmpreview.exe) to "
               "see it";
    }
    return "dxf2tkm reads .obj, .dxf and .rds models: export the model as OBJ";
}

bool storeHasTriangles(const MeshStore& store) {
    for (int i = 0; i < store.quadCount && i < MAX_QUADS; ++i) {
        const BrickQuad& quad = store.quads[i];
        if (quad.position[3].x <= UNSET_THRESHOLD || quad.position[3] == quad.position[2]) {
            return true;
        }
    }
    return false;
}

void quadLimitAdvice(const Report& report, char* advice) {
    const bool paired = report.store != nullptr && report.store->quadLimit > MAX_QUADS;
    const bool triangles = report.store != nullptr && !paired && storeHasTriangles(*report.store);
    snprintf(advice, ADVICE_CAPACITY,
             "the model needs more than the %d quads a brick holds: %sreduce its faces with a "
             "modeller's Decimate (the Blender add-on warns before it exports), or use the "
             "browser page's Simplify to fit",
             paired ? report.store->quadLimit : MAX_QUADS,
             triangles ? "pair its triangles into quads (--pair, up to 1024 faces), or " : "");
}

void noPolygonsAdvice(const Report& report, char* advice) {
    const int32_t vertices = report.store != nullptr ? report.store->vertexCount : 0;
    const int32_t flatQuads = report.store != nullptr ? report.store->quadCount : 0;
    const int32_t dropped = report.stats != nullptr ? report.stats->degenerateCount : 0;
    if (flatQuads > 0) {
        snprintf(advice, ADVICE_CAPACITY,
                 "every face lies on a line or a point (it has no area): check the model's "
                 "coordinates and its units");
    } else if (dropped > 0) {
        snprintf(advice, ADVICE_CAPACITY,
                 "all %d faces were dropped (see the messages above): give every face three "
                 "corners that can be read",
                 dropped);
    } else if (vertices > 0) {
        snprintf(advice, ADVICE_CAPACITY,
                 "%d vertices, no faces: export the model with its faces (points, edges and "
                 "curves make none)",
                 vertices);
    } else if (hasExtension(report.modelName, DXF_FILES)) {
        snprintf(advice, ADVICE_CAPACITY,
                 "the drawing holds no 3D faces: save the model as 3DFACE entities, polyface "
                 "or polygon meshes, or MESH entities");
    } else if (hasExtension(report.modelName, RDS_FILES)) {
        snprintf(advice, ADVICE_CAPACITY,
                 "the file holds no Pmsh, Posn and Pgon lines: is it a mesh dump?");
    } else {
        snprintf(advice, ADVICE_CAPACITY,
                 "the file holds no OBJ lines at all (no v and f lines): is it a model? Export "
                 "the model as Wavefront OBJ");
    }
}

struct FixedAdvice {
    const char* code;
    const char* advice;
};

constexpr FixedAdvice FIXED_ADVICE[] = {
    {"vertex-limit", "reduce the model's vertices with a modeller's Decimate"},
    {"normal-limit", "export without normals, or reduce the model with Decimate"},
    {"collision-limit", "a brick holds at most 10 collision boxes: join some of them"},
    {"bad-face", "export the model again as OBJ: a corner is not a vertex index"},
    {"bad-index", "a face names a vertex or normal before the first: export the model again"},
    {"index-out-of-range", "a face names a vertex the model does not have: export it again"},
    {"skipped-polygon", "only polygons of 3 or 4 corners are read: triangulate the mesh"},
    {"position-outside-vertex", "a Posn line must follow the VerD line of its vertex"},
    {"bad-polygon", "a Pgon line needs as many vertex numbers as PgSz says, joined by commas"},
    {"flat-drawing",
     "extrude the sketch into a solid (EXTRUDE), convert the solid into a mesh (MESHSMOOTH, "
     "smoothness 0) and save the drawing again"},
    {"path-too-long", "move the model to a folder with a shorter path"},
    {"open-failed", "check that the file exists and that you may read it"},
    {"write-failed", "check that the folder exists, you may write to it and it has room"},
};

}  // namespace

void writeAdvice(Message& message, const Report& report) {
    message.advice[0] = '\0';
    if (hasCode(message, "unsupported-type")) {
        snprintf(message.advice, ADVICE_CAPACITY, "%s", unsupportedTypeAdvice(report.modelName));
    } else if (hasCode(message, "quad-limit") || hasCode(message, "quad-limit-after-pairing")) {
        quadLimitAdvice(report, message.advice);
    } else if (hasCode(message, "no-polygons")) {
        noPolygonsAdvice(report, message.advice);
    } else {
        for (const FixedAdvice& fixed : FIXED_ADVICE) {
            if (hasCode(message, fixed.code)) {
                snprintf(message.advice, ADVICE_CAPACITY, "%s", fixed.advice);
            }
        }
    }
}

const char* shorterPersonText(const Message& message) {
    if (hasCode(message, "unsupported-type")) {
        return "ERROR: not a model dxf2tkm reads";
    }
    if (hasCode(message, "open-failed")) {
        return "ERROR: failed to open the file";
    }
    return nullptr;
}

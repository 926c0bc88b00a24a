// SPDX-License-Identifier: MIT
#include "dxfReader.h"

#include <cstdlib>
#include <cstring>

#include "groupNames.h"
#include "lineReader.h"
#include "polygonFan.h"
#include "textScan.h"
#include "textSink.h"

namespace {

constexpr int32_t NO_GROUP_CODE = -999;  // the next line is a code line
constexpr int32_t ENTITY_TYPE_CODE = 0;
constexpr int32_t LAYER_NAME_CODE = 8;
constexpr int32_t COLOR_NUMBER_CODE = 62;
constexpr int32_t FIRST_X_CODE = 10;
constexpr int32_t FIRST_Y_CODE = 20;
constexpr int32_t FIRST_Z_CODE = 30;
constexpr int32_t AXIS_CODE_STEP = FIRST_Y_CODE - FIRST_X_CODE;  // also Z's from Y's
// Codes 70 to 74: the flags of a POLYLINE or VERTEX; a polygon mesh's M and N
// (71, 72); the vertex numbers of a polyface face's corners 0 to 3 (71 to 74).
constexpr int32_t FLAGS_CODE = 70;
constexpr int MESH_CODE_COUNT = 5;
constexpr int FLAGS = 0;  // indices into DxfEntity::meshCodes
constexpr int MESH_M = 1;
constexpr int MESH_N = 2;
constexpr int FIRST_CORNER_NUMBER = 1;
// A MESH's counts and lists: its subdivision level (91), vertex count (92),
// face list size (93) and the face list's values (90).
constexpr int32_t FACE_VALUE_CODE = 90;
constexpr int32_t SUBDIVISION_LEVEL_CODE = 91;
constexpr int32_t VERTEX_COUNT_CODE = 92;
constexpr int32_t FACE_LIST_SIZE_CODE = 93;
// A MESH's face list: each face its corner count, then as many vertex
// numbers. A closed triangle mesh of 4096 vertices has about 8192 faces of 4
// values; values past the table's end are not kept, with a warning.
constexpr int32_t MAX_MESH_FACE_VALUES = 8 * MAX_VERTICES;
constexpr int MIN_FACE_CORNERS = 3;  // a MESH face of fewer makes no quad

constexpr const char* FACE_ENTITY = "3DFACE";
constexpr const char* POLYLINE_ENTITY = "POLYLINE";
constexpr const char* VERTEX_ENTITY = "VERTEX";
constexpr const char* MESH_ENTITY = "MESH";
constexpr const char* BINARY_SENTINEL = "AutoCAD Binary DXF";

// POLYLINE flags.
constexpr uint32_t CLOSED_IN_M = 1;
constexpr uint32_t SMOOTHED_MESH = 4;
constexpr uint32_t POLYGON_MESH = 16;
constexpr uint32_t CLOSED_IN_N = 32;
constexpr uint32_t POLYFACE_MESH = 64;
// VERTEX flags: a polyface mesh's vertex has both, its face record 128 alone.
constexpr uint32_t POLYFACE_VERTEX = 64;
constexpr uint32_t POLYFACE_RECORD = 128;

constexpr int32_t MIN_MESH_SIDE = 2;  // a polygon mesh's M and N at least
constexpr uint32_t ALL_COORDINATES_GIVEN = 0xfff;
constexpr uint32_t CORNER_COORDINATES = 0x7;  // a corner's x, y and z bits

// Entity types the converter cannot read; each one found is counted, and
// named in a warning at the input's end.
constexpr const char* UNREAD_TYPES[] = {
    "3DSOLID",         "BODY",          "REGION",          "SURFACE",      "PLANESURFACE",
    "EXTRUDEDSURFACE", "LOFTEDSURFACE", "REVOLVEDSURFACE", "SWEPTSURFACE", "INSERT"};
constexpr int UNREAD_TYPE_COUNT = sizeof UNREAD_TYPES / sizeof UNREAD_TYPES[0];
constexpr int INSERT_TYPE = UNREAD_TYPE_COUNT - 1;

// Entity types of a flat drawing; counted, and named in a warning at the
// input's end when the drawing has no face at all. A POLYLINE that opens no
// mesh counts too.
constexpr const char* FLAT_TYPES[] = {"LINE",   "LWPOLYLINE", "ARC",      "CIRCLE", "ELLIPSE",
                                      "SPLINE", "POINT",      "SOLID",    "TRACE",  "HATCH",
                                      "TEXT",   "MTEXT",      "DIMENSION"};

enum class EntityKind { Face, Polyline, Vertex, Mesh, Other };
enum class MeshKind { None, Polyface, Polygon };

// The entity being read, from its group-0 pair to the next one.
struct DxfEntity {
    EntityKind kind;
    bool hasLayer;
    char layer[LINE_BUFFER_SIZE];        // its last code-8 value
    int32_t meshCodes[MESH_CODE_COUNT];  // codes 70 to 74; 0 when not given
    Vec3 point;                          // a VERTEX's codes 10, 20, 30
    uint32_t givenCoordinates;           // a 3DFACE's: bit 3 * corner + axis
    BrickQuad* face;                     // a 3DFACE's quad, in the store
};

// A POLYLINE mesh, from the POLYLINE's end up to the next entity that is not
// a VERTEX. Its vertices are store.vertices[0 .. store.vertexCount - 1].
struct OpenMesh {
    MeshKind kind;
    uint32_t flags;
    int32_t m;
    int32_t n;
    char layer[LINE_BUFFER_SIZE];  // the POLYLINE's
};

// A MESH entity's counts as read so far. Its vertices are
// store.vertices[0 .. store.vertexCount - 1], its face list
// meshFaceValues[0 .. faceValueCount - 1] as far as the table holds them.
struct MeshEntityCounts {
    int32_t vertexLimit;       // the latest code 92: vertices a code 10 may start
    bool faceListStarted;      // a code 93 was read
    int32_t faceListSize;      // the latest code 93
    int32_t faceValueCount;    // code-90 values taken into the face list
    int32_t subdivisionLevel;  // the latest code 91
};

// The face list of the MESH being read; static, as it is large.
int32_t meshFaceValues[MAX_MESH_FACE_VALUES];

struct DxfReaderState {
    int32_t groupCode = NO_GROUP_CODE;
    DxfEntity entity{EntityKind::Other, false, "", {}, Vec3(), 0, nullptr};
    OpenMesh mesh{MeshKind::None, 0, 0, 0, ""};
    MeshEntityCounts meshEntity{0, false, 0, 0, 0};
    char collisionLayers[MAX_COLLISION_BOXES][LINE_BUFFER_SIZE]{};  // box k's layer
    int32_t unreadCounts[UNREAD_TYPE_COUNT]{};
    int32_t flatCount = 0;       // entities of a flat drawing
    bool quadAnnounced = false;  // "Getting poly" was printed
};

// Decodes a corner coordinate code (10-13, 20-23, 30-33) into its axis (0 for
// x, 1 for y, 2 for z) and corner; false for every other code.
bool decodeCornerCode(int32_t code, int& axis, int& corner) {
    // Below 10 the difference wraps to a large value, without an overflow.
    const uint32_t offset = static_cast<uint32_t>(code) - static_cast<uint32_t>(FIRST_X_CODE);
    if (offset >= static_cast<uint32_t>(FIRST_Z_CODE + CORNERS_PER_QUAD - FIRST_X_CODE)) {
        return false;
    }
    axis = static_cast<int>(offset / AXIS_CODE_STEP);
    corner = static_cast<int>(offset % AXIS_CODE_STEP);
    return corner < CORNERS_PER_QUAD;
}

// A Vec3's coordinates by axis, for a store without a branch per axis.
constexpr float Vec3::*const AXIS_MEMBERS[] = {&Vec3::x, &Vec3::y, &Vec3::z};

void storeCoordinate(Vec3& position, int axis, float value) {
    position.*AXIS_MEMBERS[axis] = value;
}

// "Entity type %s" and "Getting poly %d", one or two for every entity,
// gathered in the sink.
void traceEntity(const char* line, ModelLog& log) {
    static constexpr char PREFIX[] = "Entity type ";
    sinkText(log, PREFIX, sizeof PREFIX - 1);
    sinkText(log, line, strlen(line));
    sinkText(log, "\n", 1);
}

void traceFace(int32_t quadCount, ModelLog& log) {
    static constexpr char PREFIX[] = "Getting poly ";
    sinkIntLine(log, PREFIX, sizeof PREFIX - 1, quadCount);
}

void copyName(char (&target)[LINE_BUFFER_SIZE], const char* name) {
    size_t length = strlen(name);
    if (length > static_cast<size_t>(MAX_LINE_LENGTH)) {
        length = static_cast<size_t>(MAX_LINE_LENGTH);
    }
    memcpy(target, name, length);
    target[length] = '\0';
}

// Announces quad quadCount and takes its slot; false at the quad limit.
bool startQuad(DxfReaderState& state, MeshStore& store, ModelLog& log) {
    traceFace(store.quadCount, log);
    state.quadAnnounced = true;
    if (quadTableFull(store)) {
        reportFatal(log, "quad-limit", NO_LINE, "ERROR: > %d quads\n", store.quadLimit);
        return false;
    }
    ++store.quadCount;
    return true;
}

// The box of a COLLISION layer: the one its name opened, or a new one; -1
// (after the message) when ten names have their boxes already.
int collisionBoxOf(const char* layer, DxfReaderState& state, MeshStore& store, ModelLog& log) {
    for (int box = 0; box < store.collisionCount && box < MAX_COLLISION_BOXES; ++box) {
        if (strcmp(state.collisionLayers[box], layer) == 0) {
            return box;
        }
    }
    if (store.collisionCount >= MAX_COLLISION_BOXES) {
        reportFatal(log, "collision-limit", NO_LINE, "ERROR: > %d collision meshes",
                    MAX_COLLISION_BOXES);
        return -1;
    }
    copyName(state.collisionLayers[store.collisionCount], layer);
    return store.collisionCount++;
}

// Widens a box by the corners of quad whose three coordinates were all given.
void widenByGivenCorners(Vec3& boxMin, Vec3& boxMax, const BrickQuad& quad, uint32_t given) {
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        const uint32_t cornerBits = CORNER_COORDINATES << (3 * corner);
        if ((given & cornerBits) == cornerBits) {
            widenBox(boxMin, boxMax, quad.position[corner]);
        }
    }
}

// What the layer of the newest quad makes of it: a colour for its corners,
// or a box that takes its given corners in place of the quad. False after
// the message of an 11th collision layer.
bool applyLayer(const char* layer, uint32_t given, DxfReaderState& state, MeshStore& store,
                ModelLog& log) {
    BrickQuad& quad = store.quads[store.quadCount - 1];
    const GroupName group = readGroupName(layer);
    if (group.kind == GroupKind::Color) {
        for (QuadColor& color : quad.color) {
            color = group.color;
        }
        return true;
    }
    if (group.kind == GroupKind::Bounds) {
        widenByGivenCorners(store.boundsMin, store.boundsMax, quad, given);
    } else if (group.kind == GroupKind::Collision) {
        const int box = collisionBoxOf(layer, state, store, log);
        if (box < 0) {
            return false;
        }
        widenByGivenCorners(store.collisionMin[box], store.collisionMax[box], quad, given);
    } else {
        return true;
    }
    quad = BrickQuad();  // taken back: the next quad gets its slot and its number
    --store.quadCount;
    return true;
}

bool addMeshVertex(const Vec3& point, MeshStore& store, ModelLog& log) {
    if (store.vertexCount >= MAX_VERTICES) {
        reportFatal(log, "vertex-limit", NO_LINE, "ERROR: > %d verts!\n", MAX_VERTICES);
        return false;
    }
    store.vertices[store.vertexCount++] = point;
    return true;
}

// A polyface face record: its corners are vertex numbers, from 1; a minus
// sign marks a hidden edge. A number that names no vertex read so far leaves
// its corner unset.
bool readFaceRecord(DxfReaderState& state, MeshStore& store, ModelLog& log) {
    if (!startQuad(state, store, log)) {
        return false;
    }
    BrickQuad& quad = store.quads[store.quadCount - 1];
    uint32_t given = 0;
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        const int32_t number = state.entity.meshCodes[FIRST_CORNER_NUMBER + corner];
        if (number == INT32_MIN || number == 0 || abs(number) > store.vertexCount) {
            continue;
        }
        quad.position[corner] = store.vertices[abs(number) - 1];
        given |= CORNER_COORDINATES << (3 * corner);
    }
    const char* layer = state.entity.hasLayer ? state.entity.layer : state.mesh.layer;
    return applyLayer(layer, given, state, store, log);
}

bool finishVertex(DxfReaderState& state, MeshStore& store, ModelLog& log) {
    const uint32_t flags = static_cast<uint32_t>(state.entity.meshCodes[FLAGS]);
    if (state.mesh.kind == MeshKind::Polygon) {
        return addMeshVertex(state.entity.point, store, log);
    }
    if (state.mesh.kind != MeshKind::Polyface || (flags & POLYFACE_RECORD) == 0) {
        return true;  // a vertex of a polyline, or of no POLYLINE at all
    }
    if ((flags & POLYFACE_VERTEX) != 0) {
        return addMeshVertex(state.entity.point, store, log);
    }
    return readFaceRecord(state, store, log);
}

void openMesh(MeshKind kind, const DxfEntity& polyline, OpenMesh& mesh, MeshStore& store) {
    mesh.kind = kind;
    mesh.flags = static_cast<uint32_t>(polyline.meshCodes[FLAGS]);
    mesh.m = polyline.meshCodes[MESH_M];
    mesh.n = polyline.meshCodes[MESH_N];
    copyName(mesh.layer, polyline.layer);
    store.vertexCount = 0;
}

void countUp(int32_t& count) {
    if (count < INT32_MAX) {
        ++count;
    }
}

// A POLYLINE that opens no mesh is a line of a flat drawing.
void finishPolyline(DxfReaderState& state, MeshStore& store) {
    const DxfEntity& polyline = state.entity;
    const uint32_t flags = static_cast<uint32_t>(polyline.meshCodes[FLAGS]);
    if ((flags & POLYFACE_MESH) != 0) {
        openMesh(MeshKind::Polyface, polyline, state.mesh, store);
    } else if ((flags & POLYGON_MESH) != 0 && polyline.meshCodes[MESH_M] >= MIN_MESH_SIDE &&
               polyline.meshCodes[MESH_N] >= MIN_MESH_SIDE) {
        openMesh(MeshKind::Polygon, polyline, state.mesh, store);
    } else {
        countUp(state.flatCount);
    }
}

// The quads of a MESH face of count corners (at least three), a fan as an
// OBJ polygon's. A vertex number outside the vertices read leaves its corner
// unset.
bool addMeshFace(const int32_t* numbers, int32_t count, DxfReaderState& state, MeshStore& store,
                 ModelLog& log) {
    const int quads = fanQuadCount(count);
    for (int j = 0; j < quads; ++j) {
        if (!startQuad(state, store, log)) {
            return false;
        }
        BrickQuad& quad = store.quads[store.quadCount - 1];
        uint32_t given = 0;
        for (int slot = 0; slot < CORNERS_PER_QUAD; ++slot) {
            const int place = fanCorner(j, slot);
            if (place >= count || numbers[place] < 0 || numbers[place] >= store.vertexCount) {
                continue;
            }
            quad.position[slot] = store.vertices[numbers[place]];
            given |= CORNER_COORDINATES << (3 * slot);
        }
        if (!applyLayer(state.entity.layer, given, state, store, log)) {
            return false;
        }
    }
    return true;
}

// A MESH ends: its face list, read from the start, gives its quads. A count
// below 1 is passed over alone; a face that would run past the list's end
// ends it.
bool finishMeshEntity(DxfReaderState& state, MeshStore& store, ModelLog& log) {
    const MeshEntityCounts& counts = state.meshEntity;
    const int32_t kept =
        counts.faceValueCount < MAX_MESH_FACE_VALUES ? counts.faceValueCount : MAX_MESH_FACE_VALUES;
    int32_t at = 0;
    while (at < kept) {
        const int32_t corners = meshFaceValues[at];
        if (corners < 1) {
            ++at;
            continue;
        }
        if (corners > kept - at - 1) {
            break;
        }
        if (corners >= MIN_FACE_CORNERS &&
            !addMeshFace(&meshFaceValues[at + 1], corners, state, store, log)) {
            return false;
        }
        at += corners + 1;
    }
    if (counts.faceValueCount > MAX_MESH_FACE_VALUES) {
        reportWarning(log, "mesh-face-list-cut", NO_LINE,
                      "WARNING: MESH face list of more than %d values; the rest is ignored\n",
                      MAX_MESH_FACE_VALUES);
    }
    if (counts.subdivisionLevel > 0) {
        reportWarning(log, "mesh-subdivision", NO_LINE,
                      "WARNING: MESH subdivision level %d ignored; the control mesh is used\n",
                      counts.subdivisionLevel);
    }
    return true;
}

// Finishes the entity that ends at a group-0 pair or at the input's end.
bool finishEntity(DxfReaderState& state, MeshStore& store, ModelLog& log) {
    switch (state.entity.kind) {
        case EntityKind::Face:
            return applyLayer(state.entity.layer, state.entity.givenCoordinates, state, store, log);
        case EntityKind::Polyline:
            finishPolyline(state, store);
            return true;
        case EntityKind::Vertex:
            return finishVertex(state, store, log);
        case EntityKind::Mesh:
            return finishMeshEntity(state, store, log);
        case EntityKind::Other:
            break;
    }
    return true;
}

// Quad (i, j) of a polygon mesh of rows of n vertices: v(i, j), v(i, j + 1),
// v(i + 1, j + 1), v(i + 1, j), the indices taken modulo m and n.
bool addGridQuad(int32_t i, int32_t j, DxfReaderState& state, MeshStore& store, ModelLog& log) {
    if (!startQuad(state, store, log)) {
        return false;
    }
    const OpenMesh& mesh = state.mesh;
    const int32_t nextI = (i + 1) % mesh.m;
    const int32_t nextJ = (j + 1) % mesh.n;
    const int32_t rows[] = {i, i, nextI, nextI};
    const int32_t columns[] = {j, nextJ, nextJ, j};
    BrickQuad& quad = store.quads[store.quadCount - 1];
    for (int corner = 0; corner < CORNERS_PER_QUAD; ++corner) {
        quad.position[corner] = store.vertices[rows[corner] * mesh.n + columns[corner]];
    }
    return applyLayer(mesh.layer, ALL_COORDINATES_GIVEN, state, store, log);
}

// A polygon mesh's quads, once all its vertices are read; none, with a
// warning, when they are not m x n or the mesh is smoothed.
bool finishPolygonMesh(DxfReaderState& state, MeshStore& store, ModelLog& log) {
    const OpenMesh& mesh = state.mesh;
    const int64_t gridSize = static_cast<int64_t>(mesh.m) * mesh.n;
    if ((mesh.flags & SMOOTHED_MESH) != 0 || gridSize != store.vertexCount) {
        reportWarning(log, "skipped-mesh", NO_LINE,
                      "WARNING: polygon mesh of %d vertices skipped\n", store.vertexCount);
        return true;
    }
    const int32_t rows = (mesh.flags & CLOSED_IN_M) != 0 ? mesh.m : mesh.m - 1;
    const int32_t columns = (mesh.flags & CLOSED_IN_N) != 0 ? mesh.n : mesh.n - 1;
    for (int32_t i = 0; i < rows; ++i) {
        for (int32_t j = 0; j < columns; ++j) {
            if (!addGridQuad(i, j, state, store, log)) {
                return false;
            }
        }
    }
    return true;
}

bool finishMesh(DxfReaderState& state, MeshStore& store, ModelLog& log) {
    const MeshKind kind = state.mesh.kind;
    state.mesh.kind = MeshKind::None;
    return kind != MeshKind::Polygon || finishPolygonMesh(state, store, log);
}

// Counts an entity of a type the converter does not read, or of a flat
// drawing.
void countOtherType(const char* type, DxfReaderState& state) {
    for (int k = 0; k < UNREAD_TYPE_COUNT; ++k) {
        if (strcmp(type, UNREAD_TYPES[k]) == 0) {
            countUp(state.unreadCounts[k]);
            return;
        }
    }
    for (const char* flatType : FLAT_TYPES) {
        if (strcmp(type, flatType) == 0) {
            countUp(state.flatCount);
            return;
        }
    }
}

void startEntity(EntityKind kind, DxfEntity& entity) {
    entity.kind = kind;
    entity.hasLayer = false;
    entity.layer[0] = '\0';
    memset(entity.meshCodes, 0, sizeof entity.meshCodes);
    entity.point = Vec3();
    entity.givenCoordinates = 0;
    entity.face = nullptr;
}

// A group-0 pair: the entity before it is finished, then a mesh whose
// VERTEX entities end here, then the new entity is traced and started.
bool readEntityType(const char* line, DxfReaderState& state, MeshStore& store, ModelLog& log) {
    if (!finishEntity(state, store, log)) {
        return false;
    }
    if (state.mesh.kind != MeshKind::None && strcmp(line, VERTEX_ENTITY) != 0 &&
        !finishMesh(state, store, log)) {
        return false;
    }
    traceEntity(line, log);
    if (strcmp(line, FACE_ENTITY) == 0) {
        startEntity(EntityKind::Face, state.entity);
        if (!startQuad(state, store, log)) {
            return false;
        }
        state.entity.face = &store.quads[store.quadCount - 1];
        return true;
    }
    if (strcmp(line, VERTEX_ENTITY) == 0) {
        startEntity(EntityKind::Vertex, state.entity);
    } else if (strcmp(line, POLYLINE_ENTITY) == 0) {
        startEntity(EntityKind::Polyline, state.entity);
    } else if (strcmp(line, MESH_ENTITY) == 0) {
        startEntity(EntityKind::Mesh, state.entity);
        state.meshEntity = MeshEntityCounts{0, false, 0, 0, 0};
        store.vertexCount = 0;
    } else {
        startEntity(EntityKind::Other, state.entity);
        countOtherType(line, state);
    }
    return true;
}

// A MESH's code 10 starts its next vertex, at y = z = 0, while fewer than
// its latest code 92 have started; codes 20 and 30 set the one started last.
bool readMeshCoordinate(const char* line, int axis, DxfReaderState& state, MeshStore& store,
                        ModelLog& log) {
    if (axis != 0) {
        if (store.vertexCount > 0) {
            storeCoordinate(store.vertices[store.vertexCount - 1], axis, parseGroupValue(line));
        }
        return true;
    }
    if (store.vertexCount >= state.meshEntity.vertexLimit) {
        return true;
    }
    return addMeshVertex(Vec3(parseGroupValue(line), 0.0f, 0.0f), store, log);
}

bool readCoordinate(const char* line, int axis, int corner, DxfReaderState& state, MeshStore& store,
                    ModelLog& log) {
    DxfEntity& entity = state.entity;
    if (entity.kind == EntityKind::Face) {
        storeCoordinate(entity.face->position[corner], axis, parseGroupValue(line));
        entity.givenCoordinates |= 1u << (3 * corner + axis);
    } else if (entity.kind == EntityKind::Vertex && corner == 0) {
        storeCoordinate(entity.point, axis, parseGroupValue(line));
    } else if (entity.kind == EntityKind::Mesh && corner == 0) {
        return readMeshCoordinate(line, axis, state, store, log);
    }
    return true;
}

// A MESH's counts: the subdivision level, the vertices it may start, the
// face list's size; a code-90 value joins the face list from the first code
// 93 on, while the list holds fewer values than the latest code 93 gives.
void readMeshCount(int32_t code, const char* line, MeshEntityCounts& counts) {
    const int32_t value = parseGroupCode(line);
    if (code == SUBDIVISION_LEVEL_CODE) {
        counts.subdivisionLevel = value;
    } else if (code == VERTEX_COUNT_CODE) {
        counts.vertexLimit = value;
    } else if (code == FACE_LIST_SIZE_CODE) {
        counts.faceListStarted = true;
        counts.faceListSize = value;
    } else if (code == FACE_VALUE_CODE && counts.faceListStarted &&
               counts.faceValueCount < counts.faceListSize) {
        if (counts.faceValueCount < MAX_MESH_FACE_VALUES) {
            meshFaceValues[counts.faceValueCount] = value;
        }
        ++counts.faceValueCount;
    }
}

bool readValueLine(const char* line, DxfReaderState& state, MeshStore& store, ModelLog& log) {
    const int32_t code = state.groupCode;
    if (code == ENTITY_TYPE_CODE) {
        return readEntityType(line, state, store, log);
    }
    int axis = 0;
    int corner = 0;
    if (decodeCornerCode(code, axis, corner)) {
        return readCoordinate(line, axis, corner, state, store, log);
    }
    if (code == LAYER_NAME_CODE) {
        copyName(state.entity.layer, line);
        state.entity.hasLayer = true;
        return true;
    }
    if (code >= FLAGS_CODE && code < FLAGS_CODE + MESH_CODE_COUNT &&
        state.entity.kind != EntityKind::Face && state.entity.kind != EntityKind::Other) {
        state.entity.meshCodes[code - FLAGS_CODE] = parseGroupCode(line);
    } else if (state.entity.kind == EntityKind::Mesh) {
        readMeshCount(code, line, state.meshEntity);
    }
    if (code != COLOR_NUMBER_CODE) {
        sinkFormat(log, "unhandled groupcode %d\n", code);
    }
    return true;
}

// A line is a group code or the value that follows one, in turn; their
// numbers are not traced.
bool readDxfLine(const TextLine& textLine, DxfReaderState& state, MeshStore& store, ModelLog& log) {
    const char* line = textLine.text;
    const int lineNumber = textLine.number;
    if (lineNumber == 1 && strcmp(line, BINARY_SENTINEL) == 0) {
        reportFatal(log, "binary-dxf", NO_LINE,
                    "ERROR: binary DXF is not supported; save the drawing as ASCII DXF\n");
        return false;
    }
    if (state.groupCode == NO_GROUP_CODE) {
        state.groupCode = parseGroupCode(line);
        return true;
    }
    const bool completed = readValueLine(line, state, store, log);
    state.groupCode = NO_GROUP_CODE;
    return completed;
}

void warnOfUnreadEntities(const DxfReaderState& state, ModelLog& log) {
    for (int k = 0; k < INSERT_TYPE; ++k) {
        if (state.unreadCounts[k] > 0) {
            reportWarning(
                log, "unread-entities", NO_LINE,
                "WARNING: %d %s entities are not read; explode them into 3DFACE entities\n",
                state.unreadCounts[k], UNREAD_TYPES[k]);
        }
    }
    if (state.unreadCounts[INSERT_TYPE] > 0) {
        reportWarning(log, "unexpanded-inserts", NO_LINE,
                      "WARNING: %d INSERT entities (block references) are not expanded; explode "
                      "them into 3DFACE entities\n",
                      state.unreadCounts[INSERT_TYPE]);
    }
}

// A drawing of lines, arcs, texts and the like, without a single face.
void warnOfFlatDrawing(const DxfReaderState& state, ModelLog& log) {
    if (state.quadAnnounced || state.flatCount == 0) {
        return;
    }
    reportWarning(log, "flat-drawing", NO_LINE,
                  "WARNING: %d 2D entities and no 3D faces; a brick needs 3D faces (3DFACE, "
                  "polyface or polygon mesh, MESH)\n",
                  state.flatCount);
}

// The last entity and an open mesh end with the input. BOUNDS faces give the
// brick its size as an OBJ model's BOUNDS group does, also in a drawing whose
// faces all lay on BOUNDS and COLLISION layers: its brick holds boxes only.
bool finishDxfInput(DxfReaderState& state, MeshStore& store, ModelLog& log) {
    if (!finishEntity(state, store, log)) {
        return false;
    }
    if (state.mesh.kind != MeshKind::None && !finishMesh(state, store, log)) {
        return false;
    }
    settleDeclaredSize(store);
    warnOfUnreadEntities(state, log);
    warnOfFlatDrawing(state, log);
    return true;
}

}  // namespace

int32_t parseGroupCode(const char* line) {
    int32_t code = 0;
    scanInt(line, code);
    return code;
}

float parseGroupValue(const char* line) {
    return toFloat32(scanPaddedDouble(line));
}

bool readDxfFile(LineReader& lines, MeshStore& store, Report& report) {
    DxfReaderState state;
    return readEveryLine<readDxfLine, finishDxfInput>(lines, report, state, store);
}

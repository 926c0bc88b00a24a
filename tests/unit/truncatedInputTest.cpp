// SPDX-License-Identifier: MIT
// Every prefix of a valid model must be read, finished and written cleanly.
#include <gtest/gtest.h>

#include <string>

#include "brickWriter.h"
#include "driver.h"
#include "testSupport.h"

namespace {

void convertEveryPrefix(const std::string& path, ModelFormat format) {
    const std::string model = fileText(path);
    ASSERT_FALSE(model.empty()) << path;
#ifdef _WIN32
    FILE* sink = fopen("NUL", "w");
#else
    FILE* sink = fopen("/dev/null", "w");
#endif
    Workspace& ws = testWorkspace();
    const MeshStore& store = ws.store;
    for (size_t length = 0; length <= model.size(); ++length) {
        startModel(ws, "model", ReportStyle::Trace, sink);
        FILE* input = streamWithText(model.substr(0, length));
        const ConvertOutcome outcome = convertModel(ws, input, format);
        fclose(input);
        ASSERT_NE(outcome, ConvertOutcome::ReaderStopped) << path << " prefix " << length;
        ASSERT_LE(store.quadCount, MAX_QUADS);
        ASSERT_GE(store.collisionCount, 1);
        if (outcome == ConvertOutcome::BrickReady) {
            writeBrickText(sink, store);
        }
    }
    fclose(sink);
}

TEST(TruncatedInputTest, EveryPrefixOfTheObjExample) {
    convertEveryPrefix(std::string(EXAMPLES_DIR) + "/wedge.obj", ModelFormat::Obj);
}

TEST(TruncatedInputTest, EveryPrefixOfTheRdsExample) {
    convertEveryPrefix(std::string(EXAMPLES_DIR) + "/steps.rds", ModelFormat::Rds);
}

TEST(TruncatedInputTest, EveryPrefixOfTheDxfExamplesAndACadFile) {
    convertEveryPrefix(std::string(EXAMPLES_DIR) + "/roof.dxf", ModelFormat::Dxf);
    convertEveryPrefix(std::string(EXAMPLES_DIR) + "/stud.dxf", ModelFormat::Dxf);
    convertEveryPrefix(dataPath("corpus/ezdxf__Minimal_DXF_AC1006.dxf"), ModelFormat::Dxf);
}

}  // namespace

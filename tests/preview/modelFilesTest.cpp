// SPDX-License-Identifier: MIT
// A model given to the preview is told from a broken brick by its name or its
// first line; a brick, broken or not, is never taken for a model.
#include <gtest/gtest.h>

#include <cstring>

#include "modelFiles.h"

namespace {

struct ModelCase {
    const char* path;
    const char* text;
    bool model;
};

TEST(ModelFilesTest, ModelsByNameOrFirstLine) {
    const ModelCase cases[] = {
        {"wedge.OBJ", "4 2 3\r\n", true},  // the name decides, in any letter case
        {"steps.rds", "garbage", true},
        {"wedge.obj.tkm", "", false},
        {"old.tkm", "# A wedge: a ramp\r\nv -2 -1 0\r\n", true},
        {"old.tkm", "\xEF\xBB\xBF\r\n\r\n  v -2 -1 0\n", true},
        {"old.tkm", "\tPMSH\r\nVerD\r\n", true},
        {"old.tkm", "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n", true},
        {"old.tkm", "AutoCAD Binary DXF\r\n\x1a", true},
        {"old.tkm", "0\r\n0\r\n0\r\n", false},  // a brick cut short
        {"old.tkm", "4 2\r\nSPECIALBRICK\r\n", false},
        {"old.tkm", "vertices 4\n", false},
    };
    for (const ModelCase& c : cases) {
        EXPECT_EQ(looksLikeModel(c.path, c.text, strlen(c.text)), c.model)
            << c.path << ": " << c.text;
    }
}

}  // namespace

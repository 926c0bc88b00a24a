// SPDX-License-Identifier: MIT
#include "fuzzSupport.h"

#include "driver.h"

FILE* openBytes(const uint8_t* data, size_t size) {
    if (size == 0) {
        return fopen("/dev/null", "r");
    }
    return fmemopen(const_cast<uint8_t*>(data), size, "r");
}

FILE* traceSink() {
    static FILE* sink = fopen("/dev/null", "w");
    return sink;
}

Workspace& startWorkspace() {
    static Workspace workspace;
    startModel(workspace, "model", ReportStyle::Trace, traceSink());
    return workspace;
}

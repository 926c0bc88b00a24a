#include "testSupport.h"

#include <fstream>
#include <sstream>

FILE* streamWithText(const std::string& text) {
    FILE* stream = tmpfile();
    fwrite(text.data(), 1, text.size(), stream);
    rewind(stream);
    return stream;
}

std::string takeText(FILE* stream) {
    fflush(stream);
    rewind(stream);
    std::string text;
    char chunk[4096];
    size_t count = 0;
    while ((count = fread(chunk, 1, sizeof chunk, stream)) > 0) {
        text.append(chunk, count);
    }
    fclose(stream);
    return text;
}

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string dataPath(const std::string& name) {
    return std::string(TEST_DATA_DIR) + "/" + name;
}

MeshStore& freshStore() {
    static MeshStore store;
    clearMeshStore(store);
    resetBoxes(store);
    return store;
}

ReaderRun runReader(ReaderFunction reader, const std::string& text, MeshStore& store) {
    FILE* input = streamWithText(text);
    FILE* log = tmpfile();
    const bool completed = reader(input, store, log);
    fclose(input);
    return ReaderRun{completed, takeText(log)};
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

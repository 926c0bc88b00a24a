// SPDX-License-Identifier: MIT
// readEveryInput [--generated] [FOLDER...]: the model readers, in the build with
// exact-size heap line buffers under AddressSanitizer, over numbers that end where
// a line buffer ends (--generated) and over every model or fuzz input below each
// FOLDER (a missing one skips: exit 77).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "driver.h"
#include "dxfReader.h"
#include "lineReader.h"
#include "objReader.h"
#include "rdsReader.h"

namespace {

// A format's reader, what starts a line it ignores, and the lines before a
// number that the reader takes as a value.
struct Format {
    const char* extension;
    const char* corpus;
    bool (*reader)(LineReader&, MeshStore&, Report&);
    std::string ignoredLine;
    std::string beforeNumber;
};

const Format FORMATS[] = {{".rds", "fuzzRdsReader", readRdsFile, "N", "VerD\nPosn 1,2,"},
                          {".obj", "fuzzObjReader", readObjFile, "#", "v 1 2 "},
                          {".dxf", "fuzzDxfReader", readDxfFile, "8\n", "0\n3DFACE\n10\n"}};

// Numbers whose last step of digits, point or exponent ends at the text's end.
const char* const NUMBERS =
    "7 1234567 12345678 123456789 1. .5 -12.345678 0.1234567 "
    "1234567.1234567 12345678. 1e5 1.5E-3 0x1p3 99999999999999999999 -";

FILE* traceLog = nullptr;
int inputCount = 0;

void readText(const Format& format, const std::string& text) {
    static Workspace ws;
    startModel(ws, "model", ReportStyle::Trace, traceLog);
    FILE* input = tmpfile();
    fwrite(text.data(), 1, text.size(), input);
    rewind(input);
    initLineReader(ws.lines, input);
    format.reader(ws.lines, ws.store, ws.report);
    fclose(input);
    ++inputCount;
}

// Ignored lines of length bytes in all, none over 203.
std::string filler(const Format& format, size_t length) {
    std::string text;
    for (size_t line; length > 0; length -= line) {
        line = length >= 203 ? 200 : length;
        text += format.ignoredLine + std::string(line - format.ignoredLine.size() - 1, 'x') + "\n";
    }
    return text;
}

void readGeneratedInputs() {
    for (const Format& format : FORMATS) {
        std::istringstream numbers(NUMBERS);
        for (std::string number; numbers >> number;) {
            const std::string lines = format.beforeNumber + number + "\n";
            for (size_t offset = 0; offset < 9; ++offset) {
                readText(format,
                         filler(format, INPUT_CHUNK_SIZE - offset - lines.size()) + lines + lines);
            }
            // The last line, blanks before its number making up 240 to 262
            // characters: at the input's end without a line feed (copied into
            // the line buffer), and across the chunk's end with one.
            const size_t lineStart = format.beforeNumber.rfind('\n') + 1;  // 0: none
            for (size_t length = 240; length <= 262; ++length) {
                const std::string last = format.beforeNumber +
                                         std::string(length - (lines.size() - 1 - lineStart), ' ') +
                                         number;
                readText(format, filler(format, 400) + last);
                readText(format, filler(format, INPUT_CHUNK_SIZE - 100) + last + "\n");
            }
        }
    }
    // An OBJ face line, whose cut lies at 4,095 characters, ending in a
    // corner of eight digits at 4,085 to 4,100 characters: copied at the
    // input's end, and across the chunk's end.
    const Format& obj = FORMATS[1];
    for (size_t length = 4085; length <= 4100; ++length) {
        const std::string face = "f 1 2" + std::string(length - 5 - 8, ' ') + "12345678";
        readText(obj, filler(obj, 400) + face);
        readText(obj, filler(obj, INPUT_CHUNK_SIZE - 100) + face + "\n");
    }
}

// Read as its fuzz corpus folder's target (in fuzzConversion the first byte
// chooses the format) or by its extension.
void readFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    std::string extension = path.extension().string();
    for (char& c : extension) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    const std::string folder = path.parent_path().filename().string();
    if (folder == "fuzzConversion" && !bytes.empty()) {
        const Format& format = FORMATS[static_cast<unsigned char>(bytes[0]) % 3];
        return readText(format, bytes.substr(1));
    }
    for (const Format& format : FORMATS) {
        if (folder == format.corpus || extension == format.extension) {
            return readText(format, bytes);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    traceLog = fopen("/dev/null", "w");
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--generated") {
            readGeneratedInputs();
        } else if (!std::filesystem::is_directory(argv[i])) {
            printf("SKIPPED: no folder %s\n", argv[i]);
            return 77;
        } else {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
                if (entry.is_regular_file()) {
                    readFile(entry.path());
                }
            }
        }
    }
    printf("%d inputs read\n", inputCount);
    return 0;
}

// SPDX-License-Identifier: MIT
// The padding check: runs the model readers over inputs whose numbers end
// where a line buffer ends, in the build whose line buffers are exact-size
// heap blocks (DXF2TKM_EXACT_LINE_BUFFERS), so that AddressSanitizer reports
// any read of the number scan past the padding the line reader leaves.
//
//   readEveryInput [--generated] [FOLDER...]
//
// --generated: numbers of every shape whose line ends at each of the last
// bytes of a full read chunk, and last lines without a line feed (copied into
// the line buffer) of each length around the 254 characters kept. FOLDER: every
// file below it, its format taken from its extension (.obj, .rds, .dxf in any
// letter case) or from the fuzz corpus folder it lies in (fuzzObjReader,
// fuzzRdsReader, fuzzDxfReader; in fuzzConversion the first byte chooses).
// A FOLDER that does not exist makes the run a skipped test (exit 77).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "dxfReader.h"
#include "lineReader.h"
#include "objReader.h"
#include "rdsReader.h"

namespace {

using Reader = bool (*)(FILE*, MeshStore&, FILE*);

constexpr int SKIPPED = 77;

// What one format needs: its reader, lines the reader ignores (of any length
// from 3 bytes up) and the lines that put a number last, where a value goes.
struct Format {
    const char* extension;
    Reader reader;
    std::string (*filler)(size_t length);
    std::string (*numberLines)(const std::string& number);
};

std::string objFiller(size_t length) {
    return "#" + std::string(length - 2, 'o') + "\n";
}
std::string objNumber(const std::string& number) {
    return "v 1 2 " + number + "\n";
}
std::string rdsFiller(size_t length) {
    return "N" + std::string(length - 2, 'r') + "\n";
}
std::string rdsNumber(const std::string& number) {
    return "VerD\nPosn 1,2," + number + "\n";
}
std::string dxfFiller(size_t length) {  // a layer name pair: the code line is "8"
    return "8\n" + std::string(length - 3, 'd') + "\n";
}
std::string dxfNumber(const std::string& number) {
    return "0\n3DFACE\n10\n" + number + "\n";
}

const Format FORMATS[] = {{"obj", readObjFile, objFiller, objNumber},
                          {"rds", readRdsFile, rdsFiller, rdsNumber},
                          {"dxf", readDxfFile, dxfFiller, dxfNumber}};

// Numbers whose last step of digits, point or exponent ends at the text's end.
const char* const NUMBER_SHAPES[] = {"7",
                                     "1234567",
                                     "12345678",
                                     "123456789",
                                     "1.",
                                     ".5",
                                     "-12.345678",
                                     "0.1234567",
                                     "1234567.1234567",
                                     "12345678.",
                                     "1e5",
                                     "1.5E-3",
                                     "0x1p3",
                                     "99999999999999999999",
                                     "-"};

int inputCount = 0;

// Runs reader over the bytes of text.
void readText(const Format& format, const std::string& text, FILE* log) {
    static MeshStore store;
    clearMeshStore(store);
    resetBoxes(store);
    FILE* input = tmpfile();
    if (input == nullptr) {
        perror("tmpfile");
        exit(1);
    }
    fwrite(text.data(), 1, text.size(), input);
    rewind(input);
    format.reader(input, store, log);
    fclose(input);
    ++inputCount;
}

// Filler lines of length bytes in all (each at most a line's 254 characters).
std::string fillerOf(const Format& format, size_t length) {
    constexpr size_t FILLER_LINE = 200;
    std::string text;
    while (length - text.size() > 2 * FILLER_LINE) {
        text += format.filler(FILLER_LINE);
    }
    const size_t rest = length - text.size();
    text += format.filler(rest / 2);
    text += format.filler(rest - rest / 2);
    return text;
}

void readGeneratedInputs(FILE* log) {
    constexpr size_t LAST_OFFSETS = 9;  // a line end at each of the chunk's last bytes
    for (const Format& format : FORMATS) {
        for (const char* number : NUMBER_SHAPES) {
            const std::string lines = format.numberLines(number);
            for (size_t offset = 0; offset < LAST_OFFSETS; ++offset) {
                const size_t before = INPUT_CHUNK_SIZE - offset - lines.size();
                readText(format, fillerOf(format, before) + lines + lines, log);
            }
            // The last line, without its line feed, copied: every length from
            // well below the 254 characters kept to past them, blanks before
            // the number making up the length.
            const std::string last = lines.substr(0, lines.size() - 1);
            const size_t lineStart = last.rfind('\n') + 1;  // 0 for a single line
            const size_t numberStart = last.size() - strlen(number);
            for (size_t length = 240; length <= 262; ++length) {
                const size_t blanks = length - (last.size() - lineStart);
                const std::string text =
                    last.substr(0, numberStart) + std::string(blanks, ' ') + number;
                readText(format, fillerOf(format, 400) + text, log);
                // The same line across the chunk's end, with its line feed.
                readText(format, fillerOf(format, INPUT_CHUNK_SIZE - 100) + text + "\n", log);
            }
        }
    }
}

const Format* formatOfExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    for (const Format& format : FORMATS) {
        if (extension == std::string(".") + format.extension) {
            return &format;
        }
    }
    return nullptr;
}

// Reads the file as the fuzz target of its corpus folder, or by its extension.
void readFile(const std::filesystem::path& path, FILE* log) {
    std::ifstream stream(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    const std::string folder = path.parent_path().filename().string();
    const Format* format = formatOfExtension(path);
    if (folder == "fuzzObjReader") {
        format = &FORMATS[0];
    } else if (folder == "fuzzRdsReader") {
        format = &FORMATS[1];
    } else if (folder == "fuzzDxfReader") {
        format = &FORMATS[2];
    } else if (folder == "fuzzConversion" && !bytes.empty()) {
        const Format* byFirstByte[] = {&FORMATS[1], &FORMATS[0], &FORMATS[2]};  // RDS, OBJ, DXF
        format = byFirstByte[static_cast<unsigned char>(bytes[0]) % 3];
        bytes.erase(0, 1);
    }
    if (format != nullptr) {
        readText(*format, bytes, log);
    }
}

}  // namespace

int main(int argc, char** argv) {
    FILE* log = fopen("/dev/null", "w");
    if (log == nullptr) {
        perror("/dev/null");
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--generated") == 0) {
            readGeneratedInputs(log);
            continue;
        }
        if (!std::filesystem::is_directory(argv[i])) {
            printf("SKIPPED: no folder %s\n", argv[i]);
            return SKIPPED;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
            if (entry.is_regular_file()) {
                readFile(entry.path(), log);
            }
        }
    }
    fclose(log);
    printf("%d inputs read\n", inputCount);
    return 0;
}

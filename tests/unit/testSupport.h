// Helpers shared by the unit tests: streams over text, captured logs and a
// store in the state the driver hands to a reader.
#pragma once

#include <cstdio>
#include <string>

#include "meshStore.h"

// A temporary binary stream holding text, positioned at its start.
FILE* streamWithText(const std::string& text);

// Everything written to stream so far; closes it.
std::string takeText(FILE* stream);

// The contents of a file, or "" when it cannot be read.
std::string fileText(const std::string& path);

// The path of a file under tests/data.
std::string dataPath(const std::string& name);

bool endsWith(const std::string& text, const std::string& tail);

// A store with its program-start values and the driver's reset applied.
MeshStore& freshStore();

using ReaderFunction = bool (*)(FILE*, MeshStore&, FILE*);

struct ReaderRun {
    bool completed;
    std::string log;
};

// Runs reader over text into store, capturing what it prints.
ReaderRun runReader(ReaderFunction reader, const std::string& text, MeshStore& store);

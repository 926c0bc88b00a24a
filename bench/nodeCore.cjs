// SPDX-License-Identifier: MIT
// The differential check's node side: loads the page's core (the node build
// of it, build/web/web/dxf2tkmNode.js) once and converts one model after
// another in that one process, as the page does.
//
//   node bench/nodeCore.cjs MODULE < FOLDERS
//
// Each line of standard input names a folder holding one model; the model is
// copied into the core's in-memory file system, converted with the arguments
// "dxf2tkm MODEL", and every file the run left beside it is copied back into
// the folder. For each folder one line of JSON answers: the exit status and
// the bytes of standard output and standard error, in base64.
"use strict";
const fs = require("fs");
const path = require("path");
const readline = require("readline");

const WORK = "/run";

function clearFolder(FS, folder) {
    for (const name of FS.readdir(folder)) {
        if (name !== "." && name !== "..") FS.unlink(`${folder}/${name}`);
    }
}

function convertIn(core, output, folder) {
    const { FS } = core;
    const model = fs.readdirSync(folder).find(name => name.startsWith("model."));
    clearFolder(FS, WORK);
    FS.writeFile(`${WORK}/${model}`, fs.readFileSync(path.join(folder, model)));
    output.stdout.length = 0;
    output.stderr.length = 0;
    let status;
    try {
        status = core.callMain([model]);
    } catch (error) {
        status = `threw ${error}`;
    }
    for (const name of FS.readdir(WORK)) {
        if (name !== "." && name !== ".." && name !== model) {
            fs.writeFileSync(path.join(folder, name), FS.readFile(`${WORK}/${name}`));
        }
    }
    return {
        status,
        stdout: Buffer.from(output.stdout).toString("base64"),
        stderr: Buffer.from(output.stderr).toString("base64"),
    };
}

async function main() {
    const output = { stdout: [], stderr: [] };
    const createCore = require(path.resolve(process.argv[2]));
    const core = await createCore({
        thisProgram: "dxf2tkm",
        stdout: byte => output.stdout.push(byte & 0xff),
        stderr: byte => output.stderr.push(byte & 0xff),
    });
    core.FS.mkdir(WORK);
    core.FS.chdir(WORK);
    for await (const folder of readline.createInterface({ input: process.stdin })) {
        process.stdout.write(JSON.stringify(convertIn(core, output, folder)) + "\n");
    }
}

main();

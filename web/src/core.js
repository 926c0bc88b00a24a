// SPDX-License-Identifier: MIT
// The converter's core (WebAssembly, built by the web preset from the same
// sources as the native programs), driven as the command line drives it: the
// model is written into the core's in-memory file system, the converter runs
// with the chosen options, and the brick it wrote is read back through the
// core's brick reader (what tkmpreview --dump prints). What the converter
// says about the model comes from its --json report.
/* global createDxf2tkmCore */

const WORK = "/work";
const DUMP = "/brick.txt";
const UTF8 = new TextDecoder("utf-8");

// The command line of the fitting options, as the converter reads them.
export function optionArguments(options) {
    const args = [];
    if (options.upY) args.push("--up", "y");
    if (options.scale !== 1) args.push("--scale", String(options.scale));
    if (options.place) args.push("--place");
    if (options.fit) args.push("--fit");
    if (options.pair) args.push("--pair");
    return args;
}

export function brickNameOf(name) {
    const dot = name.lastIndexOf(".");
    return (dot > 0 ? name.slice(0, dot) : name) + ".tkm";
}

function plural(count, ending) {
    return count === 1 ? "" : ending;
}

// The line quiet mode prints for a converted model.
export function summaryLine(model, brick, counts) {
    const [x, y, z] = counts.size;
    return `${model} -> ${brick}: ${counts.quads} quad${plural(counts.quads, "s")} ` +
        `(${counts.coloured} coloured, ${counts.paintable} paintable), ${counts.collisionBoxes} ` +
        `collision box${plural(counts.collisionBoxes, "es")}, size ${x} ${y} ${z}`;
}

// The --json report's object for the model (one JSON object a line).
export function readJsonReport(text, model) {
    const objects = text.split(/\r?\n/).filter(line => line.trim()).map(line => JSON.parse(line));
    const found = objects.find(object => object.model === model);
    if (!found) throw new Error(`the converter's report names no model ${model}`);
    return {
        written: found.written,
        summary: found.written ? summaryLine(model, found.brick, found) : null,
        size: found.size,
        offset: found.offset,
        messages: found.messages.map(m => ({
            severity: m.severity, code: m.code, line: m.line, advice: m.advice,
            text: m.text.replace(/^(ERROR|WARNING): /, ""),
        })),
    };
}

// The brick as the core's reader prints it: size, boxes, quads.
export function readDump(text) {
    const brick = { size: [0, 0, 0], boxes: [], quads: [] };
    let quad = null;
    for (const line of text.split("\n")) {
        const words = line.trim().split(/\s+/);
        const numbers = words.slice(1).map(Number);
        switch (words[0]) {
        case "size": brick.size = numbers; break;
        case "box": brick.boxes.push({ center: numbers.slice(0, 3), size: numbers.slice(3, 6) }); break;
        case "quad":
            quad = { section: words[1], position: [], color: [], normal: [] };
            brick.quads.push(quad);
            break;
        case "position": quad.position.push(numbers); break;
        case "color": quad.color.push(numbers); break;
        case "normal": quad.normal.push(numbers); break;
        default: break;
        }
    }
    return brick;
}

export async function loadCore() {
    const output = { stdout: [], stderr: [] };
    const core = await createDxf2tkmCore({
        thisProgram: "dxf2tkm",
        stdout: byte => output.stdout.push(byte & 0xff),
        stderr: byte => output.stderr.push(byte & 0xff),
    });
    const { FS } = core;
    FS.mkdir(WORK);
    FS.chdir(WORK);

    function run(args) {
        output.stdout.length = 0;
        output.stderr.length = 0;
        const status = core.callMain(args);
        return {
            status,
            stdout: UTF8.decode(new Uint8Array(output.stdout)),
            stderr: UTF8.decode(new Uint8Array(output.stderr)),
        };
    }

    function clearWork() {
        for (const name of FS.readdir(WORK)) {
            if (name !== "." && name !== "..") FS.unlink(`${WORK}/${name}`);
        }
    }

    // The reader's text goes into a file: read back at once, not a byte at a time.
    function readBrick(brickName) {
        const dump = run(["--dump", brickName, DUMP]);
        if (dump.status !== 0) return { brick: null, error: dump.stderr.trim() };
        return { brick: readDump(FS.readFile(DUMP, { encoding: "utf8" })), error: null };
    }

    // A core without the fitting options (an older converter) leaves them out.
    const help = run(["--help"]).stdout;
    const features = { fitting: help.includes("--place") };

    return {
        features,
        // Converts the model's bytes with options; the report, the brick's
        // bytes and the brick as read (both null when none was written).
        convert(name, bytes, options) {
            clearWork();
            FS.writeFile(`${WORK}/${name}`, bytes);
            const args = [...(features.fitting ? optionArguments(options) : []), "--json", "--", name];
            const report = readJsonReport(run(args).stdout, name);
            const brickName = brickNameOf(name);
            let brickBytes = null;
            let brick = null;
            if (report.written && FS.analyzePath(`${WORK}/${brickName}`).exists) {
                brickBytes = FS.readFile(`${WORK}/${brickName}`);
                brick = readBrick(brickName).brick;
            }
            return { report, brickName, brickBytes, brick, args };
        },
        // A brick file as it is: the brick, or why it cannot be read.
        readBrickFile(name, bytes) {
            clearWork();
            FS.writeFile(`${WORK}/${name}`, bytes);
            return readBrick(name);
        },
    };
}

// SPDX-License-Identifier: MIT
// The page: models dropped or opened, each converted by the core with its
// fitting options, its brick drawn, its report shown, its brick saved.
import { loadCore } from "./core.js";
import { createView, BOX_COLOURS } from "./view.js";
import { simplifyModel, MAX_QUADS } from "./simplify.js";

const MILLIMETRES = 0.125;
const METRES = 125;
const MODEL_TYPES = /\.(obj|rds|dxf)$/i;
const BRICK_TYPE = /\.tkm$/i;
// A sentence for each kind of file the page does not read, saying what to do.
const WRONG_FILES = [
    [/\.blend\d?$/i, "is a Blender file: in Blender choose File > Export > Wavefront (.obj) and open the .obj here (or install the add-on and export a brick)."],
    [/\.(stl|fbx|gltf|glb|3ds|ply|dae|3mf|step|stp|skp)$/i, "is a model format the converter does not read: export it from your modeller as Wavefront OBJ (.obj) or DXF (.dxf) and open that here."],
    [/\.dwg$/i, "is a DWG drawing: save it from your CAD program as ASCII DXF (.dxf), with the faces as 3DFACE entities or meshes, and open that here."],
];
const OTHER_FILE = "is not a model: open a Wavefront OBJ (.obj), DXF (.dxf) or RDS (.rds) model, or a brick file (.tkm).";
const FIX_FOR_CODE = {
    "off-origin": { option: "place", label: "Place on the origin" },
    "size-cut": { option: "fit", label: "Round the size up" },
    "y-up": { option: "upY", label: "Y is up" },
    "quad-limit": { option: "pair", label: "Pair triangles" },
};

const $ = id => document.getElementById(id);
const models = [];
let selected = null;
let core = null;
let view = null;

function defaultOptions() {
    return { upY: false, scale: 1, place: false, fit: false, pair: false };
}

function wrongFileSentence(name) {
    const match = WRONG_FILES.find(([pattern]) => pattern.test(name));
    return `${name} ${match ? match[1] : OTHER_FILE}`;
}

function convertModel(model) {
    const started = performance.now();
    const source = model.simplified ? model.simplified : { name: model.name, bytes: model.bytes };
    try {
        model.result = core.convert(source.name, source.bytes, model.options);
    } catch (error) {
        model.result = { brickName: null, brickBytes: null, brick: null, report: { written: false, summary: null,
            messages: [{ severity: "fatal", text: `the converter stopped (${error.message || error}); reload the page and try again, and please report the model` }] } };
    }
    model.convertMs = performance.now() - started;
}

async function addFile(file) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    const model = { name: file.name, bytes, options: defaultOptions(), result: null, simplified: null };
    if (MODEL_TYPES.test(file.name)) {
        model.kind = "model";
        convertModel(model);
    } else if (BRICK_TYPE.test(file.name)) {
        model.kind = "brick";
        const read = core.readBrickFile(file.name, bytes);
        model.result = { report: null, brickName: file.name, brickBytes: read.brick ? bytes : null,
            brick: read.brick, readError: read.error };
    } else {
        model.kind = "wrong";
    }
    models.push(model);
    return model;
}

async function openFiles(files) {
    let last = null;
    for (const file of files) last = await addFile(file);
    if (last) select(last);
    renderList();
}

function statusOf(model) {
    if (model.kind === "wrong") return { text: "not a model", tone: "error" };
    if (model.kind === "brick") return model.result.brick ? { text: "brick", tone: "ok" } : { text: "unreadable", tone: "error" };
    const report = model.result.report;
    if (!report.written) return { text: "no brick", tone: "error" };
    const warnings = report.messages.filter(m => m.severity !== "fatal").length;
    return warnings ? { text: `${warnings} warning${warnings === 1 ? "" : "s"}`, tone: "warning" } : { text: "ready", tone: "ok" };
}

function renderList() {
    const list = $("models");
    list.replaceChildren(...models.map(model => {
        const item = document.createElement("li");
        const button = document.createElement("button");
        button.type = "button";
        button.className = "model";
        button.setAttribute("aria-pressed", String(model === selected));
        const status = statusOf(model);
        button.innerHTML = `<span class="name"></span> <span class="badge ${status.tone}"></span>`;
        button.querySelector(".name").textContent = model.name;
        button.querySelector(".badge").textContent = status.text;
        button.addEventListener("click", () => select(model));
        item.append(button);
        return item;
    }));
    $("empty").hidden = models.length > 0;
    $("saveAll").disabled = !models.some(m => m.result && m.result.brickBytes);
}

function messageItem(message, model) {
    const item = document.createElement("li");
    item.className = message.severity;
    const label = message.severity === "warning" ? "Warning" : "Error";
    item.append(`${label}${message.line ? ` (line ${message.line})` : ""}: ${message.text}`);
    if (message.advice) {
        const advice = document.createElement("div");
        advice.className = "advice";
        advice.textContent = message.advice;
        item.append(advice);
    }
    const fix = FIX_FOR_CODE[message.code];
    if (fix && core.features.fitting && !model.options[fix.option]) {
        const button = document.createElement("button");
        button.type = "button";
        button.className = "fix";
        button.textContent = `Fix: ${fix.label}`;
        button.addEventListener("click", () => setOption(fix.option, true));
        item.append(" ", button);
    }
    return item;
}

function tooManyFaces(model) {
    return model.kind === "model" && !model.result.report.written &&
        model.result.report.messages.some(m => m.code === "quad-limit" || /> \d+ quads/.test(m.text));
}

function renderDetails() {
    const model = selected;
    $("details").hidden = !model;
    if (!model) {
        view.show(null);
        return;
    }
    $("modelName").textContent = model.name;
    const messages = $("messages");
    messages.replaceChildren();
    let summary = "";
    if (model.kind === "wrong") {
        messages.append(messageItem({ severity: "fatal", text: wrongFileSentence(model.name) }, model));
    } else if (model.kind === "brick") {
        summary = model.result.brick
            ? `${model.name}: a brick file, shown as it is: ${model.result.brick.quads.length} quads, ` +
              `${model.result.brick.boxes.length} collision boxes, size ${model.result.brick.size.join(" ")}`
            : "";
        if (!model.result.brick) {
            const reason = (model.result.readError || "").replace(`${model.name}: `, "");
            messages.append(messageItem({ severity: "fatal", text: `${model.name} is not a brick file as the converter writes it (${reason}): open its model here to convert it again.` }, model));
        }
    } else {
        const report = model.result.report;
        summary = report.summary || "";
        report.messages.forEach(message => messages.append(messageItem(message, model)));
    }
    $("summary").textContent = summary;
    $("summary").hidden = !summary;
    const simplified = model.simplified;
    $("simplified").hidden = !simplified;
    if (simplified) {
        $("simplified").textContent = `Simplified by the page: ${simplified.before} triangles became ` +
            `${simplified.after}; the brick below is converted from the simplified model. Save it if it looks right.`;
    }
    $("simplify").hidden = !(model.kind === "model" && !simplified &&
        (tooManyFaces(model) && (model.options.pair || !core.features.fitting)));
    const fitting = model.kind === "model" && core.features.fitting;
    $("fit").disabled = !fitting;
    $("fitNote").hidden = model.kind !== "model" || core.features.fitting;
    $("upY").checked = model.options.upY;
    $("place").checked = model.options.place;
    $("fitSize").checked = model.options.fit;
    $("pair").checked = model.options.pair;
    $("scale").value = String(model.options.scale);
    $("save").disabled = !(model.result && model.result.brickBytes);
    $("save").textContent = model.result && model.result.brickName ? `Save brick (${model.result.brickName})` : "Save brick";
    const brick = model.result ? model.result.brick : null;
    $("noBrick").hidden = Boolean(brick) && !view.unavailable;
    $("noBrick").textContent = view.unavailable
        ? NO_WEBGL
        : model.kind === "wrong" ? "Not a model: see beside." : "No brick: the report beside says why and what to do.";
    renderKey(brick);
    view.show(brick, model.keepCamera);
    model.keepCamera = Boolean(brick);
    $("view").setAttribute("aria-label", brick
        ? `The brick ${model.result.brickName} in 3D: drag or use the arrow keys to turn it, the wheel, a pinch or + and - to zoom.`
        : "No brick to show.");
}

function renderKey(brick) {
    const blended = sign => (brick ? brick.quads : []).some(quad => quad.color[0] && quad.color[0][3] < 0 &&
        quad.color[0].slice(0, 3).some(v => v < 0) === (sign < 0));
    $("keyGlow").hidden = !blended(1);
    $("keyDarken").hidden = !blended(-1);
    const boxes = $("keyBoxes");
    boxes.replaceChildren(...(brick ? brick.boxes : []).map((box, i) => {
        const item = document.createElement("li");
        item.innerHTML = '<span class="swatch box"></span>';
        item.firstChild.style.borderColor = BOX_COLOURS[i % BOX_COLOURS.length];
        item.firstChild.style.background = `${BOX_COLOURS[i % BOX_COLOURS.length]}33`;
        item.append(`collision box ${i + 1} (${box.size.map(v => +v.toFixed(3)).join(" × ")})`);
        return item;
    }));
}

function select(model) {
    if (selected !== model) model.keepCamera = false;
    selected = model;
    renderList();
    renderDetails();
    const view = $("view");
    view.dataset.ready = "true";
}

function setOption(option, value) {
    if (!selected || selected.kind !== "model") return;
    selected.options[option] = value;
    convertModel(selected);
    renderList();
    renderDetails();
}

function download(name, bytes) {
    const url = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
    const link = document.createElement("a");
    link.href = url;
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
}

async function simplifySelected() {
    const model = selected;
    const result = await simplifyModel(model.name, model.bytes);
    if (!result) {
        $("simplifyNote").textContent = "Simplify reads OBJ and DXF models; export this model as OBJ to simplify it.";
        return;
    }
    const name = model.name.replace(/\.[^.]*$/, "") + ".obj";
    model.simplified = { name, bytes: new TextEncoder().encode(result.text), before: result.before, after: result.after };
    convertModel(model);
    renderList();
    renderDetails();
}

function wire() {
    const input = $("files");
    $("open").addEventListener("click", () => input.click());
    input.addEventListener("change", () => {
        openFiles([...input.files]);
        input.value = "";
    });
    const drop = $("drop");
    for (const type of ["dragenter", "dragover"]) {
        document.addEventListener(type, event => {
            event.preventDefault();
            drop.classList.add("over");
        });
    }
    document.addEventListener("dragleave", event => {
        if (!event.relatedTarget) drop.classList.remove("over");
    });
    document.addEventListener("drop", event => {
        event.preventDefault();
        drop.classList.remove("over");
        openFiles([...event.dataTransfer.files]);
    });
    $("upY").addEventListener("change", e => setOption("upY", e.target.checked));
    $("place").addEventListener("change", e => setOption("place", e.target.checked));
    $("fitSize").addEventListener("change", e => setOption("fit", e.target.checked));
    $("pair").addEventListener("change", e => setOption("pair", e.target.checked));
    $("scale").addEventListener("change", e => {
        const value = Number(e.target.value);
        if (Number.isFinite(value) && value > 0) {
            setOption("scale", value);
        } else {
            e.target.value = String(selected ? selected.options.scale : 1);
        }
    });
    $("millimetres").addEventListener("click", () => setOption("scale", MILLIMETRES));
    $("metres").addEventListener("click", () => setOption("scale", METRES));
    $("units").addEventListener("click", () => setOption("scale", 1));
    $("simplify").addEventListener("click", simplifySelected);
    $("save").addEventListener("click", () => {
        if (selected && selected.result.brickBytes) download(selected.result.brickName, selected.result.brickBytes);
    });
    $("saveAll").addEventListener("click", () => {
        for (const model of models) {
            if (model.result && model.result.brickBytes) download(model.result.brickName, model.result.brickBytes);
        }
    });
}

// What the view says where the browser gives no WebGL: converting and
// saving need none.
const NO_WEBGL = "No 3D view: this browser gives the page no WebGL (turn on its hardware " +
    "acceleration, or use another browser). Converting, the report and saving work all the same.";

// The 3D view, or where the browser has no WebGL a stand-in that draws nothing.
function viewOrStandIn() {
    try {
        return createView($("view"));
    } catch (error) {
        console.warn(`No 3D view: ${error}`);
        $("noBrick").textContent = NO_WEBGL;
        return { unavailable: true, show() {} };
    }
}

async function start() {
    // The core compiles while the view gets its WebGL context.
    const starting = loadCore();
    view = viewOrStandIn();
    core = await starting;
    wire();
    $("maxQuads").textContent = String(MAX_QUADS);
    document.body.dataset.ready = "true";
    document.body.dataset.readyAt = String(Math.round(performance.now()));
    $("status").textContent = "Ready: open or drop models.";
}

// For the tests and the curious: the page's state, read-only.
window.dxf2tkmPage = {
    models: () => models.map(m => ({
        name: m.name, kind: m.kind, options: { ...m.options }, convertMs: m.convertMs,
        report: m.result && m.result.report, brickName: m.result && m.result.brickName,
        brickText: m.result && m.result.brickBytes ? new TextDecoder().decode(m.result.brickBytes) : null,
        quads: m.result && m.result.brick ? m.result.brick.quads.length : null,
        size: m.result && m.result.brick ? m.result.brick.size : null,
        simplified: m.simplified ? { before: m.simplified.before, after: m.simplified.after } : null,
    })),
    features: () => core.features,
    // Converts the selected model again and draws it, as a change of option
    // does: the milliseconds of the conversion (with the brick read back) and
    // until the picture is drawn.
    redrawSelected() {
        const started = performance.now();
        convertModel(selected);
        renderDetails();
        const gl = $("view").getContext("webgl2") || $("view").getContext("webgl");
        gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
        return { convertMs: selected.convertMs, totalMs: performance.now() - started };
    },
};

start().catch(error => {
    $("status").textContent = `The converter could not start: ${error}`;
    console.error(error);
});

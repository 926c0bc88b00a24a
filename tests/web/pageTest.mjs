// SPDX-License-Identifier: MIT
// The page in headless Chromium, loaded from disk: the examples and wrong
// files opened, the reports and bricks checked against the native
// converter's (the same options, byte for byte), each fitting option switched,
// a model of too many faces simplified, bricks saved, pictures checked, and
// no console error and no network request. Prints the measured times.
//   node pageTest.mjs PAGE.html NATIVE_DXF2TKM CHROMIUM SOURCE_DIR WORK_DIR
import { execFileSync } from "node:child_process";
import { copyFileSync, existsSync, mkdirSync, readFileSync, readdirSync, rmSync, statSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { basename, join } from "node:path";

const [pagePath, native, chromium, sourceDir, workDir] = process.argv.slice(2);
for (const [path, needs] of [[chromium, "chromium (Debian package chromium)"], [native, "the release preset's dxf2tkm (cmake --build --preset release)"]]) {
    if (!path || !existsSync(path)) {
        console.log(`SKIPPED: needs ${needs}`);
        process.exit(77);
    }
}
const puppeteer = createRequire(join(sourceDir, "web", "package.json"))("puppeteer-core");
const failures = [];
function check(condition, what) {
    if (!condition) failures.push(what);
    console.log(`${condition ? "ok  " : "FAIL"} ${what}`);
}

// The native converter on a copy of model in its own folder, as a user runs it.
function nativeRun(model, args) {
    const folder = join(workDir, "native", `${basename(model)}-${args.join("_") || "plain"}`);
    rmSync(folder, { recursive: true, force: true });
    mkdirSync(folder, { recursive: true });
    copyFileSync(model, join(folder, basename(model)));
    let stdout;
    try {
        stdout = execFileSync(native, [...args, "-q", "--", basename(model)], { cwd: folder }).toString();
    } catch (error) {
        stdout = error.stdout.toString();
    }
    const brick = join(folder, basename(model).replace(/\.[^.]*$/, ".tkm"));
    return { stdout, brick: existsSync(brick) ? readFileSync(brick, "latin1") : null };
}

// A model of 1,200 triangles on a sphere, no two in one plane: too many
// faces even after pairing.
function writeManyFaces(path) {
    const lines = ["g COLOR_40_120_220"];
    const rows = 20;
    const columns = 31;
    for (let i = 0; i <= rows; ++i) {
        for (let j = 0; j < columns; ++j) {
            const a = Math.PI * i / rows;
            const b = 2 * Math.PI * (j + (i % 2) * 0.5) / columns;
            lines.push(`v ${(Math.sin(a) * Math.cos(b) * 2).toFixed(6)} ${(Math.sin(a) * Math.sin(b) * 2).toFixed(6)} ${(2 - Math.cos(a) * 2).toFixed(6)}`);
        }
    }
    const v = (i, j) => i * columns + (j % columns) + 1;
    for (let i = 0; i < rows; ++i) {
        for (let j = 0; j < columns; ++j) {
            lines.push(`f ${v(i, j)} ${v(i + 1, j)} ${v(i + 1, j + 1)}`, `f ${v(i, j)} ${v(i + 1, j + 1)} ${v(i, j + 1)}`);
        }
    }
    writeFileSync(path, lines.join("\n") + "\n");
}

// Share of the view's pixels that are not the background, and whether a
// pixel of the given hue (r, g, b as 0..255) is among them.
async function viewPixels(page, colour) {
    return page.evaluate(([r, g, b]) => {
        const view = document.getElementById("view");
        const canvas = document.createElement("canvas");
        canvas.width = view.width;
        canvas.height = view.height;
        const context = canvas.getContext("2d");
        context.drawImage(view, 0, 0);
        const data = context.getImageData(0, 0, canvas.width, canvas.height).data;
        const background = [data[0], data[1], data[2]];
        let drawn = 0;
        let matching = 0;
        const hue = (x, y, z) => Math.atan2(Math.sqrt(3) * (y - z), 2 * x - y - z);
        for (let i = 0; i < data.length; i += 4) {
            if (Math.abs(data[i] - background[0]) + Math.abs(data[i + 1] - background[1]) + Math.abs(data[i + 2] - background[2]) > 24) ++drawn;
            const chroma = Math.max(data[i], data[i + 1], data[i + 2]) - Math.min(data[i], data[i + 1], data[i + 2]);
            if (chroma > 60 && Math.abs(hue(data[i], data[i + 1], data[i + 2]) - hue(r, g, b)) < 0.25) ++matching;
        }
        return { drawn: drawn / (data.length / 4), matching };
    }, colour);
}

async function waitForFile(path) {
    for (let i = 0; i < 100 && !existsSync(path); ++i) await new Promise(resolve => setTimeout(resolve, 50));
    await new Promise(resolve => setTimeout(resolve, 100));
    return existsSync(path) ? readFileSync(path, "latin1") : null;
}

async function main() {
    rmSync(workDir, { recursive: true, force: true });
    const inputs = join(workDir, "inputs");
    const downloads = join(workDir, "downloads");
    mkdirSync(inputs, { recursive: true });
    mkdirSync(downloads, { recursive: true });
    const examples = readdirSync(join(sourceDir, "examples")).filter(name => /\.(obj|dxf|rds)$/.test(name))
        .map(name => join(sourceDir, "examples", name));
    writeFileSync(join(inputs, "notes.txt"), "not a model\n");
    writeFileSync(join(inputs, "part.stl"), "solid part\nendsolid part\n");
    writeFileSync(join(inputs, "scene.blend"), "BLENDER-v300");
    writeFileSync(join(inputs, "broken.tkm"), "1 1 1\nNOT A BRICK\n");
    writeManyFaces(join(inputs, "sphere.obj"));
    // A block beside the origin, its extent not whole: both brick warnings.
    const ledge = join(inputs, "ledge.obj");
    writeFileSync(ledge, ["g COLOR_200_40_40", "v 2 0 0", "v 3.5 0 0", "v 3.5 1 0", "v 2 1 0", "v 2 0 0.5",
        "v 3.5 0 0.5", "v 3.5 1 0.5", "v 2 1 0.5", "f 1 2 3 4", "f 5 6 7 8", "f 1 2 6 5", "f 2 3 7 6", "f 3 4 8 7",
        "f 4 1 5 8"].join("\n") + "\n");
    const maximum = join(inputs, "maximum");
    mkdirSync(maximum);
    execFileSync("python3", [join(sourceDir, "bench", "benchmark.py"), `--models=${maximum}`]);
    const wedgeBrick = join(inputs, "wedge.tkm");
    writeFileSync(wedgeBrick, nativeRun(join(sourceDir, "examples", "wedge.obj"), []).brick, "latin1");

    const browser = await puppeteer.launch({
        executablePath: chromium,
        headless: true,
        args: ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
            "--disable-background-networking", "--disable-component-update", "--disable-sync",
            "--no-first-run", `--user-data-dir=${join(workDir, "profile")}`],
    });
    const page = await browser.newPage();
    const consoleErrors = [];
    const requests = [];
    page.on("console", message => { if (message.type() === "error") consoleErrors.push(message.text()); });
    page.on("pageerror", error => consoleErrors.push(String(error)));
    page.on("request", request => { if (!/^(file|data|blob):/.test(request.url())) requests.push(request.url()); });
    const session = await page.createCDPSession();
    await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
    await page.setViewport({ width: 1280, height: 720 });
    // Ready: the median of three openings, the first in a fresh profile.
    const readyTimes = [];
    for (let i = 0; i < 3; ++i) {
        await page.goto(`file://${pagePath}`);
        await page.waitForSelector("body[data-ready]", { timeout: 10000 });
        readyTimes.push(Number(await page.$eval("body", body => body.dataset.readyAt)));
    }
    const readyMs = [...readyTimes].sort((a, b) => a - b)[1];
    const features = await page.evaluate(() => window.dxf2tkmPage.features());
    console.log(`the core's fitting options: ${features.fitting ? "yes" : "no"}`);
    const models = () => page.evaluate(() => window.dxf2tkmPage.models());
    const open = async paths => {
        const count = (await models()).length + paths.length;
        await (await page.$("#files")).uploadFile(...paths);
        await page.waitForFunction(n => window.dxf2tkmPage.models().length >= n, {}, count);
    };
    const select = async name => { await page.evaluate(n => [...document.querySelectorAll("#models .model")].find(b => b.querySelector(".name").textContent === n).click(), name); };

    // The examples: the summary and warnings as quiet mode prints them, the brick byte for byte.
    const opened = [...examples, ledge];
    const pathOf = name => opened.find(path => basename(path) === name);
    await open(opened);
    for (const model of await models()) {
        const expected = nativeRun(pathOf(model.name), []);
        const lines = expected.stdout.trim().split("\n");
        check(model.report.summary === lines[lines.length - 1], `${model.name}: summary "${model.report.summary}"`);
        const warnings = lines.filter(line => line.includes(": WARNING: ")).map(line => line.slice(line.indexOf("WARNING: ") + 9));
        check(JSON.stringify(model.report.messages.map(m => m.text)) === JSON.stringify(warnings), `${model.name}: warnings as the native converter's (${warnings.length})`);
        check(model.brickText === expected.brick, `${model.name}: brick identical to the native converter's`);
    }
    await select("ledge.obj");
    const ledgeText = await page.$eval("#messages", list => list.textContent);
    check(/written as size 1 1 1/.test(ledgeText) && /off the origin/.test(ledgeText), "ledge.obj: its size and placement warnings are shown");

    // Each fitting option as the converter's own: the brick equals the native one with the same option.
    const fitted = [["#upY", ["--up", "y"]], ["#place", ["--place"]], ["#fitSize", ["--fit"]], ["#pair", ["--pair"]]];
    if (features.fitting) {
        for (const name of ["ledge.obj", "wedge.obj"]) {
            await select(name);
            for (const [control, args] of fitted) {
                await page.click(control);
                const model = (await models()).find(m => m.name === name);
                const expected = nativeRun(pathOf(name), args);
                check(model.brickText === expected.brick, `${name}: ${control} gives the brick of ${args.join(" ")}`);
                await page.click(control);
            }
            for (const [button, scale] of [["#millimetres", "0.125"], ["#metres", "125"]]) {
                await page.click(button);
                const model = (await models()).find(m => m.name === name);
                check(model.brickText === nativeRun(pathOf(name), ["--scale", scale]).brick, `${name}: ${button} gives the brick of --scale ${scale}`);
            }
            await page.click("#units");
        }
        // The fix a warning names, with one click: rounding the size up also
        // places the model, and both warnings go.
        await select("ledge.obj");
        const fixes = await page.$$eval("#messages .fix", buttons => buttons.map(b => b.textContent));
        await page.click("#messages .fix");
        const fixed = (await models()).find(m => m.name === "ledge.obj");
        check(fixes.join() === "Fix: Round the size up,Fix: Place on the origin" && fixed.options.fit &&
            fixed.report.written && fixed.report.messages.length === 0,
            `ledge.obj: the warnings' fixes offered (${fixes.join(", ")}); rounding the size up leaves no warning`);
        await page.click("#fitSize");
    } else {
        check(await page.$eval("#fit", fieldset => fieldset.disabled), "without the converter's fitting options the controls are disabled");
    }

    // Wrong files and a broken brick: a sentence saying what to do; a brick shown as it is.
    await open([join(inputs, "notes.txt"), join(inputs, "part.stl"), join(inputs, "scene.blend"), join(inputs, "broken.tkm"), wedgeBrick]);
    for (const [name, words] of [["notes.txt", /is not a model: open a Wavefront OBJ/], ["part.stl", /export it from your modeller as Wavefront OBJ/],
        ["scene.blend", /File > Export > Wavefront/], ["broken.tkm", /is not a brick file as the converter writes it \(line 2/]]) {
        await select(name);
        check(words.test(await page.$eval("#messages", list => list.textContent)), `${name}: the sentence saying what to do`);
    }
    await select("wedge.tkm");
    check((await models()).find(m => m.name === "wedge.tkm").quads === 5, "wedge.tkm: the brick shown as it is, 5 quads");

    // Saving: one brick, then all of them, byte for byte as the native converter writes them.
    await select("stud.dxf");
    await page.click("#save");
    check(await waitForFile(join(downloads, "stud.tkm")) === nativeRun(join(sourceDir, "examples", "stud.dxf"), []).brick, "Save brick: stud.tkm as the native converter's");
    await page.click("#saveAll");
    for (const example of examples) {
        const brick = basename(example).replace(/\.[^.]*$/, ".tkm");
        const saved = await waitForFile(join(downloads, brick));
        check(saved === nativeRun(example, []).brick, `Save all: ${brick} as the native converter's`);
    }

    // The pictures: drawn, in their colours, at a desktop's and a phone's width.
    await select("stud.dxf");
    const stud = await viewPixels(page, [255, 0, 0]);
    await select("wedge.obj");
    const wedge = await viewPixels(page, [230, 120, 20]);
    check(wedge.drawn > 0.05 && wedge.matching > 500, `wedge.obj drawn (${(wedge.drawn * 100).toFixed(1)} % of the view), its orange present (${wedge.matching} pixels)`);
    check(stud.drawn > 0.02, `stud.dxf drawn (${(stud.drawn * 100).toFixed(1)} % of the view)`);
    // Turned by the keyboard and by a drag: the picture changes each time.
    const picture = () => page.$eval("#view", view => view.toDataURL());
    const before = await picture();
    await page.focus("#view");
    await page.keyboard.press("ArrowLeft");
    const turned = await picture();
    const box = await (await page.$("#view")).boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width / 2 + 80, box.y + box.height / 2 + 20, { steps: 4 });
    await page.mouse.up();
    check(turned !== before && (await picture()) !== turned, "the view turns with the arrow keys and with a drag");
    await page.screenshot({ path: join(workDir, "desktop.png") });
    await page.setViewport({ width: 390, height: 844 });
    await new Promise(resolve => setTimeout(resolve, 300));
    await page.screenshot({ path: join(workDir, "phone.png"), fullPage: true });
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
    check(overflow <= 0, `nothing wider than a phone's screen (${overflow} px over)`);
    await page.setViewport({ width: 1280, height: 720 });

    // Too many faces: refused, then simplified to fit and converted.
    await open([join(inputs, "sphere.obj")]);
    let sphere = (await models()).find(m => m.name === "sphere.obj");
    check(!sphere.report.written && sphere.report.messages.some(m => m.code === "quad-limit"), "sphere.obj: 1,200 triangles refused with the quad limit");
    if (features.fitting) await page.click("#pair");
    check(await page.$eval("#simplify", button => !button.hidden), "sphere.obj: Simplify to fit offered");
    await page.click("#simplify");
    await page.waitForFunction(() => window.dxf2tkmPage.models().find(m => m.name === "sphere.obj").simplified);
    sphere = (await models()).find(m => m.name === "sphere.obj");
    check(sphere.simplified.after <= 512 && sphere.report.written && sphere.quads <= 512, `sphere.obj: simplified from ${sphere.simplified.before} to ${sphere.simplified.after} triangles, a brick of ${sphere.quads} quads`);
    await page.screenshot({ path: join(workDir, "simplified.png") });

    // A maximum model: converted and drawn again, as an option change does.
    await open(readdirSync(maximum).map(name => join(maximum, name)));
    // A maximum model converted (with the brick read back) and drawn, in
    // software (SwiftShader) on a shared machine.
    const timings = [];
    const median = values => values.sort((a, b) => a - b)[2];
    for (const name of ["max.obj", "max.rds", "max.dxf"]) {
        await select(name);
        const runs = [];
        for (let i = 0; i < 5; ++i) runs.push(await page.evaluate(() => window.dxf2tkmPage.redrawSelected()));
        const converted = median(runs.map(r => r.convertMs));
        const total = median(runs.map(r => r.totalMs));
        timings.push(`${name} ${converted.toFixed(1)} ms converted and read back, ${total.toFixed(1)} ms with the drawing`);
        const model = (await models()).find(m => m.name === name);
        if (name === "max.obj") await page.screenshot({ path: join(workDir, "maximum.png") });
        check(model.quads === 512 && converted < 100 && total < 200, `${name}: 512 quads converted in ${converted.toFixed(1)} ms, drawn by ${total.toFixed(1)} ms (medians of 5)`);
    }

    check(consoleErrors.length === 0, `no console error ${consoleErrors.join(" | ")}`);
    check(requests.length === 0, `no network request ${requests.join(" ")}`);
    const size = statSync(pagePath).size;
    check(size <= 3 * 1024 * 1024, `the page is ${(size / 1024).toFixed(0)} KiB`);
    check(readyMs < 1000, `ready ${readyMs} ms after opening (${readyTimes.join(", ")} ms)`);
    console.log(`measured: page ready ${readyMs} ms (openings ${readyTimes.join(", ")} ms); ${timings.join("; ")}; page ${size} bytes`);
    await browser.close();
    if (failures.length) {
        console.log(`${failures.length} check(s) failed`);
        process.exit(1);
    }
}

main().catch(error => {
    console.error(error);
    process.exit(1);
});

// SPDX-License-Identifier: MIT
// The page in headless Firefox, loaded from disk: the core starts, and the
// examples opened give the native converter's bricks byte for byte, whether
// or not the browser gives the page WebGL for its 3D view.
//   node firefoxTest.mjs PAGE.html NATIVE_DXF2TKM FIREFOX SOURCE_DIR WORK_DIR
import { execFileSync } from "node:child_process";
import { copyFileSync, existsSync, mkdirSync, readFileSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import { join } from "node:path";

const [pagePath, native, firefox, sourceDir, workDir] = process.argv.slice(2);
for (const [path, needs] of [[firefox, "firefox (Debian package firefox-esr)"], [native, "the release preset's dxf2tkm"]]) {
    if (!path || !existsSync(path)) {
        console.log(`SKIPPED: needs ${needs}`);
        process.exit(77);
    }
}
const puppeteer = createRequire(join(sourceDir, "web", "package.json"))("puppeteer-core");
const examples = ["wedge.obj", "steps.rds", "roof.dxf", "stud.dxf"].map(name => join(sourceDir, "examples", name));

function nativeBrick(model) {
    const folder = join(workDir, "native");
    mkdirSync(folder, { recursive: true });
    const name = model.split("/").pop();
    copyFileSync(model, join(folder, name));
    execFileSync(native, ["-q", "--", name], { cwd: folder });
    return readFileSync(join(folder, name.replace(/\.[^.]*$/, ".tkm")), "latin1");
}

rmSync(workDir, { recursive: true, force: true });
mkdirSync(join(workDir, "profile"), { recursive: true });
const browser = await puppeteer.launch({
    browser: "firefox", executablePath: firefox, headless: true, userDataDir: join(workDir, "profile"),
});
let failed = 0;
try {
    const page = await browser.newPage();
    const errors = [];
    page.on("pageerror", error => errors.push(String(error)));
    await page.goto(`file://${pagePath}`);
    await page.waitForFunction(() => document.body.dataset.ready === "true", { timeout: 60000 });
    await (await page.$("#files")).uploadFile(...examples);
    await page.waitForFunction(n => window.dxf2tkmPage.models().filter(m => m.brickText).length >= n,
                               { timeout: 60000 }, examples.length);
    const models = await page.evaluate(() => window.dxf2tkmPage.models());
    for (const model of examples) {
        const name = model.split("/").pop();
        const shown = models.find(m => m.name === name);
        const same = shown && shown.brickText === nativeBrick(model);
        console.log(`${same ? "ok  " : "FAIL"} ${name}: the native converter's brick`);
        failed += same ? 0 : 1;
    }
    console.log(`${errors.length === 0 ? "ok  " : "FAIL"} no page error ${errors.join("; ")}`);
    failed += errors.length === 0 ? 0 : 1;
} finally {
    await browser.close();
}
console.log(`${examples.length + 1 - failed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);

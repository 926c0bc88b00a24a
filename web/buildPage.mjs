// SPDX-License-Identifier: MIT
// Makes dxf2tkm.html, one self-contained file: the converter's core (the
// emscripten build, its WebAssembly inside), the page's code bundled with
// three.js and meshoptimizer by esbuild, and the styles.
//   node buildPage.mjs CORE.js OUTPUT.html VERSION
import { build } from "esbuild";
import { readFileSync, writeFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const [corePath, outputPath, version] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const bundled = await build({
    entryPoints: [join(here, "src", "app.js")],
    bundle: true,
    format: "iife",
    minify: true,
    write: false,
    target: ["chrome100", "firefox100", "safari15"],
    legalComments: "eof",
});
// A script's text must not close its element early.
const inline = text => text.replace(/<\/(script)/gi, "<\\/$1");
const page = readFileSync(join(here, "src", "page.html"), "utf8")
    .replace("VERSION", version)
    .replace("/*STYLE*/", () => readFileSync(join(here, "src", "style.css"), "utf8"))
    .replace("/*CORE*/", () => inline(readFileSync(corePath, "utf8")))
    .replace("/*APP*/", () => inline(bundled.outputFiles[0].text));
writeFileSync(outputPath, page);
console.log(`${outputPath}: ${(Buffer.byteLength(page) / 1024).toFixed(0)} KiB`);

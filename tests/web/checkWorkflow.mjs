// SPDX-License-Identifier: MIT
// The release workflow parses as YAML and holds together: it runs on version
// tags, every job has steps, every job it waits for exists, and every preset
// it names is one of CMakePresets.json's.
//   node checkWorkflow.mjs SOURCE_DIR
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import { join, resolve } from "node:path";

const sourceDir = resolve(process.argv[2]);
const { parse } = createRequire(join(sourceDir, "web", "package.json"))("yaml");
const text = readFileSync(join(sourceDir, ".github", "workflows", "release.yml"), "utf8");
const workflow = parse(text);
const presets = JSON.parse(readFileSync(join(sourceDir, "CMakePresets.json"), "utf8"));
const presetNames = new Set(Object.values(presets).filter(Array.isArray).flat().map(preset => preset.name));
const faults = [];
if (!workflow.on || !workflow.on.push || !(workflow.on.push.tags || []).includes("v*")) faults.push("not run on version tags v*");
for (const [name, job] of Object.entries(workflow.jobs || {})) {
    if (!Array.isArray(job.steps) || job.steps.length === 0) faults.push(`job ${name} has no steps`);
    for (const needed of [].concat(job.needs || [])) {
        if (!workflow.jobs[needed]) faults.push(`job ${name} needs ${needed}, which does not exist`);
    }
    for (const step of job.steps || []) {
        for (const [, preset] of String(step.run || "").matchAll(/--preset (\w+)/g)) {
            if (!presetNames.has(preset)) faults.push(`job ${name} names the preset ${preset}, which does not exist`);
        }
    }
}
for (const job of ["linux", "windows", "web", "release", "pages"]) {
    if (!workflow.jobs || !workflow.jobs[job]) faults.push(`no job ${job}`);
}
faults.forEach(fault => console.log(`release.yml: ${fault}`));
process.exit(faults.length ? 1 : 0);

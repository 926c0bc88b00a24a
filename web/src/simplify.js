// SPDX-License-Identifier: MIT
// "Simplify to fit": a model of too many faces, its triangles simplified by
// meshoptimizer to at most 512, written as an OBJ model for the converter.
// The faces keep their groups and materials (the names carry the colours);
// BOUNDS and COLLISION groups, which give no quads, pass through as they are.
// Reads OBJ faces and DXF 3DFACE entities.
import { MeshoptSimplifier } from "meshoptimizer/simplifier";

export const MAX_QUADS = 512;
const HELPER_GROUP = /^(BOUNDS|COLLISION)/i;

function newPart(group, material) {
    return { group, material, positions: [], keys: new Map(), indices: [] };
}

function addCorner(part, xyz) {
    const key = xyz.join(" ");
    let index = part.keys.get(key);
    if (index === undefined) {
        index = part.positions.length / 3;
        part.keys.set(key, index);
        part.positions.push(...xyz);
    }
    return index;
}

function addPolygon(part, corners) {
    const indices = corners.map(xyz => addCorner(part, xyz));
    for (let i = 1; i + 1 < indices.length; ++i) {
        const triangle = [indices[0], indices[i], indices[i + 1]];
        if (new Set(triangle).size === 3) part.indices.push(...triangle);
    }
}

function readObjParts(text) {
    const vertices = [];
    const parts = new Map();
    let group = "";
    let material = "";
    const partOf = () => {
        const key = `${group}\u0000${material}`;
        if (!parts.has(key)) parts.set(key, newPart(group, material));
        return parts.get(key);
    };
    for (const raw of text.split(/\r?\n/)) {
        const words = raw.trim().split(/\s+/);
        if (words[0] === "v") {
            vertices.push(words.slice(1, 4).map(Number));
        } else if (words[0] === "g" || words[0] === "o") {
            group = words.slice(1).join(" ");
        } else if (words[0] === "usemtl") {
            material = words.slice(1).join(" ");
        } else if (words[0] === "f") {
            const corners = words.slice(1).map(word => {
                const index = parseInt(word, 10);
                return vertices[index < 0 ? vertices.length + index : index - 1];
            });
            if (corners.every(Boolean)) addPolygon(partOf(), corners);
        }
    }
    return [...parts.values()];
}

function readDxfParts(text) {
    const lines = text.split(/\r?\n/).map(line => line.trim());
    const parts = new Map();
    let face = null;
    const finish = () => {
        if (!face) return;
        const corners = [0, 1, 2, 3].map(c => [face[10 + c], face[20 + c], face[30 + c]].map(Number));
        if (corners[3].some(Number.isNaN) || corners[3].join() === corners[2].join()) corners.pop();
        if (!parts.has(face.layer)) parts.set(face.layer, newPart(face.layer, ""));
        if (corners.flat().every(Number.isFinite)) addPolygon(parts.get(face.layer), corners);
        face = null;
    };
    for (let i = 0; i + 1 < lines.length; i += 2) {
        const code = parseInt(lines[i], 10);
        const value = lines[i + 1];
        if (code === 0) {
            finish();
            if (value === "3DFACE") face = { layer: "0" };
        } else if (face && code === 8) {
            face.layer = value;
        } else if (face && code >= 10 && code <= 33) {
            face[code] = value;
        }
    }
    finish();
    return [...parts.values()];
}

// The model's faces by group, or null for a format this cannot read.
export function readParts(name, bytes) {
    const text = new TextDecoder("latin1").decode(bytes);
    if (/\.obj$/i.test(name)) return readObjParts(text);
    if (/\.dxf$/i.test(name)) return readDxfParts(text);
    return null;
}

function simplifyPart(part, target) {
    const indices = new Uint32Array(part.indices);
    const positions = new Float32Array(part.positions);
    if (indices.length <= target * 3) return indices;
    let [result] = MeshoptSimplifier.simplify(indices, positions, 3, target * 3, 1);
    if (result.length > target * 3) {
        [result] = MeshoptSimplifier.simplifySloppy(indices, positions, 3, null, target * 3, 1);
    }
    return result.length > target * 3 ? result.slice(0, target * 3) : result;
}

function objText(parts, kept) {
    const lines = ["# simplified to fit a brick by the dxf2tkm page"];
    let base = 0;
    parts.forEach((part, i) => {
        const indices = kept[i];
        if (indices.length === 0) return;
        if (part.group) lines.push(`g ${part.group}`);
        if (part.material) lines.push(`usemtl ${part.material}`);
        for (let v = 0; v < part.positions.length; v += 3) {
            lines.push(`v ${part.positions[v]} ${part.positions[v + 1]} ${part.positions[v + 2]}`);
        }
        for (let t = 0; t < indices.length; t += 3) {
            lines.push(`f ${base + indices[t] + 1} ${base + indices[t + 1] + 1} ${base + indices[t + 2] + 1}`);
        }
        base += part.positions.length / 3;
    });
    return lines.join("\n") + "\n";
}

// The model simplified to at most MAX_QUADS triangles as OBJ text, with the
// triangle counts before and after; null for a format this cannot read.
export async function simplifyModel(name, bytes) {
    const parts = readParts(name, bytes);
    if (!parts) return null;
    await MeshoptSimplifier.ready;
    const shapes = parts.filter(part => !HELPER_GROUP.test(part.group));
    const before = shapes.reduce((sum, part) => sum + part.indices.length / 3, 0);
    let budget = MAX_QUADS;
    const kept = parts.map(part => {
        if (HELPER_GROUP.test(part.group)) return new Uint32Array(part.indices);
        const share = Math.max(1, Math.floor((MAX_QUADS * part.indices.length / 3) / Math.max(1, before)));
        const result = simplifyPart(part, Math.min(share, budget));
        budget -= result.length / 3;
        return result;
    });
    const after = kept.reduce((sum, indices, i) =>
        sum + (HELPER_GROUP.test(parts[i].group) ? 0 : indices.length / 3), 0);
    return { text: objText(parts, kept), before, after };
}

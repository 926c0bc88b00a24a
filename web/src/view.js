// SPDX-License-Identifier: MIT
// The brick in 3D as the game draws it: the brick file's coordinates as
// written (heights already scaled by 2.5 and centred on the brick's middle),
// its z axis up. Quads in their colours, paintable quads neutral, the brick's
// box from its size line, the collision boxes see-through, each its own
// colour, and a grid of studs on the ground. Additive and subtractive colours
// blend with what lies behind them, outlined as tkmpreview outlines them.
import * as THREE from "three";
import { OrbitControls } from "three/examples/jsm/controls/OrbitControls.js";

export const PAINTABLE_COLOUR = "#a7adb4";
export const BRICK_BOX_COLOUR = "#1d4ed8";
export const GRID_COLOUR = "#8a8f98";
export const GLOW_EDGE_COLOUR = "#d63384";
export const DARKEN_EDGE_COLOUR = "#1c7ed6";
export const BOX_COLOURS = ["#e8590c", "#0ca678", "#ae3ec9", "#f59f00", "#1098ad",
    "#d6336c", "#5c940d", "#4263eb", "#862e9c", "#c92a2a"];

// The brick file's (x, y, z), z up, as three.js's (x, z, -y), y up.
function place(target, [x, y, z]) {
    target.set(x, z, -y);
    return target;
}

// How a quad is drawn: "paint" without colours, "opaque" and "seeThrough"
// by its alpha, "glow" (additive) and "darken" (subtractive) for the blending
// alpha, -1, with the colour's sign.
function quadKind(quad) {
    const rgba = quad.color[0];
    if (!rgba) return "paint";
    if (rgba[3] < 0) return rgba[0] < 0 || rgba[1] < 0 || rgba[2] < 0 ? "darken" : "glow";
    return rgba[3] < 1 ? "seeThrough" : "opaque";
}

function createMaterials() {
    const colours = BOX_COLOURS.map(colour => ({
        fill: new THREE.MeshBasicMaterial({ color: colour, transparent: true, opacity: 0.18, depthWrite: false }),
        line: new THREE.LineBasicMaterial({ color: colour }),
    }));
    return {
        paint: new THREE.MeshBasicMaterial({ vertexColors: true, side: THREE.DoubleSide }),
        opaque: new THREE.MeshBasicMaterial({ vertexColors: true, side: THREE.DoubleSide }),
        seeThrough: new THREE.MeshBasicMaterial({ vertexColors: true, side: THREE.DoubleSide, transparent: true,
            depthWrite: false }),
        glow: new THREE.MeshBasicMaterial({ vertexColors: true, side: THREE.DoubleSide, transparent: true,
            blending: THREE.AdditiveBlending, depthWrite: false }),
        darken: new THREE.MeshBasicMaterial({ vertexColors: true, side: THREE.DoubleSide, transparent: true,
            blending: THREE.SubtractiveBlending, depthWrite: false }),
        glowEdge: new THREE.LineDashedMaterial({ color: GLOW_EDGE_COLOUR, dashSize: 0.12, gapSize: 0.08 }),
        darkenEdge: new THREE.LineDashedMaterial({ color: DARKEN_EDGE_COLOUR, dashSize: 0.12, gapSize: 0.08 }),
        brick: new THREE.LineDashedMaterial({ color: BRICK_BOX_COLOUR, dashSize: 0.15, gapSize: 0.1 }),
        grid: new THREE.LineBasicMaterial({ color: GRID_COLOUR }),
        stud: new THREE.MeshBasicMaterial({ color: GRID_COLOUR }),
        boxes: colours,
    };
}

// The light on a face of the given normal, either side lit alike: shading
// done once per face here keeps the drawing cheap where WebGL runs in
// software, where a model of many large faces covers the view many times.
const LIGHT = new THREE.Vector3(0.45, 0.8, 0.4).normalize();

function faceLight(a, b, c) {
    const normal = new THREE.Vector3().subVectors(b, a).cross(new THREE.Vector3().subVectors(c, a)).normalize();
    return 0.55 + 0.45 * Math.abs(normal.dot(LIGHT) || 0);
}

function quadMeshes(quads, materials) {
    const group = new THREE.Group();
    const corner = new THREE.Vector3();
    const corners = [new THREE.Vector3(), new THREE.Vector3(), new THREE.Vector3()];
    const paintable = new THREE.Color(PAINTABLE_COLOUR);
    const clamp = v => Math.min(1, Math.max(0, v));
    for (const kind of ["paint", "opaque", "seeThrough", "glow", "darken"]) {
        const chosen = quads.filter(quad => quadKind(quad) === kind);
        if (chosen.length === 0) continue;
        const positions = [];
        const colours = [];
        const edges = [];
        const lit = kind !== "glow" && kind !== "darken";
        for (const quad of chosen) {
            [0, 1, 2].forEach(c => place(corners[c], quad.position[c]));
            const light = lit ? faceLight(...corners) : 1;
            for (const c of [0, 1, 2, 0, 2, 3]) {
                place(corner, quad.position[c]);
                positions.push(corner.x, corner.y, corner.z);
                if (kind === "paint") {
                    colours.push(paintable.r * light, paintable.g * light, paintable.b * light, 1);
                } else {
                    const [r, g, b, a] = quad.color[c];
                    const colour = new THREE.Color().setRGB(clamp(Math.abs(r)), clamp(Math.abs(g)),
                        clamp(Math.abs(b)), THREE.SRGBColorSpace);
                    colours.push(colour.r * light, colour.g * light, colour.b * light,
                        kind === "seeThrough" ? clamp(a) : 1);
                }
            }
            for (const c of [0, 1, 1, 2, 2, 3, 3, 0]) {
                place(corner, quad.position[c]);
                edges.push(corner.x, corner.y, corner.z);
            }
        }
        const geometry = new THREE.BufferGeometry();
        geometry.setAttribute("position", new THREE.Float32BufferAttribute(positions, 3));
        geometry.setAttribute("color", new THREE.Float32BufferAttribute(colours, 4));
        const mesh = new THREE.Mesh(geometry, materials[kind]);
        mesh.renderOrder = kind === "opaque" || kind === "paint" ? 0 : 1;
        group.add(mesh);
        if (kind === "glow" || kind === "darken") {
            const outline = new THREE.BufferGeometry();
            outline.setAttribute("position", new THREE.Float32BufferAttribute(edges, 3));
            const lines = new THREE.LineSegments(outline, materials[`${kind}Edge`]);
            lines.computeLineDistances();
            group.add(lines);
        }
    }
    return group;
}

function boxGeometry(size) {
    return new THREE.BoxGeometry(Math.abs(size[0]) || 1e-3, Math.abs(size[2]) || 1e-3, Math.abs(size[1]) || 1e-3);
}

function boxLines(center, size, material) {
    const lines = new THREE.LineSegments(new THREE.EdgesGeometry(boxGeometry(size)), material);
    if (material.isLineDashedMaterial) lines.computeLineDistances();
    place(lines.position, center);
    return lines;
}

function collisionBox(box, materials) {
    const solid = new THREE.Mesh(boxGeometry(box.size), materials.fill);
    solid.renderOrder = 2;
    place(solid.position, box.center);
    const group = new THREE.Group();
    group.add(solid, boxLines(box.center, box.size, materials.line));
    return group;
}

// Studs on the ground below the brick: one a unit across its footprint and a
// unit around it; a brick wider than a few dozen units gets the grid alone.
const MAX_STUDS = 40 * 40;
function studGrid(size, materials) {
    const group = new THREE.Group();
    const cellsX = Math.max(1, Math.ceil(Math.abs(size[0]))) + 2;
    const cellsY = Math.max(1, Math.ceil(Math.abs(size[1]))) + 2;
    const ground = -Math.abs(size[2]) / 2;
    const points = [];
    for (let i = 0; i <= cellsX; ++i) {
        const x = i - cellsX / 2;
        points.push(x, ground, -cellsY / 2, x, ground, cellsY / 2);
    }
    for (let j = 0; j <= cellsY; ++j) {
        const z = j - cellsY / 2;
        points.push(-cellsX / 2, ground, z, cellsX / 2, ground, z);
    }
    const grid = new THREE.BufferGeometry();
    grid.setAttribute("position", new THREE.Float32BufferAttribute(points, 3));
    group.add(new THREE.LineSegments(grid, materials.grid));
    if (cellsX * cellsY > MAX_STUDS) return group;  // the lines alone on a large brick
    const stud = new THREE.CircleGeometry(0.3, 16).rotateX(-Math.PI / 2);
    const studs = new THREE.InstancedMesh(stud, materials.stud, cellsX * cellsY);
    const matrix = new THREE.Matrix4();
    let n = 0;
    for (let i = 0; i < cellsX; ++i) {
        for (let j = 0; j < cellsY; ++j) {
            matrix.makeTranslation(i + 0.5 - cellsX / 2, ground - 0.001, j + 0.5 - cellsY / 2);
            studs.setMatrixAt(n++, matrix);
        }
    }
    group.add(studs);
    return group;
}

function finiteSize(size) {
    return size.map(v => (Number.isFinite(v) && Math.abs(v) < 1e4 ? v : 1));
}

export function createView(canvas) {
    const renderer = new THREE.WebGLRenderer({ canvas, antialias: false, preserveDrawingBuffer: true });
    renderer.setPixelRatio(Math.min(window.devicePixelRatio || 1, 2));
    const scene = new THREE.Scene();
    scene.background = new THREE.Color("#f4f5f7");
    const camera = new THREE.PerspectiveCamera(40, 1, 0.01, 1000);
    const controls = new OrbitControls(camera, canvas);
    controls.enableDamping = false;
    controls.addEventListener("change", () => draw());
    const materials = createMaterials();
    let content = null;
    let framed = false;

    function draw() {
        renderer.render(scene, camera);
    }

    function resize() {
        const { clientWidth: width, clientHeight: height } = canvas;
        if (width === 0 || height === 0) return;
        renderer.setSize(width, height, false);
        camera.aspect = width / height;
        camera.updateProjectionMatrix();
        draw();
    }

    function frame(size) {
        const radius = Math.max(1, Math.hypot(size[0], size[1], size[2]) / 2 + 1);
        camera.position.set(radius * 1.6, radius * 1.3, radius * 2.0);
        controls.target.set(0, 0, 0);
        controls.update();
    }

    // Shows brick (as read back by the core), or nothing.
    function show(brick, keepCamera) {
        if (content) {
            scene.remove(content);
            content.traverse(object => {
                if (object.geometry) object.geometry.dispose();
            });
        }
        content = null;
        if (brick) {
            const size = finiteSize(brick.size);
            content = new THREE.Group();
            content.add(studGrid(size, materials));
            content.add(boxLines([0, 0, 0], size, materials.brick));
            brick.boxes.forEach((box, i) => content.add(collisionBox(box, materials.boxes[i % BOX_COLOURS.length])));
            content.add(quadMeshes(brick.quads, materials));
            scene.add(content);
            if (!keepCamera || !framed) frame(size);
            framed = true;
        }
        resize();
    }

    // Keys on the focused view: arrows turn, + and - zoom.
    canvas.addEventListener("keydown", event => {
        const step = Math.PI / 18;
        const turns = { ArrowLeft: [step, 0], ArrowRight: [-step, 0], ArrowUp: [0, step], ArrowDown: [0, -step] };
        const offset = camera.position.clone().sub(controls.target);
        const spherical = new THREE.Spherical().setFromVector3(offset);
        if (turns[event.key]) {
            spherical.theta += turns[event.key][0];
            spherical.phi = Math.min(Math.PI - 0.05, Math.max(0.05, spherical.phi - turns[event.key][1]));
        } else if (event.key === "+" || event.key === "=") {
            spherical.radius *= 0.85;
        } else if (event.key === "-") {
            spherical.radius /= 0.85;
        } else {
            return;
        }
        event.preventDefault();
        camera.position.copy(controls.target).add(new THREE.Vector3().setFromSpherical(spherical));
        controls.update();
    });
    new ResizeObserver(resize).observe(canvas);
    return { show, draw };
}

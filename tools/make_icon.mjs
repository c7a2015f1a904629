// Generates the program icon: 32 x 32 RGBA PNG, a dish antenna at the lower
// left sending its beam up to the full moon at the upper right.
//
// Usage: node make_icon.mjs OUTPUT.png [--preview OUTPUT-large.png]
//
// The picture is drawn from a few geometric shapes, each pixel averaged from
// a grid of sub-samples, so the edges are smooth and the file is the same on
// every run.
import { encodePngRgba, writePngRgba } from './lib/bitmap_files.mjs';
import fs from 'node:fs';

const kSize = 32;
const kSubSamples = 8;  // per pixel side

const kMoonCentre = [23.5, 8.5];
const kMoonRadius = 6.5;
const kCraters = [[21.5, 6.5, 1.6], [25.5, 11, 1.3], [25.8, 6.0, 0.9], [20.8, 10.8, 0.8]];

// The dish looks along the line towards the moon; u runs along its axis from
// the vertex, v across it. Its section is the parabola u = v^2 / (4 f).
const kDishVertex = [8.5, 22.5];
const kDishRadius = 8;
const kDishFocal = 2.6;
const kAxis = (() => {
  const dx = kMoonCentre[0] - kDishVertex[0];
  const dy = kMoonCentre[1] - kDishVertex[1];
  const n = Math.hypot(dx, dy);
  return [dx / n, dy / n];
})();
const kDepth = (kDishRadius * kDishRadius) / (4 * kDishFocal);
const kFocus = [kDishVertex[0] + kAxis[0] * kDishFocal, kDishVertex[1] + kAxis[1] * kDishFocal];
const kWaveRadii = [5.5, 8, 10.5];
const kWaveHalfAngle = 0.6;  // radians either side of the axis

const kColours = {
  moon: [236, 232, 200, 255],
  crater: [196, 190, 160, 255],
  moonRim: [150, 145, 120, 255],
  dish: [222, 228, 238, 255],
  dishRim: [70, 84, 110, 255],
  feed: [70, 84, 110, 255],
  mount: [96, 104, 120, 255],
  wave: [255, 160, 40, 255],
};

function dishCoordinates(x, y) {
  const dx = x - kDishVertex[0];
  const dy = y - kDishVertex[1];
  return [dx * kAxis[0] + dy * kAxis[1], -dx * kAxis[1] + dy * kAxis[0]];
}

function inBowl(x, y) {
  const [u, v] = dishCoordinates(x, y);
  return Math.abs(v) <= kDishRadius && u >= (v * v) / (4 * kDishFocal) && u <= kDepth;
}

const kOutline = 0.7;  // pixels of dark edge round the dish

function nearBowl(x, y) {
  for (let k = 0; k < 8; ++k) {
    const a = (k * Math.PI) / 4;
    if (inBowl(x + kOutline * Math.cos(a), y + kOutline * Math.sin(a))) return true;
  }
  return false;
}

function isBowlEdge(x, y) {
  for (let k = 0; k < 8; ++k) {
    const a = (k * Math.PI) / 4;
    if (!inBowl(x + kOutline * Math.cos(a), y + kOutline * Math.sin(a))) return true;
  }
  return false;
}

function distanceToSegment(x, y, [ax, ay], [bx, by]) {
  const t = Math.max(0, Math.min(1, ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2)));
  return Math.hypot(x - ax - t * (bx - ax), y - ay - t * (by - ay));
}

// The colour at a point, the topmost shape first; null is transparent.
function colourAt(x, y) {
  const dm = Math.hypot(x - kMoonCentre[0], y - kMoonCentre[1]);
  if (dm <= kMoonRadius) {
    if (dm > kMoonRadius - 0.8) return kColours.moonRim;
    for (const [cx, cy, r] of kCraters) if (Math.hypot(x - cx, y - cy) <= r) return kColours.crater;
    return kColours.moon;
  }
  const df = Math.hypot(x - kFocus[0], y - kFocus[1]);
  const angle = Math.atan2(y - kFocus[1], x - kFocus[0]) - Math.atan2(kAxis[1], kAxis[0]);
  if (Math.abs(angle) <= kWaveHalfAngle && kWaveRadii.some((r) => Math.abs(df - r) <= 0.55)) return kColours.wave;
  if (df <= 1.1) return kColours.feed;
  const rim = [kDishVertex[0] + kAxis[0] * kDepth, kDishVertex[1] + kAxis[1] * kDepth];
  const across = [-kAxis[1] * kDishRadius, kAxis[0] * kDishRadius];
  const feedLegs = [[rim[0] + across[0], rim[1] + across[1]], [rim[0] - across[0], rim[1] - across[1]]];
  if (feedLegs.some((end) => distanceToSegment(x, y, kFocus, end) <= 0.45)) return kColours.feed;
  if (inBowl(x, y)) return isBowlEdge(x, y) ? kColours.dishRim : kColours.dish;
  if (nearBowl(x, y)) return kColours.dishRim;
  if (distanceToSegment(x, y, kDishVertex, [7, 28]) <= 1.2) return kColours.mount;
  if (x >= 2.5 && x <= 12.5 && y >= 27.5 && y <= 30) return kColours.mount;
  return null;
}

export function renderIcon() {
  const rgba = new Uint8Array(kSize * kSize * 4);
  for (let py = 0; py < kSize; ++py) {
    for (let px = 0; px < kSize; ++px) {
      const sum = [0, 0, 0, 0];
      for (let j = 0; j < kSubSamples; ++j) {
        for (let i = 0; i < kSubSamples; ++i) {
          const c = colourAt(px + (i + 0.5) / kSubSamples, py + (j + 0.5) / kSubSamples);
          if (!c) continue;
          // Premultiplied sums, so transparent samples do not darken edges.
          sum[0] += c[0];
          sum[1] += c[1];
          sum[2] += c[2];
          sum[3] += 1;
        }
      }
      const at = (py * kSize + px) * 4;
      if (sum[3] > 0) {
        rgba[at] = Math.round(sum[0] / sum[3]);
        rgba[at + 1] = Math.round(sum[1] / sum[3]);
        rgba[at + 2] = Math.round(sum[2] / sum[3]);
        rgba[at + 3] = Math.round((255 * sum[3]) / (kSubSamples * kSubSamples));
      }
    }
  }
  return rgba;
}

function main(argv) {
  const output = argv[0];
  if (!output) {
    console.error('usage: node make_icon.mjs OUTPUT.png [--preview OUTPUT-large.png]');
    process.exit(2);
  }
  const rgba = renderIcon();
  fs.writeFileSync(output, encodePngRgba(kSize, kSize, rgba));
  const previewAt = argv.indexOf('--preview');
  if (previewAt >= 0) {
    const scale = 8;
    const big = new Uint8Array(kSize * scale * kSize * scale * 4);
    for (let y = 0; y < kSize * scale; ++y) {
      for (let x = 0; x < kSize * scale; ++x) {
        const from = (Math.floor(y / scale) * kSize + Math.floor(x / scale)) * 4;
        const a = rgba[from + 3] / 255;
        const grey = ((x >> 4) + (y >> 4)) % 2 ? 60 : 90;  // checker shows transparency
        for (let c = 0; c < 3; ++c) big[(y * kSize * scale + x) * 4 + c] = Math.round(rgba[from + c] * a + grey * (1 - a));
        big[(y * kSize * scale + x) * 4 + 3] = 255;
      }
    }
    writePngRgba(argv[previewAt + 1], kSize * scale, kSize * scale, big);
  }
}

main(process.argv.slice(2));

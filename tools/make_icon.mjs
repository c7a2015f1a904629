// Generates the program icon: a dish antenna at the lower left sending its
// beam up to the full moon at the upper right.
//
// Usage: node make_icon.mjs OUTPUT.png [--size N] [--preview OUTPUT-large.png]
//        node make_icon.mjs OUTPUT.svg
//
// The picture is a few geometric shapes laid out on a 32-unit square. A PNG
// samples them: each pixel is averaged from a grid of sub-samples, so the
// edges are smooth and the file is the same on every run; --size scales the
// square to N pixels (32 by default, the size built into the program). An
// SVG draws the same shapes as vector paths, for the scalable desktop icon.
import { encodePngRgba, writePngRgba } from './lib/bitmap_files.mjs';
import fs from 'node:fs';

const kSize = 32;  // units of the layout below; pixels of the program's icon
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

const kOutline = 0.7;  // units of dark edge round the dish
const kFeedRadius = 1.1;
const kFeedLegHalfWidth = 0.45;
const kWaveHalfWidth = 0.55;
const kMoonRimWidth = 0.8;
const kMountFoot = [7, 28];
const kMountHalfWidth = 1.2;
const kBase = { left: 2.5, right: 12.5, top: 27.5, bottom: 30 };
const kRim = [kDishVertex[0] + kAxis[0] * kDepth, kDishVertex[1] + kAxis[1] * kDepth];
const kAcross = [-kAxis[1] * kDishRadius, kAxis[0] * kDishRadius];
const kFeedLegEnds = [[kRim[0] + kAcross[0], kRim[1] + kAcross[1]], [kRim[0] - kAcross[0], kRim[1] - kAcross[1]]];

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
    if (dm > kMoonRadius - kMoonRimWidth) return kColours.moonRim;
    for (const [cx, cy, r] of kCraters) if (Math.hypot(x - cx, y - cy) <= r) return kColours.crater;
    return kColours.moon;
  }
  const df = Math.hypot(x - kFocus[0], y - kFocus[1]);
  const angle = Math.atan2(y - kFocus[1], x - kFocus[0]) - Math.atan2(kAxis[1], kAxis[0]);
  if (Math.abs(angle) <= kWaveHalfAngle && kWaveRadii.some((r) => Math.abs(df - r) <= kWaveHalfWidth)) return kColours.wave;
  if (df <= kFeedRadius) return kColours.feed;
  if (kFeedLegEnds.some((end) => distanceToSegment(x, y, kFocus, end) <= kFeedLegHalfWidth)) return kColours.feed;
  if (inBowl(x, y)) return isBowlEdge(x, y) ? kColours.dishRim : kColours.dish;
  if (nearBowl(x, y)) return kColours.dishRim;
  if (distanceToSegment(x, y, kDishVertex, kMountFoot) <= kMountHalfWidth) return kColours.mount;
  if (x >= kBase.left && x <= kBase.right && y >= kBase.top && y <= kBase.bottom) return kColours.mount;
  return null;
}

// The icon as size x size RGBA pixels.
export function renderIcon(size = kSize) {
  const scale = kSize / size;  // layout units per pixel
  const rgba = new Uint8Array(size * size * 4);
  for (let py = 0; py < size; ++py) {
    for (let px = 0; px < size; ++px) {
      const sum = [0, 0, 0, 0];
      for (let j = 0; j < kSubSamples; ++j) {
        for (let i = 0; i < kSubSamples; ++i) {
          const c = colourAt((px + (i + 0.5) / kSubSamples) * scale, (py + (j + 0.5) / kSubSamples) * scale);
          if (!c) continue;
          // Premultiplied sums, so transparent samples do not darken edges.
          sum[0] += c[0];
          sum[1] += c[1];
          sum[2] += c[2];
          sum[3] += 1;
        }
      }
      const at = (py * size + px) * 4;
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

// The same shapes as SVG, bottom first (colourAt tests them top first).
export function iconSvg() {
  const f = (v) => Number(v.toFixed(3)).toString();
  const point = ([x, y]) => `${f(x)} ${f(y)}`;
  const colour = ([r, g, b]) => `#${[r, g, b].map((c) => c.toString(16).padStart(2, '0')).join('')}`;
  // A point given in the dish's own coordinates (u along the axis, v across).
  const dishPoint = (u, v) => [kDishVertex[0] + u * kAxis[0] - v * kAxis[1], kDishVertex[1] + u * kAxis[1] + v * kAxis[0]];
  // The parabola from one rim edge to the other is exactly a quadratic
  // Bezier curve: its end tangents meet on the axis at u = -depth.
  const bowl = `M ${point(dishPoint(kDepth, -kDishRadius))} Q ${point(dishPoint(-kDepth, 0))} ${point(dishPoint(kDepth, kDishRadius))} Z`;
  const axisAngle = Math.atan2(kAxis[1], kAxis[0]);
  const arc = (r) => {
    const from = [kFocus[0] + r * Math.cos(axisAngle - kWaveHalfAngle), kFocus[1] + r * Math.sin(axisAngle - kWaveHalfAngle)];
    const to = [kFocus[0] + r * Math.cos(axisAngle + kWaveHalfAngle), kFocus[1] + r * Math.sin(axisAngle + kWaveHalfAngle)];
    return `M ${point(from)} A ${f(r)} ${f(r)} 0 0 1 ${point(to)}`;
  };
  const lines = [
    '<?xml version="1.0" encoding="UTF-8"?>',
    `<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 ${kSize} ${kSize}">`,
    '  <title>Kelvora Win</title>',
    `  <rect x="${f(kBase.left)}" y="${f(kBase.top)}" width="${f(kBase.right - kBase.left)}" height="${f(kBase.bottom - kBase.top)}" fill="${colour(kColours.mount)}"/>`,
    `  <path d="M ${point(kDishVertex)} L ${point(kMountFoot)}" stroke="${colour(kColours.mount)}" stroke-width="${f(2 * kMountHalfWidth)}" stroke-linecap="round"/>`,
    `  <path d="${bowl}" fill="${colour(kColours.dish)}" stroke="${colour(kColours.dishRim)}" stroke-width="${f(2 * kOutline)}" stroke-linejoin="round"/>`,
    ...kFeedLegEnds.map((end) => `  <path d="M ${point(kFocus)} L ${point(end)}" stroke="${colour(kColours.feed)}" stroke-width="${f(2 * kFeedLegHalfWidth)}" stroke-linecap="round"/>`),
    `  <circle cx="${f(kFocus[0])}" cy="${f(kFocus[1])}" r="${f(kFeedRadius)}" fill="${colour(kColours.feed)}"/>`,
    `  <path d="${kWaveRadii.map(arc).join(' ')}" fill="none" stroke="${colour(kColours.wave)}" stroke-width="${f(2 * kWaveHalfWidth)}"/>`,
    `  <circle cx="${f(kMoonCentre[0])}" cy="${f(kMoonCentre[1])}" r="${f(kMoonRadius)}" fill="${colour(kColours.moonRim)}"/>`,
    `  <circle cx="${f(kMoonCentre[0])}" cy="${f(kMoonCentre[1])}" r="${f(kMoonRadius - kMoonRimWidth)}" fill="${colour(kColours.moon)}"/>`,
    ...kCraters.map(([cx, cy, r]) => `  <circle cx="${f(cx)}" cy="${f(cy)}" r="${f(r)}" fill="${colour(kColours.crater)}"/>`),
    '</svg>',
    '',
  ];
  return lines.join('\n');
}

function main(argv) {
  const output = argv[0];
  if (!output) {
    console.error('usage: node make_icon.mjs OUTPUT.png [--size N] [--preview OUTPUT-large.png] | OUTPUT.svg');
    process.exit(2);
  }
  if (output.endsWith('.svg')) {
    fs.writeFileSync(output, iconSvg());
    return;
  }
  const sizeAt = argv.indexOf('--size');
  const size = sizeAt >= 0 ? Number(argv[sizeAt + 1]) : kSize;
  if (!Number.isInteger(size) || size < 16 || size > 512) {
    console.error('make_icon: --size must be a whole number of pixels from 16 to 512');
    process.exit(2);
  }
  const rgba = renderIcon(size);
  fs.writeFileSync(output, encodePngRgba(size, size, rgba));
  const previewAt = argv.indexOf('--preview');
  if (previewAt >= 0) {
    const scale = Math.max(1, Math.round(256 / size));
    const big = new Uint8Array(size * scale * size * scale * 4);
    for (let y = 0; y < size * scale; ++y) {
      for (let x = 0; x < size * scale; ++x) {
        const from = (Math.floor(y / scale) * size + Math.floor(x / scale)) * 4;
        const a = rgba[from + 3] / 255;
        const grey = ((x >> 4) + (y >> 4)) % 2 ? 60 : 90;  // checker shows transparency
        for (let c = 0; c < 3; ++c) big[(y * size * scale + x) * 4 + c] = Math.round(rgba[from + c] * a + grey * (1 - a));
        big[(y * size * scale + x) * 4 + 3] = 255;
      }
    }
    writePngRgba(argv[previewAt + 1], size * scale, size * scale, big);
  }
}

main(process.argv.slice(2));

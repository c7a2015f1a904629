// Generates the earth-map picture: 431 x 305 pixels, 16 colours, 4-bit BMP.
// Coastlines in teal on black with a dotted land fill, in the program's own
// Mercator projection (Greenwich at column 322, the equator at picture row
// 192, 90 E at both edges).
//
// Usage: node make_earth_map.mjs OUTPUT.bmp [--preview OUTPUT.png]
//
// Land data: Natural Earth 1:50m land polygons (public domain), as shipped by
// the npm package world-atlas. Every pixel is classified from the geographic
// cell that the program's forward projection sends to it, so the seam at
// 180 degrees and the different column scales west and east of Greenwich come
// out exactly as the markers are placed.
import { kPalette, kColour } from './lib/palette.mjs';
import { writeBmp4 } from './lib/bitmap_files.mjs';
import { loadLandTopology, landEdges, crossingsAtLatitude, isLandOnParallel } from './lib/land_polygons.mjs';
import { kMapWidth, kMapHeight, eastLongitudeInColumn, latitudeInRow } from './lib/earth_projection.mjs';
import { writePreview } from './lib/preview.mjs';

const kSamplesPerSide = 4;     // sub-samples per pixel side
const kLandFraction = 0.5;     // share of land sub-samples that makes a land pixel
const kIslandFraction = 0.25;  // share that still shows a lone island

const kSea = kColour.black;
const kCoast = kColour.teal;
const kLandDot = kColour.teal;

// Share of each pixel's cell that is land, 0..1.
function landShares(land) {
  const share = new Float64Array(kMapWidth * kMapHeight);
  const columnLongitudes = [];
  for (let x = 0; x < kMapWidth; ++x) {
    const row = [];
    for (let i = 0; i < kSamplesPerSide; ++i) {
      row.push(eastLongitudeInColumn(x, (i + 0.5) / kSamplesPerSide));
    }
    columnLongitudes.push(row);
  }
  for (let py = 0; py < kMapHeight; ++py) {
    for (let j = 0; j < kSamplesPerSide; ++j) {
      const crossings = crossingsAtLatitude(land, latitudeInRow(py, (j + 0.5) / kSamplesPerSide));
      for (let x = 0; x < kMapWidth; ++x) {
        for (const lon of columnLongitudes[x]) {
          if (isLandOnParallel(crossings, lon)) share[py * kMapWidth + x] += 1;
        }
      }
    }
  }
  return share.map((n) => n / (kSamplesPerSide * kSamplesPerSide));
}

// Land interior gets a sparse checker of dots (one pixel in four), so the
// footprint fill drawn over the map still shows the continents.
function isDotPosition(x, y) {
  return (y % 2 === 0) && ((x + y / 2) % 2 === 0);
}

export function renderEarthMap(land) {
  const share = landShares(land);
  const inside = (x, y) => x >= 0 && y >= 0 && x < kMapWidth && y < kMapHeight;
  const isLand = (x, y) => !inside(x, y) || share[y * kMapWidth + x] >= kLandFraction;  // no coast at the frame
  const pixels = new Uint8Array(kMapWidth * kMapHeight).fill(kSea);
  for (let y = 0; y < kMapHeight; ++y) {
    for (let x = 0; x < kMapWidth; ++x) {
      if (isLand(x, y)) {
        const coast = !isLand(x - 1, y) || !isLand(x + 1, y) || !isLand(x, y - 1) || !isLand(x, y + 1);
        if (coast) pixels[y * kMapWidth + x] = kCoast;
        else if (isDotPosition(x, y)) pixels[y * kMapWidth + x] = kLandDot;
      } else if (share[y * kMapWidth + x] >= kIslandFraction && isLoneIsland(share, x, y)) {
        pixels[y * kMapWidth + x] = kCoast;
      }
    }
  }
  return pixels;
}

// An island too small to fill half a pixel still shows as one coast pixel:
// the pixel that holds most of it, when no land pixel touches it.
function isLoneIsland(share, x, y) {
  const own = share[y * kMapWidth + x];
  for (let dy = -1; dy <= 1; ++dy) {
    for (let dx = -1; dx <= 1; ++dx) {
      const nx = x + dx;
      const ny = y + dy;
      if ((dx === 0 && dy === 0) || nx < 0 || ny < 0 || nx >= kMapWidth || ny >= kMapHeight) continue;
      const other = share[ny * kMapWidth + nx];
      if (other >= kLandFraction) return false;
      // Of two neighbours holding the same island, the larger share (or the
      // first in reading order) takes it.
      if (other > own || (other === own && (dy < 0 || (dy === 0 && dx < 0)))) return false;
    }
  }
  return true;
}

function main(argv) {
  const output = argv[0];
  if (!output) {
    console.error('usage: node make_earth_map.mjs OUTPUT.bmp [--preview OUTPUT.png]');
    process.exit(2);
  }
  const pixels = renderEarthMap(landEdges(loadLandTopology()));
  writeBmp4(output, kMapWidth, kMapHeight, kPalette, pixels);
  const previewAt = argv.indexOf('--preview');
  if (previewAt >= 0) writePreview(argv[previewAt + 1], kMapWidth, kMapHeight, kPalette, pixels);
}

main(process.argv.slice(2));

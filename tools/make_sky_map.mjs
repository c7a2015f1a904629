// Generates the sky-map picture: 434 x 308 pixels, 16 colours, 4-bit BMP.
// An equatorial chart with right ascension 24 h at the left edge to 0 h at
// the right (17.75 pixels an hour) and declination +90 at the top to -90 at
// the bottom (1.7 pixels a degree, 0 at window row 322, the picture's top
// being window row 170); a dashed grid every 2 h and 30 degrees; contour lines
// of a smooth model of the radio-sky background (lib/sky_model.mjs); and
// lettered marks for the strong radio sources and the galactic poles.
//
// Usage: node make_sky_map.mjs OUTPUT.bmp [--preview OUTPUT.png]
//        node make_sky_map.mjs --check   (compare the model with the sky
//                                         temperature along the moon's path)
import { kPalette, kColour } from './lib/palette.mjs';
import { writeBmp4 } from './lib/bitmap_files.mjs';
import { writePreview } from './lib/preview.mjs';
import { skyBrightness, galacticFromEquatorial } from './lib/sky_model.mjs';
import { forEachTextPixel, textWidth, kCapHeight } from './lib/bitmap_font.mjs';

export const kSkyWidth = 434;
export const kSkyHeight = 308;
const kShownWidth = 431;           // the panel shows only the left 431 columns
const kTopWindowRow = 170;
const kColumnsPerHour = 17.75;
const kRowsPerDegree = 1.7;
const kEquatorWindowRow = 322;

// Where the program places a sky position: column and picture row (doubles).
export function skyPlacement(raHours, decDegrees) {
  return {
    column: (24 - raHours) * kColumnsPerHour,
    row: kEquatorWindowRow - kRowsPerDegree * decDegrees - kTopWindowRow,
  };
}

// Brightness contour levels (model units) and the colour of the line drawn
// where the sky rises through each: dim colours for the faint outer levels,
// brighter ones towards the galactic centre. Yellow and white stay free for
// the moon and the sun drawn over the map.
const kContours = [
  [260, kColour.navy],
  [360, kColour.blue],
  [500, kColour.purple],
  [700, kColour.teal],
  [1000, kColour.green],
  [1400, kColour.olive],
  [2000, kColour.maroon],
  [2800, kColour.red],
  [3800, kColour.fuchsia],
];

const kGridColour = kColour.grey;
const kGridHours = 2;
const kGridDegrees = 30;
const kDashOn = 3;                 // pixels drawn, then as many left out
const kLabelColour = kColour.silver;
const kSourceColour = kColour.aqua;
const kPoleColour = kColour.silver;

// J2000 positions: right ascension in hours, declination in degrees.
const hm = (h, m) => h + m / 60;
const kSources = [
  { name: 'Cassiopeia A', ra: hm(23, 23.4), dec: 58.8 },
  { name: 'Cygnus A', ra: hm(19, 59.5), dec: 40.7 },
  { name: 'Taurus A', ra: hm(5, 34.5), dec: 22.0 },
  { name: 'Sagittarius A', ra: hm(17, 45.7), dec: -29.0 },
  { name: 'Centaurus A', ra: hm(13, 25.5), dec: -43.0 },
];
const kGalacticPoles = [
  { name: 'NGP', ra: hm(12, 51.4), dec: 27.1, labelLeft: false },
  { name: 'SGP', ra: hm(0, 51.4), dec: -27.1, labelLeft: true },
];

class Canvas {
  constructor(width, height) {
    this.width = width;
    this.height = height;
    this.pixels = new Uint8Array(width * height).fill(kColour.black);
  }
  set(x, y, colour) {
    if (x >= 0 && y >= 0 && x < this.width && y < this.height) this.pixels[y * this.width + x] = colour;
  }
  // Text with a one-pixel black margin, so it reads over grid and contours.
  text(str, left, top, colour) {
    forEachTextPixel(str, left, top, (x, y) => {
      for (let dy = -1; dy <= 1; ++dy) for (let dx = -1; dx <= 1; ++dx) this.set(x + dx, y + dy, kColour.black);
    });
    forEachTextPixel(str, left, top, (x, y) => this.set(x, y, colour));
  }
}

function contourLevel(brightness) {
  let level = 0;
  while (level < kContours.length && brightness >= kContours[level][0]) ++level;
  return level;
}

// Sky position at the centre of a picture pixel; columns right of 0 h wrap
// round to the hours just below 24.
function pixelSky(x, y) {
  let ra = 24 - (x + 0.5) / kColumnsPerHour;
  if (ra < 0) ra += 24;
  const dec = (kEquatorWindowRow - (y + kTopWindowRow + 0.5)) / kRowsPerDegree;
  return { ra, dec: Math.max(-90, Math.min(90, dec)) };
}

function drawGrid(canvas) {
  for (let hours = 0; hours <= 24; hours += kGridHours) {
    const x = Math.trunc(hours * kColumnsPerHour);
    for (let y = 0; y < canvas.height; ++y) if (y % (2 * kDashOn) < kDashOn) canvas.set(x, y, kGridColour);
  }
  for (let dec = 90; dec >= -90; dec -= kGridDegrees) {
    const y = Math.trunc(skyPlacement(0, dec).row);
    for (let x = 0; x < canvas.width; ++x) if (x % (2 * kDashOn) < kDashOn) canvas.set(x, y, kGridColour);
  }
}

// A contour pixel is one whose level is above that of a 4-neighbour: the
// line runs along the inner edge of each brighter region.
function drawContours(canvas) {
  const levels = new Uint8Array(canvas.width * canvas.height);
  for (let y = 0; y < canvas.height; ++y) {
    for (let x = 0; x < canvas.width; ++x) {
      const { ra, dec } = pixelSky(x, y);
      levels[y * canvas.width + x] = contourLevel(skyBrightness(ra, dec));
    }
  }
  const at = (x, y) => levels[Math.min(canvas.height - 1, Math.max(0, y)) * canvas.width +
                              Math.min(canvas.width - 1, Math.max(0, x))];
  for (let y = 0; y < canvas.height; ++y) {
    for (let x = 0; x < canvas.width; ++x) {
      const own = at(x, y);
      if (own > 0 && (at(x - 1, y) < own || at(x + 1, y) < own || at(x, y - 1) < own || at(x, y + 1) < own)) {
        canvas.set(x, y, kContours[own - 1][1]);
      }
    }
  }
}

function drawAxisLabels(canvas) {
  // Hour figures along the bottom, just above the -90 degree line: the
  // panel writes its view caption over the top-left corner.
  const hoursTop = Math.trunc(skyPlacement(0, -90).row) - kCapHeight - 3;
  for (let hours = 24; hours >= 0; hours -= kGridHours) {
    const label = `${hours}h`;
    const x = Math.trunc((24 - hours) * kColumnsPerHour) - Math.floor(textWidth(label) / 2);
    canvas.text(label, Math.max(1, Math.min(kShownWidth - 1 - textWidth(label), x)), hoursTop, kLabelColour);
  }
  // Declination figures sit in the quiet sky near 9 h, clear of every mark.
  const column = Math.trunc((24 - 9.2) * kColumnsPerHour);
  for (let dec = 60; dec >= -60; dec -= kGridDegrees) {
    const label = `${dec > 0 ? '+' : ''}${dec}°`;
    canvas.text(label, column, Math.trunc(skyPlacement(0, dec).row) - kCapHeight - 2, kLabelColour);
  }
}

function drawSource(canvas, { name, ra, dec }) {
  const p = skyPlacement(ra, dec);
  const x = Math.trunc(p.column);
  const y = Math.trunc(p.row);
  for (let d = -2; d <= 2; ++d) {
    canvas.set(x + d, y, kSourceColour);
    canvas.set(x, y + d, kSourceColour);
  }
  canvas.set(x - 1, y - 1, kSourceColour);
  canvas.set(x + 1, y - 1, kSourceColour);
  canvas.set(x - 1, y + 1, kSourceColour);
  canvas.set(x + 1, y + 1, kSourceColour);
  canvas.text(name, x + 5, y - 3, kLabelColour);
}

// Circled cross: a ring of radius 4 with a cross through it.
function drawGalacticPole(canvas, { name, ra, dec, labelLeft }) {
  const p = skyPlacement(ra, dec);
  const x = Math.trunc(p.column);
  const y = Math.trunc(p.row);
  const kRing = [[4, 0], [4, 1], [3, 2], [3, 3], [2, 3], [1, 4], [0, 4]];
  for (const [a, b] of kRing) {
    for (const [sx, sy] of [[1, 1], [1, -1], [-1, 1], [-1, -1]]) canvas.set(x + sx * a, y + sy * b, kPoleColour);
  }
  for (let d = -3; d <= 3; ++d) {
    canvas.set(x + d, y, kPoleColour);
    canvas.set(x, y + d, kPoleColour);
  }
  const left = labelLeft ? x - 7 - textWidth(name) : x + 7;
  canvas.text(name, left, y - 3, kLabelColour);
}

export function renderSkyMap() {
  const canvas = new Canvas(kSkyWidth, kSkyHeight);
  drawGrid(canvas);
  drawContours(canvas);
  drawAxisLabels(canvas);
  kSources.forEach((s) => drawSource(canvas, s));
  kGalacticPoles.forEach((p) => drawGalacticPole(canvas, p));
  return canvas.pixels;
}

// The program's sky temperature behind the moon, kelvin, one value per half
// hour of right ascension from 0 h (its own table, less the repeated ends).
const kMoonSkyTemperature = [
  290, 310, 325, 340, 370, 410, 420, 410, 420, 470, 540, 595, 570, 475, 420, 350,
  250, 220, 190, 210, 215, 230, 240, 270, 300, 360, 360, 370, 400, 440, 480, 520,
  595, 795, 1000, 2200, 3700, 2300, 1000, 690, 440, 390, 380, 400, 320, 280, 280, 280,
];
const kObliquity = 23.44;          // degrees
const kMinimumCorrelation = 0.9;   // of the logarithms

// The model seen along the ecliptic (the moon keeps within about 5 degrees
// of it), averaged over that band, should rise and fall with the table and
// peak in the same half hour.
function checkModel(verbose) {
  const rad = Math.PI / 180;
  const model = kMoonSkyTemperature.map((_, i) => {
    const a = (i / 2) * 15 * rad;
    const lambda = Math.atan2(Math.sin(a), Math.cos(a) * Math.cos(kObliquity * rad));
    const dec = Math.asin(Math.sin(kObliquity * rad) * Math.sin(lambda)) / rad;
    return [-5, 0, 5].reduce((sum, d) => sum + skyBrightness(i / 2, dec + d), 0) / 3;
  });
  const lx = kMoonSkyTemperature.map(Math.log);
  const ly = model.map(Math.log);
  const mean = (v) => v.reduce((s, u) => s + u, 0) / v.length;
  const mx = mean(lx);
  const my = mean(ly);
  let sxy = 0;
  let sxx = 0;
  let syy = 0;
  lx.forEach((u, i) => {
    sxy += (u - mx) * (ly[i] - my);
    sxx += (u - mx) ** 2;
    syy += (ly[i] - my) ** 2;
  });
  const correlation = sxy / Math.sqrt(sxx * syy);
  const argmax = (v) => v.indexOf(Math.max(...v));
  if (verbose) model.forEach((m, i) => console.log(`${(i / 2).toFixed(1).padStart(4)} h  table ${String(kMoonSkyTemperature[i]).padStart(4)}  model ${m.toFixed(0).padStart(4)}`));
  const gc = galacticFromEquatorial(hm(17, 45.7), -29.0);
  if (verbose) console.log(`correlation of logarithms ${correlation.toFixed(3)}; peak at ${argmax(model) / 2} h (table ${argmax(kMoonSkyTemperature) / 2} h); Sagittarius A at l=${gc.l.toFixed(2)} b=${gc.b.toFixed(2)}`);
  if (correlation < kMinimumCorrelation || argmax(model) !== argmax(kMoonSkyTemperature)) {
    throw new Error('the sky model no longer follows the sky temperature table');
  }
}

function main(argv) {
  checkModel(argv[0] === '--check');
  if (argv[0] === '--check') return;
  const output = argv[0];
  if (!output) {
    console.error('usage: node make_sky_map.mjs OUTPUT.bmp [--preview OUTPUT.png] | --check');
    process.exit(2);
  }
  const pixels = renderSkyMap();
  writeBmp4(output, kSkyWidth, kSkyHeight, kPalette, pixels);
  const previewAt = argv.indexOf('--preview');
  if (previewAt >= 0) writePreview(argv[previewAt + 1], kSkyWidth, kSkyHeight, kPalette, pixels);
}

main(process.argv.slice(2));

// A PNG copy of an indexed picture, to look at while working on a generator.
import { writePngRgba } from './bitmap_files.mjs';

export function writePreview(path, width, height, palette, pixels, scale = 1) {
  const w = width * scale;
  const h = height * scale;
  const rgba = new Uint8Array(w * h * 4);
  for (let y = 0; y < h; ++y) {
    for (let x = 0; x < w; ++x) {
      const [r, g, b] = palette[pixels[Math.floor(y / scale) * width + Math.floor(x / scale)]];
      rgba.set([r, g, b, 255], (y * w + x) * 4);
    }
  }
  writePngRgba(path, w, h, rgba);
}

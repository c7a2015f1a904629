// Writers (and a reader for self-checks) of the two picture formats the
// program ships: 4-bit indexed BMP (the map pictures, read by QImage) and
// 8-bit RGBA PNG (the icon). Only Node's own modules are used.
import fs from 'node:fs';
import zlib from 'node:zlib';

const kBmpFileHeaderBytes = 14;
const kBmpInfoHeaderBytes = 40;  // BITMAPINFOHEADER
const kPaletteEntries = 16;

// Bytes of one 4-bit row, padded to a multiple of four as BMP requires.
function bmpRowBytes(width) {
  return Math.floor((width * 4 + 31) / 32) * 4;
}

// pixels: one palette index (0-15) per pixel, row by row from the top.
// palette: 16 [r, g, b] triples.
export function encodeBmp4(width, height, palette, pixels) {
  if (palette.length !== kPaletteEntries) throw new Error('palette must have 16 entries');
  if (pixels.length !== width * height) throw new Error('pixel count does not match the size');
  const rowBytes = bmpRowBytes(width);
  const dataOffset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes + 4 * kPaletteEntries;
  const fileSize = dataOffset + rowBytes * height;
  const out = Buffer.alloc(fileSize);
  out.write('BM', 0, 'latin1');
  out.writeUInt32LE(fileSize, 2);
  out.writeUInt32LE(dataOffset, 10);
  out.writeUInt32LE(kBmpInfoHeaderBytes, 14);
  out.writeInt32LE(width, 18);
  out.writeInt32LE(height, 22);  // positive: rows stored bottom-up
  out.writeUInt16LE(1, 26);      // planes
  out.writeUInt16LE(4, 28);      // bits per pixel
  out.writeUInt32LE(0, 30);      // BI_RGB, uncompressed
  out.writeUInt32LE(rowBytes * height, 34);
  out.writeInt32LE(2835, 38);    // 72 dpi, as pixels per metre
  out.writeInt32LE(2835, 42);
  out.writeUInt32LE(kPaletteEntries, 46);
  out.writeUInt32LE(kPaletteEntries, 50);
  palette.forEach(([r, g, b], i) => {
    const at = kBmpFileHeaderBytes + kBmpInfoHeaderBytes + 4 * i;
    out[at] = b;
    out[at + 1] = g;
    out[at + 2] = r;
  });
  for (let y = 0; y < height; ++y) {
    const rowStart = dataOffset + (height - 1 - y) * rowBytes;
    for (let x = 0; x < width; ++x) {
      const index = pixels[y * width + x];
      if (index < 0 || index > 15) throw new Error(`palette index ${index} out of range`);
      const at = rowStart + (x >> 1);
      out[at] |= (x & 1) ? index : index << 4;
    }
  }
  return out;
}

// The inverse of encodeBmp4 for the files this module writes.
export function decodeBmp4(bytes) {
  if (bytes.toString('latin1', 0, 2) !== 'BM') throw new Error('not a BMP file');
  const dataOffset = bytes.readUInt32LE(10);
  const width = bytes.readInt32LE(18);
  const height = bytes.readInt32LE(22);
  if (bytes.readUInt16LE(28) !== 4 || bytes.readUInt32LE(30) !== 0) {
    throw new Error('not an uncompressed 4-bit BMP');
  }
  const palette = [];
  for (let i = 0; i < kPaletteEntries; ++i) {
    const at = kBmpFileHeaderBytes + kBmpInfoHeaderBytes + 4 * i;
    palette.push([bytes[at + 2], bytes[at + 1], bytes[at]]);
  }
  const rowBytes = bmpRowBytes(width);
  const pixels = new Uint8Array(width * height);
  for (let y = 0; y < height; ++y) {
    const rowStart = dataOffset + (height - 1 - y) * rowBytes;
    for (let x = 0; x < width; ++x) {
      const byte = bytes[rowStart + (x >> 1)];
      pixels[y * width + x] = (x & 1) ? byte & 0x0f : byte >> 4;
    }
  }
  return { width, height, palette, pixels };
}

export function writeBmp4(path, width, height, palette, pixels) {
  fs.writeFileSync(path, encodeBmp4(width, height, palette, pixels));
}

const crcTable = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; ++n) {
    let c = n;
    for (let k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function pngChunk(type, data) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(data.length, 0);
  head.write(type, 4, 'latin1');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
  return Buffer.concat([head, data, crc]);
}

// rgba: width * height * 4 bytes, row by row from the top. No time or text
// chunks, so the same pixels always give the same file.
export function encodePngRgba(width, height, rgba) {
  if (rgba.length !== width * height * 4) throw new Error('pixel count does not match the size');
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;  // bits per channel
  header[9] = 6;  // colour type: RGBA
  const raw = Buffer.alloc((width * 4 + 1) * height);
  for (let y = 0; y < height; ++y) {
    raw[y * (width * 4 + 1)] = 0;  // filter: none
    Buffer.from(rgba.buffer, rgba.byteOffset + y * width * 4, width * 4)
      .copy(raw, y * (width * 4 + 1) + 1);
  }
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    pngChunk('IHDR', header),
    pngChunk('IDAT', zlib.deflateSync(raw, { level: 9 })),
    pngChunk('IEND', Buffer.alloc(0)),
  ]);
}

export function writePngRgba(path, width, height, rgba) {
  fs.writeFileSync(path, encodePngRgba(width, height, rgba));
}

// Pictures for the browser tests: Chromium's PNG screenshots read into RGB
// pixels, the desktop's PPM frames read, PNGs written for people to look at,
// and the measures the tests judge pictures by. Plain Node (zlib), no
// packages: the screenshots are 8-bit, non-interlaced RGB or RGBA.
import fs from 'node:fs';
import zlib from 'node:zlib';

const PNG_SIGNATURE = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);

// { width, height, rgb } with rgb a Buffer of width * height * 3 bytes, top row first.
export function decodePng(bytes) {
  const buf = Buffer.from(bytes);
  if (!buf.subarray(0, 8).equals(PNG_SIGNATURE)) throw new Error('not a PNG');
  let width = 0, height = 0, depth = 0, colourType = 0, interlace = 0;
  const idat = [];
  for (let at = 8; at < buf.length;) {
    const length = buf.readUInt32BE(at);
    const type = buf.toString('latin1', at + 4, at + 8);
    const data = buf.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      depth = data[8];
      colourType = data[9];
      interlace = data[12];
    } else if (type === 'IDAT') {
      idat.push(data);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + length;
  }
  const channels = { 2: 3, 6: 4 }[colourType];
  if (depth !== 8 || !channels || interlace !== 0) {
    throw new Error(`PNG of depth ${depth}, colour type ${colourType}, interlace ${interlace}: not read here`);
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = pixels.subarray(y * stride, (y + 1) * stride);
    const up = y > 0 ? pixels.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? out[i - channels] : 0;
      const b = up[i];
      const c = i >= channels ? up[i - channels] : 0;
      let v = line[i];
      switch (filter) {
        case 0: break;
        case 1: v += a; break;
        case 2: v += b; break;
        case 3: v += (a + b) >> 1; break;
        case 4: {
          const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
          v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default: throw new Error(`PNG filter ${filter} on row ${y}`);
      }
      out[i] = v & 0xff;
    }
  }
  if (channels === 3) return { width, height, rgb: pixels };
  const rgb = Buffer.alloc(width * height * 3);
  for (let p = 0; p < width * height; ++p) pixels.copy(rgb, p * 3, p * 4, p * 4 + 3);
  return { width, height, rgb };
}

const CRC_TABLE = (() => {
  const table = new Uint32Array(256);
  for (let n = 0; n < 256; ++n) {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    table[n] = c >>> 0;
  }
  return table;
})();

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = CRC_TABLE[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(data.length, 0);
  head.write(type, 4, 'latin1');
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
  return Buffer.concat([head, data, crc]);
}

export function encodePng({ width, height, rgb }) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8; // bits a channel
  header[9] = 2; // RGB
  const raw = Buffer.alloc((width * 3 + 1) * height);
  for (let y = 0; y < height; ++y) rgb.copy(raw, y * (width * 3 + 1) + 1, y * width * 3, (y + 1) * width * 3);
  return Buffer.concat([PNG_SIGNATURE, chunk('IHDR', header), chunk('IDAT', zlib.deflateSync(raw)),
    chunk('IEND', Buffer.alloc(0))]);
}

// Binary PPM (P6, maxval 255), as the desktop's reference program writes it.
export function readPpm(path) {
  const buf = fs.readFileSync(path);
  const fields = [];
  let at = 0;
  while (fields.length < 4) {
    while (/\s/.test(String.fromCharCode(buf[at]))) ++at;
    if (buf[at] === 0x23) { // a comment runs to the end of its line
      while (buf[at] !== 0x0a) ++at;
      continue;
    }
    const start = at;
    while (!/\s/.test(String.fromCharCode(buf[at]))) ++at;
    fields.push(buf.toString('latin1', start, at));
  }
  const [magic, width, height, maxval] = [fields[0], Number(fields[1]), Number(fields[2]), Number(fields[3])];
  if (magic !== 'P6' || maxval !== 255) throw new Error(`${path}: not an 8-bit binary PPM`);
  const rgb = buf.subarray(at + 1, at + 1 + width * height * 3);
  if (rgb.length !== width * height * 3) throw new Error(`${path}: short of pixels`);
  return { width, height, rgb: Buffer.from(rgb) };
}

// Pixels of the rectangle [x0, x1) x [y0, y1) for which test(r, g, b) holds, as a share of them.
export function shareWhere(image, [x0, y0, x1, y1], test) {
  let hits = 0;
  for (let y = y0; y < y1; ++y) {
    for (let x = x0; x < x1; ++x) {
      const i = (y * image.width + x) * 3;
      if (test(image.rgb[i], image.rgb[i + 1], image.rgb[i + 2])) ++hits;
    }
  }
  return hits / ((x1 - x0) * (y1 - y0));
}

// How two pictures of one size differ: `mean`, the mean absolute difference over every channel of every pixel
// (0-255); `farShare`, the share of pixels with some channel more than `far` apart; and `worstCell`, that share in
// the CELL x CELL square where it is highest, which finds a small thing drawn on one side only (a crosshair, a
// creature) that the whole frame's share would average away.
export const CELL = 20;
export function difference(a, b, far) {
  if (a.width !== b.width || a.height !== b.height) {
    throw new Error(`sizes differ: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  }
  const columns = Math.ceil(a.width / CELL);
  const farInCell = new Array(columns * Math.ceil(a.height / CELL)).fill(0);
  let sum = 0, farPixels = 0;
  for (let y = 0; y < a.height; ++y) {
    for (let x = 0; x < a.width; ++x) {
      const i = (y * a.width + x) * 3;
      const dr = Math.abs(a.rgb[i] - b.rgb[i]);
      const dg = Math.abs(a.rgb[i + 1] - b.rgb[i + 1]);
      const db = Math.abs(a.rgb[i + 2] - b.rgb[i + 2]);
      sum += dr + dg + db;
      if (Math.max(dr, dg, db) > far) {
        ++farPixels;
        ++farInCell[Math.floor(y / CELL) * columns + Math.floor(x / CELL)];
      }
    }
  }
  const pixels = a.width * a.height;
  return { mean: sum / (pixels * 3), farShare: farPixels / pixels, worstCell: Math.max(...farInCell) / (CELL * CELL) };
}

// Side by side for people: a | b | their difference, brightened four times.
export function sideBySide(a, b) {
  const width = a.width * 3, height = a.height;
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < a.width; ++x) {
      const i = (y * a.width + x) * 3;
      for (let c = 0; c < 3; ++c) {
        rgb[(y * width + x) * 3 + c] = a.rgb[i + c];
        rgb[(y * width + a.width + x) * 3 + c] = b.rgb[i + c];
        rgb[(y * width + 2 * a.width + x) * 3 + c] = Math.min(255, 4 * Math.abs(a.rgb[i + c] - b.rgb[i + c]));
      }
    }
  }
  return { width, height, rgb };
}

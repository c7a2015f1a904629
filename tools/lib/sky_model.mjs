// A smooth model of the radio-sky background brightness at metre
// wavelengths, made for the sky-map picture: an even floor, a thin bright
// galactic disc that fades from the galactic centre towards the anticentre,
// a broader halo around the plane, the central bulge, and the Cygnus X
// region along the plane at galactic longitude 80 degrees. Values are in
// kelvin-like units on the scale of the program's sky-temperature table
// (quiet sky a little under 200, the galactic centre a few thousand).

// J2000 equatorial to galactic rotation (rows: the galactic x, y, z axes in
// equatorial coordinates), the standard matrix of the Hipparcos introduction.
const kEquatorialToGalactic = [
  [-0.0548755604162154, -0.8734370902348850, -0.4838350155487132],
  [0.4941094278755837, -0.4448296299600112, 0.7469822444972189],
  [-0.8676661490190047, -0.1980763734312015, 0.4559837761750669],
];

const kDegree = Math.PI / 180;

// Right ascension in hours, declination in degrees -> galactic longitude
// (-180, 180] and latitude in degrees.
export function galacticFromEquatorial(raHours, decDegrees) {
  const a = raHours * 15 * kDegree;
  const d = decDegrees * kDegree;
  const v = [Math.cos(d) * Math.cos(a), Math.cos(d) * Math.sin(a), Math.sin(d)];
  const [x, y, z] = kEquatorialToGalactic.map((r) => r[0] * v[0] + r[1] * v[1] + r[2] * v[2]);
  return { l: Math.atan2(y, x) / kDegree, b: Math.asin(Math.max(-1, Math.min(1, z))) / kDegree };
}

// Galactic longitude and latitude in degrees -> right ascension in hours
// [0, 24) and declination in degrees (the transposed rotation).
export function equatorialFromGalactic(lDegrees, bDegrees) {
  const l = lDegrees * kDegree;
  const b = bDegrees * kDegree;
  const g = [Math.cos(b) * Math.cos(l), Math.cos(b) * Math.sin(l), Math.sin(b)];
  const v = [0, 1, 2].map((i) => kEquatorialToGalactic.reduce((sum, row, k) => sum + row[i] * g[k], 0));
  let ra = Math.atan2(v[1], v[0]) / kDegree / 15;
  if (ra < 0) ra += 24;
  return { ra, dec: Math.asin(Math.max(-1, Math.min(1, v[2]))) / kDegree };
}

const kFloor = 190;          // high galactic latitudes
const kHaloPeak = 190;       // broad emission about the plane
const kHaloWidth = 38;       // degrees of latitude
const kDiscAnticentre = 420; // thin disc towards the anticentre
const kDiscCentre = 2600;    // thin disc added towards the centre
const kDiscCentreWidth = 32; // degrees of longitude
const kDiscWidth = 6;        // degrees of latitude
const kBulgePeak = 1400;
const kBulgeWidth = 9;       // degrees
const kCygnusPeak = 450;
const kCygnusLongitude = 80;
const kCygnusWidth = 9;      // degrees

export function skyBrightness(raHours, decDegrees) {
  const { l, b } = galacticFromEquatorial(raHours, decDegrees);
  const gauss = (u, w) => Math.exp(-(u * u) / (w * w));
  const towardCentre = (1 + Math.cos(l * kDegree)) / 2;  // 1 at the centre, 0 at the anticentre
  const halo = kHaloPeak * (0.5 + towardCentre) * gauss(b, kHaloWidth);
  const disc = (kDiscAnticentre + kDiscCentre * gauss(l, kDiscCentreWidth)) * gauss(b, kDiscWidth);
  const bulge = kBulgePeak * gauss(Math.hypot(l, b), kBulgeWidth);
  const cygnus = kCygnusPeak * gauss(Math.hypot(l - kCygnusLongitude, b), kCygnusWidth);
  return kFloor + halo + disc + bulge + cygnus;
}

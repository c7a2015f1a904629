// The program's earth-map projection, restated for the generator: the
// forward conversions place markers, so the picture is built from the cell of
// geographic points that each pixel receives from them.
//
// Columns (window column = picture column): west longitude L (east longitudes
// taken as 360 - east) up to 270 goes to trunc(322 - 1.18889 L); beyond 270
// (the eastern hemisphere east of 90 E) to trunc(322 + 1.2 (360 - L)).
// Rows: b = 68.4367 ln tan(45 deg + |lat| / 2) rounded with halves going down
// gives map row 214 -/+ b; the window row is that plus 148.

export const kMapWidth = 431;
export const kMapHeight = 305;
export const kMapTop = 170;             // window row of picture row 0
export const kEquatorWindowRow = 362;   // 214 + 148
const kMercatorScale = 68.4367;         // map rows per unit of ln tan(45 + lat/2)
const kQuarterTurn = 0.7853975;         // radians, as the program writes pi/4
const kHalfDegree = 0.00872663888888889;  // radians per half degree
const kGreenwichColumn = 322;
const kWestColumnsPerDegree = 1.18889;
const kEastColumnsPerDegree = 1.2;

// East longitude of a point at fraction f (0..1) across picture column x.
export function eastLongitudeInColumn(x, f) {
  if (x < kGreenwichColumn) {
    const west = (kGreenwichColumn - 1 - x + (1 - f)) / kWestColumnsPerDegree;
    return west > 180 ? 360 - west : -west;
  }
  return (x - kGreenwichColumn + f) / kEastColumnsPerDegree;
}

// Latitude of a point at fraction f (0..1) down picture row py: the signed
// Mercator ordinate runs from s + 0.5 at the top of the row to s - 0.5 at its
// bottom, s being the row's distance above the equator row.
export function latitudeInRow(py, f) {
  const b = kEquatorWindowRow - (py + kMapTop) + 0.5 - f;
  const angle = (Math.atan(Math.exp(Math.abs(b) / kMercatorScale)) - kQuarterTurn) / kHalfDegree;
  return b < 0 ? -angle : angle;
}

// Natural Earth land polygons (public domain) from the TopoJSON files of the
// npm package world-atlas, decoded into a flat list of polygon edges, and an
// even-odd point-in-land test that works one latitude at a time.
import fs from 'node:fs';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);

export function loadLandTopology(file = 'land-50m.json') {
  return JSON.parse(fs.readFileSync(require.resolve(`world-atlas/${file}`), 'utf8'));
}

// Quantized TopoJSON arcs are delta-encoded integers; the transform takes
// them to longitude (east positive) and latitude in degrees.
function decodeArc(topology, arc) {
  const [sx, sy] = topology.transform.scale;
  const [tx, ty] = topology.transform.translate;
  let qx = 0;
  let qy = 0;
  return arc.map(([dx, dy]) => {
    qx += dx;
    qy += dy;
    return [qx * sx + tx, qy * sy + ty];
  });
}

function* ringsOf(geometry) {
  if (geometry.type === 'GeometryCollection') {
    for (const g of geometry.geometries) yield* ringsOf(g);
  } else if (geometry.type === 'Polygon') {
    yield* geometry.arcs;
  } else if (geometry.type === 'MultiPolygon') {
    for (const polygon of geometry.arcs) yield* polygon;
  } else if (geometry.type !== null) {
    throw new Error(`unexpected geometry ${geometry.type}`);
  }
}

// Every edge of every ring of the land object, as planar edges in
// (longitude, latitude): { edges: [lon1, lat1, lon2, lat2, ...],
// seamLatitudes: [...] }. The even-odd rule needs neither the rings' direction
// nor their order, so each arc's edges are taken as they are (a negative
// index only means the arc is walked backwards).
//
// Some rings (the Chukotka coast, Wrangel Island, Fiji, Antarctica) are drawn
// on the sphere and step across the 180-degree meridian. Such an edge is cut
// there into two pieces, one ending at +180 and one at -180; the latitude of
// the cut is kept, because the cut rings are closed by stretches of the
// meridian between those latitudes (see crossingsAtLatitude).
export function landEdges(topology) {
  const decoded = topology.arcs.map((arc) => decodeArc(topology, arc));
  const edges = [];
  const seamLatitudes = [];
  for (const ring of ringsOf(topology.objects.land)) {
    for (const index of ring) {
      const points = decoded[index < 0 ? ~index : index];
      for (let i = 1; i < points.length; ++i) {
        const [lon1, lat1] = points[i - 1];
        const [lon2, lat2] = points[i];
        if (Math.abs(lon2 - lon1) <= 180) {
          edges.push(lon1, lat1, lon2, lat2);
          continue;
        }
        const side1 = lon1 < 0 ? -180 : 180;
        const side2 = -side1;
        const lon2Unwrapped = lon2 + (side1 > 0 ? 360 : -360);
        const latCut = lon2Unwrapped === lon1
          ? lat1
          : lat1 + ((side1 - lon1) / (lon2Unwrapped - lon1)) * (lat2 - lat1);
        edges.push(lon1, lat1, side1, latCut, side2, latCut, lon2, lat2);
        seamLatitudes.push(latCut);
      }
    }
  }
  return { edges: Float64Array.from(edges), seamLatitudes: Float64Array.from(seamLatitudes) };
}

// The longitudes at which the parallel of the given latitude crosses the
// coastlines, sorted. A vertex exactly on the parallel counts as above it,
// so every crossing is counted once. The meridian stretches that close the
// rings cut at 180 degrees (see landEdges) matter to a ray running east only
// at +180, and the parallel crosses them an odd number of times exactly when
// an odd number of cut latitudes lie north of it. (No ring runs round the
// north pole, which would add one more.)
export function crossingsAtLatitude(land, latitude) {
  const { edges, seamLatitudes } = land;
  const out = [];
  for (let i = 0; i < edges.length; i += 4) {
    const lon1 = edges[i];
    const lat1 = edges[i + 1];
    const lon2 = edges[i + 2];
    const lat2 = edges[i + 3];
    if ((lat1 > latitude) !== (lat2 > latitude)) {
      out.push(lon1 + ((latitude - lat1) / (lat2 - lat1)) * (lon2 - lon1));
    }
  }
  const cutsNorth = seamLatitudes.filter((lat) => lat > latitude).length;
  if (cutsNorth % 2 === 1) out.push(180);
  return Float64Array.from(out).sort();
}

// Land when an odd number of crossings lie east of the point.
export function isLandOnParallel(crossings, eastLongitude) {
  let lo = 0;
  let hi = crossings.length;
  while (lo < hi) {
    const mid = (lo + hi) >> 1;
    if (crossings[mid] <= eastLongitude) lo = mid + 1;
    else hi = mid;
  }
  return ((crossings.length - lo) & 1) === 1;
}

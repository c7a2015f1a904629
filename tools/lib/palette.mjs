// The 16-colour palette both map pictures use: the standard VGA colours, so
// every picture index has the same meaning in either map.
export const kPalette = [
  [0, 0, 0],        // 0 black
  [128, 0, 0],      // 1 maroon
  [0, 128, 0],      // 2 green
  [128, 128, 0],    // 3 olive
  [0, 0, 128],      // 4 navy
  [128, 0, 128],    // 5 purple
  [0, 128, 128],    // 6 teal
  [192, 192, 192],  // 7 silver
  [128, 128, 128],  // 8 grey
  [255, 0, 0],      // 9 red
  [0, 255, 0],      // 10 lime
  [255, 255, 0],    // 11 yellow
  [0, 0, 255],      // 12 blue
  [255, 0, 255],    // 13 fuchsia
  [0, 255, 255],    // 14 aqua
  [255, 255, 255],  // 15 white
];

export const kColour = {
  black: 0, maroon: 1, green: 2, olive: 3, navy: 4, purple: 5, teal: 6, silver: 7,
  grey: 8, red: 9, lime: 10, yellow: 11, blue: 12, fuchsia: 13, aqua: 14, white: 15,
};

// Short names for the blocks, to write on the picture where the core's full names (lab/Blocks.h)
// would not fit; the legend beside the picture pairs each with its full name.
'use strict';

const side = (direction, level, kind) => `${direction}${level ?? '–'}${kind ? kind[0] : ''}`;

// "average" → "A", "level 3 row detail (vertical edges)" → "V3", its column and diagonal
// details "H3" and "D3", "row level 2 detail × column level 1 average" → "R2d C1a" ("R–" for
// rows not transformed), "not transformed yet" → "–", a mix → "mix"; no name, no short one.
function shortName(name) {
  if (name === 'average')
    return 'A';
  if (name === 'not transformed yet')
    return '–';
  if (name.startsWith('a mix'))
    return 'mix';
  const detail = /^level (\d+) (row|column|diagonal) detail/.exec(name);
  if (detail)
    return `${{ row: 'V', column: 'H', diagonal: 'D' }[detail[2]]}${detail[1]}`;
  const rows = '(?:row level (\\d+) (average|detail)|rows not transformed)';
  const columns = '(?:column level (\\d+) (average|detail)|columns not transformed)';
  const standard = new RegExp(`^${rows} × ${columns}$`).exec(name);
  if (standard)
    return `${side('R', standard[1], standard[2])} ${side('C', standard[3], standard[4])}`;
  return '';
}

module.exports = { shortName };

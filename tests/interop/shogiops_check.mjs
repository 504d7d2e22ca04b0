// The independent side of the rules oracle, on shogiops.
//   node shogiops_check.mjs FILE
// Each line of FILE (from rules_oracle) gives a SFEN, whether the side to move is in check
// and the game's legal moves; shogiops must say the same of the same position.
import fs from 'node:fs';
import { parseSfen } from 'shogiops/sfen';
import { makeUsi } from 'shogiops/util';
import { pieceCanPromote, pieceForcePromote } from 'shogiops/variant/util';

function legalMoves(position) {
  const moves = [];
  for (const [from, dests] of position.allMoveDests()) {
    const piece = position.board.get(from);
    for (const to of dests) {
      const promotions = [];
      if (pieceCanPromote('standard')(piece, from, to, position.board.get(to))) {
        promotions.push(true);
        if (!pieceForcePromote('standard')(piece, to)) promotions.push(false);
      } else {
        promotions.push(false);
      }
      for (const promotion of promotions) moves.push(makeUsi({ from, to, promotion }));
    }
  }
  for (const [pieceName, dests] of position.allDropDests()) {
    const role = pieceName.split(' ')[1];
    for (const to of dests) moves.push(makeUsi({ role, to }));
  }
  return moves.sort();
}

let positions = 0;
let failures = 0;
for (const line of fs.readFileSync(process.argv[2], 'utf-8').split('\n')) {
  if (line === '') continue;
  const [sfen, check, ours] = line.split('\t');
  positions++;
  const position = parseSfen('standard', sfen);
  if (position.isErr) {
    console.error(`${sfen}: shogiops refuses it: ${position.error.message}`);
    failures++;
    continue;
  }
  const theirs = legalMoves(position.value).join(' ');
  const sorted = ours.split(' ').filter((m) => m !== '').sort().join(' ');
  const theirCheck = position.value.isCheck() ? '1' : '0';
  if (theirs !== sorted || theirCheck !== check) {
    const a = new Set(sorted.split(' '));
    const b = new Set(theirs.split(' '));
    console.error(`${sfen}: check ${check} against ${theirCheck}`);
    console.error(`  only ours:     ${[...a].filter((m) => !b.has(m)).join(' ')}`);
    console.error(`  only shogiops: ${[...b].filter((m) => !a.has(m)).join(' ')}`);
    if (++failures >= 10) break;
  }
}
console.log(`shogiops agrees on the legal moves of ${positions - failures} of ${positions} positions`);
process.exit(failures === 0 && positions > 0 ? 0 : 1);

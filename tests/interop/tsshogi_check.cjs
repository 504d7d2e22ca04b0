// The independent side of the interop check, on the tsshogi library.
//   node tsshogi_check.cjs DIR
// For every DIR/ours-K.kifu written by the game: tsshogi reads it, and its moves (as USI)
// must equal DIR/ours-K.usi. Then tsshogi writes the game back as its own KIF, UTF-8 with
// LF (DIR/ts-K.kif) and with CRLF (DIR/ts-K-crlf.kif), with the USI it holds beside them
// (DIR/ts-K.usi), for the game's reader to be checked against in turn.
"use strict";
const fs = require("fs");
const path = require("path");
const { importKIF, exportKIF } = require("tsshogi");

const folder = process.argv[2];
let failures = 0;
let games = 0;

function usiMoves(record) {
  const moves = [];
  record.goto(0);
  while (record.goForward()) {
    const move = record.current.move;
    // Anything but a move (resignation, interruption) ends what the game can compare.
    if (typeof move.usi !== "string") {
      break;
    }
    moves.push(move.usi);
  }
  return moves.join(" ");
}

for (const name of fs.readdirSync(folder).sort()) {
  const match = /^ours-(\d+)\.kifu$/.exec(name);
  if (!match) {
    continue;
  }
  games++;
  const expected = fs.readFileSync(path.join(folder, `ours-${match[1]}.usi`), "utf-8").trim();
  const record = importKIF(fs.readFileSync(path.join(folder, name), "utf-8"));
  if (record instanceof Error) {
    console.error(`${name}: tsshogi refuses it: ${record.message}`);
    failures++;
    continue;
  }
  const read = usiMoves(record);
  if (read !== expected) {
    console.error(`${name}: tsshogi reads other moves\n  read:     ${read}\n  expected: ${expected}`);
    failures++;
    continue;
  }
  const base = path.join(folder, `ts-${match[1]}`);
  fs.writeFileSync(`${base}.kif`, exportKIF(record));
  fs.writeFileSync(`${base}-crlf.kif`, exportKIF(record, { returnCode: "\r\n" }));
  fs.writeFileSync(`${base}.usi`, read + "\n");
}

if (games === 0) {
  console.error(`no records of the game in ${folder}`);
  process.exit(1);
}
console.log(`tsshogi read ${games - failures} of ${games} records with the same moves`);
process.exit(failures === 0 ? 0 : 1);

// The independent side of the CSA and KI2 interop check, on the tsshogi library.
//   node formats_check.cjs DIR
// For every DIR/ours-K.{csa,ki2,ki2u,kif} the game wrote: tsshogi reads it (Shift_JIS decoded
// as Windows programs do) and its moves (as USI), start (as SFEN) and ending must equal the
// .usi, .sfen and .end beside it. Then tsshogi writes each game back as its own CSA and KI2
// (DIR/ts-K.csa, DIR/ts-K.ki2), with the same .usi, .sfen and .end, for the game's reader.
"use strict";
const fs = require("fs");
const path = require("path");
const { importCSA, importKI2, importKIF, exportCSA, exportKI2 } = require("tsshogi");

const folder = process.argv[2];
const readers = { ".csa": importCSA, ".ki2": importKI2, ".ki2u": importKI2, ".kif": importKIF };
let failures = 0;
let files = 0;

function text(file) {
  const bytes = fs.readFileSync(file);
  // The game writes .kif, .ki2 and .csa in Shift_JIS and .ki2u in UTF-8.
  return new TextDecoder(file.endsWith(".ki2u") ? "utf-8" : "shift_jis").decode(bytes);
}

function mainLine(record) {
  const moves = [];
  let end = "";
  record.goto(0);
  while (record.goForward()) {
    const move = record.current.move;
    if (typeof move.usi !== "string") {
      end = move.type;
      break;
    }
    moves.push(move.usi);
  }
  return { moves: moves.join(" "), end };
}

function expected(base, kind) {
  return fs.readFileSync(`${base}.${kind}`, "utf-8").trim();
}

for (const name of fs.readdirSync(folder).sort()) {
  const match = /^ours-(\d+)(\.csa|\.ki2|\.ki2u|\.kif)$/.exec(name);
  if (!match) {
    continue;
  }
  files++;
  const base = path.join(folder, `ours-${match[1]}`);
  const record = readers[match[2]](text(path.join(folder, name)));
  if (record instanceof Error) {
    console.error(`${name}: tsshogi refuses it: ${record.message}`);
    failures++;
    continue;
  }
  const read = mainLine(record);
  const sfen = record.initialPosition.sfen;
  if (read.moves !== expected(base, "usi") || sfen !== expected(base, "sfen") ||
      read.end !== expected(base, "end")) {
    console.error(`${name}: tsshogi reads it otherwise\n  moves ${read.moves}\n  start ${sfen}` +
      `\n  end   ${read.end}\n  expected moves ${expected(base, "usi")}\n  expected start ` +
      `${expected(base, "sfen")}\n  expected end ${expected(base, "end")}`);
    failures++;
    continue;
  }
  if (match[2] === ".ki2u") {
    const theirs = path.join(folder, `ts-${match[1]}`);
    fs.writeFileSync(`${theirs}.csa`, exportCSA(record));
    fs.writeFileSync(`${theirs}.ki2`, exportKI2(record));
    for (const kind of ["usi", "sfen", "end"]) {
      fs.copyFileSync(`${base}.${kind}`, `${theirs}.${kind}`);
    }
  }
}

if (files === 0) {
  console.error(`no records of the game in ${folder}`);
  process.exit(1);
}
console.log(`tsshogi read ${files - failures} of ${files} CSA, KI2 and KIF records with the same moves`);
process.exit(failures === 0 ? 0 : 1);

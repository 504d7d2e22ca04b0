// The independent side of the interop check, on the tsshogi library.
//   node tsshogi_check.cjs DIR
// For every DIR/ours-K.kifu and DIR/ours-std-K.kifu written by the game: tsshogi reads it,
// and its moves (as USI) and their times must equal the .usi and .times beside it; for a
// standard game its start (as SFEN) and the special move that ends it must equal the .sfen
// and .end beside it too. Then tsshogi writes the game back as its own KIF, UTF-8 with LF
// (DIR/ts-K.kif) and with CRLF (DIR/ts-K-crlf.kif), with the USI, times, SFEN and ending it
// holds beside them, for the game's reader to be checked against in turn.
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
    // Anything but a move (resignation, interruption) ends the moves.
    if (typeof move.usi !== "string") {
      break;
    }
    moves.push(move.usi);
  }
  return moves.join(" ");
}

// The special move after the last move of the main line ("resign", "mate" ...), or "".
function ending(record) {
  record.goto(0);
  while (record.goForward()) {
    const move = record.current.move;
    if (typeof move.usi !== "string") {
      return move.type === "interrupt" ? "" : move.type;
    }
  }
  return "";
}

// Every move's seconds and its mover's total, one "USED TOTAL" line per move, as tsshogi
// reads the time columns (it sums the totals itself from the moves' times).
function moveTimes(record) {
  let text = "";
  record.goto(0);
  while (record.goForward()) {
    const node = record.current;
    if (typeof node.move.usi !== "string") {
      break;
    }
    text += `${Math.floor(node.elapsedMs / 1000)} ${Math.floor(node.totalElapsedMs / 1000)}\n`;
  }
  return text;
}

function readIfThere(file) {
  return fs.existsSync(file) ? fs.readFileSync(file, "utf-8").trim() : null;
}

for (const name of fs.readdirSync(folder).sort()) {
  const match = /^ours-((?:std-)?\d+)\.kifu$/.exec(name);
  if (!match) {
    continue;
  }
  games++;
  const expected = fs.readFileSync(path.join(folder, `ours-${match[1]}.usi`), "utf-8").trim();
  const expectedSfen = readIfThere(path.join(folder, `ours-${match[1]}.sfen`));
  const expectedEnd = readIfThere(path.join(folder, `ours-${match[1]}.end`));
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
  const sfen = record.initialPosition.sfen;
  if (expectedSfen !== null && sfen !== expectedSfen) {
    console.error(`${name}: tsshogi starts elsewhere\n  read:     ${sfen}\n  expected: ${expectedSfen}`);
    failures++;
    continue;
  }
  const end = ending(record);
  if (expectedEnd !== null && end !== expectedEnd) {
    console.error(`${name}: tsshogi ends otherwise\n  read:     ${end}\n  expected: ${expectedEnd}`);
    failures++;
    continue;
  }
  const expectedTimes = readIfThere(path.join(folder, `ours-${match[1]}.times`));
  const times = moveTimes(record);
  if (expectedTimes !== null && times.trim() !== expectedTimes) {
    console.error(`${name}: tsshogi reads other times\n  read:\n${times}  expected:\n${expectedTimes}`);
    failures++;
    continue;
  }
  const base = path.join(folder, `ts-${match[1]}`);
  fs.writeFileSync(`${base}.kif`, exportKIF(record));
  fs.writeFileSync(`${base}-crlf.kif`, exportKIF(record, { returnCode: "\r\n" }));
  fs.writeFileSync(`${base}.usi`, read + "\n");
  fs.writeFileSync(`${base}.times`, times);
  if (expectedSfen !== null) {
    fs.writeFileSync(`${base}.sfen`, sfen + "\n");
    fs.writeFileSync(`${base}.end`, end + "\n");
  }
}

if (games === 0) {
  console.error(`no records of the game in ${folder}`);
  process.exit(1);
}
console.log(`tsshogi read ${games - failures} of ${games} records with the same moves`);
process.exit(failures === 0 ? 0 : 1);

// The independent side of the analysis comments, on the tsshogi library.
//   node tsshogi_evaluation.cjs RECORD.kif RECORD.expected
// tsshogi must read the game's record, and on every node of its main line the evaluation
// lines must say what the game meant (the score, or who mates and in how many) and the line
// must be the same moves when tsshogi parses it from that node's position.
"use strict";
const fs = require("fs");
const { importKIF, parsePV } = require("tsshogi");

const [recordPath, expectedPath] = process.argv.slice(2);
const record = importKIF(fs.readFileSync(recordPath, "utf8"));
if (record instanceof Error) {
  console.error(`tsshogi cannot read the record: ${record.message}`);
  process.exit(1);
}
let failures = 0;
const fail = (text) => {
  console.error(`FAIL: ${text}`);
  failures++;
};
const expected = fs.readFileSync(expectedPath, "utf8").trim().split("\n");
for (const row of expected) {
  const [ply, kind, value, line] = row.split("\t");
  record.goto(Number(ply));
  if (record.current.ply !== Number(ply)) {
    fail(`tsshogi has no node at ply ${ply}`);
    continue;
  }
  const comment = record.current.comment;
  // The patterns ShogiHome reads these lines with.
  const score = /^#評価値=([+-]?[0-9]+)$/m.exec(comment);
  const mate = /^#詰み=(先手勝ち|後手勝ち)(?::([0-9]+)手)?$/m.exec(comment);
  if (kind === "score") {
    if (!score || Number(score[1]) !== Number(value) || mate) {
      fail(`ply ${ply}: expected #評価値=${value} in ${JSON.stringify(comment)}`);
    }
  } else {
    const said = mate ? mate[1] + (mate[2] ? `:${mate[2]}手` : "") : "";
    if (said !== value || score) {
      fail(`ply ${ply}: expected #詰み=${value} in ${JSON.stringify(comment)}`);
    }
  }
  const written = /^#読み筋=(.*)$/m.exec(comment);
  const moves = written ? parsePV(record.position, written[1]).map((move) => move.usi).join(" ") : "";
  if (moves !== (line || "")) {
    fail(`ply ${ply}: tsshogi reads the line as "${moves}", expected "${line || ""}"`);
  }
}
if (failures) {
  process.exit(1);
}
console.log(`tsshogi reads the evaluations and lines of ${expected.length} positions as written`);

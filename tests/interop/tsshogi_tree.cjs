// The independent side of the tree check, on the tsshogi library.
//   node tsshogi_tree.cjs DIR
// For every DIR/X.tree the game wrote: when DIR/X.orig.kif is there (a record from elsewhere),
// tsshogi's reading of it must equal the game's tree (X.tree) node by node: moves, variations,
// comments, bookmarks and headers; and tsshogi's reading of the game's own record of that tree
// (X.ours.kif) must equal tsshogi's reading of the original, so writing lost nothing either.
// Without an original, tsshogi's reading of X.ours.kif must equal X.tree.
"use strict";
const fs = require("fs");
const path = require("path");
const { importKIF, exportKIF } = require("tsshogi");

// The same lines as the game's treeDump: depth first, the main line before its variations.
function dump(record) {
  let text = "";
  const pending = [record.first];
  while (pending.length) {
    const node = pending.pop();
    const first = node.ply === 0 || node.isFirstBranch;
    let move = "start";
    if (node.ply !== 0) {
      move = typeof node.move.usi === "string" ? node.move.usi : node.move.type || node.move.name;
    }
    const comment = node.comment.replace(/\n+$/, "").replaceAll("\n", "\\n");
    text += `N\t${node.ply}\t${first ? 1 : 0}\t${move}\t${comment}\t${node.bookmark}\n`;
    // Its first child carries the line on; the others follow, each with its own line.
    const children = [];
    for (let child = node.next; child; child = child.branch) {
      children.push(child);
    }
    for (let index = children.length - 1; index >= 0; index--) {
      pending.push(children[index]);
    }
  }
  return text + headers(record);
}

// Header lines as tsshogi writes them back, sorted: it keeps its own order of keys.
function headers(record) {
  const lines = [];
  for (const line of exportKIF(record).split("\n")) {
    if (line.startsWith("手合割：") || line.startsWith("後手の持駒") || line.startsWith("手数----")) {
      break;
    }
    const colon = line.indexOf("：");
    if (colon > 0) {
      // The game drops the padding around a value, as shogiops does; tsshogi keeps it.
      const value = line.substring(colon + 1).replace(/^[ \u3000]+|[ \u3000]+$/g, "");
      lines.push(`H\t${line.substring(0, colon)}\t${value}`);
    }
  }
  return lines.sort().join("\n");
}

function ourHeadersSorted(tree) {
  const nodes = tree.split("\n").filter((line) => line.startsWith("N\t"));
  // tsshogi keeps one value a key, the last.
  const byKey = new Map();
  for (const line of tree.split("\n").filter((line) => line.startsWith("H\t"))) {
    byKey.set(line.split("\t")[1], line);
  }
  return nodes.join("\n") + "\n" + [...byKey.values()].sort().join("\n");
}

function read(file) {
  const record = importKIF(fs.readFileSync(file, "utf-8"));
  if (record instanceof Error) {
    throw new Error(`${file}: tsshogi refuses it: ${record.message}`);
  }
  return dump(record);
}

function firstDifference(a, b) {
  const left = a.split("\n");
  const right = b.split("\n");
  for (let index = 0; index < Math.max(left.length, right.length); index++) {
    if (left[index] !== right[index]) {
      return `line ${index + 1}\n  tsshogi: ${left[index]}\n  game:    ${right[index]}`;
    }
  }
  return "";
}

const folder = process.argv[2];
let failures = 0;
let records = 0;
for (const name of fs.readdirSync(folder).sort()) {
  if (!name.endsWith(".tree")) {
    continue;
  }
  records++;
  const base = path.join(folder, name.slice(0, -".tree".length));
  const ours = ourHeadersSorted(fs.readFileSync(`${base}.tree`, "utf-8"));
  try {
    const written = read(`${base}.ours.kif`);
    if (fs.existsSync(`${base}.orig.kif`)) {
      const original = read(`${base}.orig.kif`);
      const readDiff = firstDifference(original, ours);
      if (readDiff) {
        console.error(`${name}: the game reads the original otherwise than tsshogi, ${readDiff}`);
        failures++;
        continue;
      }
      const writeDiff = firstDifference(original, written);
      if (writeDiff) {
        console.error(`${name}: the game's record of it reads otherwise in tsshogi, ${writeDiff}`);
        failures++;
        continue;
      }
    } else {
      const diff = firstDifference(written, ours);
      if (diff) {
        console.error(`${name}: tsshogi reads the game's record otherwise, ${diff}`);
        failures++;
        continue;
      }
    }
  } catch (error) {
    console.error(error.message);
    failures++;
  }
}
if (records === 0) {
  console.error(`no trees in ${folder}`);
  process.exit(1);
}
console.log(`tsshogi read ${records - failures} of ${records} trees node by node as the game did`);
process.exit(failures === 0 ? 0 : 1);

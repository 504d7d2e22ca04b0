// shogiops's perft from a SFEN, timed, for bench/perft.sh to set our figure beside.
//   node shogiops_perft.mjs MODULES_DIR DEPTH SFEN...
// Prints "LEAVES SECONDS".
import { pathToFileURL } from 'node:url';
import path from 'node:path';

const [modules, depth, ...words] = process.argv.slice(2);
const from = (file) => pathToFileURL(path.join(modules, 'shogiops', 'dist', file)).href;
const { parseSfen } = await import(from('sfen.js'));
const { perft } = await import(from('debug.js'));

const position = parseSfen('standard', words.join(' ')).unwrap();
const started = process.hrtime.bigint();
const leaves = perft(position, Number(depth));
const seconds = Number(process.hrtime.bigint() - started) / 1e9;
console.log(`${leaves} ${seconds}`);

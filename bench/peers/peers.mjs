// Times the peers of Quillmark's parsers on one file, in this process, after
// a warm-up, and prints one "RESULT <what> <median ms> <min ms>" line per
// figure, as Quillmark's own benchmarks do.
//
//   node peers.mjs css FILE [ROUNDS]               postcss: parse
//   node peers.mjs write FILE [ROUNDS]             postcss: one value changed, toString
//   node peers.mjs html FILE [ROUNDS] [OUT.html]   parse5: parse, serialize
//
// With OUT.html the serialised document is written there, to compare with
// Quillmark's serialiser byte for byte.

import { readFileSync, writeFileSync } from 'node:fs';
import { performance } from 'node:perf_hooks';
import postcss from 'postcss';
import { parse, serialize } from 'parse5';

function time(label, rounds, work) {
    for (let i = 0; i < Math.min(20, rounds); ++i)
        work();
    const times = [];
    for (let i = 0; i < rounds; ++i) {
        const start = performance.now();
        work();
        times.push(performance.now() - start);
    }
    times.sort((a, b) => a - b);
    console.log(`RESULT ${label} ${times[Math.floor(times.length / 2)].toFixed(3)} ${times[0].toFixed(3)}`);
}

const [mode, file, roundsText, out] = process.argv.slice(2);
if (!mode || !file) {
    console.error('usage: node peers.mjs css|html FILE [ROUNDS] [OUT.html]');
    process.exit(2);
}
const text = readFileSync(file, 'utf8');
const rounds = Number(roundsText) || 100;

if (mode === 'css') {
    let nodes = 0;
    time('postcss-parse', rounds, () => {
        const root = postcss.parse(text);
        nodes = root.nodes.length;
    });
    console.log(`# ${file}: ${text.length} chars, ${nodes} top-level nodes`);
} else if (mode === 'write') {
    // The first declaration of the first top-level .btn rule, as the rules
    // panel's write-back benchmark edits it.
    const root = postcss.parse(text);
    const rule = root.nodes.find((node) => node.type === 'rule' && node.selector === '.btn');
    const declaration = rule.nodes.find((node) => node.type === 'decl');
    let run = 0;
    let written = '';
    time('postcss-write', rounds, () => {
        declaration.value = `${run++ % 7 + 1}rem`;
        written = root.toString();
    });
    console.log(`# ${file}: ${text.length} chars, ${written.length} chars written`);
} else if (mode === 'html') {
    let document = parse(text);
    time('parse5-parse', rounds, () => { document = parse(text); });
    let html = '';
    time('parse5-serialize', rounds, () => { html = serialize(document); });
    if (out)
        writeFileSync(out, html);
    console.log(`# ${file}: ${text.length} chars in, ${html.length} chars out`);
} else {
    console.error(`unknown mode ${mode}`);
    process.exit(2);
}

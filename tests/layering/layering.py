#!/usr/bin/env python3
"""Checks the include graph of src/ against the layers of src/layers.txt.

A file may include files of its own layer and of the layers listed before it.
Every include that reaches a later layer is reported with its file and line,
and so is every pair of layers that include each other.

    layering.py <src folder>      check that tree; exit status 1 on a violation
    layering.py --self-test       plant violations in a scratch tree and check
                                  that each one is caught
"""

import os
import re
import sys
import tempfile

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def read_layers(src):
    with open(os.path.join(src, 'layers.txt'), encoding='utf-8') as f:
        return [line.strip() for line in f if line.strip() and not line.startswith('#')]


def layer_of(relative_dir, layers):
    """The layer a folder of src/ belongs to: the longest listed folder that
    holds it. Files directly in src/ (main.cpp) stand above every layer."""
    if relative_dir in ('', '.'):
        return None
    best = ''
    for layer in layers:
        if relative_dir == layer or relative_dir.startswith(layer + '/'):
            best = max(best, layer, key=len)
    return best or relative_dir


def check(src):
    layers = read_layers(src)
    rank = {layer: index for index, layer in enumerate(layers)}
    top = len(layers)
    problems = []
    edges = {}
    for directory, _, files in os.walk(src):
        relative_dir = os.path.relpath(directory, src)
        source_layer = layer_of(relative_dir, layers)
        for name in sorted(files):
            if not name.endswith(('.h', '.cpp')):
                continue
            path = os.path.join(directory, name)
            shown = os.path.relpath(path, os.path.dirname(src))
            if source_layer is not None and source_layer not in rank:
                problems.append(f'{shown}: folder {relative_dir} is not listed in src/layers.txt')
                continue
            with open(path, encoding='utf-8', errors='replace') as f:
                for number, line in enumerate(f, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    included = match.group(1)
                    if os.path.exists(os.path.join(directory, included)):
                        target = os.path.join(directory, included)
                    elif os.path.exists(os.path.join(src, included)):
                        target = os.path.join(src, included)
                    else:
                        continue  # generated (moc) or outside src/
                    target_dir = os.path.relpath(os.path.dirname(os.path.realpath(target)), os.path.realpath(src))
                    target_layer = layer_of(target_dir, layers)
                    if target_layer is None or target_layer == source_layer or target_layer not in rank:
                        if target_layer is None and source_layer is not None:
                            problems.append(f'{shown}:{number}: includes "{included}" from the top of src/')
                        continue
                    source_rank = top if source_layer is None else rank[source_layer]
                    edges.setdefault((source_layer, target_layer), f'{shown}:{number}')
                    if rank[target_layer] > source_rank:
                        problems.append(f'{shown}:{number}: {source_layer} includes "{included}" of '
                                        f'{target_layer}, a later layer')
    for (source, target), where in sorted(edges.items(), key=lambda item: item[1]):
        if source is not None and (target, source) in edges and rank[source] < rank[target]:
            problems.append(f'{where}: {source} and {target} include each other '
                            f'(also {edges[(target, source)]})')
    return problems


def self_test():
    """A planted upward include and a planted cycle must both be reported."""
    with tempfile.TemporaryDirectory() as root:
        src = os.path.join(root, 'src')

        def write(relative, text):
            path = os.path.join(src, relative)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, 'w', encoding='utf-8') as f:
                f.write(text)

        write('layers.txt', '# lowest first\nlow\nmiddle\nhigh/web\n')
        write('low/Low.h', '#pragma once\n')
        write('middle/Middle.h', '#pragma once\n#include "low/Low.h"\n')
        write('high/web/Web.cpp', '#include "Web.h"\n#include "middle/Middle.h"\n')
        write('high/web/Web.h', '#pragma once\n')
        write('main.cpp', '#include "high/web/Web.h"\n')
        if check(src):
            return ['a clean tree was reported: ' + '; '.join(check(src))]

        failures = []
        write('low/Planted.cpp', '#include "Low.h"\n\n#include "middle/Middle.h"\n')
        found = check(src)
        if not any('src/low/Planted.cpp:3: low includes "middle/Middle.h" of middle' in p for p in found):
            failures.append('an upward include was not caught: ' + '; '.join(found))
        if not any('include each other' in p for p in found):
            failures.append('a cycle between two layers was not caught: ' + '; '.join(found))
        os.remove(os.path.join(src, 'low', 'Planted.cpp'))

        write('stray/Stray.h', '#pragma once\n')
        if not any('folder stray is not listed' in p for p in check(src)):
            failures.append('a folder outside the layers was not caught')
        return failures


def main(argv):
    if argv[1:] == ['--self-test']:
        failures = self_test()
        for failure in failures:
            print('FAIL:', failure)
        print('layering self-test:', 'failed' if failures else 'every planted violation caught')
        return 1 if failures else 0
    if len(argv) != 2:
        print(__doc__)
        return 2
    problems = check(os.path.abspath(argv[1]))
    for problem in problems:
        print(problem)
    print(f'layering: {len(problems)} violation(s)' if problems else 'layering: every include keeps to src/layers.txt')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""Fails when files of the program include each other around a circle: a unit is a header with
its source (x.h and x.cpp), and unit A leans on unit B when either file of A includes B's
header."""
import os
import re
import sys

root = sys.argv[1]
folders = ['platform', 'formats', 'jbig2', 'jobfiles', 'pictures', 'staging', 'ocr', 'job',
           'app', 'cli', 'gui', 'outside/pdftool', 'outside/skin', 'resources']
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
leans = {}
for folder in folders:
    base = os.path.join(root, folder)
    if not os.path.isdir(base):
        continue
    for name in os.listdir(base):
        stem, ext = os.path.splitext(name)
        if ext not in ('.h', '.cpp'):
            continue
        unit = folder + '/' + stem
        with open(os.path.join(base, name), encoding='utf-8', errors='replace') as f:
            for header in include.findall(f.read()):
                other = os.path.splitext(header)[0]
                if other != unit and os.path.exists(os.path.join(root, header)):
                    leans.setdefault(unit, set()).add(other)

# Tarjan's strongly connected components: any with more than one unit is a circle.
index, low, stack, on, circles = {}, {}, [], set(), []
sys.setrecursionlimit(10000)


def visit(unit):
    index[unit] = low[unit] = len(index)
    stack.append(unit)
    on.add(unit)
    for other in leans.get(unit, ()):
        if other not in index:
            visit(other)
            low[unit] = min(low[unit], low[other])
        elif other in on:
            low[unit] = min(low[unit], index[other])
    if low[unit] == index[unit]:
        component = []
        while True:
            top = stack.pop()
            on.discard(top)
            component.append(top)
            if top == unit:
                break
        if len(component) > 1:
            circles.append(sorted(component))


for unit in sorted(leans):
    if unit not in index:
        visit(unit)
for circle in circles:
    print('files include each other: ' + ' <-> '.join(circle))
sys.exit(1 if circles else 0)

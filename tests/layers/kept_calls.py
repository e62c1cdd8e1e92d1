#!/usr/bin/env python3
"""Fails when a call that belongs to one place appears elsewhere: FreeImage_Unload outside the
bitmap owner (pictures/bitmap.*), anywhere in the sources, tests and fuzz targets included; and
processEvents in any library below the windows, whose waits go through the pump interface."""
import os
import re
import sys

root = sys.argv[1]
owner = {'pictures/bitmap.h', 'pictures/bitmap.cpp'}
below = ('platform', 'formats', 'jobfiles', 'jbig2', 'pictures', 'staging', 'ocr', 'job', 'app',
         'cli', 'outside')
unload = re.compile(r'\bFreeImage_Unload\b')
pump = re.compile(r'\bprocessEvents\b')
found = []
for folder, dirs, files in os.walk(root):
    rel = os.path.relpath(folder, root)
    dirs[:] = [d for d in dirs if not d.startswith(('.', 'build'))]
    for name in files:
        if not name.endswith(('.h', '.cpp')):
            continue
        path = os.path.normpath(os.path.join(rel, name)).replace(os.sep, '/')
        with open(os.path.join(folder, name), encoding='utf-8', errors='replace') as f:
            for number, line in enumerate(f, 1):
                if unload.search(line) and path not in owner:
                    found.append(f'{path}:{number}: FreeImage_Unload outside pictures::Bitmap')
                if pump.search(line) and path.split('/')[0] in below:
                    found.append(f'{path}:{number}: processEvents below the windows')
for line in found:
    print(line)
sys.exit(1 if found else 0)

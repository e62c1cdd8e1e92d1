#!/usr/bin/env python3
"""Fails when a function declared in a header below the windows is named in PascalCase: types
are PascalCase, functions camelCase. The design's own names (the builder's watcher, the folder
search, the dialogs' calls and the system calls the platform layer stands in for) keep theirs."""
import os
import re
import sys

root = sys.argv[1]
folders = ['platform', 'formats', 'jbig2', 'jobfiles', 'pictures', 'staging', 'ocr', 'job',
           'app', 'cli', 'outside/pdftool']
design = set('''BrowseFolderAndSearch CommandLine CommandOutputs CommandOver DOSOutputs
ExecuteCommand EndCommand NarrowFileExists OnePdfPerPicture Outputs Ended ReceiveOutputs
SearchFolder ShowColor ShowOpen ShowSave TrimTrailingNulls Wait EndProcessesOfExecutable
Form_Load Form_Unload CopyFileA CopyFileW CreatePipe CloseHandle CreateProcessA FindFirstFileA
FindNextFileA FindClose GetFileSize PathFileExistsA PathIsDirectoryA ReadFile TerminateProcess
OpenProcess SetWaitableTimer CreateWaitableTimerA MsgWaitForMultipleObjects ShellExecuteA
GetSysColor Attach Detach AdjustHSV Color'''.split())
comment = re.compile(r'//[^\n]*|/\*.*?\*/', re.S)
types = re.compile(r'\b(?:class|struct|enum(?:\s+class)?|using)\s+([A-Z]\w*)')
declared = re.compile(r'(?m)^[ \t]*(?:(?:static|inline|virtual|constexpr|friend|\[\[nodiscard\]\])\s+)*'
                      r'(?!(?:return|new|throw|else|case|delete|goto)\b)[\w:<>,*&]+(?:\s*[*&])?\s+[*&]?([A-Z][A-Za-z0-9]*)\s*\(')
wrong = []
for folder in folders:
    base = os.path.join(root, folder)
    for name in sorted(os.listdir(base)) if os.path.isdir(base) else []:
        if not name.endswith('.h'):
            continue
        with open(os.path.join(base, name), encoding='utf-8', errors='replace') as f:
            text = comment.sub('', f.read())
        own_types = set(types.findall(text))
        for found in declared.finditer(text):
            function = found.group(1)
            if function in design or function in own_types or function.isupper():
                continue
            line = text.count('\n', 0, found.start()) + 1
            wrong.append(f'{folder}/{name}:{line}: {function} should be camelCase')
print('\n'.join(wrong) if wrong else 'every function below the windows is camelCase')
sys.exit(1 if wrong else 0)

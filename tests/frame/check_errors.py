#!/usr/bin/env python3
# Each method's error mode as the IDL declares it (ERRORS(...)) against the wrapper its body
# runs under: untrapped raises; trapped and skipped answer a fixed result (skipped passes over
# failing steps inside the body); error text answers the failure's text after the declared prefix.
#   python3 check_errors.py <src>
import glob, re, sys

src = sys.argv[1]
# The result a trapped or skipped method gives on failure, as the body writes it.
RESULTS = {'False': 'false', 'True': 'true', '0': 'short(0)', 'Null': 'nullVariant()',
           'Empty': 'Variant()', 'empty String': 'L""'}

idl = open(f'{src}/frame/ZorUtility.idl').read()
modes = {}
for itf in re.finditer(r'interface\s+_(\w+)\s*:\s*IDispatch\s*\{(.*?)\n\s*\};', idl, re.S):
    for m in re.finditer(r'ERRORS\("([^"]*)"\).*?\]\s*HRESULT\s+(\w+)\s*\(', itf.group(2), re.S):
        modes[(itf.group(1), m.group(2))] = m.group(1)

bodies = {}
for path in glob.glob(f'{src}/*/*.cpp'):
    parts = re.split(r'\nSTDMETHODIMP\s+(\w+)::(\w+)\(', open(path).read())
    for i in range(1, len(parts), 3):
        bodies[(parts[i], parts[i + 1])] = ' '.join(parts[i + 2].split())

faults = []
for (cls, name), mode in sorted(modes.items()):
    body = bodies.get((cls, name))
    call = body and re.search(r'return (\w+)\( ?(.*)', body)
    if not call:
        faults.append(f'{cls}.{name}: no body that returns through a wrapper')
        continue
    wrapper, args = call.groups()
    kind, _, rest = mode.partition(': ')
    rest = re.sub(r' \(.*\)$', '', rest)  # a note after the result
    if kind == 'untrapped' or 'raises its error' in mode:
        ok = wrapper == 'untrapped' and (kind == 'untrapped' or 'attempt(' in body)
    elif kind in ('trapped', 'skipped'):
        ok = wrapper == 'trapped' and args.startswith(f'result, {RESULTS.get(rest, "?")},')
    elif kind == 'error text':
        prefix = rest.split(' <n>')[0]
        ok = wrapper == 'trappedText' and args.startswith(f'result, L"{prefix} ",')
        ok = ok and ('...' in rest) != bool(re.search(r'\}, L" "\);', body.split('STDMETHODIMP')[0]))
    else:
        ok = False
    if not ok:
        faults.append(f'{cls}.{name}: ERRORS("{mode}") but return {wrapper}({args[:60]}')
for key in sorted(set(bodies) - set(modes)):
    faults.append(f'{key[0]}.{key[1]}: a method with no ERRORS(...)')
print('\n'.join(faults) if faults else f'error modes: ok, {len(modes)} methods')
sys.exit(1 if faults else 0)

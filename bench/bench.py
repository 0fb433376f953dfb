#!/usr/bin/python3
"""Measures whole-process wall time and peak memory (GNU time's maximum
resident set size) of

  * quorvant-cli export on generated quarters of N invoice lines and N
    supplier documents, against xmllint --stream --noout --schema on the very
    file the export wrote (libxml2's own streaming validator: the yardstick
    for anything that writes and validates the return), and quorvant-cli
    check (the data check) and validate (the return alone) on the same data;
    the four run interleaved, so that the machine's drift falls on all;
  * quorvant-cli import-tariff of a generated 65,535-row .xls sheet;

several runs each, and prints the medians, the ratio export / xmllint and
each target as met or missed.

Run from the repository, after building quorvant-cli in Release:
  /usr/bin/python3 bench/bench.py --cli build-release/src/quorvant-cli
"""
import argparse
import glob
import json
import os
import re
import shutil
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
PYTHON = '/usr/bin/python3'
GNU_TIME = '/usr/bin/time'

EXPORT_ARGS = ['export', '--company', '1', '--period', '14041503', '--registration', 'AAACB1234CXM001',
               '--year', '2014', '--quarter', 'Apr-Jun']
CHECK_ARGS = ['check', '--company', '1', '--period', '14041503']
TARIFF_ROWS = 65535
MiB = 1024 * 1024


def fail(message):
    sys.exit('bench: ' + message)


def timed(argv, env, label):
    """Runs argv under GNU time -v; gives (wall seconds, peak RSS bytes, CPU seconds, stderr)."""
    with tempfile.NamedTemporaryFile('r', suffix='.time') as report:
        p = subprocess.run([GNU_TIME, '-v', '-o', report.name] + argv, env=env, stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, text=True, errors='replace')
        stats = report.read()
    if p.returncode != 0:
        fail('%s failed (exit %d):\n  %s\n%s%s' % (label, p.returncode, ' '.join(argv), p.stdout[-2000:],
                                                   p.stderr[-2000:]))
    wall = re.search(r'Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (?:(\d+):)?(\d+):([\d.]+)', stats)
    rss = re.search(r'Maximum resident set size \(kbytes\): (\d+)', stats)
    cpu = re.findall(r'(?:User|System) time \(seconds\): ([\d.]+)', stats)
    if not wall or not rss or len(cpu) != 2:
        fail('cannot read GNU time\'s report:\n' + stats)
    seconds = int(wall.group(1) or 0) * 3600 + int(wall.group(2)) * 60 + float(wall.group(3))
    return seconds, int(rss.group(1)) * 1024, sum(map(float, cpu)), p.stderr


def generate(folder, rows, schema, seed):
    """The quarter's application folder; kept between runs of this script when
    --workdir names a folder that already holds the same quarter."""
    stamp = os.path.join(folder, 'bench-quarter.txt')
    want = 'rows=%d seed=%d\n' % (rows, seed)
    if os.path.exists(stamp) and open(stamp).read() == want:
        shutil.copyfile(schema, os.path.join(folder, 'ACES_DLR.xsd'))
        return 0.0
    shutil.rmtree(folder, ignore_errors=True)
    started = time.monotonic()
    subprocess.run([PYTHON, os.path.join(HERE, 'make_quarter.py'), '--rows', str(rows), '--out', folder,
                    '--seed', str(seed), '--schema', schema], check=True)
    with open(stamp, 'w') as f:
        f.write(want)
    return time.monotonic() - started


def written_return(app):
    found = glob.glob(os.path.join(app, 'ACES', '001', '*.xml'))
    if len(found) != 1:
        fail('expected one return in %s, found %d' % (os.path.join(app, 'ACES', '001'), len(found)))
    path = found[0]
    with open(path, 'rb') as f:
        f.seek(max(0, os.path.getsize(path) - 16))
        if not f.read().endswith(b'</ACES>\r\n'):
            fail('%s is not a complete return' % path)
    return path


def measure_export(cli, app, rows, runs, env, extra, baseline=None):
    schema = os.path.join(app, 'ACES_DLR.xsd')
    figures = {'export': [], 'xmllint': [], 'check': [], 'validate': []}
    if baseline:
        figures['baseline'] = []
    size = 0
    for run in range(runs):
        shutil.rmtree(os.path.join(app, 'ACES'), ignore_errors=True)
        figures['export'].append(timed([cli, '--app-dir', app] + EXPORT_ARGS + extra, env,
                                       'export of %d rows' % rows)[:3])
        path = written_return(app)
        size = os.path.getsize(path)
        wall, rss, cpu, err = timed(['xmllint', '--stream', '--noout', '--schema', schema, path], env,
                                    'xmllint on %s' % path)
        if 'validates' not in err:
            fail('xmllint did not validate %s:\n%s' % (path, err[-2000:]))
        figures['xmllint'].append((wall, rss, cpu))
        figures['check'].append(timed([cli, '--app-dir', app] + CHECK_ARGS, env, 'check of %d rows' % rows)[:3])
        figures['validate'].append(timed([cli, '--app-dir', app, 'validate', path], env, 'validate')[:3])
        if baseline:
            shutil.rmtree(os.path.join(app, 'ACES'), ignore_errors=True)
            figures['baseline'].append(timed([baseline, '--app-dir', app] + EXPORT_ARGS + extra, env,
                                             'baseline export of %d rows' % rows)[:3])
        print('  %9d rows, run %d: ' % (rows, run + 1)
              + ' | '.join('%s %6.2f s (cpu %6.2f s) %6.1f MiB' % (name, r[-1][0], r[-1][2], r[-1][1] / MiB)
                           for name, r in figures.items()), flush=True)
    shutil.rmtree(os.path.join(app, 'ACES'), ignore_errors=True)  # a million rows give a 1 GB return
    result = {'rows': rows, 'runs': runs, 'return_bytes': size}
    for name, r in figures.items():
        result[name + '_wall'] = statistics.median(x[0] for x in r)
        result[name + '_rss'] = statistics.median(x[1] for x in r)
        result[name + '_cpu'] = statistics.median(x[2] for x in r)
        result[name + '_runs'] = r
    return result


def measure_tariff(cli, workdir, schema, runs, env):
    app = os.path.join(workdir, 'tariff-app')
    generate(app, 0, schema, 1)
    master = os.path.join(app, 'Data', 'db.sqlite')
    pristine = master + '.orig'
    if not os.path.exists(pristine):
        shutil.copyfile(master, pristine)
    sheet = os.path.join(workdir, 'tariff-%d.xls' % TARIFF_ROWS)
    if not os.path.exists(sheet):
        subprocess.run([PYTHON, os.path.join(HERE, 'make_tariff_sheet.py'), '--rows', str(TARIFF_ROWS),
                        '--out', sheet], check=True)
    results = []
    for run in range(runs):
        shutil.copyfile(pristine, master)  # every run replaces the same 10,000-row master
        wall, rss, cpu, _err = timed([cli, '--app-dir', app, 'import-tariff', '--workbook', sheet,
                                      '--sheet', 'Sheet1$'], env, 'import-tariff')
        db = sqlite3.connect(master)
        count = db.execute('SELECT count(*) FROM Import').fetchone()[0]
        db.close()
        if count != TARIFF_ROWS:
            fail('the import left %d rows in Import, not %d' % (count, TARIFF_ROWS))
        results.append((wall, rss, cpu))
        print('  import of %d rows, run %d: %6.3f s (cpu %6.3f s) %7.1f MiB' % (TARIFF_ROWS, run + 1, wall, cpu,
                                                                              rss / MiB), flush=True)
    return {'rows': TARIFF_ROWS, 'runs': runs, 'wall': statistics.median(r[0] for r in results),
            'rss': statistics.median(r[1] for r in results), 'cpu': statistics.median(r[2] for r in results),
            'all_runs': results}


def report(exports, tariff):
    print()
    print('medians; wall time, CPU time (user + system), peak resident memory')
    print('%10s %4s | %-22s | %-22s | %-22s | %-22s | %6s %6s %10s' % (
        'rows', 'runs', 'export s / cpu / MiB', 'xmllint s / cpu / MiB', 'check s / cpu / MiB',
        'validate s / cpu / MiB', 'wall', 'cpu', 'return MB'))
    for e in exports:
        cells = ['%6.2f %6.2f %7.1f' % (e[n + '_wall'], e[n + '_cpu'], e[n + '_rss'] / MiB)
                 for n in ('export', 'xmllint', 'check', 'validate')]
        print('%10s %4d | %s | %6.2f %6.2f %10.1f' % (
            '{:,}'.format(e['rows']), e['runs'], ' | '.join('%-22s' % c for c in cells),
            e['export_wall'] / e['xmllint_wall'], e['export_cpu'] / e['xmllint_cpu'], e['return_bytes'] / 1e6))
    print('(wall, cpu: export / xmllint --stream on the same file)')
    for e in exports:
        if 'baseline_cpu' in e:
            print('export of %s rows against --baseline-cli: wall %+.1f %%, cpu %+.1f %%' % (
                '{:,}'.format(e['rows']), 100.0 * (e['export_wall'] / e['baseline_wall'] - 1),
                100.0 * (e['export_cpu'] / e['baseline_cpu'] - 1)))
    if tariff:
        print('\nimport-tariff of %s rows: %.3f s (cpu %.3f s), %.1f MiB (median of %d)' % (
            '{:,}'.format(tariff['rows']), tariff['wall'], tariff['cpu'], tariff['rss'] / MiB, tariff['runs']))

    by_rows = {e['rows']: e for e in exports}
    checks = []
    big, mid = by_rows.get(1000000), by_rows.get(100000)
    if big:
        ratio = big['export_wall'] / big['xmllint_wall']
        checks.append(('export of 1,000,000 rows at most 1.0 x xmllint --stream (wall)', '%.2f x' % ratio,
                       ratio <= 1.0))
        print('\nstretch: export of 1,000,000 rows at most 0.8 x xmllint --stream: %s (%.2f x)'
              % ('met' if ratio <= 0.8 else 'missed', ratio))
        checks.append(('and at most 1.3 x its CPU time', '%.2f x' % (big['export_cpu'] / big['xmllint_cpu']),
                       big['export_cpu'] <= 1.3 * big['xmllint_cpu']))
        checks.append(('peak memory of that export under 64 MiB', '%.1f MiB' % (big['export_rss'] / MiB),
                       big['export_rss'] < 64 * MiB))
        checks.append(('check of 1,000,000 rows at most 0.6 x the export (wall)',
                       '%.2f x' % (big['check_wall'] / big['export_wall']),
                       big['check_wall'] <= 0.6 * big['export_wall']))
    if big and mid:
        checks.append(('peak memory at 1,000,000 at most 10% above 100,000',
                       '%+.1f %%' % (100.0 * (big['export_rss'] / mid['export_rss'] - 1)),
                       big['export_rss'] <= 1.10 * mid['export_rss']))
        checks.append(('time linear: 1,000,000 at most 11 x 100,000',
                       '%.2f x' % (big['export_wall'] / mid['export_wall']),
                       big['export_wall'] <= 11 * mid['export_wall']))
    if tariff:
        checks.append(('import of a 65,535-row sheet under 1 s', '%.3f s' % tariff['wall'], tariff['wall'] < 1.0))
    if checks:
        print('\ntargets:')
        for name, figure, ok in checks:
            print('  %-4s %-55s %s' % ('met' if ok else 'MISS', name, figure))
    return all(ok for _, _, ok in checks)


def main():
    p = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    p.add_argument('--cli', default=os.path.join(REPO, 'build-release', 'src', 'quorvant-cli'))
    p.add_argument('--sizes', default='100000,1000000', help='rows per table, comma-separated')
    p.add_argument('--runs', type=int, default=3, help='runs per size below 1,000,000 rows')
    p.add_argument('--large-runs', type=int, default=2, help='runs per size of 1,000,000 rows or more')
    p.add_argument('--tariff-runs', type=int, default=5)
    p.add_argument('--no-export', action='store_true')
    p.add_argument('--no-tariff', action='store_true')
    p.add_argument('--workdir', help='where generated data go (kept and reused); default: a temporary folder')
    p.add_argument('--seed', type=int, default=2014)
    p.add_argument('--schema', default=os.path.join(REPO, 'data', 'ACES_DLR.xsd'))
    p.add_argument('--json', help='also write the figures to this file')
    p.add_argument('--export-arg', action='append', default=[], help='one more word for the export command')
    p.add_argument('--baseline-cli', help='another quorvant-cli whose export runs interleaved, for comparison '
                   '(the build before a change, such as progress reporting)')
    a = p.parse_args()

    cli = os.path.abspath(a.cli)
    schema = os.path.abspath(a.schema)
    for path, what in ((cli, 'quorvant-cli (build it: cmake --build build-release --target quorvant-cli)'),
                       (schema, 'the return schema'),
                       (GNU_TIME, 'GNU time (Debian package "time")')):
        if not os.path.exists(path):
            fail('%s is missing: %s' % (path, what))
    if not shutil.which('xmllint'):
        fail('xmllint is missing (Debian package "libxml2-utils")')

    workdir = a.workdir or tempfile.mkdtemp(prefix='quorvant-bench-')
    os.makedirs(workdir, exist_ok=True)
    env = dict(os.environ)
    env['QUORVANT_SYSTEM_DIR'] = os.path.join(workdir, 'system')
    env['XDG_CONFIG_HOME'] = os.path.join(workdir, 'config')  # keeps the user's own settings out of it
    env.pop('QUORVANT_HOME', None)
    os.makedirs(env['QUORVANT_SYSTEM_DIR'], exist_ok=True)
    print('quorvant-cli: %s\ndata: %s\nmachine: %d cores' % (cli, workdir, os.cpu_count()), flush=True)

    exports, tariff = [], None
    try:
        if not a.no_export:
            for rows in (int(s.replace('_', '')) for s in a.sizes.split(',') if s):
                app = os.path.join(workdir, 'q%d' % rows)
                took = generate(app, rows, schema, a.seed)
                if took:
                    print('  generated %d rows per table in %.1f s' % (rows, took), flush=True)
                runs = a.large_runs if rows >= 1000000 else a.runs
                exports.append(measure_export(cli, app, rows, runs, env, a.export_arg,
                                              a.baseline_cli and os.path.abspath(a.baseline_cli)))
        if not a.no_tariff:
            tariff = measure_tariff(cli, workdir, schema, a.tariff_runs, env)
    finally:
        if not a.workdir:
            shutil.rmtree(workdir, ignore_errors=True)
    met = report(exports, tariff)
    if a.json:
        with open(a.json, 'w') as f:
            json.dump({'exports': exports, 'tariff': tariff, 'cores': os.cpu_count()}, f, indent=1)
    sys.exit(0 if met else 1)


if __name__ == '__main__':
    main()

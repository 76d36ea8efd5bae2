// The page in headless Chromium: records of every format are picked or dropped, options set in
// the form, and every file the page offers is downloaded and compared byte for byte with the
// file the native tool writes for the same options. Also the error lines of a bad file and of
// a bad option, screenshots, and the page's time against the native tool's.
//
//   node browser_test.mjs --tool=build/wavespec [--page=web/index.html]
//                         [--shots=build/pictures] [--runs=15] [--max-ratio=3]
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import puppeteer from 'puppeteer-core';
import {writeSamples} from './make_samples.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const option = (name, fallback) => {
    const arg = process.argv.find((a) => a.startsWith(`--${name}=`));
    return arg ? arg.slice(name.length + 3) : fallback;
};
const tool = path.resolve(option('tool', path.join(root, 'build/wavespec')));
const pagePath = path.resolve(option('page', path.join(root, 'web/index.html')));
const shots = path.resolve(option('shots', path.join(root, 'build/pictures')));
const runs = Number(option('runs', '15'));
const maxRatio = Number(option('max-ratio', '3'));

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'wavespec-web-'));
const samples = path.join(scratch, 'samples');
const records = writeSamples(samples, path.join(root, 'examples/accelerogram.csv'));
fs.mkdirSync(shots, {recursive: true});

let passed = 0, failed = 0;
function check(ok, what, detail = '') {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        console.log(`FAILED: ${what}${detail ? `\n  ${detail}` : ''}`);
    }
    return ok;
}

function listTree(dir, prefix = '') {
    if (!fs.existsSync(dir)) return [];
    return fs.readdirSync(dir, {withFileTypes: true}).flatMap((entry) => entry.isDirectory()
        ? listTree(path.join(dir, entry.name), `${prefix}${entry.name}/`)
        : [`${prefix}${entry.name}`]).sort();
}

// Where two byte strings first differ, for the failure line.
function firstDifference(a, b) {
    let i = 0;
    while (i < a.length && i < b.length && a[i] === b[i]) ++i;
    const line = a.subarray(0, i).toString().split('\n').length;
    return `first difference at byte ${i} (line ${line}): page ` +
        `${JSON.stringify(b.subarray(i, i + 24).toString())}, native ` +
        `${JSON.stringify(a.subarray(i, i + 24).toString())}`;
}

// The native tool with the same arguments the page passes, run where the records are.
function runNative(args, files, outDir) {
    const started = process.hrtime.bigint();
    const result = spawnSync(tool, ['process', '--plot', '-C', outDir, ...args, '--', ...files],
                             {cwd: samples, encoding: 'utf8'});
    const ms = Number(process.hrtime.bigint() - started) / 1e6;
    const lines = (text) => text.split('\n').filter(Boolean).map((l) => l.replaceAll(outDir, '/out'));
    return {status: result.status, stdout: lines(result.stdout), stderr: lines(result.stderr), ms};
}

const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    userDataDir: fs.mkdtempSync(path.join(scratch, 'profile-')),
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const page = await browser.newPage();
await page.setViewport({width: 1100, height: 900});
page.on('pageerror', (error) => check(false, 'the page threw', String(error)));
const cdp = await browser.target().createCDPSession();
const downloads = new Map();  // guid -> {resolve, reject}
cdp.on('Browser.downloadProgress', (event) => {
    const waiter = downloads.get(event.guid);
    if (!waiter) return;
    if (event.state === 'completed') waiter.resolve();
    if (event.state === 'canceled') waiter.reject(new Error('download canceled'));
});
cdp.on('Browser.downloadWillBegin', (event) => {
    const waiter = downloads.get('next');
    downloads.delete('next');
    if (waiter) downloads.set(event.guid, waiter);
});

await page.goto(`file://${pagePath}`);
await page.waitForSelector('body[data-state=ready]', {timeout: 30000});

async function pick(names) {
    await page.click('#clear');
    const input = await page.$('#pick');
    await input.uploadFile(...names.map((n) => path.join(samples, n)));
}

// Files dropped as a person drops them: a drop event whose DataTransfer holds the files.
async function drop(names) {
    await page.click('#clear');
    const files = names.map((n) => ({name: n, base64: fs.readFileSync(path.join(samples, n))
        .toString('base64')}));
    await page.evaluate((list) => {
        const transfer = new DataTransfer();
        for (const f of list) {
            const bytes = Uint8Array.from(atob(f.base64), (c) => c.charCodeAt(0));
            transfer.items.add(new File([bytes], f.name));
        }
        document.getElementById('drop').dispatchEvent(
            new DragEvent('drop', {dataTransfer: transfer, bubbles: true, cancelable: true}));
    }, files);
}

const blankForm = {fl1: '', fl2: '', fh1: '', fh2: '', motion: '', 'window-start': '',
                   'window-duration': '', response: false, periods: '', damping: '', smooth: '',
                   'smooth-parameter': '', 'hv-windows': '', layout: 'legacy', dumps: false};

async function runPage(form) {
    await page.evaluate((values) => {
        for (const [id, value] of Object.entries(values)) {
            const field = document.getElementById(id);
            if (typeof value === 'boolean') field.checked = value;
            else field.value = value;
        }
    }, {...blankForm, ...form});
    await page.click('#run');
    await page.waitForFunction(() => ['done', 'failed'].includes(document.body.dataset.state),
                               {timeout: 120000});
    return page.evaluate(() => {
        const lines = (cls) => Array.from(document.querySelectorAll(`#lines .${cls}`))
            .map((l) => l.textContent.replace(/\n$/, ''));
        return {state: document.body.dataset.state, status: Number(document.body.dataset.status),
                ms: Number(document.body.dataset.milliseconds), stdout: lines('stdout'),
                stderr: lines('stderr'), dirs: Array.from(document.querySelectorAll('.record'))
                    .map((s) => s.dataset.dir)};
    });
}

// Every link of every record section downloaded into into/DIR/, one after the other.
async function downloadAll(into) {
    const sections = await page.$$('.record');
    for (const section of sections) {
        const dir = await section.evaluate((s) => s.dataset.dir);
        const target = path.join(into, dir);
        fs.mkdirSync(target, {recursive: true});
        await cdp.send('Browser.setDownloadBehavior',
                       {behavior: 'allow', downloadPath: target, eventsEnabled: true});
        for (const link of await section.$$('.downloads a')) {
            // Chromium drops downloads past ten a second.
            await new Promise((resolve) => setTimeout(resolve, 120));
            const done = new Promise((resolve, reject) => downloads.set('next', {resolve, reject}));
            await link.click();
            await Promise.race([done, new Promise((_, reject) => setTimeout(
                () => reject(new Error('download timed out')), 30000))]);
        }
    }
}

// The pictures shown: each <img> loaded and drawn with a size.
async function picturesShown() {
    return page.$$eval('.record img', (images) => images.map((img) => ({
        name: img.alt, ok: img.complete && img.naturalWidth > 0 && img.naturalHeight > 0})));
}

function compareTrees(nativeDir, pageDir, what) {
    const expected = listTree(nativeDir), got = listTree(pageDir);
    check(expected.length > 0 && JSON.stringify(expected) === JSON.stringify(got),
          `${what}: the page offers the files the native tool writes`,
          `native: ${expected.join(' ')}\n  page:   ${got.join(' ')}`);
    for (const name of expected.filter((n) => got.includes(n))) {
        const a = fs.readFileSync(path.join(nativeDir, name));
        const b = fs.readFileSync(path.join(pageDir, name));
        check(a.equals(b), `${what}: ${name} byte for byte`, a.equals(b) ? '' : firstDifference(a, b));
    }
}

// name, how the files arrive, records, the form, the same options for the command line, and
// the exit status the native tool must give.
const allRecords = [...records.example, ...records.csv, ...records.knet, ...records.at2,
                    ...records.sac, ...records.bad];
const scenarios = [
    {name: 'formats', arrive: pick, files: allRecords,
     form: {fl1: '0.1', fl2: '0.2', fh1: '20', fh2: '25', motion: '--integrate', response: true,
            periods: '0.05:5:30', damping: '0.02,0.05', smooth: 'konno-ohmachi',
            'smooth-parameter': '40', dumps: true},
     args: ['--bandpass=0.1,0.2,20,25', '--integrate', '--response-spectra', '--periods=0.05:5:30',
            '--damping=0.02,0.05', '--smooth=konno-ohmachi:40'],
     status: 1},
    {name: 'bad-option', arrive: drop, files: records.example,
     form: {fl1: '0.1', fl2: '0.2', fh1: 'abc', fh2: '25'},
     args: ['--bandpass=0.1,0.2,abc,25', '--no-dumps'], status: 2},
    {name: 'hv', arrive: drop, files: records.example,
     form: {motion: '--double-integrate', 'window-start': '5', 'window-duration': '30',
            smooth: 'parzen', 'smooth-parameter': '0.5', 'hv-windows': '5', layout: 'full',
            dumps: true},
     args: ['--double-integrate', '--window=5,30', '--smooth=parzen:0.5', '--hv-windows=5',
            '--layout=full', '--dumps'],
     status: 0},
];

for (const scenario of scenarios) {
    const nativeDir = path.join(scratch, `native-${scenario.name}`);
    const native = runNative(scenario.args, scenario.files, nativeDir);
    check(native.status === scenario.status, `${scenario.name}: the native tool's exit status`,
          `${native.status}: ${native.stderr.join(' | ')}`);
    await scenario.arrive(scenario.files);
    const shown = await runPage(scenario.form);
    check(shown.state === 'done' && shown.status === native.status,
          `${scenario.name}: the page's run ends with the tool's status`,
          `page ${shown.state} ${shown.status}, native ${native.status}`);
    // Records may finish in any order at -j above 1.
    const same = (a, b) => JSON.stringify([...a].sort()) === JSON.stringify([...b].sort());
    check(same(shown.stderr, native.stderr) && same(shown.stdout, native.stdout),
          `${scenario.name}: the page shows the tool's lines`,
          `page: ${JSON.stringify(shown)}\n  native: ${JSON.stringify(native)}`);
    const pictures = await picturesShown();
    const svgs = listTree(nativeDir).filter((n) => n.endsWith('.svg'));
    check(pictures.length === svgs.length && pictures.every((p) => p.ok),
          `${scenario.name}: every picture drawn`, JSON.stringify(pictures));
    await page.screenshot({path: path.join(shots, `web-${scenario.name}.png`), fullPage: true});
    const pageDir = path.join(scratch, `page-${scenario.name}`);
    await downloadAll(pageDir);
    if (scenario.status !== 2) compareTrees(nativeDir, pageDir, scenario.name);
    else check(listTree(pageDir).length === 0, `${scenario.name}: no files offered`);
}

// Speed: the example with response spectra and smoothing, the page's whole run (files read,
// module started, run, files collected and shown) against the native tool's process at -j1.
const speedForm = {fl1: '0.1', fl2: '0.2', fh1: '20', fh2: '25', motion: '--integrate',
                   response: true, smooth: 'konno-ohmachi'};
const speedArgs = ['--bandpass=0.1,0.2,20,25', '--integrate', '--response-spectra',
                   '--smooth=konno-ohmachi', '--no-dumps'];
await drop(records.example);
const median = (values) => values.sort((a, b) => a - b)[Math.floor(values.length / 2)];
const pageTimes = [], nativeTimes = [];
for (let i = 0; i < runs; ++i) {
    const shown = await runPage(speedForm);
    check(shown.state === 'done' && shown.status === 0, `speed run ${i + 1} finished`);
    pageTimes.push(shown.ms);
}
for (let i = 0; i < runs; ++i) {
    const native = runNative(['-j1', ...speedArgs], records.example, path.join(scratch, 'speed'));
    nativeTimes.push(native.ms);
}
const ratio = median(pageTimes) / median(nativeTimes);
console.log(`speed: the example with response spectra and smoothing, median of ${runs} runs: ` +
            `page ${median(pageTimes).toFixed(0)} ms, native -j1 ${median(nativeTimes).toFixed(0)} ms, ` +
            `ratio ${ratio.toFixed(2)}`);
check(ratio < maxRatio, `the page within ${maxRatio} times the native time`);

await browser.close();
fs.rmSync(scratch, {recursive: true, force: true});
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);

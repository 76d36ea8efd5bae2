// Sample records of each format the page reads, written here the way the C++ tests write
// theirs (tests/formats_samples.hpp): integer counts of sines with an offset, times simple
// factors. Also a file that is no record at all, for the page's error line.
import fs from 'node:fs';
import path from 'node:path';

// Integer counts of component c (0, 1, 2), n of them, with an offset in each.
function sampleCounts(c, n) {
    const counts = [];
    for (let i = 0; i < n; ++i) {
        // Math.round differs from lround only on negative halves, which sin never hits here.
        counts.push(Math.round(3000 * Math.sin(0.05 * i * (c + 1))) + 100 * (c + 1));
    }
    return counts;
}

function knetText(direction, counts) {
    const field = (label, value) => label.padEnd(18) + value + '\n';
    let text = field('Origin Time', '2020/01/02 03:04:00') + field('Lat.', '36.000') +
        field('Long.', '140.000') + field('Depth. (km)', '10') + field('Mag.', '5.0') +
        field('Station Code', 'XYZ001') + field('Station Lat.', '36.1000') +
        field('Station Long.', '140.1000') + field('Station Height(m)', '12') +
        field('Record Time', '2020/01/02 03:04:10') + field('Sampling Freq(Hz)', '100Hz') +
        field('Duration Time(s)', String(Math.floor(counts.length / 100))) +
        field('Dir.', direction) + field('Scale Factor', '3920(gal)/6182761') +
        field('Max. Acc. (gal)', '1.000') + field('Last Correction', '2020/01/02 03:04:08') +
        field('Memo.', '');
    counts.forEach((count, i) => {
        const number = String(count);
        text += ' '.repeat(number.length < 9 ? 9 - number.length : 1) + number;
        if (i % 8 === 7 || i + 1 === counts.length) text += '\n';
    });
    return text;
}

// %.15E as C prints it: a two-digit exponent at least.
function exponentText(value) {
    const [mantissa, exponent] = value.toExponential(15).toUpperCase().split('E');
    const sign = exponent.startsWith('-') ? '-' : '+';
    return `${mantissa}E${sign}${exponent.replace(/^[+-]/, '').padStart(2, '0')}`;
}

// One AT2 file in the NGA-West2 form: counts / 4096 g, exact in binary and in decimal text.
function at2Text(c, n) {
    let text = 'PEER NGA STRONG MOTION DATABASE RECORD\n' +
        `Test event, 2020, station XYZ, component ${c}\n` +
        'ACCELERATION TIME SERIES IN UNITS OF G\n' + `NPTS=  ${n}, DT=   .0050 SEC\n`;
    sampleCounts(c, n).forEach((count, i) => {
        text += '  ' + exponentText(count / 4096);
        if (i % 5 === 4 || i + 1 === n) text += '\n';
    });
    return text;
}

// A SAC file, little-endian: header words, the counts / 8 as 32-bit floats.
function sacBytes(values, delta, component) {
    const view = new DataView(new ArrayBuffer(632 + 4 * values.length));
    for (let w = 0; w < 70; ++w) view.setFloat32(4 * w, -12345, true);
    for (let w = 70; w < 110; ++w) view.setInt32(4 * w, -12345, true);
    view.setFloat32(0, delta, true);
    view.setInt32(4 * 76, 6, true);              // nvhdr
    view.setInt32(4 * 79, values.length, true);  // npts
    view.setInt32(4 * 85, 1, true);              // iftype: time series
    view.setInt32(4 * 105, 1, true);             // leven
    const bytes = new Uint8Array(view.buffer);
    const putText = (offset, text) => bytes.set(Buffer.from(text.padEnd(8).slice(0, 8)), offset);
    for (let k = 440; k < 632; k += 8) putText(k, '-12345');
    putText(440, 'XYZ');      // kstnm
    putText(600, component);  // kcmpnm
    putText(608, 'XX');       // knetwk
    values.forEach((v, i) => view.setFloat32(632 + 4 * i, v, true));
    return bytes;
}

// A short CSV record of its own: three components at 0.02 s.
function csvText(n) {
    let text = 'time,NS,EW,UD\n';
    const counts = [0, 1, 2].map((c) => sampleCounts(c, n));
    for (let i = 0; i < n; ++i) {
        text += `${(i * 0.02).toFixed(2)},${counts[0][i] / 1000},${counts[1][i] / 1000},` +
            `${counts[2][i] / 1000}\n`;
    }
    return text;
}

// Writes every sample into dir; returns the records as lists of file names, by format.
export function writeSamples(dir, example) {
    fs.mkdirSync(dir, {recursive: true});
    const write = (name, data) => fs.writeFileSync(path.join(dir, name), data);
    const records = {example: ['accelerogram.csv'], csv: ['short.csv'], knet: [], at2: [], sac: []};
    fs.copyFileSync(example, path.join(dir, 'accelerogram.csv'));
    write('short.csv', csvText(1500));
    [['N-S', 'NS'], ['E-W', 'EW'], ['U-D', 'UD']].forEach(([direction, extension], c) => {
        records.knet.push(`XYZ0012001020304.${extension}`);
        write(records.knet[c], knetText(direction, sampleCounts(c, 2000)));
    });
    ['000', '090', '-UP'].forEach((suffix, c) => {
        records.at2.push(`RSN1063_TEST_XYZ${suffix}.AT2`);
        write(records.at2[c], at2Text(c, 3000));
    });
    ['HHN', 'HHE', 'HHZ'].forEach((component, c) => {
        records.sac.push(`XYZ.${component}.SAC`);
        const values = sampleCounts(c, 2500).map((count) => count / 8);
        write(records.sac[c], sacBytes(values, 0.01, component));
    });
    records.bad = ['broken.csv'];
    write('broken.csv', 'time,NS,EW,UD\n0.00,1,2,3\n0.01,4,five,6\n');
    return records;
}

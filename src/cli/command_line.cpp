#include "cli/command_line.hpp"

#include <cstdio>
#include <string_view>

#include "cli/convert_command.hpp"
#include "cli/flatfile_command.hpp"
#include "cli/info_command.hpp"
#include "cli/inventory_command.hpp"
#include "cli/option_parser.hpp"
#include "cli/plot_command.hpp"
#include "cli/process_command.hpp"
#include "records/printable_text.hpp"

#ifndef WAVESPEC_VERSION
#define WAVESPEC_VERSION "unknown"
#endif

namespace wavespec::cli {
namespace {

constexpr std::string_view kUsage =
    R"(Usage: wavespec                      the dialogue: questions on the console, answers typed
       wavespec process [OPTIONS] RECORD...
       wavespec plot [--output=NAME] [--record=FILE] DIR...
       wavespec convert [--format=FORMAT] [--keep-offset] [--quantity=QUANTITY] INPUT...
                        -o RECORD.csv
       wavespec info [--format=FORMAT] [--json] [--quantity=QUANTITY] INPUT...
       wavespec inventory STATIONXML [--response=NET.STA.LOC.CHA[@TIME]
                          [--frequencies=FROM:TO:COUNT] [--units=QUANTITY]]
       wavespec flatfile DIR... -o FLATFILE.csv [--periods=LIST]
       wavespec -h | --help
       wavespec -V | --version

Process records without the dialogue, with the dialogue's answers given as options.
Every file is byte for byte the file the dialogue writes with the same answers.

Options of process:
      --invert=LIST         change the sign of these components (comma-separated 1,2,3)
      --bandpass=FL1,FL2,FH1,FH2
                            trapezoidal band-pass filter, corner frequencies in Hz
      --integrate           integrate once (acceleration to velocity)
      --double-integrate    integrate twice (acceleration to displacement)
      --differentiate       differentiate (velocity to acceleration)
      --window=START,DURATION
                            keep the output from START for DURATION seconds
      --skip=N              write every (N+1)-th sample of the output (default 0)
      --output=NAME         the output waveform's file name (default wave.csv)
  -C, --out-dir=DIR         where the files go (default: the current directory); with
                            several records, and with --records-from, --shard or
                            --resume, each record's files go into DIR/STEM/
      --no-dumps            write no fort.* diagnostic files
      --layout=LAYOUT       legacy (default: the dialogue's files, at most 32768 samples)
                            or full (plain CSV at full precision, up to 16777216 samples;
                            no fort.* files unless --dumps)
      --dumps               write the fort.* files with --layout=full
      --plot                draw spectra.svg and waveform.svg beside the files (and
                            response.svg with --response-spectra)
      --response-spectra    also write response.csv (Sd, Sv, Sa, PSV, PSA of each
                            component, RotD00/50/100, GMRotD50 and GMRotI50 of the
                            horizontals), response-summary.txt and measures.csv
                            (PGA, PGV, PGD, Arias intensity, D5-75, D5-95, CAV)
      --periods=LIST|FROM:TO:COUNT
                            the oscillators' periods in s (default 0.01:10:100, spaced
                            evenly in their logarithm); each from 1e-6 to 1e5, none twice
      --damping=LIST        fractions of critical damping, each in (0, 1) (default 0.05),
                            none twice
      --oscillator=band-limited|piecewise-linear
                            the input between samples: the band-limited signal (default),
                            or straight lines with peaks at dt/k, k = ceil(10 dt/T), as
                            the ground-motion databases compute them
      --detrend=demean|linear, --taper=FRACTION, --pad=auto|SECONDS,
      --highpass=FC[,ORDER], --lowpass=FC[,ORDER], --filter=acausal|causal,
      --baseline=polynomial
                            process the record as read before everything else (in this
                            order: detrend, Hann taper, zero pads, Butterworth filters,
                            baseline); write processed.csv and processing.txt
  -j, --jobs=N              records processed at once (default: the number of processors)
  -q, --quiet               no line per record on standard output
      --records-from=FILE   also the records listed in FILE (- for standard input), one a
                            line; a set of SAC or MiniSEED files on one line, TAB-separated;
                            empty lines and lines starting with # skipped
      --shard=K/N|slurm     only the records whose stem's FNV-1a 64-bit hash mod N is K
                            (0 <= K < N); slurm: K and N from the array task's variables
      --resume              skip each record whose run.json tells a complete run of the
                            same tool, options and input files
      --format=FORMAT       how to read the records, as for convert (default auto)
      --keep-offset         K-NET/KiK-net: keep the offset of the counts
      --quantity=QUANTITY   files of several quantities (COSMOS V2, GeoNet V2A): the
                            one read, acceleration (default), velocity or displacement
                            (also for convert and info)
      --channels=I,J,K      files of more than three channels of one station (COSMOS,
                            CSMIP): the three, counted from 1 in the file, that make the
                            record (also for convert and info)
      --smooth=konno-ohmachi[:B] | parzen[:BW]
                            write smoothed.csv: the amplitude spectra smoothed by the
                            full window sum (B default 40, 0.01 to 1e4; BW in Hz, default
                            0.5, 1e-6 to 1e6), and H/V
      --smooth-points=N|bins
                            points a decade of the log grid (default 100), or every bin
      --frequencies=FROM:TO:COUNT
                            instead: COUNT log-spaced frequencies, both ends included
      --hv=MEAN             H from the horizontals' raw spectra, before smoothing:
                            geometric (default), quadratic, arithmetic or total
      --hv-windows=SECONDS  H/V of ambient noise: windows of this length, hv.csv with
                            the lognormal mean and spread, hv-summary.txt with f0 and the
                            SESAME criteria
      --hv-taper=FRACTION   share of each window in its Tukey taper's ends (default 0.1)
      --hv-range=FMIN,FMAX  where f0 and the windows' peaks are searched, Hz
      --hv-reject=N         reject windows whose peak lies beyond N standard deviations
                            (Cox et al. 2020), round by round
      --hv-azimuths=STEP    also H/V with the horizontals turned every STEP degrees:
                            hv-azimuth.csv (and hv-azimuth.svg with --plot)
      --inventory=FILE.xml  SAC or MiniSEED records in counts: remove each channel's
                            response given in this StationXML file (also for convert)
      --units=QUANTITY      with --inventory: acceleration (default, cm/s^2), velocity
                            (cm/s) or displacement (cm)
      --water-level=DB      with --inventory: the response is held at least DB under its
                            largest value (default 60), or none
      --pre-filter=F1,F2,F3,F4
                            with --inventory: a cosine taper, 1 from F2 to F3 Hz, 0 below
                            F1 and above F4
      --rotate              with --inventory: horizontals that are not north and east are
                            rotated to north and east by their azimuths

Options of plot (draws spectra.svg and waveform.svg into each DIR from the files a run
left there: amp3.csv and the output waveform; smoothed.csv over the spectra, hv.svg from
hv.csv, response.svg from response.csv, processed.svg from processed.csv and snr.svg from
snr.csv (with processing.txt) where they are there):
      --output=NAME         the output waveform's file name in DIR (default: the one CSV
                            file in DIR headed time(s),)
      --record=FILE         the record as read, drawn under the output (one DIR only)

A record is a CSV file (a header of four names, then lines of time and three samples) or
the files of one record in a network's format (see convert). A record's files are written
under temporary names and take their final names only when the record has succeeded.

Convert writes one record of the networks' files as the tool's own CSV:
      --format=FORMAT       auto (default: decided by content), knet, at2, sac, mseed,
                            esm, cosmos, smc, geonet, csmip, cwa, afad, unam, renadic
                            or bhrc
      --keep-offset         K-NET/KiK-net: keep the offset of the counts (default: the
                            mean of the trace is removed)
  -o, --output=FILE         the CSV file to write
      --inventory=FILE.xml and --units, --water-level, --pre-filter, --rotate as for
                            process: the record in cm/s^2, cm/s or cm
K-NET/KiK-net: any one file of a set (BASE.NS, .EW, .UD; .NS1... or .NS2...), in gal.
PEER AT2/VT2/DT2: three files (or one named RSN..._ with the others beside it); AT2 in gal.
SAC: three files of one station, either byte order. MiniSEED: the files of one channel
group (network, station, location, first two letters of the channel), in counts.
ESM, COSMOS and SMC: the files of one station's three channels (a COSMOS file may hold
several); CSMIP V1/V2: the files of one station's channels, one or several a file; GeoNet
V1A/V2A, CWA, AFAD, UNAM, RENADIC and BHRC: one file of three components. In cm/s^2, cm/s
or cm (COSMOS V0 counts through the header's LSB, sensitivity and gain).

Info prints what each record of the inputs holds, without converting it: "key: value"
lines (record, format, network, station, location, components with their azimuth and dip,
units, quantity, start in UTC, dt, nt, the header's stated values, warnings), or with
--json one JSON object a line. Exit status 0 when every input was described, 1 when some
was refused (the others are still described), 2 for a usage error.

Flatfile gathers the runs under the DIRs (each directory holding a run.json, links not
followed) into one CSV table: a row for each record and component (H1, H2, V, then RotD00,
RotD50, RotD100, GMRotD50 and GMRotI50 with response spectra), sorted by stem; columns stem,
component, files, format, network, station, location, channels, start, dt, nt, units,
highpass, lowpass, PGA, PGV, PGD, Arias, D5-75, D5-95, CAV (as in measures.csv), then the PSA
of response.csv, SA(T) for the first damping and SA(T,DAMPING) for the others. The runs must
share periods and dampings; --periods keeps only those periods (each in every run).

Inventory lists each channel epoch of a StationXML file (its stages and the checks of the
metadata), or with --response writes one channel's response as CSV on standard output:
frequency(Hz),amplitude,phase(deg), in counts per m, m/s or m/s^2 (--units; default the
channel's own input units), at 200 frequencies from 0.001 Hz to its Nyquist frequency
unless --frequencies gives them. TIME (ISO 8601) picks the epoch of a channel with several.

Exit status: 0 when every record succeeded, 1 when any failed, 2 for a usage error,
130 or 143 when process is stopped by SIGINT or SIGTERM (its temporary files removed).
The dialogue ends with 0, or 1 when it refuses a record; a fatal diagnostic aborts it.
)";

}  // namespace

void report_usage_error(std::string_view command, std::string_view message) {
    std::string line = "wavespec";
    if (!command.empty()) line.append(" ").append(command);
    line.append(": ").append(printable_line(message)).append("; try 'wavespec --help'\n");
    std::fputs(line.c_str(), stderr);
}

int run_command_line(std::span<const std::string> args) {
    const std::string& first = args.front();
    std::span<const std::string> rest = args.subspan(1);
    if (first == "-h" || first == "--help") {
        std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
        return std::fflush(stdout) == 0 ? kSuccess : kSomeRecordFailed;
    }
    if (first == "-V" || first == "--version") {
        std::fputs("wavespec " WAVESPEC_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 ? kSuccess : kSomeRecordFailed;
    }
    if (first == "process") return run_process(rest);
    if (first == "plot") return run_plot(rest);
    if (first == "convert") return run_convert(rest);
    if (first == "inventory") return run_inventory(rest);
    if (first == "flatfile") return run_flatfile(rest);
    if (first == "info") return run_info(rest);
    if (first.starts_with("-")) {
        report_usage_error({}, "unknown option '" + first + "'");
    } else {
        report_usage_error({}, "unknown command '" + first + "'");
    }
    return kUsageError;
}

}  // namespace wavespec::cli

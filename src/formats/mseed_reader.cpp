// MiniSEED records through libmseed 2: each record parsed from the file's bytes in turn, the
// records of a channel joined into continuous segments by the library's trace group.
#include <libmseed.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>

#include "formats/file_trace.hpp"
#include "formats/mseed_segments.hpp"

namespace wavespec::formats {
namespace {

// The library reports its own diagnostics on standard error; ours are the FormatErrors.
void no_log(char*) {}

void quiet_library() {
    static std::once_flag once;
    std::call_once(once, [] { ms_loginit(no_log, nullptr, no_log, nullptr); });
}

struct Parsed {
    MSRecord* record = nullptr;
    MSTraceGroup* group = nullptr;
    ~Parsed() {
        msr_free(&record);
        mst_freegroup(&group);
    }
};

template <typename T>
void append_samples(const MSTrace& trace, std::vector<double>& samples) {
    const T* values = static_cast<const T*>(trace.datasamples);
    for (std::int64_t i = 0; i < trace.numsamples; ++i)
        samples.push_back(static_cast<double>(values[i]));
}

// Refuses encodings other than the integer, float and Steim ones, and records whose header
// promises more uncompressed samples than the record's data area holds.
void check_data_fits(std::string_view file, std::size_t offset, const MSRecord& record) {
    std::int64_t sample_bytes = 0;
    switch (record.encoding) {
        case DE_INT16:
            sample_bytes = 2;
            break;
        case DE_INT32:
        case DE_FLOAT32:
            sample_bytes = 4;
            break;
        case DE_FLOAT64:
            sample_bytes = 8;
            break;
        case DE_STEIM1:
        case DE_STEIM2:
            sample_bytes = 0;
            break;
        default:
            fail_at_byte(file, static_cast<std::int64_t>(offset),
                         "MiniSEED encoding " + std::to_string(record.encoding) +
                             " is not one of integer, float, Steim-1 or Steim-2");
    }
    const std::int64_t data_offset = record.fsdh != nullptr ? record.fsdh->data_offset : 0;
    if (record.fsdh == nullptr || data_offset > record.reclen ||
        record.samplecnt * sample_bytes > record.reclen - data_offset) {
        fail_at_byte(file, static_cast<std::int64_t>(offset),
                     "the record's " + std::to_string(record.samplecnt) +
                         " samples do not fit in its data area");
    }
}

// Records may be read from several threads; the library's thread safety is not promised,
// and a file takes about a millisecond, so one file is parsed at a time.
std::mutex& library_mutex() {
    static std::mutex library;
    return library;
}

// Parses the header of the record at `offset` (no samples decoded) and checks that it can be
// read further; fails naming the offset otherwise.
const MSRecord& parse_header(std::string_view file, std::vector<char>& buffer, std::size_t offset,
                             Parsed& parsed) {
    std::size_t left = buffer.size() - offset;
    int length = static_cast<int>(std::min<std::size_t>(left, INT32_MAX));
    int status = msr_parse(buffer.data() + offset, length, &parsed.record, 0, 0, 0);
    if (status > 0) {
        fail_at_byte(file, static_cast<std::int64_t>(offset),
                     "the file ends inside a MiniSEED record");
    }
    if (status < 0) {
        fail_at_byte(file, static_cast<std::int64_t>(offset),
                     std::string("not a readable MiniSEED record (") + ms_errorstr(status) + ")");
    }
    if (parsed.record->reclen <= 0) {
        fail_at_byte(file, static_cast<std::int64_t>(offset), "record length unknown");
    }
    return *parsed.record;
}

}  // namespace

void collect_mseed_channel_groups(std::string_view file, std::string_view bytes,
                                  std::vector<std::string>& groups) {
    quiet_library();
    std::vector<char> buffer(bytes.begin(), bytes.end());
    std::lock_guard<std::mutex> lock(library_mutex());
    Parsed parsed;
    for (std::size_t offset = 0; offset < buffer.size();) {
        const MSRecord& record = parse_header(file, buffer, offset, parsed);
        if (record.samplecnt > 0) {
            std::string group = std::string(record.network) + "." + record.station + "." +
                                record.location + "." + std::string(record.channel).substr(0, 2);
            if (std::find(groups.begin(), groups.end(), group) == groups.end()) {
                groups.push_back(group);
            }
        }
        offset += static_cast<std::size_t>(record.reclen);
    }
}

bool mseed_supported() {
    return true;
}

bool looks_like_mseed(std::string_view bytes) {
    if (bytes.size() < 48) return false;
    int length =
        ms_detect(bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20)));
    return length >= 0;  // 0: a SEED header whose length the first bytes do not tell
}

std::vector<MseedSegment> read_mseed_segments(std::string_view file, std::string_view bytes) {
    quiet_library();
    // The library wants a writable buffer (it may swap bytes in place).
    std::vector<char> buffer(bytes.begin(), bytes.end());
    std::lock_guard<std::mutex> lock(library_mutex());
    Parsed parsed;
    parsed.group = mst_initgroup(nullptr);
    std::size_t offset = 0;
    while (offset < buffer.size()) {
        std::size_t left = buffer.size() - offset;
        int length = static_cast<int>(std::min<std::size_t>(left, INT32_MAX));
        // The header first: the library decodes uncompressed samples without checking that
        // the record holds them, so the sample count is checked against the record here.
        int status = msr_parse(buffer.data() + offset, length, &parsed.record, 0, 0, 0);
        if (status == 0) check_data_fits(file, offset, *parsed.record);
        if (status == 0)
            status = msr_parse(buffer.data() + offset, length, &parsed.record, 0, 1, 0);
        if (status > 0) {
            fail_at_byte(file, static_cast<std::int64_t>(offset),
                         "the file ends inside a MiniSEED record");
        }
        if (status < 0) {
            fail_at_byte(
                file, static_cast<std::int64_t>(offset),
                std::string("not a readable MiniSEED record (") + ms_errorstr(status) + ")");
        }
        const MSRecord& record = *parsed.record;
        if (record.reclen <= 0)
            fail_at_byte(file, static_cast<std::int64_t>(offset), "record length unknown");
        if (record.sampletype != 'i' && record.sampletype != 'f' && record.sampletype != 'd') {
            fail_at_byte(file, static_cast<std::int64_t>(offset),
                         "the record holds no numeric samples");
        }
        if (record.numsamples > 0 &&
            mst_addmsrtogroup(parsed.group, parsed.record, 0, -1.0, -1.0) == nullptr) {
            fail_at_byte(file, static_cast<std::int64_t>(offset),
                         "the record's samples do not join its channel's other records");
        }
        offset += static_cast<std::size_t>(record.reclen);
    }
    std::vector<MseedSegment> segments;
    for (MSTrace* trace = parsed.group->traces; trace != nullptr; trace = trace->next) {
        if (trace->numsamples <= 0) continue;
        MseedSegment segment;
        segment.file = std::string(file);
        segment.network = trace->network;
        segment.station = trace->station;
        segment.location = trace->location;
        segment.channel = trace->channel;
        segment.start_us = trace->starttime;
        segment.end_us = trace->endtime;
        segment.rate = trace->samprate;
        switch (trace->sampletype) {
            case 'i':
                append_samples<std::int32_t>(*trace, segment.samples);
                break;
            case 'f':
                append_samples<float>(*trace, segment.samples);
                break;
            case 'd':
                append_samples<double>(*trace, segment.samples);
                break;
            default:
                fail(file, "channel " + segment.channel + " holds no numeric samples");
        }
        for (std::size_t i = 0; i < segment.samples.size(); ++i) {
            if (!std::isfinite(segment.samples[i])) {
                fail(file, "sample " + std::to_string(i + 1) + " of channel " + segment.channel +
                               " is not a finite number");
            }
        }
        segments.push_back(std::move(segment));
    }
    return segments;
}

}  // namespace wavespec::formats

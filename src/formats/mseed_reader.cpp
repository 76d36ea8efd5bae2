// MiniSEED records through libmseed 2: the records' headers parsed from the file's bytes, the
// records of a channel joined into continuous segments in time order, then each decoded once.
#include <algorithm>
#include <climits>
#include <cmath>
#include <mutex>

#include "formats/file_trace.hpp"
#include "formats/libmseed_header.hpp"
#include "formats/mseed_segments.hpp"

namespace wavespec::formats {
namespace {

// The library reports its own diagnostics on standard error; ours are the FormatErrors.
void no_log(char*) {}

void quiet_library() {
    static std::once_flag once;
    std::call_once(once, [] { ms_loginit(no_log, nullptr, no_log, nullptr); });
}

// The library's record, reused from one parse to the next.
struct Parsed {
    MSRecord* record = nullptr;
    ~Parsed() { msr_free(&record); }
};

// Refuses encodings other than the integer, float and Steim ones, and records whose header
// promises more samples than the record's data area can hold: uncompressed, so many bytes a
// sample; Steim, at most 60 (Steim-1: four differences in each of 15 words) or 105 (Steim-2:
// seven in each) a frame of 64 bytes. Memory is reserved from these counts, so a small
// crafted file must not promise more than it can hold.
void check_data_fits(std::string_view file, std::size_t offset, const MSRecord& record) {
    std::int64_t sample_bytes = 0;
    std::int64_t per_frame = 0;  // Steim
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
            per_frame = 60;
            break;
        case DE_STEIM2:
            per_frame = 105;
            break;
        default:
            fail_at_byte(file, static_cast<std::int64_t>(offset),
                         "MiniSEED encoding " + std::to_string(record.encoding) +
                             " is not one of integer, float, Steim-1 or Steim-2");
    }
    const std::int64_t data_offset = record.fsdh != nullptr ? record.fsdh->data_offset : 0;
    const std::int64_t data_bytes = record.reclen - data_offset;
    const bool fits = per_frame > 0 ? record.samplecnt <= data_bytes / 64 * per_frame
                                    : record.samplecnt * sample_bytes <= data_bytes;
    if (record.fsdh == nullptr || data_offset > record.reclen || !fits) {
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

// The file's bytes followed by zeros the library may touch but never counts: walking a record's
// blockette chain it reads a blockette's head (up to six bytes) at any offset inside the record,
// so at the file's last record it may read a few bytes past the end.
class FileBytes {
  public:
    explicit FileBytes(std::string bytes) : size_(bytes.size()), bytes_(std::move(bytes)) {
        bytes_.append(padding, '\0');
    }
    std::size_t size() const { return size_; }
    char* at(std::size_t offset) { return bytes_.data() + offset; }
    // What the library is told it may read from `offset` on.
    int length_from(std::size_t offset) const {
        return static_cast<int>(std::min<std::size_t>(size_ - offset, INT32_MAX));
    }

  private:
    static constexpr std::size_t padding = 64;
    std::size_t size_;
    std::string bytes_;
};

// Parses the header of the record at `offset` (no samples decoded) and checks that it can be
// read further; fails naming the offset otherwise.
const MSRecord& parse_header(std::string_view file, FileBytes& bytes, std::size_t offset,
                             Parsed& parsed) {
    const int length = bytes.length_from(offset);
    int status = msr_parse(bytes.at(offset), length, &parsed.record, 0, 0, 0);
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
    // The length is found from the first blockette 1000, but a later one in the chain sets the
    // length the library decodes with; one that reaches past the file would have it read there.
    if (parsed.record->reclen > length) {
        fail_at_byte(file, static_cast<std::int64_t>(offset),
                     "the record's length of " + std::to_string(parsed.record->reclen) +
                         " bytes reaches past the end of the file");
    }
    return *parsed.record;
}

// Where a record lies in the file and what its header says, read before any sample is decoded.
struct RecordPlace {
    std::size_t offset = 0;
    std::string network, station, location, channel;
    std::int64_t start_us = 0;  // first sample
    std::int64_t end_us = 0;    // last sample
    double rate = 0.0;
    std::int64_t count = 0;
};

// The headers of every record that holds samples, in file order; fails naming the offset of
// a record that cannot be read.
std::vector<RecordPlace> record_places(std::string_view file, FileBytes& bytes, Parsed& parsed) {
    std::vector<RecordPlace> places;
    for (std::size_t offset = 0; offset < bytes.size();) {
        const MSRecord& record = parse_header(file, bytes, offset, parsed);
        // The library decodes uncompressed samples without checking that the record holds
        // them, so the sample count is checked against the record here.
        check_data_fits(file, offset, record);
        if (record.samplecnt > 0) {
            places.push_back({offset, record.network, record.station, record.location,
                              record.channel, record.starttime, msr_endtime(parsed.record),
                              record.samprate, record.samplecnt});
        }
        offset += static_cast<std::size_t>(record.reclen);
    }
    return places;
}

// The records of one continuous segment, in time order, and their number of samples.
struct PlannedSegment {
    std::vector<std::size_t> records;
    std::size_t samples = 0;
    std::string drift;  // the first record whose clock has drifted, in words; empty if none
};

bool same_channel(const RecordPlace& a, const RecordPlace& b) {
    return a.network == b.network && a.station == b.station && a.location == b.location &&
           a.channel == b.channel;
}

// Whether `next` continues the segment that ends with the sample at end_us, at the segment's
// rate: its rate agrees to 1e-4 and its first sample falls within half an interval of where
// the next sample is due.
bool continues(std::int64_t end_us, double rate, const RecordPlace& next) {
    if (!(std::fabs(1.0 - next.rate / rate) < 0.0001)) return false;
    const double interval_us = 1e6 / rate;
    const double gap = static_cast<double>(next.start_us - end_us) - interval_us;
    return std::fabs(gap) <= 0.5 * interval_us;
}

// Each record continues the one before within half an interval, but those half intervals
// add up: a record must also start within half an interval of where the segment's first
// start and the samples before it put it. Past that, its clock has drifted: in words.
std::string drift_of(const RecordPlace& first, std::size_t samples_before,
                     const RecordPlace& place) {
    const double interval_us = 1e6 / first.rate;
    const double due_us =
        static_cast<double>(first.start_us) + static_cast<double>(samples_before) * interval_us;
    const double off_us = static_cast<double>(place.start_us) - due_us;
    if (std::fabs(off_us) <= 0.5 * interval_us) return {};
    return "clock drift in " + first.network + "." + first.station + "." + first.location + "." +
           first.channel + ": the record starting " + iso_time(place.start_us) + " is " +
           shortest_text(std::round(off_us) / 1e6) + " s off the time its channel's first start " +
           "and the " + std::to_string(samples_before) +
           " samples before it give (more than half a sampling interval)";
}

// Each channel's records sorted by their start and joined where one continues the other;
// channels in the order the file first names them. A segment's sample count is known before
// its samples are decoded, so each is decoded once into storage of its final size.
std::vector<PlannedSegment> planned_segments(const std::vector<RecordPlace>& places) {
    std::vector<std::vector<std::size_t>> channels;
    for (std::size_t i = 0; i < places.size(); ++i) {
        auto same = std::find_if(channels.begin(), channels.end(), [&](const auto& channel) {
            return same_channel(places[channel.front()], places[i]);
        });
        if (same == channels.end()) {
            channels.push_back({i});
        } else {
            same->push_back(i);
        }
    }
    std::vector<PlannedSegment> segments;
    for (std::vector<std::size_t>& channel : channels) {
        std::stable_sort(channel.begin(), channel.end(), [&](std::size_t a, std::size_t b) {
            return places[a].start_us < places[b].start_us;
        });
        PlannedSegment current;
        double rate = 0.0;
        for (std::size_t index : channel) {
            const RecordPlace& place = places[index];
            if (!current.records.empty() &&
                !continues(places[current.records.back()].end_us, rate, place)) {
                segments.push_back(std::move(current));
                current = PlannedSegment{};
            }
            if (current.records.empty()) rate = place.rate;
            if (current.drift.empty()) {
                current.drift =
                    drift_of(places[current.records.empty() ? index : current.records.front()],
                             current.samples, place);
            }
            current.records.push_back(index);
            current.samples += static_cast<std::size_t>(place.count);
        }
        segments.push_back(std::move(current));
    }
    return segments;
}

template <typename T>
void append_decoded(const MSRecord& record, std::vector<double>& samples) {
    const T* values = static_cast<const T*>(record.datasamples);
    for (std::int64_t i = 0; i < record.numsamples; ++i) {
        samples.push_back(static_cast<double>(values[i]));
    }
}

// Decodes one record and appends its samples to the segment, each checked to be finite.
void decode_into(std::string_view file, FileBytes& bytes, const RecordPlace& place, Parsed& parsed,
                 MseedSegment& segment) {
    const auto offset = static_cast<std::int64_t>(place.offset);
    int status =
        msr_parse(bytes.at(place.offset), bytes.length_from(place.offset), &parsed.record, 0, 1, 0);
    if (status != 0) {
        fail_at_byte(file, offset,
                     std::string("not a readable MiniSEED record (") + ms_errorstr(status) + ")");
    }
    const MSRecord& record = *parsed.record;
    if (record.numsamples != place.count) {
        fail_at_byte(file, offset,
                     "the record decodes to " + std::to_string(record.numsamples) +
                         " samples where its header promises " + std::to_string(place.count));
    }
    const std::size_t first = segment.samples.size();
    switch (record.sampletype) {
        case 'i':
            append_decoded<std::int32_t>(record, segment.samples);
            break;
        case 'f':
            append_decoded<float>(record, segment.samples);
            break;
        case 'd':
            append_decoded<double>(record, segment.samples);
            break;
        default:
            fail_at_byte(file, offset, "the record holds no numeric samples");
    }
    for (std::size_t i = first; i < segment.samples.size(); ++i) {
        if (!std::isfinite(segment.samples[i])) {
            fail(file, "sample " + std::to_string(i + 1) + " of channel " + segment.channel +
                           " is not a finite number");
        }
    }
}

}  // namespace

void collect_mseed_channel_groups(std::string_view file, std::string file_bytes,
                                  std::vector<std::string>& groups) {
    quiet_library();
    std::lock_guard<std::mutex> lock(library_mutex());
    Parsed parsed;
    FileBytes bytes(std::move(file_bytes));
    for (std::size_t offset = 0; offset < bytes.size();) {
        const MSRecord& record = parse_header(file, bytes, offset, parsed);
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
    // Detection reads a blockette's head at an offset up to the length it is given: a copy
    // with zeros after it keeps those reads inside memory of ours.
    FileBytes head(std::string(bytes.substr(0, std::size_t{1} << 20)));
    int length = ms_detect(head.at(0), head.length_from(0));
    return length >= 0;  // 0: a SEED header whose length the first bytes do not tell
}

std::vector<MseedSegment> read_mseed_segments(std::string_view file, std::string file_bytes) {
    quiet_library();
    std::lock_guard<std::mutex> lock(library_mutex());
    Parsed parsed;
    FileBytes bytes(std::move(file_bytes));
    const std::vector<RecordPlace> places = record_places(file, bytes, parsed);
    std::vector<MseedSegment> segments;
    for (const PlannedSegment& plan : planned_segments(places)) {
        const RecordPlace& head = places[plan.records.front()];
        MseedSegment segment;
        segment.file = std::string(file);
        segment.network = head.network;
        segment.station = head.station;
        segment.location = head.location;
        segment.channel = head.channel;
        segment.start_us = head.start_us;
        segment.end_us = places[plan.records.back()].end_us;
        segment.rate = head.rate;
        segment.drift = plan.drift;
        segment.samples.reserve(plan.samples);
        for (std::size_t index : plan.records) {
            decode_into(file, bytes, places[index], parsed, segment);
        }
        segments.push_back(std::move(segment));
    }
    return segments;
}

}  // namespace wavespec::formats

#include "formats/sac_reader.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "formats/calendar.hpp"
#include "formats/channel_codes.hpp"
#include "support/bit_cast.hpp"

namespace wavespec::formats {
namespace {

// Word numbers in the header (4 bytes each) and byte offsets of the text fields.
constexpr std::size_t kDelta = 0, kVersion = 76, kNpts = 79, kFileType = 85, kEven = 105;
constexpr std::size_t kStation = 440, kHole = 464, kComponent = 600, kNetwork = 608;
constexpr std::int32_t kTimeSeries = 1;                         // iftype ITIME
constexpr std::size_t kAzimuth = 57, kIncidence = 58;           // cmpaz, cmpinc (degrees from up)
constexpr std::size_t kBegin = 5, kYear = 70, kDependent = 86;  // b, nzyear (then nzjday ..), idep
constexpr std::int32_t kUndefined = -12345;

enum class ByteOrder { little, big };

std::uint32_t word_bits(std::string_view bytes, std::size_t offset, ByteOrder order) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        auto byte = static_cast<std::uint8_t>(bytes[offset + static_cast<std::size_t>(i)]);
        int shift = order == ByteOrder::little ? 8 * i : 8 * (3 - i);
        value |= static_cast<std::uint32_t>(byte) << shift;
    }
    return value;
}

std::int32_t int_at(std::string_view bytes, std::size_t word, ByteOrder order) {
    return bit_cast<std::int32_t>(word_bits(bytes, 4 * word, order));
}

float float_at(std::string_view bytes, std::size_t offset, ByteOrder order) {
    return bit_cast<float>(word_bits(bytes, offset, order));
}

std::optional<ByteOrder> byte_order(std::string_view bytes) {
    if (bytes.size() < kSacHeaderBytes) return std::nullopt;
    if (int_at(bytes, kVersion, ByteOrder::little) == 6) return ByteOrder::little;
    if (int_at(bytes, kVersion, ByteOrder::big) == 6) return ByteOrder::big;
    return std::nullopt;
}

ByteOrder checked_header(std::string_view file, std::string_view bytes) {
    if (bytes.size() < kSacHeaderBytes) {
        fail_at_byte(file, static_cast<std::int64_t>(bytes.size()),
                     "the file ends inside the 632-byte SAC header");
    }
    auto order = byte_order(bytes);
    if (!order) {
        fail_at_byte(file, 4 * kVersion, "header version (nvhdr) is not 6 in either byte order");
    }
    return *order;
}

// A text field without its trailing blanks and NULs; "" when undefined ("-12345").
std::string text_field(std::string_view bytes, std::size_t offset, std::size_t size) {
    std::string_view text = bytes.substr(offset, size);
    std::size_t end = text.find('\0');
    text = trim(text.substr(0, end));
    if (text == "-12345") return {};
    return std::string(text);
}

// The first sample's time: the reference time nzyear, nzjday, nzhour, nzmin, nzsec, nzmsec
// plus b seconds; nothing when the reference time is not set or not a time.
std::optional<std::int64_t> first_sample_time(std::string_view bytes, ByteOrder order) {
    std::int32_t f[6];
    for (std::size_t i = 0; i < 6; ++i) f[i] = int_at(bytes, kYear + i, order);
    if (f[0] < 1 || f[0] > 9999 || f[1] < 1 || f[1] > 366 || f[2] < 0 || f[2] > 23 || f[3] < 0 ||
        f[3] > 59 || f[4] < 0 || f[4] > 60 || f[5] < 0 || f[5] > 999) {
        return std::nullopt;
    }
    double begin = float_at(bytes, 4 * kBegin, order);
    if (begin == static_cast<float>(kUndefined)) begin = 0.0;
    if (!std::isfinite(begin) || std::fabs(begin) > 1e9) return std::nullopt;
    auto reference = utc_microseconds_of_year_day(f[0], f[1], f[2], f[3], f[4], f[5] * 1000LL);
    if (!reference) return std::nullopt;
    return *reference + std::llround(begin * 1e6);
}

// A header float that is set and finite.
std::optional<double> defined_float(std::string_view bytes, std::size_t word, ByteOrder order) {
    float value = float_at(bytes, 4 * word, order);
    if (!std::isfinite(value) || value == static_cast<float>(kUndefined)) return std::nullopt;
    return value;
}

// The component's code, orientation and quantity, and the station, as the header gives them.
void describe_trace(std::string_view bytes, ByteOrder order, const SacIdentity& identity,
                    FileTrace& trace) {
    trace.format = "sac";
    trace.network = identity.network;
    trace.station = identity.station;
    trace.location = identity.hole;
    if (!identity.component.empty()) trace.code = identity.component;
    trace.azimuth = defined_float(bytes, kAzimuth, order);
    if (auto incidence = defined_float(bytes, kIncidence, order)) trace.dip = *incidence - 90.0;
    switch (int_at(bytes, kDependent, order)) {
        case 6:
            trace.quantity = Quantity::displacement;
            break;
        case 7:
            trace.quantity = Quantity::velocity;
            break;
        case 8:
            trace.quantity = Quantity::acceleration;
            break;
        default:
            break;
    }
}

std::string physical_units(std::int32_t idep) {
    switch (idep) {
        case 6:
            return "displacement";
        case 7:
            return "velocity";
        case 8:
            return "acceleration";
        default:
            return {};
    }
}

}  // namespace

bool looks_like_sac(std::string_view bytes) {
    return byte_order(bytes).has_value();
}

SacIdentity read_sac_identity(std::string_view file, std::string_view bytes) {
    checked_header(file, bytes);
    SacIdentity identity;
    identity.network = text_field(bytes, kNetwork, 8);
    identity.station = text_field(bytes, kStation, 8);
    identity.hole = text_field(bytes, kHole, 8);
    identity.component = text_field(bytes, kComponent, 8);
    identity.position = component_position(identity.component);
    return identity;
}

FileTrace read_sac(std::string_view file, std::string_view bytes) {
    ByteOrder order = checked_header(file, bytes);
    double delta = float_at(bytes, 4 * kDelta, order);
    if (!std::isfinite(delta) || delta <= 0.0) {
        fail_at_byte(file, 4 * kDelta,
                     "delta " + shortest_text(delta) + " is not a positive interval");
    }
    if (int_at(bytes, kFileType, order) != kTimeSeries) {
        fail_at_byte(file, 4 * kFileType, "iftype is not a time series");
    }
    if (int_at(bytes, kEven, order) != 1) {
        fail_at_byte(file, 4 * kEven, "leven is not true: the samples are not evenly spaced");
    }
    std::int32_t npts = int_at(bytes, kNpts, order);
    if (npts < 1)
        fail_at_byte(file, 4 * kNpts, "npts " + std::to_string(npts) + " is not positive");
    const std::size_t data_bytes = bytes.size() - kSacHeaderBytes;
    const std::size_t wanted = 4 * static_cast<std::size_t>(npts);
    if (data_bytes < wanted) {
        fail_at_byte(file, static_cast<std::int64_t>(bytes.size()),
                     "the file ends after " + std::to_string(data_bytes / 4) +
                         " samples; npts is " + std::to_string(npts));
    }
    if (data_bytes > wanted) {
        fail_at_byte(file, static_cast<std::int64_t>(kSacHeaderBytes + wanted),
                     std::to_string(data_bytes - wanted) + " bytes after the npts " +
                         std::to_string(npts) + " samples");
    }
    FileTrace trace;
    SacIdentity identity = read_sac_identity(file, bytes);
    trace.component = plain_word(identity.component, "SAC");
    trace.dt = delta;
    trace.identity = ChannelIdentity{identity.network,
                                     identity.station,
                                     identity.hole,
                                     identity.component,
                                     first_sample_time(bytes, order),
                                     physical_units(int_at(bytes, kDependent, order))};
    describe_trace(bytes, order, identity, trace);
    trace.samples.resize(static_cast<std::size_t>(npts));
    for (std::size_t i = 0; i < trace.samples.size(); ++i) {
        std::size_t offset = kSacHeaderBytes + 4 * i;
        float value = float_at(bytes, offset, order);
        if (!std::isfinite(value)) {
            fail_at_byte(file, static_cast<std::int64_t>(offset),
                         "sample " + std::to_string(i + 1) + " is not a finite number");
        }
        trace.samples[i] = value;
    }
    return trace;
}

}  // namespace wavespec::formats

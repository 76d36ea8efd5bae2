// BHRC (Iran) volume 1 files: three channels in turn, each with its text, integer and real
// headers, then accelerations in g/10.
#include "formats/agency_text.hpp"
#include "formats/fixed_fields.hpp"
#include "formats/national_readers.hpp"
#include "records/ascii_case.hpp"

namespace wavespec::formats {
namespace {

constexpr std::size_t kBhrcTextLines = 13, kBhrcIntegerLines = 7, kBhrcRealLines = 7;
constexpr std::size_t kComponentLine = 5, kCompLine = 7, kBhrcStationLine = 8, kBhrcCountLine = 11;

FileTrace bhrc_read_channel(std::string_view file, TextLines& lines) {
    const std::int64_t first = lines.number() + 1;
    std::vector<std::string_view> text;
    while (text.size() < kBhrcTextLines) {
        auto line = lines.next();
        if (!line)
            fail_at_line(file, lines.number(), "the file ends inside a channel's text header");
        text.push_back(*line);
    }
    if (!text[0].starts_with("* VOL1") || !text[kCompLine - 1].starts_with("COMP")) {
        fail_at_line(file, first,
                     "a channel's header does not begin '* VOL1' with 'COMP' on its seventh line");
    }
    for (std::size_t l = 0; l < kBhrcIntegerLines + kBhrcRealLines; ++l) {
        if (!lines.next())
            fail_at_line(file, lines.number(), "the file ends inside a channel's numeric headers");
    }
    FileTrace trace;
    trace.format = "bhrc-v1";
    trace.network = "I1";
    // "* VOL1DS  : ABHR / ...": the station's code after the colon.
    auto code_text = after_colon(text[0]);
    std::string_view station = code_text ? trim(code_text->substr(0, code_text->find('/'))) : "";
    if (station.empty()) fail_at_line(file, first, "no station code after the first line's colon");
    trace.station = std::string(station);
    // "NAME Station ... lat lon altitude L-azimuth T-azimuth"
    std::string_view station_line = text[kBhrcStationLine - 1];
    std::size_t at = station_line.find("Station");
    std::vector<double> numbers =
        at == std::string_view::npos ? std::vector<double>() : numbers_in(station_line.substr(at));
    const std::string component = ascii_upper(trim(text[kComponentLine - 1]));
    trace.code = component;
    trace.component = plain_word(component, "BHRC");
    if (component == "V") {
        trace.azimuth = 0.0;
        trace.dip = -90.0;
    } else if (component == "L" || component == "T") {
        if (numbers.size() < 5) {
            fail_at_line(file, first + kBhrcStationLine - 1,
                         "the station line gives no azimuths of L and T after 'Station'");
        }
        double azimuth = numbers[component == "L" ? 3 : 4];
        if (!(azimuth >= 0.0 && azimuth <= 360.0)) {
            fail_at_line(file, first + kBhrcStationLine - 1, "an azimuth is not 0 to 360 degrees");
        }
        trace.azimuth = azimuth == 360.0 ? 0.0 : azimuth;
        trace.dip = 0.0;
    } else {
        fail_at_line(file, first + kComponentLine - 1,
                     "component " + quoted(component) + " is none of L, T and V");
    }
    auto [count, dt] =
        count_and_interval(file, first + kBhrcCountLine - 1, text[kBhrcCountLine - 1]);
    trace.dt = dt;
    trace.samples = read_fixed_values(file, lines, {10, 13, 0, false}, count);
    for (double& value : trace.samples) value *= kGalPerTenthOfG;
    if (!lines.next())
        fail_at_line(file, lines.number(), "the file ends before the channel's end line");
    trace.quantity = Quantity::acceleration;
    trace.units = "cm/s/s";
    return trace;
}

}  // namespace

bool looks_like_bhrc(std::string_view bytes) {
    TextLines lines(bytes);
    for (std::size_t i = 1; i <= kCompLine; ++i) {
        auto line = lines.next();
        if (!line || (i == 1 && !line->starts_with("* VOL"))) return false;
        if (i == kCompLine) return line->starts_with("COMP");
    }
    return false;
}

std::array<FileTrace, 3> read_bhrc(std::string_view file, std::string_view bytes) {
    TextLines lines(bytes);
    std::array<FileTrace, 3> traces;
    for (FileTrace& trace : traces) trace = bhrc_read_channel(file, lines);
    expect_only_blank_lines(file, lines, "the three channels");
    return traces;
}

}  // namespace wavespec::formats

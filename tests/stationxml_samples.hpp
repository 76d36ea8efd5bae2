// StationXML texts written for the tests from the schema's element names: one network, one
// station, channels given as their XML.
#pragma once

#include <string>
#include <vector>

#include "records/shortest_text.hpp"

namespace wavespec::samples {

inline std::string num(double value) {
    return wavespec::shortest_text(value);
}

inline std::string units(const std::string& in, const std::string& out) {
    return "<InputUnits><Name>" + in + "</Name></InputUnits><OutputUnits><Name>" + out +
           "</Name></OutputUnits>";
}

inline std::string gain(double value, double frequency = 1.0) {
    return "<StageGain><Value>" + num(value) + "</Value><Frequency>" + num(frequency) +
           "</Frequency></StageGain>";
}

inline std::string decimation(double input_rate, int factor) {
    return "<Decimation><InputSampleRate>" + num(input_rate) + "</InputSampleRate><Factor>" +
           std::to_string(factor) +
           "</Factor><Offset>0</Offset><Delay>0.5</Delay><Correction>0.5</Correction></Decimation>";
}

struct Root {
    double re, im;
};

inline std::string poles_zeros(int number, const std::string& type, double a0,
                               const std::vector<Root>& zeros, const std::vector<Root>& poles,
                               const std::string& in, const std::string& out, double stage_gain) {
    std::string x = "<Stage number=\"" + std::to_string(number) + "\"><PolesZeros>" +
                    units(in, out) + "<PzTransferFunctionType>" + type +
                    "</PzTransferFunctionType><NormalizationFactor>" + num(a0) +
                    "</NormalizationFactor><NormalizationFrequency>1</NormalizationFrequency>";
    auto roots = [&](const char* tag, const std::vector<Root>& list) {
        for (const Root& r : list) {
            x += std::string("<") + tag + "><Real>" + num(r.re) + "</Real><Imaginary>" + num(r.im) +
                 "</Imaginary></" + tag + ">";
        }
    };
    roots("Zero", zeros);
    roots("Pole", poles);
    return x + "</PolesZeros>" + gain(stage_gain) + "</Stage>";
}

inline std::string channel(const std::string& code, const std::string& location,
                           const std::string& start, const std::string& end, double rate,
                           double sensitivity, const std::string& sensitivity_units,
                           const std::string& stages, double azimuth = 0.0, double dip = 0.0) {
    std::string x = "<Channel code=\"" + code + "\" locationCode=\"" + location +
                    "\" startDate=\"" + start + "\"" +
                    (end.empty() ? std::string() : " endDate=\"" + end + "\"") + ">";
    x += "<Azimuth>" + num(azimuth) + "</Azimuth><Dip>" + num(dip) + "</Dip><SampleRate>" +
         num(rate) + "</SampleRate><Response>";
    x += "<InstrumentSensitivity><Value>" + num(sensitivity) + "</Value><Frequency>1</Frequency>" +
         units(sensitivity_units, "COUNTS") + "</InstrumentSensitivity>";
    return x + stages + "</Response></Channel>";
}

inline std::string station_xml(const std::string& channels, const std::string& version = "1.1",
                               const std::string& prefix = "") {
    std::string p = prefix.empty() ? "" : prefix + ":";
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + p +
                       "FDSNStationXML xmlns" + (prefix.empty() ? "" : ":" + prefix) +
                       "=\"http://www.fdsn.org/xml/station/1\" schemaVersion=\"" + version +
                       "\">\n<" + p + "Source>tests</" + p + "Source>\n<" + p +
                       "Network code=\"XX\">\n<" + p + "Station code=\"XYZ\">\n" + channels +
                       "\n</" + p + "Station>\n</" + p + "Network>\n</" + p + "FDSNStationXML>\n";
    return text;
}

}  // namespace wavespec::samples

// Waveform records and answer scripts for end-to-end runs.
#pragma once

#include <cmath>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace wavespec::test {

// A record of n sample sets at interval dt; component k of sample i is value(k, t).
inline std::string make_record(int n, double dt, const std::function<double(int, double)>& value) {
    std::string text = "time,NS,EW,UD\n";
    char line[160];
    for (int i = 0; i < n; ++i) {
        double t = i * dt;
        std::snprintf(line, sizeof line, "%.6f,%.9g,%.9g,%.9g\n", t, value(1, t), value(2, t),
                      value(3, t));
        text += line;
    }
    return text;
}

inline std::string smooth_record(int n, double dt = 0.01) {
    return make_record(n, dt, [](int k, double t) {
        return std::sin(2.0 + k * 0.7 * t) * (1.0 + 0.3 * k) + 0.2 * std::cos(9.0 * t * k);
    });
}

// Answers for a run with no options: file name, polarity, filter, operation, pause, cut,
// skip, output name, pause.
struct Answers {
    std::string file = "rec.csv";
    std::string polarity = "0";
    std::string filter = "0";
    std::string operation = "0";
    std::string cut = "0";
    std::string skip = "0";
    std::string output = "out.csv";
    std::string text() const {
        return file + "\n" + polarity + "\n" + filter + "\n" + operation + "\n\n" + cut + "\n" +
               skip + "\n" + output + "\n\n";
    }
};

inline std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The numbers of one comma-separated record (empty fields skipped).
inline std::vector<double> fields(const std::string& line) {
    std::vector<double> values;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');) {
        if (field.find_first_not_of(' ') != std::string::npos) values.push_back(std::stod(field));
    }
    return values;
}

}  // namespace wavespec::test

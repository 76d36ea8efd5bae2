#include "cli/option_parser.hpp"

namespace wavespec::cli {
namespace {

const OptionSpec* find_long(std::span<const OptionSpec> specs, std::string_view name) {
    for (const OptionSpec& spec : specs) {
        if (spec.long_name == name) return &spec;
    }
    return nullptr;
}

const OptionSpec* find_short(std::span<const OptionSpec> specs, char name) {
    for (const OptionSpec& spec : specs) {
        if (spec.short_name != 0 && spec.short_name == name) return &spec;
    }
    return nullptr;
}

}  // namespace

ParsedArguments parse_options(std::span<const std::string> args,
                              std::span<const OptionSpec> specs) {
    ParsedArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            parsed.operands.insert(parsed.operands.end(), args.begin() + static_cast<long>(i) + 1,
                                   args.end());
            break;
        }
        if (arg.size() > 2 && arg.starts_with("--")) {
            std::string_view body = std::string_view(arg).substr(2);
            std::size_t equals = body.find('=');
            std::string_view name = body.substr(0, equals);
            const OptionSpec* spec = find_long(specs, name);
            if (!spec) throw UsageError("unknown option '--" + std::string(name) + "'");
            if (!spec->takes_value) {
                if (equals != std::string_view::npos) {
                    throw UsageError("option '--" + std::string(name) + "' takes no value");
                }
                parsed.options.push_back({spec->long_name, {}});
            } else if (equals != std::string_view::npos) {
                parsed.options.push_back({spec->long_name, std::string(body.substr(equals + 1))});
            } else if (i + 1 < args.size()) {
                parsed.options.push_back({spec->long_name, args[++i]});
            } else {
                throw UsageError("option '--" + std::string(name) + "' needs a value");
            }
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            for (std::size_t k = 1; k < arg.size(); ++k) {
                const OptionSpec* spec = find_short(specs, arg[k]);
                if (!spec) throw UsageError("unknown option '-" + std::string(1, arg[k]) + "'");
                if (!spec->takes_value) {
                    parsed.options.push_back({spec->long_name, {}});
                    continue;
                }
                if (k + 1 < arg.size()) {
                    parsed.options.push_back({spec->long_name, arg.substr(k + 1)});
                } else if (i + 1 < args.size()) {
                    parsed.options.push_back({spec->long_name, args[++i]});
                } else {
                    throw UsageError("option '-" + std::string(1, arg[k]) + "' needs a value");
                }
                break;
            }
            continue;
        }
        parsed.operands.push_back(arg);  // "-" alone is an operand, as in GNU tools
    }
    return parsed;
}

}  // namespace wavespec::cli

#include "cli/option_parser.hpp"

namespace wavespec::cli {
namespace {

const KnownOption* find_long(std::span<const KnownOption> known, std::string_view name) {
    for (const KnownOption& option : known) {
        if (option.long_name == name) return &option;
    }
    return nullptr;
}

const KnownOption* find_short(std::span<const KnownOption> known, char name) {
    for (const KnownOption& option : known) {
        if (option.short_name != 0 && option.short_name == name) return &option;
    }
    return nullptr;
}

}  // namespace

ParsedArguments parse_options(std::span<const std::string> args,
                              std::span<const KnownOption> known) {
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
            const KnownOption* option = find_long(known, name);
            if (!option) throw UsageError("unknown option '--" + std::string(name) + "'");
            if (!option->takes_value) {
                if (equals != std::string_view::npos) {
                    throw UsageError("option '--" + std::string(name) + "' takes no value");
                }
                parsed.options.push_back({option->long_name, {}});
            } else if (equals != std::string_view::npos) {
                parsed.options.push_back({option->long_name, std::string(body.substr(equals + 1))});
            } else if (i + 1 < args.size()) {
                parsed.options.push_back({option->long_name, args[++i]});
            } else {
                throw UsageError("option '--" + std::string(name) + "' needs a value");
            }
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            for (std::size_t k = 1; k < arg.size(); ++k) {
                const KnownOption* option = find_short(known, arg[k]);
                if (!option) throw UsageError("unknown option '-" + std::string(1, arg[k]) + "'");
                if (!option->takes_value) {
                    parsed.options.push_back({option->long_name, {}});
                    continue;
                }
                if (k + 1 < arg.size()) {
                    parsed.options.push_back({option->long_name, arg.substr(k + 1)});
                } else if (i + 1 < args.size()) {
                    parsed.options.push_back({option->long_name, args[++i]});
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

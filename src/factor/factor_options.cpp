// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_options.h"

#include "factor/factor_budget.h"
#include "factor/kind.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <getopt.h>

namespace {

enum { version_option = 256, kind_option, bases_option, json_option, effort_option,
       prove_option, trial_option };

const option long_options[] = {
    {"seed", required_argument, nullptr, 's'},
    {"threads", required_argument, nullptr, 'j'},
    {"verbose", no_argument, nullptr, 'v'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, version_option},
    {"kind", no_argument, nullptr, kind_option},
    {"json", no_argument, nullptr, json_option},
    {"bases", required_argument, nullptr, bases_option},
    {"effort", required_argument, nullptr, effort_option},
    {"prove", no_argument, nullptr, prove_option},
    {"trial", required_argument, nullptr, trial_option},
    {nullptr, 0, nullptr, 0},
};

// Decimal digits only, within an unsigned long.
bool parse_decimal(const char *text, unsigned long &value)
{
    if (*text == '\0')
        return false;
    for (const char *p = text; *p != '\0'; ++p)
        if (*p < '0' || *p > '9')
            return false;
    errno = 0;
    value = std::strtoul(text, nullptr, 10);
    return errno == 0;
}

// The long option that argument ("--name" or "--name=value") names, in
// full: the one of that name, or the only one it is a prefix of; nullptr
// when there is none, and then matches says how many it is a prefix of.
const option *named_option(const char *argument, int &matches, std::string &possibilities)
{
    const char *name = argument + 2;
    std::size_t length = std::strcspn(name, "=");
    const option *found = nullptr;
    matches = 0;
    for (const option *o = long_options; o->name != nullptr; ++o) {
        if (std::strncmp(o->name, name, length) != 0)
            continue;
        if (std::strlen(o->name) == length) {
            matches = 1;
            return o;
        }
        ++matches;
        found = o;
        possibilities += std::string(" '--") + o->name + "'";
    }
    return matches == 1 ? found : nullptr;
}

// What was wrong with a long option that getopt_long refused, in coreutils'
// words: getopt tells an unknown option, an ambiguous prefix and a value
// given to an option that takes none apart only in its own messages, so the
// argument is looked at again here.
std::string long_option_mistake(const char *argument)
{
    int matches = 0;
    std::string possibilities;
    const option *o = named_option(argument, matches, possibilities);
    if (o != nullptr && o->has_arg == no_argument && std::strchr(argument, '=') != nullptr)
        return std::string("option '--") + o->name + "' doesn't allow an argument";
    if (o == nullptr && matches > 1)
        return std::string("option '") + argument + "' is ambiguous; possibilities:" +
               possibilities;
    return std::string("unrecognized option '") + argument + "'";
}

// An option given without the value it needs, in coreutils' words.
std::string missing_value(const char *argument, int letter)
{
    int matches = 0;
    std::string possibilities;
    const option *o = std::strncmp(argument, "--", 2) == 0
                          ? named_option(argument, matches, possibilities)
                          : nullptr;
    if (o != nullptr)
        return std::string("option '--") + o->name + "' requires an argument";
    return std::string("option requires an argument -- '") + static_cast<char>(letter) + "'";
}

} // namespace

options_verdict parse_factor_options(factor_options &options, int argc, char **argv,
                                     std::string &message)
{
    options.verbose = false;
    options.kind = false;
    options.json = false;
    options.threads = 1;
    options.kind_bases = default_kind_base_bound;
    options.effort = default_effort;
    options.prove = false;
    options.trial = 0;
    // getopt keeps its place in globals: 0 starts afresh, so that every call
    // parses its own argv. Its own messages are off; ours go where the
    // caller's standard error is.
    optind = 0;
    opterr = 0;
    for (;;) {
        int before = optind;
        int c = getopt_long(argc, argv, ":s:j:vh", long_options, nullptr);
        switch (c) {
        case -1:
            options.first_number = optind;
            // --kind works from the whole factorisation, and its tests of
            // N cost what factoring a large N costs.
            if (options.trial != 0 && options.kind) {
                message = "--trial cannot be used with --kind or --bases";
                return options_verdict::error;
            }
            return options_verdict::run;
        case 's':
            if (!parse_decimal(optarg, options.seed)) {
                message = std::string("invalid seed '") + optarg + "'";
                return options_verdict::error;
            }
            break;
        case 'j': {
            unsigned long threads = 0;
            if (!parse_decimal(optarg, threads) || threads > max_threads) {
                message = std::string("invalid number of threads '") + optarg + "' (0 to " +
                          std::to_string(max_threads) + ")";
                return options_verdict::error;
            }
            options.threads = static_cast<unsigned>(threads);
            break;
        }
        case 'v':
            options.verbose = true;
            break;
        case 'h':
            return options_verdict::help;
        case version_option:
            return options_verdict::version;
        case kind_option:
            options.kind = true;
            break;
        case json_option:
            options.json = true;
            break;
        case bases_option:
            if (!parse_decimal(optarg, options.kind_bases) || options.kind_bases < 3 ||
                options.kind_bases > max_kind_bases) {
                message = std::string("invalid bound of bases '") + optarg + "' (3 to " +
                          std::to_string(max_kind_bases) + ")";
                return options_verdict::error;
            }
            options.kind = true;
            break;
        case effort_option: {
            unsigned long digits = 0;
            if (!parse_decimal(optarg, digits) || digits > max_effort) {
                message = std::string("invalid effort '") + optarg + "' (0 to " +
                          std::to_string(max_effort) + " digits)";
                return options_verdict::error;
            }
            options.effort = static_cast<int>(digits);
            break;
        }
        case prove_option:
            options.prove = true;
            break;
        case trial_option:
            if (!parse_decimal(optarg, options.trial) || options.trial < min_trial_bound ||
                options.trial > max_trial_bound) {
                message = std::string("invalid bound of trial division '") + optarg + "' (" +
                          std::to_string(min_trial_bound) + " to " +
                          std::to_string(max_trial_bound) + ")";
                return options_verdict::error;
            }
            break;
        case ':':
            message = missing_value(argv[optind - 1], optopt);
            return options_verdict::error;
        default: {
            // A long option: getopt has stepped over its argument. A short
            // one: optopt is its letter.
            const char *argument = argv[optind - 1];
            bool long_one = optind > before && std::strncmp(argument, "--", 2) == 0;
            if (long_one)
                message = long_option_mistake(argument);
            else
                message = std::string("invalid option -- '") + static_cast<char>(optopt) + "'";
            return options_verdict::error;
        }
        }
    }
}

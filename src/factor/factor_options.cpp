// SPDX-License-Identifier: BSD-2-Clause
#include "factor/factor_options.h"

#include "factor/kind.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <getopt.h>

namespace {

enum { version_option = 256, kind_option, bases_option, json_option, effort_option,
       prove_option };

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

} // namespace

options_verdict parse_factor_options(factor_options &options, int argc, char **argv,
                                     std::string &message)
{
    options.verbose = false;
    options.kind = false;
    options.json = false;
    options.threads = 1;
    options.kind_bases = default_kind_base_bound;
    options.effort = -1;
    options.prove = false;
    // getopt keeps its place in globals: 0 starts afresh, so that every call
    // parses its own argv. Its own messages are off; ours go where the
    // caller's standard error is.
    optind = 0;
    opterr = 0;
    for (;;) {
        int c = getopt_long(argc, argv, ":s:j:vh", long_options, nullptr);
        switch (c) {
        case -1:
            options.first_number = optind;
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
        case ':':
            message = std::string("option '") + argv[optind - 1] + "' needs a value";
            return options_verdict::error;
        default:
            // optopt is the short option's letter, or 0 for a long one that
            // getopt does not know, which it has stepped over.
            if (optopt != 0)
                message = std::string("unknown option '-") + static_cast<char>(optopt) + "'";
            else
                message = std::string("unknown option '") + argv[optind - 1] + "'";
            return options_verdict::error;
        }
    }
}

// SPDX-License-Identifier: BSD-2-Clause
// One number's work for brovanten-factor: from its token to the text it
// prints and the status it adds. Text is built in memory, so that jobs run
// by several workers can be printed in input order.
#pragma once

#include "factor/factorize.h"
#include "factor/input_tokens.h"
#include "factor/kind.h"
#include "factor/prime_proof.h"
#include "factor/progress.h"

#include <cstdio>
#include <gmp.h>
#include <string>

struct job_settings {
    unsigned long seed;
    bool json;
    bool kind;
    unsigned long kind_bases;
    unsigned threads;               // at most, on one number
    spare_cores *cores;             // shared by the workers of a batch
    factor_budget budget;
    prime_prover prove;             // nullptr unless --prove
    unsigned long trial;            // --trial: trial division below this only; 0: off
};

struct number_job {
    input_token token;
    std::string out;  // for standard output
    std::string err;  // for standard error
    int status;       // 0, 1 (a part left composite or untested) or 2 (no number)
    bool interrupted; // a stop request ended its work before the end
};

// Everything one worker reuses from number to number.
struct factor_worker {
    factor_workspace work;
    kind_scratch kind_work;
    number_kind verdicts;
    mpz_t n;
};

void factor_worker_init(factor_worker &w);
void factor_worker_clear(factor_worker &w);

// Fills job.out, job.err and job.status from job.token. The steps of
// --verbose and the progress line go to view's stream as they happen.
// When w.work.stop ends the work, the parts found so far are printed, and
// neither --prove nor --kind is worked out.
void run_number_job(number_job &job, factor_worker &w, const job_settings &settings,
                    progress_view &view);

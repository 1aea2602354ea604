// SPDX-License-Identifier: BSD-2-Clause
#include "factor/number_job.h"

#include "factor/factor_line.h"
#include "factor/json_output.h"
#include "factor/trial_division.h"
#include "factor/word_prime.h"
#include "report/number_text.h"

#include <chrono>

void factor_worker_init(factor_worker &w)
{
    factor_workspace_init(w.work);
    kind_scratch_init(w.kind_work);
    mpz_init(w.n);
}

void factor_worker_clear(factor_worker &w)
{
    flint_thread_done();
    mpz_clear(w.n);
    kind_scratch_clear(w.kind_work);
    factor_workspace_clear(w.work);
}

namespace {

// Why the token is no number: a message for standard error and, with
// --json, an object on standard output.
void refuse(number_job &job, const job_settings &settings, const char *verb, const std::string &why)
{
    job.err = "brovanten-factor: " + quoted_token(job.token) + " " + verb + " " + why + "\n";
    job.status = 2;
    if (settings.json)
        job.out = json_error_line(job.token, why);
}

// A plain line for a number below 2^64, without building it as a big
// number: what a stream of millions of small numbers spends its time on.
bool plain_word_job(number_job &job, const job_settings &settings, const progress_view &view)
{
    u64 n;
    if (settings.json || settings.kind || view.verbose || !token_word_value(n, job.token))
        return false;
    word_factors f;
    f.count = 0;
    if (n > 1)
        word_factor(f, n);
    append_word_line(job.out, n, f);
    return true;
}

// Proves every prime part; one that fails is composite after all, and
// stays in brackets with a message. False when one failed.
bool prove_parts(number_job &job, std::vector<factor_part> &parts, const mpz_t n,
                 prime_prover prove, const progress_view &view)
{
    bool all_proven = true;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        factor_part &p = parts[i];
        if (p.state != part_state::prime)
            continue;
        prime_proof how = prove(p.value);
        if (how == prime_proof::failed) {
            p.state = part_state::unsplit;
            all_proven = false;
            job.err += "brovanten-factor: " + decimal_text(n) + ": " + decimal_text(p.value) +
                       " passed Baillie-PSW but failed its primality proof\n";
        } else if (view.verbose) {
            std::fprintf(view.err, "  part %zu of %zu (%zu bits) proven prime: %s\n", i + 1,
                         parts.size(), mpz_sizeinbase(p.value, 2), prime_proof_name(how));
        }
    }
    return all_proven;
}

// A stop leaves the parts found last untested. Below 2^64 a test takes
// microseconds and is a proof, so those are settled; larger ones stay
// untested. Returns whether every part is prime after all.
bool settle_word_parts(std::vector<factor_part> &parts)
{
    bool all_prime = true;
    for (auto &p : parts) {
        if (p.state == part_state::unknown && mpz_fits_ulong_p(p.value))
            p.state = word_is_prime(mpz_get_ui(p.value)) ? part_state::prime : part_state::unsplit;
        all_prime = all_prime && p.state == part_state::prime;
    }
    return all_prime;
}

} // namespace

void run_number_job(number_job &job, factor_worker &w, const job_settings &settings,
                    progress_view &view)
{
    job.out.clear();
    job.err.clear();
    job.status = 0;
    job.interrupted = false;
    if (settings.trial == 0 && plain_word_job(job, settings, view))
        return;
    std::string why;
    switch (token_value(w.n, job.token, why)) {
    case token_verdict::not_a_number:
        refuse(job, settings, "is", "not a non-negative decimal integer");
        return;
    case token_verdict::too_long:
        refuse(job, settings, "has", "more than " + std::to_string(max_input_digits) + " digits");
        return;
    case token_verdict::bad_expression:
        refuse(job, settings, "is", why);
        return;
    case token_verdict::number:
        break;
    }
    w.work.threads = settings.threads;
    w.work.cores = settings.cores;
    auto start = std::chrono::steady_clock::now();
    factor_observer observer = progress_for_number(view, w.n);
    bool complete = settings.trial != 0
                        ? trial_divide(w.work, w.n, settings.trial, observer)
                        : factorize(w.work, w.n, settings.seed, settings.budget, observer);
    progress_number_done(view);
    job.interrupted = !complete && w.work.stop.load();
    if (job.interrupted)
        complete = settle_word_parts(w.work.parts);
    bool proved = settings.prove != nullptr && !job.interrupted;
    if (proved && !prove_parts(job, w.work.parts, w.n, settings.prove, view))
        complete = false;
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    bool kind = settings.kind && !job.interrupted;
    if (kind)
        classify(w.verdicts, w.n, w.work.parts, complete, settings.kind_bases, w.kind_work);
    if (settings.json) {
        json_run run{settings.seed, took.count(), kind ? &w.verdicts : nullptr, proved};
        run.expression = token_is_expression(job.token) ? &job.token.text : nullptr;
        run.trial = settings.trial;
        run.interrupted = job.interrupted;
        job.out = json_number_line(w.n, w.work.parts, complete, run);
    } else {
        job.out = factor_line_text(w.n, w.work.parts);
        if (kind)
            job.out += kind_line(w.n, w.verdicts);
    }
    job.status = complete ? 0 : 1;
}

// SPDX-License-Identifier: BSD-2-Clause
// --json against the text lines and against PARI/GP, for random numbers of
// every size class: the same factors, powers, proofs and kind fields.
#include "support/factor_harness.h"
#include "support/harness.h"
#include "support/json_lines.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <gmp.h>
#include <sstream>
#include <vector>

namespace {

using json = nlohmann::json;

// PARI/GP's view of a number, as the --json objects give it: the factors
// with their exponents and whether each is proven without --prove (below
// 2^64), and the kind object (its shares apart), one tab-separated line per
// number. The liars are prod gcd(p - 1, N - 1) and Monier's formula, the
// bases Mod(b, N)^(N-1) and the strong test written out.
const char pari_gp_kind[] = R"gp(
q(s)= Str("\"",s,"\"");
b(x)= if(x,"true","false");
sp(N,a)= {my(s=valuation(N-1,2),d=(N-1)>>s,x=Mod(a,N)^d); if(x==1||x==-1,return(1)); for(j=1,s-1,x=x^2;if(x==-1,return(1));if(x==1,return(0))); 0}
fp(N,a)= Mod(a,N)^(N-1)==1;
fl(N)= {my(f=factor(N)); prod(i=1,#f~,gcd(f[i,1]-1,N-1))}
monier(N)= {my(f=factor(N),k=#f~,s=valuation(N-1,2),d=(N-1)>>s,v=+oo,m=1); for(i=1,k,my(p=f[i,1],si=if(p==2,0,valuation(p-1,2))); v=min(v,si); m*=gcd(d,(p-1)>>si)); if(N%2==0,return(m)); (1+(2^(k*v)-1)/(2^k-1))*m}
screen(N)= {forprime(p=2,99999, if(N%p==0 && N!=p, return(Str("divisible by ",p)))); if(N<100000, return(Str("divisible by ",N))); if(Mod(3,N)^N==3,"passes","3^N mod N is not 3")}
runtext(r)= if(r==0,"null",if(r==2,q("2"),q(Str("2..",r))));
vtext(v)= {my(s="["); for(i=1,#v, s=Str(s,if(i>1,",",""),v[i])); Str(s,"]")}
factors(N)= {my(f=factor(N),s="["); for(i=1,#f~, s=Str(s,if(i>1,",",""),"{\"prime\":",q(f[i,1]),",\"exponent\":",f[i,2],",\"proven\":",b(f[i,1]<2^64),"}")); Str(s,"]")}
kind(N,B)= {my(f=factor(N),pr=isprime(N),sc=screen(N),o=Str("{\"prime\":",b(pr),",\"composite\":",b(!pr&&N>1)));
 if(N<=1, return(Str(o,"}")));
 o=Str(o,",\"passes_screening\":",b(sc=="passes"),",\"screening_why\":",if(sc=="passes","null",q(sc)));
 if(pr, return(Str(o,"}")));
 my(cw="",lw=if(N%2,"","N is even"),car=1,luc=N%2);
 for(i=1,#f~, my(p=f[i,1],e=f[i,2]);
   if(e>1, if(car,car=0;cw=Str(p,"^2 divides N")); if(luc,luc=0;lw=Str(p,"^2 divides N")));
   if(car && (N-1)%(p-1), car=0; cw=Str(p," - 1 does not divide N - 1"));
   if(luc && (N+1)%(p+1), luc=0; lw=Str(p," + 1 does not divide N + 1")));
 my(fb=List(),sb=List(),fr=0,sr=0,frun=1,srun=1);
 forprime(p=2,B-1, my(x=(N%p!=0)&&fp(N,p), y=(N%p!=0)&&if(N%2,sp(N,p),x)); if(x,listput(fb,p)); if(y,listput(sb,p)); frun=frun&&x; srun=srun&&y; if(frun,fr=p); if(srun,sr=p));
 Str(o,",\"squarefree\":",b(issquarefree(N)),",\"carmichael\":",b(car),",\"carmichael_why\":",if(car,"null",q(cw)),
   ",\"lucas_carmichael\":",b(luc),",\"lucas_carmichael_why\":",if(luc,"null",q(lw)),
   ",\"phi\":",q(eulerphi(N)),",\"fermat_liars\":",q(fl(N)),",\"strong_liars\":",q(monier(N)),
   ",\"base_bound\":",B,",\"fermat_bases\":",vtext(fb),",\"strong_bases\":",vtext(sb),
   ",\"fermat_run\":",runtext(fr),",\"strong_run\":",runtext(sr),"}")}
shares(N)= if(isprime(N)||N<=1,"0\t0",Strprintf("%.17e\t%.17e",fl(N)/eulerphi(N),monier(N)/eulerphi(N)));
line(N)= print(N,"\t",factors(N),"\t",kind(N,100),"\t",shares(N));
)gp";

struct gp_view {
    json factors, kind;
    double fermat_share, strong_share;
};

// PARI/GP's view of each number, or an empty list when gp cannot be run.
std::vector<gp_view> pari_gp_views(const std::vector<std::string> &numbers)
{
    std::string script = std::string(pari_gp_kind);
    for (const auto &n : numbers)
        script += "line(" + n + ");\n";
    cli_result gp = run_program({"gp", "-q", "-f", "--default", "parisizemax=100000000"}, script);
    std::vector<gp_view> views;
    if (gp.status != 0)
        return views;
    std::istringstream lines(gp.out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        if (fields.size() != 5)
            continue;
        // gp writes "6.6 e-1": the blank goes before the number is read.
        for (std::string *share : {&fields[3], &fields[4]})
            share->erase(std::remove(share->begin(), share->end(), ' '), share->end());
        views.push_back({json::parse(fields[1]), json::parse(fields[2]), std::stod(fields[3]),
                         std::stod(fields[4])});
    }
    return views;
}

// n = a random number of exactly `bits` bits.
void random_bits(mpz_t n, gmp_randstate_t state, unsigned long bits)
{
    mpz_urandomb(n, state, bits - 1);
    mpz_setbit(n, bits - 1);
}

// Random numbers of every size class, with a replayable seed: below 2^64
// (the word-size path), from 2^64 to 2^128 (any such number splits within
// seconds), and larger ones built to split quickly: small primes times a
// large prime, prime powers, Chernick's Carmichael numbers
// (6k + 1)(12k + 1)(18k + 1), and large primes.
std::vector<std::string> numbers_of_every_size(unsigned long seed)
{
    seeded_random random(seed);
    std::vector<std::string> numbers;
    big n, p, k, f;
    for (int i = 0; i < 12; ++i) {
        random_bits(n, random.state, 2 + gmp_urandomm_ui(random.state, 63));
        numbers.push_back(n.str());
    }
    for (int i = 0; i < 10; ++i) {
        random_bits(n, random.state, 65 + gmp_urandomm_ui(random.state, 64));
        numbers.push_back(n.str());
    }
    for (int i = 0; i < 12; ++i) {
        switch (i % 4) {
        case 0: // primes of up to 28 bits, some squared, times a prime of up to 300 bits
            random_bits(p, random.state, 100 + gmp_urandomm_ui(random.state, 200));
            mpz_nextprime(n, p);
            for (int j = 0; j < 3; ++j) {
                random_bits(p, random.state, 18 + gmp_urandomm_ui(random.state, 10));
                mpz_nextprime(p, p);
                mpz_pow_ui(p, p, 1 + gmp_urandomm_ui(random.state, 2));
                mpz_mul(n, n, p);
            }
            break;
        case 1: // p^e q^j
            random_bits(p, random.state, 40 + gmp_urandomm_ui(random.state, 40));
            mpz_nextprime(p, p);
            mpz_pow_ui(n, p, 2 + gmp_urandomm_ui(random.state, 3));
            random_bits(p, random.state, 70);
            mpz_nextprime(p, p);
            mpz_pow_ui(p, p, 1 + gmp_urandomm_ui(random.state, 2));
            mpz_mul(n, n, p);
            break;
        case 2: // Chernick: k from a random start until all three are prime
            random_bits(k, random.state, 30 + gmp_urandomm_ui(random.state, 20));
            for (;; mpz_add_ui(k, k, 1)) {
                mpz_set_ui(n, 1);
                bool all_prime = true;
                for (unsigned long m : {6ul, 12ul, 18ul}) {
                    mpz_mul_ui(f, k, m);
                    mpz_add_ui(f, f, 1);
                    all_prime = all_prime && mpz_probab_prime_p(f, 30) > 0;
                    mpz_mul(n, n, f);
                }
                if (all_prime)
                    break;
            }
            break;
        case 3: // a prime of 65 to 300 bits
            random_bits(p, random.state, 65 + gmp_urandomm_ui(random.state, 236));
            mpz_nextprime(n, p);
            break;
        }
        numbers.push_back(n.str());
    }
    return numbers;
}

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string joined(const json &bases)
{
    std::string text;
    for (const auto &b : bases)
        text += (text.empty() ? "" : " ") + std::to_string(b.get<unsigned long>());
    return text.empty() ? "none" : text;
}

// For random numbers of every size, the --json objects say what the text
// lines say (the primes with their powers; the kind line's verdicts,
// counts and bases), and what PARI/GP says; with --prove every prime is
// proven and the factors are the same.
TEST(json_output, agrees_with_the_text_lines_and_with_pari_gp)
{
    unsigned long seed = test_seed(20261211);
    SCOPED_TRACE(seed_note(seed));
    std::vector<std::string> numbers = numbers_of_every_size(seed);
    std::string input;
    for (const auto &n : numbers)
        input += n + "\n";
    cli_result text = run_factor({"--kind", "--seed=3"}, input);
    cli_result objects = run_factor({"--json", "--kind", "--seed=3"}, input);
    cli_result proven = run_factor({"--json", "--prove", "--seed=3"}, input);
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(objects.status, 0) << objects.err;
    EXPECT_EQ(proven.status, 0) << proven.err;
    std::vector<std::string> text_lines = lines_of(text.out);
    std::vector<json> lines = json_objects(objects.out), proven_lines = json_objects(proven.out);
    ASSERT_EQ(text_lines.size(), 2 * numbers.size());
    ASSERT_EQ(lines.size(), numbers.size());
    ASSERT_EQ(proven_lines.size(), numbers.size());
    std::vector<gp_view> gp = pari_gp_views(numbers);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const std::string &n = numbers[i];
        const json &line = lines[i];
        const json &k = line["kind"];
        SCOPED_TRACE("N = " + n);
        EXPECT_EQ(line["number"], n);
        EXPECT_EQ(line["complete"], true);
        EXPECT_EQ(line["composite_parts"], json::array());

        // The factor line: each prime as often as its exponent says.
        std::string expected = n + ":";
        for (const auto &f : line["factors"]) {
            for (int e = 0; e < f["exponent"].get<int>(); ++e)
                expected += " " + f["prime"].get<std::string>();
            big prime(f["prime"].get<std::string>());
            EXPECT_EQ(f["proven"], mpz_sizeinbase(prime, 2) <= 64) << f;
        }
        EXPECT_EQ(text_lines[2 * i], expected);

        // The kind line says what the object says.
        const std::string &kind_line = text_lines[2 * i + 1];
        EXPECT_TRUE(starts_with(kind_line, "kind of " + n + ": " +
                                               (k["prime"].get<bool>() ? "prime; " : "composite; ")))
            << kind_line;
        EXPECT_EQ(kind_line.find("passes the screening") != std::string::npos,
                  k["passes_screening"].get<bool>())
            << kind_line;
        if (k["composite"].get<bool>()) {
            EXPECT_EQ(kind_line.find("; Carmichael;") != std::string::npos,
                      k["carmichael"].get<bool>())
                << kind_line;
            EXPECT_EQ(kind_line.find("; not squarefree;") == std::string::npos,
                      k["squarefree"].get<bool>())
                << kind_line;
            for (const char *count : {"phi", "fermat_liars", "strong_liars"})
                EXPECT_NE(kind_line.find(" " + k[count].get<std::string>() + " "), std::string::npos)
                    << count << ": " << kind_line;
            for (const char *bases : {"fermat_bases", "strong_bases"})
                EXPECT_NE(kind_line.find("(" + joined(k[bases]) + " of the prime bases below 100)"),
                          std::string::npos)
                    << bases << ": " << kind_line;
        }

        // --prove: the same factors, every one proven.
        json all_proven = line["factors"];
        for (auto &f : all_proven)
            f["proven"] = true;
        EXPECT_EQ(proven_lines[i]["factors"], all_proven);

        if (gp.empty())
            continue;
        ASSERT_EQ(gp.size(), numbers.size());
        EXPECT_EQ(line["factors"], gp[i].factors);
        json kind = k;
        if (gp[i].fermat_share != 0) {
            EXPECT_NEAR(kind["fermat_share"].get<double>(), gp[i].fermat_share,
                        1e-12 * gp[i].fermat_share);
            EXPECT_NEAR(kind["strong_share"].get<double>(), gp[i].strong_share,
                        1e-12 * gp[i].strong_share);
            kind.erase("fermat_share");
            kind.erase("strong_share");
        }
        EXPECT_EQ(kind, gp[i].kind);
    }
    if (gp.empty())
        GTEST_SKIP() << "PARI/GP (gp) cannot be run here: checked against the text lines only";
}

} // namespace

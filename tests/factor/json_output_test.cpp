// SPDX-License-Identifier: BSD-2-Clause
// --json: every line of standard output is one JSON object, read back here
// with a JSON parser, for each kind of line.
#include "support/factor_harness.h"
#include "support/harness.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>
#include <vector>

namespace {

using json = nlohmann::json;

std::vector<json> json_objects(const std::string &out)
{
    std::vector<json> parsed;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);)
        parsed.push_back(json::parse(line));
    return parsed;
}

const std::string semiprime = "332306998946229619626601867938758453";

TEST(json_output, every_kind_of_line)
{
    std::string too_long(20001, '7');
    cli_result r = run_factor({"--json", "--effort=0", "--seed=7", "1024", "12x", "1", semiprime,
                               "18446744073709551617", too_long});
    EXPECT_EQ(r.status, 2);
    std::vector<json> lines = json_objects(r.out);
    ASSERT_EQ(lines.size(), 6u) << r.out;

    // 2^10: one prime with its exponent, proven (below 2^64).
    EXPECT_EQ(lines[0]["number"], "1024");
    EXPECT_EQ(lines[0]["factors"], json::parse(R"([{"prime":"2","exponent":10,"proven":true}])"));
    EXPECT_EQ(lines[0]["complete"], true);
    EXPECT_EQ(lines[0]["composite_parts"], json::array());
    EXPECT_EQ(lines[0]["seed"], 7);
    EXPECT_TRUE(lines[0]["seconds"].is_number());
    EXPECT_FALSE(lines[0].contains("kind"));

    EXPECT_EQ(lines[1], json::parse(R"({"input":"12x","length":3,
                                        "error":"not a non-negative decimal integer"})"));

    EXPECT_EQ(lines[2]["number"], "1");
    EXPECT_EQ(lines[2]["factors"], json::array());
    EXPECT_EQ(lines[2]["complete"], true);

    EXPECT_EQ(lines[3]["complete"], false);
    EXPECT_EQ(lines[3]["factors"], json::array());
    EXPECT_EQ(lines[3]["composite_parts"],
              json::parse(R"([{"value":")" + semiprime + R"(","exponent":1}])"));

    // 2^64 + 1: both primes are below 2^64, where Baillie-PSW is a proof.
    EXPECT_EQ(lines[4]["factors"], json::parse(R"([{"prime":"274177","exponent":1,"proven":true},
        {"prime":"67280421310721","exponent":1,"proven":true}])"));

    EXPECT_EQ(lines[5]["error"], "more than 20000 digits");
    EXPECT_EQ(lines[5]["length"], 20001);
    EXPECT_EQ(lines[5]["input"], std::string(40, '7'));
}

// Above 64 bits a prime is proven with --prove only.
TEST(json_output, probable_primes_above_64_bits)
{
    for (bool prove : {false, true}) {
        std::vector<std::string> args = {"--json", "170141183460469231731687303715884105727"};
        if (prove)
            args.push_back("--prove");
        json line = json::parse(run_factor(args).out);
        EXPECT_EQ(line["factors"][0]["proven"], prove);
        EXPECT_EQ(line["factors"][0]["prime"], "170141183460469231731687303715884105727");
    }
}

// Bytes that are no text are shown as '?', so that the line stays valid JSON.
TEST(json_output, odd_bytes_in_a_bad_token)
{
    cli_result r = run_factor({"--json"}, std::string("1\x01\xff\"\\", 5) + "\n");
    json line = json::parse(r.out);
    EXPECT_EQ(line["input"], "1??\"\\");
    EXPECT_EQ(r.status, 2);
}

TEST(json_output, kind_object)
{
    cli_result r = run_factor({"--json", "--effort=0", "--kind", "561", "7", "0", semiprime});
    std::vector<json> lines = json_objects(r.out);
    ASSERT_EQ(lines.size(), 4u);
    const json &k = lines[0]["kind"];
    EXPECT_EQ(k["composite"], true);
    EXPECT_EQ(k["carmichael"], true);
    EXPECT_EQ(k["lucas_carmichael"], false);
    EXPECT_EQ(k["lucas_carmichael_why"], "3 + 1 does not divide N + 1");
    EXPECT_EQ(k["fermat_liars"], "320");
    EXPECT_EQ(k["strong_liars"], "10");
    EXPECT_EQ(k["phi"], "320");
    EXPECT_EQ(k["fermat_run"], "2");
    EXPECT_EQ(k["strong_run"], nullptr);
    EXPECT_EQ(k["strong_bases"], json::array());
    EXPECT_EQ(k["passes_screening"], false);
    EXPECT_EQ(k["screening_why"], "divisible by 3");

    EXPECT_EQ(lines[1]["kind"]["prime"], true);
    EXPECT_EQ(lines[2]["kind"]["prime"], false);
    EXPECT_EQ(lines[2]["kind"]["composite"], false);
    // An incomplete factorisation: the criteria and liars are null.
    EXPECT_EQ(lines[3]["kind"]["carmichael"], nullptr);
    EXPECT_EQ(lines[3]["kind"]["fermat_liars"], nullptr);
    EXPECT_EQ(lines[3]["kind"]["fermat_bases"], json::array());
}


// Every field of the object against PARI/GP (factor, isprime, issquarefree,
// eulerphi; the liars as prod gcd(p - 1, N - 1) and by Monier's formula,
// checked base by base on small N; the bases by Mod(b, N)^(N-1) and the
// strong test written out). The rows are ordered so that each field takes
// another value in a neighbouring row: proven just below and above 2^64,
// with and without --prove, for N itself and for a factor of a larger N;
// squarefree or not; an even N, whose strong test is its Fermat test; a
// base just below the bound and at it. The shares are compared to a few
// units in the last place, the rest exactly.
struct json_kind_row {
    const char *name;
    std::vector<std::string> options;
    const char *n;
    const char *factors, *kind;
    double fermat_share, strong_share; // 0 where the object has none
};

const json_kind_row json_kind_rows[] = {
    {"the largest prime below 2^64", {}, "18446744073709551557",
     R"([{"prime":"18446744073709551557","exponent":1,"proven":true}])",
     R"({"prime":true,"composite":false,"passes_screening":true,"screening_why":null})",
     0, 0},
    {"the first prime above 2^64", {}, "18446744073709551629",
     R"([{"prime":"18446744073709551629","exponent":1,"proven":false}])",
     R"({"prime":true,"composite":false,"passes_screening":true,"screening_why":null})",
     0, 0},
    {"the first prime above 2^64, proven", {"--prove"}, "18446744073709551629",
     R"([{"prime":"18446744073709551629","exponent":1,"proven":true}])",
     R"({"prime":true,"composite":false,"passes_screening":true,"screening_why":null})",
     0, 0},
    {"3 times the first prime above 2^64", {}, "55340232221128654887",
     R"([{"prime":"3","exponent":1,"proven":true},{"prime":"18446744073709551629")"
     R"(,"exponent":1,"proven":false}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 3","squarefree":true,"carmichael":false)"
     R"(,"carmichael_why":"18446744073709551629 - 1 does not divide N - 1")"
     R"(,"lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"18446744073709551629 + 1 does not divide N + 1")"
     R"(,"phi":"36893488147419103256","fermat_liars":"4","strong_liars":"2")"
     R"(,"base_bound":100,"fermat_bases":[],"strong_bases":[],"fermat_run":null)"
     R"(,"strong_run":null})",
     1.0842021724855044e-19, 5.421010862427522e-20},
    {"3 times the largest prime below 2^64", {}, "55340232221128654671",
     R"([{"prime":"3","exponent":1,"proven":true},{"prime":"18446744073709551557")"
     R"(,"exponent":1,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 3","squarefree":true,"carmichael":false)"
     R"(,"carmichael_why":"18446744073709551557 - 1 does not divide N - 1")"
     R"(,"lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"18446744073709551557 + 1 does not divide N + 1")"
     R"(,"phi":"36893488147419103112","fermat_liars":"4","strong_liars":"2")"
     R"(,"base_bound":100,"fermat_bases":[],"strong_bases":[],"fermat_run":null)"
     R"(,"strong_run":null})",
     1.0842021724855044e-19, 5.421010862427522e-20},
    {"square of a base-3 Wieferich prime", {}, "1012042036009",
     R"([{"prime":"1006003","exponent":2,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":true,"screening_why":null)"
     R"(,"squarefree":false,"carmichael":false,"carmichael_why":"1006003^2 divides N")"
     R"(,"lucas_carmichael":false,"lucas_carmichael_why":"1006003^2 divides N")"
     R"(,"phi":"1012041030006","fermat_liars":"1006002","strong_liars":"1006002")"
     R"(,"base_bound":100,"fermat_bases":[3],"strong_bases":[3],"fermat_run":null)"
     R"(,"strong_run":null})",
     9.94032820975683e-07, 9.94032820975683e-07},
    {"cube of a prime times a prime", {}, "100028001980054000513",
     R"([{"prime":"100003","exponent":3,"proven":true},{"prime":"100019","exponent":1)"
     R"(,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"3^N mod N is not 3","squarefree":false,"carmichael":false)"
     R"(,"carmichael_why":"100003^2 divides N","lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"100003^2 divides N","phi":"100026001650039600324")"
     R"(,"fermat_liars":"4","strong_liars":"2","base_bound":100,"fermat_bases":[])"
     R"(,"strong_bases":[],"fermat_run":null,"strong_run":null})",
     3.998960204362439e-20, 1.9994801021812195e-20},
    {"even, a square, Fermat pseudoprime to 5", {}, "124",
     R"([{"prime":"2","exponent":2,"proven":true},{"prime":"31","exponent":1)"
     R"(,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 2","squarefree":false,"carmichael":false)"
     R"(,"carmichael_why":"2^2 divides N","lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"N is even","phi":"60","fermat_liars":"3")"
     R"(,"strong_liars":"3","base_bound":100,"fermat_bases":[5],"strong_bases":[5])"
     R"(,"fermat_run":null,"strong_run":null})",
     0.05, 0.05},
    {"Carmichael 561", {}, "561",
     R"([{"prime":"3","exponent":1,"proven":true},{"prime":"11","exponent":1)"
     R"(,"proven":true},{"prime":"17","exponent":1,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 3","squarefree":true,"carmichael":true)"
     R"(,"carmichael_why":null,"lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"3 + 1 does not divide N + 1","phi":"320")"
     R"(,"fermat_liars":"320","strong_liars":"10","base_bound":100,"fermat_bases":[2,5,7)"
     R"(,13,19,23,29,31,37,41,43,47,53,59,61,67,71,73,79,83,89,97],"strong_bases":[])"
     R"(,"fermat_run":"2","strong_run":null})",
     1.0, 0.03125},
    {"Lucas-Carmichael 399", {}, "399",
     R"([{"prime":"3","exponent":1,"proven":true},{"prime":"7","exponent":1)"
     R"(,"proven":true},{"prime":"19","exponent":1,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 3","squarefree":true,"carmichael":false)"
     R"(,"carmichael_why":"7 - 1 does not divide N - 1","lucas_carmichael":true)"
     R"(,"lucas_carmichael_why":null,"phi":"216","fermat_liars":"8","strong_liars":"2")"
     R"(,"base_bound":100,"fermat_bases":[],"strong_bases":[],"fermat_run":null)"
     R"(,"strong_run":null})",
     0.037037037037037035, 0.009259259259259259},
    {"Carmichael 8911", {}, "8911",
     R"([{"prime":"7","exponent":1,"proven":true},{"prime":"19","exponent":1)"
     R"(,"proven":true},{"prime":"67","exponent":1,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 7","squarefree":true,"carmichael":true)"
     R"(,"carmichael_why":null,"lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"19 + 1 does not divide N + 1","phi":"7128")"
     R"(,"fermat_liars":"7128","strong_liars":"1782","base_bound":100,"fermat_bases":[2)"
     R"(,3,5,11,13,17,23,29,31,37,41,43,47,53,59,61,71,73,79,83,89,97],"strong_bases":[3)"
     R"(,13,23,31,41,97],"fermat_run":"2..5","strong_run":null})",
     1.0, 0.25},
    {"341 with the bound at its base 29", {"--bases=29"}, "341",
     R"([{"prime":"11","exponent":1,"proven":true},{"prime":"31","exponent":1)"
     R"(,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 11","squarefree":true,"carmichael":false)"
     R"(,"carmichael_why":"31 - 1 does not divide N - 1","lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"11 + 1 does not divide N + 1","phi":"300")"
     R"(,"fermat_liars":"100","strong_liars":"50","base_bound":29,"fermat_bases":[2,23])"
     R"(,"strong_bases":[],"fermat_run":"2","strong_run":null})",
     0.3333333333333333, 0.16666666666666666},
    {"341 with the bound one past 29", {"--bases=30"}, "341",
     R"([{"prime":"11","exponent":1,"proven":true},{"prime":"31","exponent":1)"
     R"(,"proven":true}])",
     R"({"prime":false,"composite":true,"passes_screening":false)"
     R"(,"screening_why":"divisible by 11","squarefree":true,"carmichael":false)"
     R"(,"carmichael_why":"31 - 1 does not divide N - 1","lucas_carmichael":false)"
     R"(,"lucas_carmichael_why":"11 + 1 does not divide N + 1","phi":"300")"
     R"(,"fermat_liars":"100","strong_liars":"50","base_bound":30,"fermat_bases":[2,23)"
     R"(,29],"strong_bases":[29],"fermat_run":"2","strong_run":null})",
     0.3333333333333333, 0.16666666666666666},
};

void PrintTo(const json_kind_row &r, std::ostream *os)
{
    *os << r.name;
}

class json_kind : public ::testing::TestWithParam<json_kind_row> {};

TEST_P(json_kind, every_field_as_pari_gp_gives_it)
{
    const json_kind_row &row = GetParam();
    std::vector<std::string> args = {"--json", "--kind"};
    args.insert(args.end(), row.options.begin(), row.options.end());
    args.push_back(row.n);
    cli_result r = run_factor(args);
    EXPECT_EQ(r.status, 0) << r.err;
    json line = json::parse(r.out);
    EXPECT_EQ(line["number"], row.n);
    EXPECT_EQ(line["factors"], json::parse(row.factors));
    EXPECT_EQ(line["complete"], true);
    EXPECT_EQ(line["composite_parts"], json::array());
    json kind = line["kind"];
    if (row.fermat_share == 0) {
        EXPECT_FALSE(kind.contains("fermat_share")) << kind;
        EXPECT_FALSE(kind.contains("strong_share")) << kind;
    } else {
        EXPECT_NEAR(kind["fermat_share"].get<double>(), row.fermat_share, 1e-12 * row.fermat_share);
        EXPECT_NEAR(kind["strong_share"].get<double>(), row.strong_share, 1e-12 * row.strong_share);
        kind.erase("fermat_share");
        kind.erase("strong_share");
    }
    EXPECT_EQ(kind, json::parse(row.kind));
}

INSTANTIATE_TEST_SUITE_P(factor, json_kind, ::testing::ValuesIn(json_kind_rows),
                         [](const auto &info) { return test_name(info.param.name); });


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
shares(N)= if(isprime(N)||N<=1,"0\t0",Str(precision(fl(N)*1./eulerphi(N),20),"\t",precision(monier(N)*1./eulerphi(N),20)));
line(N)= print(N,"\t",factors(N),"\t",kind(N,100),"\t",shares(N));
)gp";

struct gp_view {
    json factors, kind;
    double fermat_share, strong_share;
};

// PARI/GP's view of each number, or an empty list when gp cannot be run.
std::vector<gp_view> pari_gp_views(const std::vector<std::string> &numbers)
{
    std::string script = std::string(pari_gp_kind) + "default(format,\"g.17\");\n";
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

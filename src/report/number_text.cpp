#include "report/number_text.h"

std::size_t bit_count(const mpz_t x)
{
    return mpz_sizeinbase(x, 2);
}

void write_decimal(std::FILE *out, const mpz_t x)
{
    mpz_out_str(out, 10, x);
}

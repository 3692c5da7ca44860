#include "BookGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    const bool chinese = argc > 1 && std::strcmp(argv[1], "--chinese") == 0;
    if (chinese) {
        --argc;
        ++argv;
    }
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0) {
        std::fprintf(stderr,
                     "usage: genbook [--chinese] SIZE [SEED]   (SIZE in bytes; k and M suffixes)\n"
                     "Writes a synthetic book to standard output, in UTF-8; --chinese writes a\n"
                     "Chinese novel, one paragraph a line.\n");
        return argc < 2 ? 2 : 0;
    }
    char *end = nullptr;
    double size = std::strtod(argv[1], &end);
    if (end && (*end == 'k' || *end == 'K'))
        size *= 1000;
    else if (end && (*end == 'm' || *end == 'M'))
        size *= 1000 * 1000;
    const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    // An ideograph takes three bytes in UTF-8.
    const QByteArray book =
        chinese ? generateChineseBook(seed, static_cast<qsizetype>(size / 3)).toUtf8()
                : generateBookBytes(seed, static_cast<qsizetype>(size));
    std::fwrite(book.constData(), 1, static_cast<size_t>(book.size()), stdout);
    return 0;
}

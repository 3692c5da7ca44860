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
                     "usage: genbook [--chinese] SIZE [SEED [STYLE]]   (SIZE in bytes; k and M\n"
                     "suffixes)\n"
                     "Writes a synthetic book to standard output. Without STYLE its chapters\n"
                     "follow four blank lines; STYLE is one of\n"
                     "  roman    \"CHAPTER XII.\" after two blank lines\n"
                     "  arabic   \"Chapter 12\" after one blank line\n"
                     "  chinese  \"第十二章 标题\", one blank line between all paragraphs\n"
                     "  russian  \"Глава 12\" after one blank line\n"
                     "--chinese writes a Chinese novel, one paragraph a line, without STYLE.\n");
        return argc < 2 ? 2 : 0;
    }
    char *end = nullptr;
    double size = std::strtod(argv[1], &end);
    if (end && (*end == 'k' || *end == 'K'))
        size *= 1000;
    else if (end && (*end == 'm' || *end == 'M'))
        size *= 1000 * 1000;
    const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    QByteArray book;
    if (chinese) {
        // An ideograph takes three bytes in UTF-8.
        book = generateChineseBook(seed, static_cast<qsizetype>(size / 3)).toUtf8();
    } else if (argc > 3) {
        HeadingStyle style;
        if (!headingStyleFromName(QString::fromLocal8Bit(argv[3]), &style)) {
            std::fprintf(stderr, "genbook: unknown style '%s'\n", argv[3]);
            return 2;
        }
        book = generateStyledBook(style, seed, static_cast<qsizetype>(size)).text.toUtf8();
    } else {
        book = generateBookBytes(seed, static_cast<qsizetype>(size));
    }
    std::fwrite(book.constData(), 1, static_cast<size_t>(book.size()), stdout);
    return 0;
}

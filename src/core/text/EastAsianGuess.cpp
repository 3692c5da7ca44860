#include "core/text/EastAsianGuess.h"

#include "core/text/TextDecoding.h"

#include <QString>

#include <algorithm>
#include <vector>

namespace {

// The most frequent characters of each language. Chinese: the first 300 characters of Jun Da's
// frequency list of modern Chinese (2004), simplified and in their traditional forms. Japanese:
// the kana, which make up about half of running text, and the kanji of grade one. Korean: the
// most frequent syllables of the National Institute of the Korean Language's frequency count
// (2002). Each with the punctuation its texts use most.
const char16_t kSimplified[] =
    u"的一是不了在人有我他这个们中来上大为和国地到以说时要就出会可也你对生能而子那得于着下"
    u"自之年过发后作里用道行所然家种事成方多经么去法学如都同现当没动面起看定天分还进好小部"
    u"其些主样理心她本前开但因只从想实日军者意无力它与长把机十民第公此已工使情明性知全三又"
    u"关点正业外将两高间由问很最重并物手应战向头文体政美相见被利什二等产或新己制身果加西斯"
    u"月话合回特代内信表化老给世位次度门任常先海通教儿原东声提立及比员解水名真论处走义各入"
    u"几口认条平系气题活尔更别打女变四神总何电数安少报才结反受目太量再感建务做接必场件计管"
    u"期市直德资命山金指克许统区保至队形社便空决治展马科司五基眼书非则听白却界达光放强即像"
    u"难且权思王象完设式色路记南品住告类求据程北边死张该交规万取拉格望觉术领共确传师观清今"
    u"，。、“”：；！？（）《》…—";
const char16_t kTraditional[] =
    u"的一是不了在人有我他這個們中來上大為和國地到以說時要就出會可也你對生能而子那得於著下"
    u"自之年過發後作裡用道行所然家種事成方多經麼去法學如都同現當沒動面起看定天分還進好小部"
    u"其些主樣理心她本前開但因只從想實日軍者意無力它與長把機十民第公此已工使情明性知全三又"
    u"關點正業外將兩高間由問很最重並物手應戰向頭文體政美相見被利什二等產或新己製身果加西斯"
    u"月話合回特代內信表化老給世位次度門任常先海通教兒原東聲提立及比員解水名真論處走義各入"
    u"幾口認條平系氣題活爾更別打女變四神總何電數安少報才結反受目太量再感建務做接必場件計管"
    u"期市直德資命山金指克許統區保至隊形社便空決治展馬科司五基眼書非則聽白卻界達光放強即像"
    u"難且權思王象完設式色路記南品住告類求據程北邊死張該交規萬取拉格望覺術領共確傳師觀清今"
    u"裏着，。、「」『』“”：；！？（）…—";
const char16_t kJapanese[] =
    u"ぁあぃいぅうぇえぉおかがきぎくぐけげこごさざしじすずせぜそぞただちぢっつづてでとどなに"
    u"ぬねのはばぱひびぴふぶぷへべぺほぼぽまみむめもゃやゅゆょよらりるれろゎわゐゑをんゔ"
    u"ァアィイゥウェエォオカガキギクグケゲコゴサザシジスズセゼソゾタダチヂッツヅテデトドナニ"
    u"ヌネノハバパヒビピフブプヘベペホボポマミムメモャヤュユョヨラリルレロヮワヰヱヲンヴー"
    u"一右雨円王音下火花貝学気九休玉金空月犬見五口校左三山子四糸字耳七車手十出女小上森人水"
    u"正生青夕石赤千川先早草足村大男竹中虫町天田土二日入年白八百文木本名目立力林六"
    u"、。「」『』・！？（）…";
const char16_t kKorean[] =
    u"이다는의에하고을가지기한로리자사서도으대를어아정인시나수적들해국있일상게부구제것보만"
    u"전주그라우과장동성니여면요원마소년세문학경회내위관신생공연물실개할없무되였와비방안람"
    u"금분말오용까치음러중계조진단선심모유교터두속저각결때데었습니다서울우리모든사람들또한"
    u"거래미래새로운같은많은하는했다있는없는되는그러나그리고하지만";

struct Language
{
    const char *codePage;
    const char16_t *common;
    std::size_t size;
};

template <std::size_t N>
constexpr Language language(const char *codePage, const char16_t (&common)[N])
{
    return {codePage, common, N - 1};
}

// In the order that settles a tie.
const Language kCandidates[] = {
    language("GB18030", kSimplified), language("BIG5", kTraditional),
    language("SHIFT_JIS", kJapanese), language("EUC-JP", kJapanese),
    language("EUC-KR", kKorean),
};

const std::vector<char16_t> &commonSet(const Language &lang)
{
    static std::vector<char16_t> sets[std::size(kCandidates)];
    const std::size_t index = static_cast<std::size_t>(&lang - kCandidates);
    std::vector<char16_t> &set = sets[index];
    if (set.empty()) {
        set.assign(lang.common, lang.common + lang.size);
        std::sort(set.begin(), set.end());
        set.erase(std::unique(set.begin(), set.end()), set.end());
    }
    return set;
}

bool isAscii(QChar c)
{
    return c.unicode() < 0x80;
}

// Characters no text of these code pages is written with: user-defined areas, substitutes for
// bytes the codec does not know, C1 controls.
bool isForeign(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x80 && u < 0xA0) || (u >= 0xE000 && u < 0xF900) || u == 0xFFFD || u == 0x1A;
}

const Language *languageOf(QByteArrayView codePage)
{
    for (const Language &lang : kCandidates) {
        if (codePage.compare(lang.codePage, Qt::CaseInsensitive) == 0)
            return &lang;
    }
    return nullptr;
}

double share(QStringView text, const Language &lang)
{
    const std::vector<char16_t> &set = commonSet(lang);
    qsizetype wide = 0;
    qsizetype common = 0;
    for (const QChar c : text) {
        if (isAscii(c))
            continue;
        ++wide;
        if (std::binary_search(set.begin(), set.end(), c.unicode()))
            ++common;
    }
    return wide == 0 ? 0.0 : static_cast<double>(common) / static_cast<double>(wide);
}

// Ideographs, kana and hangul stand in runs; a Latin letter read as one stands between ASCII.
bool standsInRuns(QStringView text)
{
    qsizetype wide = 0;
    qsizetype inRuns = 0;
    const auto wideAt = [&](qsizetype i) {
        return i >= 0 && i < text.size() && !isAscii(text[i]) && !text[i].isSpace();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isAscii(text[i]))
            continue;
        ++wide;
        if (wideAt(i - 1) || wideAt(i + 1))
            ++inRuns;
    }
    return wide > 0 && inRuns * 4 >= wide * 3;
}

} // namespace

double commonCharacterShare(QStringView text, QByteArrayView codePage)
{
    const Language *lang = languageOf(codePage);
    return lang ? share(text, *lang) : 0.0;
}

QByteArray guessEastAsianCodePage(QByteArrayView bytes)
{
    const QByteArray sample = bytes.toByteArray();
    const Language *best = nullptr;
    double bestShare = 0;
    for (const Language &lang : kCandidates) {
        QString text;
        if (!decodeWithCodec(sample, lang.codePage, text) ||
            std::any_of(text.cbegin(), text.cend(), isForeign) || !standsInRuns(text))
            continue;
        const double s = share(text, lang);
        if (s > bestShare) {
            best = &lang;
            bestShare = s;
        }
    }
    return best ? QByteArray(best->codePage) : QByteArray();
}

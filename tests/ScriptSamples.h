#pragma once

#include <QString>

#include <vector>

// Paragraphs written for these tests in the scripts readers use, one sample a script.
struct ScriptSample
{
    const char *name;
    QString paragraph;
    bool rightToLeft;
};

inline const std::vector<ScriptSample> &scriptSamples()
{
    static const std::vector<ScriptSample> samples = {
        {"Chinese",
         QStringLiteral(
             "春天来了，山上的雪慢慢融化，小河里的水也多了起来。村里的孩子们每天放学以后都"
             "跑到河边去玩，他们在水里捉鱼，在岸上放风筝，一直玩到太阳下山才回家。老人们"
             "坐在门口晒太阳，说着去年的收成和今年的打算。"),
         false},
        {"Japanese",
         QStringLiteral(
             "朝早く目が覚めたので、窓を開けて外を見ると、まだ静かな町に薄い霧がかかってい"
             "た。コーヒーを入れて、昨日の続きの本を読み始めた。「今日はいい天気になりそう"
             "だ」と思いながら、ゆっくりとページをめくった。"),
         false},
        {"Korean",
         QStringLiteral(
             "아침에 일어나서 창문을 열었더니 시원한 바람이 들어왔다. 오늘은 친구들과 함께 "
             "산에 가기로 한 날이다. 우리는 도시락을 싸서 버스를 타고 산 아래 마을까지 "
             "갔다."),
         false},
        {"Thai",
         QStringLiteral("เมื่อเช้านี้ฉันตื่นแต่เช้าเพื่อไปตลาดกับแม่ ที่ตลาดมีผักผลไม้สดๆมากมาย "
                        "แม่ซื้อมะม่วงและกล้วยมาหลายหวี แล้วเราก็กลับบ้านมาทำอาหารกลางวันด้วยกัน"),
         false},
        {"Arabic",
         QStringLiteral("في صباح يوم مشمس خرج الولد الصغير إلى الحديقة ليلعب مع أصدقائه. كانت "
                        "الأشجار خضراء والطيور تغني فوق الأغصان، وكان الجميع سعداء بهذا اليوم "
                        "الجميل (كما قال المعلم في الدرس 12)."),
         true},
        {"Hebrew",
         QStringLiteral("בבוקר יום שמש יצא הילד הקטן אל הגן כדי לשחק עם חבריו. העצים היו ירוקים "
                        "והציפורים שרו על הענפים, וכולם שמחו ביום היפה הזה (כך אמר המורה בשיעור "
                        "EULA)."),
         true},
        {"Hindi",
         QStringLiteral("सुबह जल्दी उठकर मैं अपनी माँ के साथ बाज़ार गया। बाज़ार में बहुत सारी ताज़ी "
                        "सब्ज़ियाँ और फल थे। माँ ने आम और केले ख़रीदे, और फिर हम घर लौटकर साथ में "
                        "दोपहर का खाना बनाने लगे।"),
         false},
        {"Russian",
         QStringLiteral(
             "Утром я проснулся рано и открыл окно. На улице было тихо, только где-то "
             "вдалеке лаяла собака. Я сварил кофе и сел читать книгу, которую начал вчера "
             "вечером."),
         false},
        {"Greek",
         QStringLiteral(
             "Το πρωί ξύπνησα νωρίς και άνοιξα το παράθυρο. Έξω ήταν ήσυχα, μόνο κάπου "
             "μακριά γάβγιζε ένας σκύλος. Έφτιαξα καφέ και κάθισα να διαβάσω το βιβλίο."),
         false},
        {"English with accents, emoji and CJK words",
         QStringLiteral(
             "The cafe\u0301 on the corner served cre\u0300me bru\u0302le\u0301e to every "
             "visitor \U0001F600\U0001F44D\U0001F3FD who came in, and the owner, a man "
             "called 山田 who had lived in 東京 for years, told stories about the city "
             "\U0001F1EF\U0001F1F5 late into the night."),
         false},
    };
    return samples;
}

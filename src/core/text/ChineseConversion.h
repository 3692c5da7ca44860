#pragma once

#include <QString>
#include <QStringView>

#include <functional>

// The characters a Chinese book is shown in; the file keeps the ones it was written in.
enum class ChineseConversion { None, Simplified, Traditional, Taiwan, HongKong };

// The texts stored per book ("None", "Simplified", "Traditional", "Taiwan", "Hong Kong"), in enum
// order; unknown text gives None.
QString chineseConversionKey(ChineseConversion conversion);
ChineseConversion chineseConversionFromKey(const QString &key);

struct ChineseConverted
{
    bool ok = false;
    QString text;
    QString error; // why ok is false
};

// Converts phrase by phrase with OpenCC (头发 becomes 頭髮, not 頭發). The text is cut at line
// breaks into parts converted on up to `threads` threads; progress receives percentages.
ChineseConverted convertChinese(QStringView text, ChineseConversion to,
                                const std::function<void(int percent)> &progress = {},
                                int threads = 1);

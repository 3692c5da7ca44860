#pragma once

#include "core/dict/DictionaryShelf.h"

#include <QFrame>

#include <functional>

class QLabel;
class QTextBrowser;

// The entries found for a word, over the pages: a title bar with a close button, the entries
// of every dictionary that has the word, scrollable, and a hint line under them.
class DictionaryPanel : public QFrame
{
public:
    explicit DictionaryPanel(QWidget *parent);

    void showResult(const LookupResult &result);
    // Scrolls the entries for a page key; false for other keys.
    bool scrollKey(int key);
    // The entries as plain text.
    QString entriesText() const;
    QString hintText() const;
    QString titleText() const;

    std::function<void()> onClose;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *title = nullptr;
    QLabel *closeButton = nullptr;
    QTextBrowser *entries = nullptr;
    QLabel *hint = nullptr;
};

// The entries as the panel shows them (HTML): each dictionary's name, the headword, the form
// that was found when it is not the word asked, the definition.
QString dictionaryEntriesHtml(const LookupResult &result);

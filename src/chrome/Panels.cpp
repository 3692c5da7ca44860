#include "reader/Tavolex1.h"

#include "navigation/IniFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>

void TForm1::ArrangeBookmarks()
{
    // Set bookmarks sit left of "Menu", 13 pixels apart from it.
    int right = MenuPanel->x() - 13;
    for (QLabel *b : {Lesezeichen3, Lesezeichen2, Lesezeichen1}) {
        if (b->text().isEmpty()) {
            b->hide();
            continue;
        }
        b->move(right - b->width(), 0);
        right = b->x() - 1;
        b->show();
    }
}

void TForm1::BuildToc()
{
    clearToc();
}

void TForm1::clearToc() {}

void TForm1::AddToRecent()
{
    if (IsExcludedFile(state.FileName))
        return;
    writeSetting(QStringLiteral("Last"), QStringLiteral("Last read file"), state.FileName);
}

void TForm1::OpenLatest()
{
    const QString latest =
        ini->readString(QStringLiteral("Last"), QStringLiteral("Last read file"), QString());
    if (latest.isEmpty())
        return;
    if (!QFileInfo::exists(latest)) {
        prompts().notice(this, QStringLiteral("File ") + latest +
                                   QStringLiteral(" doesn't exist (any more)!"));
        return;
    }
    openFileFromUser(latest);
}

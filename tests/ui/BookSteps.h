#pragma once

#include "ReaderFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

// A book of short lines, one fitted line each (single line breaks kept).
inline QByteArray shortLineBook(int lines)
{
    QByteArray book;
    for (int i = 1; i <= lines; ++i) {
        book += "line " + QByteArray::number(i);
        if (i < lines)
            book += "\r\n";
    }
    return book;
}

// Starts the reader active and focused, so that keys travel as the user's would.
inline TForm1 &startActive(ReaderFixture &fixture)
{
    TForm1 &form = fixture.start();
    QApplication::setActiveWindow(&form);
    form.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    return form;
}

// Opens a book of exactly `pages` pages.
inline void openBookOfPages(ReaderFixture &fixture, TForm1 &form, int pages)
{
    form.ZWEntfernen->setChecked(false);
    // The lines per page are known once a book is laid out in the real window.
    form.openFileFromUser(fixture.writeBook(QStringLiteral("probe.txt"), shortLineBook(200)));
    const int lpp = form.readerState().LinesPerPage;
    const QString path = fixture.writeBook(QStringLiteral("pages%1.txt").arg(pages),
                                           shortLineBook((pages - 1) * lpp + 1));
    form.openFileFromUser(path);
    ASSERT_EQ(form.readerState().LinesPerPage, lpp);
    ASSERT_EQ(form.readerState().PageCount, pages);
}

// A key press delivered where the platform would deliver it: to the focused control.
inline void press(TForm1 &form, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
    QTest::keyClick(target, key, modifiers);
}

// Turns to `page` with Home and Right.
inline void goToPage(TForm1 &form, int page)
{
    press(form, Qt::Key_Home);
    for (int p = 1; p < page; ++p)
        press(form, Qt::Key_Right);
    ASSERT_EQ(form.readerState().CurrentPage, page);
}

// The document identity and what a page turn writes, as the user would find them.
struct Shown
{
    QString fileName;
    QString member;
    bool multi;
    QString title;
    QString left;

    static Shown of(const TForm1 &form)
    {
        const ReaderState &s = form.readerState();
        return {s.FileName, s.ArchiveMember, s.MultiMemberArchive, form.windowTitle(),
                form.LinkeSeite->toPlainText()};
    }
    bool operator==(const Shown &) const = default;
};

inline void PrintTo(const Shown &s, std::ostream *os)
{
    *os << s.fileName.toStdString() << " [" << s.member.toStdString() << "] multi " << s.multi
        << " title " << s.title.toStdString();
}

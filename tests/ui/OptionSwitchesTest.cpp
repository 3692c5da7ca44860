#include "BookSteps.h"

#include "core/book/IniFile.h"

#include <QComboBox>
#include <QSpinBox>

namespace {

QString stored(const ReaderFixture &fixture, const QString &key)
{
    return IniFile(fixture.settingsPath())
        .readString(QStringLiteral("Options"), key, QStringLiteral("<absent>"));
}

void writeOptions(const ReaderFixture &fixture, const QByteArray &lines)
{
    writeFileBytes(fixture.settingsPath(), "[Options]\n" + lines);
}

struct SwitchCase
{
    const char *key;
    QCheckBox *TForm1::*box;
    bool absentState;
    // How stored words read back: "Yes", "No", "yes".
    bool yes, no, lowerYes;
};

const SwitchCase kSwitches[] = {
    {"Automatically fit", &TForm1::AutoFitAll, true, true, false, true},
    {"Fit leaving menu", &TForm1::AutoFitMenu, true, true, false, true},
    {"Menu/Help on click", &TForm1::MenuClickOnly, false, true, false, false},
    {"Activate shortcuts", &TForm1::Shortcuts, true, true, false, true},
    {"Quick page", &TForm1::QuickJump, true, true, false, true},
    {"Quick find", &TForm1::QuickFind, true, true, false, true},
    {"Auto-open", &TForm1::AutoOpen, false, true, false, true},
};

} // namespace

TEST(OptionSwitchesTest, EachSwitchIsWrittenTheMomentItChanges)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();
    for (const SwitchCase &c : kSwitches) {
        SCOPED_TRACE(c.key);
        QCheckBox *box = form.*c.box;
        EXPECT_EQ(box->isChecked(), c.absentState);
        box->setEnabled(true);
        box->click();
        EXPECT_EQ(stored(fixture, QString::fromLatin1(c.key)),
                  c.absentState ? QStringLiteral("No") : QStringLiteral("Yes"));
        box->click();
        EXPECT_EQ(stored(fixture, QString::fromLatin1(c.key)),
                  c.absentState ? QStringLiteral("Yes") : QStringLiteral("No"));
    }
}

TEST(OptionSwitchesTest, StoredWordsAreReadBackByEachSwitchsRule)
{
    const struct
    {
        const char *value;
        bool SwitchCase::*expected;
    } words[] = {
        {"Yes", &SwitchCase::yes}, {"No", &SwitchCase::no}, {"yes", &SwitchCase::lowerYes}};
    for (const auto &word : words) {
        QByteArray lines;
        for (const SwitchCase &c : kSwitches)
            lines += QByteArray(c.key) + "=" + word.value + "\n";
        ReaderFixture fixture;
        writeOptions(fixture, lines);
        TForm1 &form = fixture.start({}, false);
        for (const SwitchCase &c : kSwitches) {
            SCOPED_TRACE(std::string(c.key) + " = '" + word.value + "'");
            EXPECT_EQ((form.*c.box)->isChecked(), c.*word.expected);
        }
        EXPECT_EQ(form.AutoFitMenu->isEnabled(), !form.AutoFitAll->isChecked());
    }
}

TEST(OptionSwitchesTest, AutoFitAllEnablesFitOnLeavingMenuAndRefitsOnlyAfterChanges)
{
    ReaderFixture fixture;
    TForm1 &form = fixture.start();

    // No document: the key is written and nothing else happens.
    form.AutoFitAll->setChecked(false);
    EXPECT_TRUE(form.AutoFitMenu->isEnabled());
    form.AutoFitMenu->setChecked(false);
    form.AutoFitAll->setChecked(true);
    EXPECT_FALSE(form.AutoFitMenu->isEnabled());
    EXPECT_FALSE(form.AutoFitMenu->isChecked()); // its state stays as it was
    EXPECT_EQ(stored(fixture, QStringLiteral("Automatically fit")), QStringLiteral("Yes"));
    EXPECT_EQ(form.readerState().PageCount, 0);

    openBookOfPages(fixture, form, 7);
    form.AutoFitAll->setChecked(false);
    const int spreads = form.History->count();
    form.AutoFitAll->setChecked(true); // nothing changed since the fit
    EXPECT_EQ(form.History->count(), spreads);

    form.AutoFitAll->setChecked(false);
    form.FontUpDown->setValue(form.FontUpDown->value() + 2); // re-paginates only
    EXPECT_TRUE(form.LayoutChangedSinceFit());
    const int totalBefore = form.readerState().TotalLines;
    const int afterPaginate = form.History->count();
    form.AutoFitAll->setChecked(true);
    EXPECT_FALSE(form.LayoutChangedSinceFit());
    EXPECT_EQ(form.History->count(), afterPaginate + 1);
    EXPECT_EQ(form.readerState().TotalLines, totalBefore); // short lines fit at any size
}

TEST(OptionSwitchesTest, AutoOpenOpensTheLastFileOnlyWithoutACommandLine)
{
    ReaderFixture fixture;
    const QString last = fixture.writeBook(QStringLiteral("last.txt"), shortLineBook(30));
    const QString named = fixture.writeBook(QStringLiteral("named.txt"), shortLineBook(30));
    writeFileBytes(fixture.settingsPath(),
                   "[Options]\nAuto-open=Yes\n[Last]\nLast read file=" + last.toUtf8() + "\n");
    {
        TForm1 &form = fixture.start();
        EXPECT_EQ(form.readerState().FileName, last);
        fixture.stop();
    }
    {
        TForm1 &form = fixture.start({named});
        EXPECT_EQ(form.readerState().FileName, named);
        fixture.stop();
    }
    writeFileBytes(fixture.settingsPath(),
                   "[Options]\nAuto-open=No\n[Last]\nLast read file=" + last.toUtf8() + "\n");
    TForm1 &form = fixture.start();
    EXPECT_TRUE(form.readerState().FileName.isEmpty());
    EXPECT_TRUE(fixture.prompts->shown.isEmpty());
}

#pragma once

#include "core/layout/LineFitter.h"
#include "core/layout/ParagraphStyle.h"
#include "core/layout/PageGeometry.h"
#include "core/book/PageArithmetic.h"
#include "ui/dialogs/Prompts.h"
#include "core/text/BookPrefetch.h"
#include "core/layout/HangingIndents.h"
#include "core/text/AozoraNotation.h"
#include "core/text/ChineseConversion.h"
#include "core/text/CompactText.h"
#include "core/text/DocumentFormats.h"
#include "core/text/TextDecoding.h"
#include "core/speech/Speaker.h"
#include "core/speech/SpokenText.h"
#include "core/base/ProgressPace.h"

#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QLocale>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QScrollArea;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QTableWidget;
class QVBoxLayout;
struct FindMatch;
class QSpinBox;
class QWheelEvent;
class QDragEnterEvent;
class QDropEvent;
class QMimeData;
class IniFile;
class Hyphenator;
class TFIFForm;
class TZipForm;
class KeyPreviewFilter;
class DictionaryPanel;
class DictionaryShelf;

// The settings of the last fit that change line widths.
struct FittedLayoutSnapshot
{
    QString fontName;
    int fontSize = 0;
    bool joinLines = false;
    bool bookStyle = false;
    bool applyMargins = false;
    Margins margins;
};

// Aozora Bunko notation and Chinese characters of the open book.
struct EastAsianBook
{
    bool aozoraAutomatic = true; // "Aozora notation": "Automatic" or "No"
    RubyForm ruby = RubyForm::Above;
    ChineseConversion chinese = ChineseConversion::None;
    bool aozora = false; // the book was read as Aozora Bunko notation
    // Ruby, headings and page breaks, at their places in the loaded text (text left empty).
    AozoraBook marks;
    // The text the pages are made from when it is not the loaded text (Chinese conversion).
    CompactText shown;
    bool converted = false;
};

// All reading state of the reader window.
struct ReaderState
{
    // Document identity and open-state.
    QString FileName;
    QString ArchiveMember;
    QString PreviousFileName;
    bool MultiMemberArchive = false;
    bool MemberPreselected = false;
    bool OpenFailed = false;
    bool TextModified = false;
    QString LayoutCause;

    // Texts and lines. Without removed breaks the working text is the loaded text.
    CompactText LoadedText;
    QString WorkingText;
    TextEncoding LoadedEncoding = TextEncoding::Utf8;
    QByteArray LoadedEncodingName;
    QString CodePage; // the code page chosen for the book (codePageNames()); empty: automatic
    FitPieces pieces;

    // Page arithmetic.
    int TotalLines = 0;
    int LinesPerPage = 1;
    int PageCount = 0;
    int CurrentPage = 1;
    int PreviousTotalLines = 0;
    TrimRecord LeftTrim;
    TrimRecord RightTrim;
    QString FocusPage = QStringLiteral("Links");
    int PendingJumpDigit = -1;
    bool NavigatingHistory = false;

    // Settings held in memory.
    QString DefaultFontName = QStringLiteral("Times New Roman");
    QString DefaultFontSize = QStringLiteral("10");
    QString BaseDirectory;
    QStringList ExcludedFonts;
    QStringList ExcludedPaths;
    QStringList IncludedPaths;
    QStringList RecentPrefixes;
    QString PunctuationMarks;
    quint32 PageColour = 0xE7E7E7; // 00BBGGRR
    quint32 TextColour = 0x000000;
    Margins MarginSettings;
    Margins ActiveMargins;
    FittedLayoutSnapshot FittedLayout;
    int AppliedFontSize = 10;
    bool InitialFontSmoothing = true;

    // Flags and values of the other subsystems.
    bool Creating = false;
    bool Closing = false;
    bool ReloadPending = false;
    bool BreaksRemoved = false;
    bool RemovalPunctuationRule = false;
    bool RemovalIndentRule = false;
    bool RemovalShortLineRule = false;
    ParagraphStyle BookStyle;           // read from the lines of the open book
    bool GutenbergStartPending = false; // a first open goes past a Project Gutenberg header
    bool OptionRefitBlocked = false;
    bool MenuCommandActive = false;
    bool SkipPointerCheck = false;
    int HelpPage = 1;
    int MenuHomeLeft = 0;
    int MenuHomeTop = 0;
    int PreChapterValue = 3;
    int ChapterLinesValue = 5;
    bool TocSettingsLoading = false;
    int TocOffset = 0;
    QString HeadingRule; // the reader's own heading rule as last accepted (a valid one)
    EastAsianBook EastAsian;
};

// Reading aloud: the sentence being spoken and where reading goes on.
struct ReadAloudState
{
    bool active = false;
    bool waitingForEngine = false;
    bool turning = false; // the reading itself turns the pages
    bool hasSentence = false;
    SpokenSentence sentence;
    TextPoint next;
    // The layout the sentence was shown in: a turn in the same layout is the reader's own.
    int page = 0;
    int linesPerPage = 0;
    int totalLines = 0;
};

// The reader window.
class TForm1 : public QWidget
{
    Q_OBJECT

public:
    // settingsPath: the settings file; programDir: where Help.txt and the included path live;
    // arguments: the command line without the program name.
    TForm1(const QString &settingsPath, const QString &programDir, const QStringList &arguments,
           std::unique_ptr<Prompts> prompts = nullptr, std::unique_ptr<Speaker> speaker = nullptr);
    ~TForm1() override;

    const ReaderState &readerState() const { return state; }
    Prompts &prompts() { return *promptsImpl; }
    Speaker &speaker() { return *speakerImpl; }
    IniFile &settings() { return *ini; }

    // Start-up (Tavolex1.cpp)
    void InitReaderState();
    static QString LongPathName(const QString &path);
    void FirstShowHook();

    // Opening a document (Opening.cpp)
    void OpenDocument();
    void RestoreAfterFailedOpen();
    void LadenClick();
    void UpdateTitle();
    // The physical memory available, asked before a file is read; a test may give a small one.
    std::function<qint64()> availableMemory;
    // Sets FileName (keeping the old one) and opens; adds to the recent list on success.
    void openFileFromUser(const QString &path);
    // True when no edited text would be lost by opening another file, or the user agrees.
    bool mayOpenOverEdits();

    // Line fitting (ui/pages/Fitting.cpp)
    void FitLines();
    // Threads reading, decoding and fitting a book may use; 0 for usableThreadCount().
    int fitThreads = 0;
    int workThreads() const;
    QString FittedLine(int n) const;
    int LinesPerPageFor() const;
    bool LayoutChangedSinceFit() const;
    void AnpassenClick();
    QFont pageFont() const;
    double wrapWidth() const;
    // The page font for the book's scripts: shaping on where a script needs it, off (faster)
    // otherwise, and each script's fallback font named; measured as drawn.
    void applyPageScripts();

    // Page view (PageView.cpp)
    void ShowSpread();
    TrimRecord TrimPage(QPlainTextEdit *page, QString pageText);
    // Lays out the lines of right-to-left paragraphs right to left; firstLine: the fitted line
    // of the page's first line.
    void markDirections(QPlainTextEdit *page, int firstLine);
    void Blaettern(Qt::MouseButton button);
    void Mausklick(QWidget *sender, Qt::MouseButton button, QPoint globalPos);
    void LinkeSeiteEnter();
    void RechteSeiteEnter();

    // Keyboard (Tavolex1.cpp); true when the key was consumed.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);

    // Window and page geometry (ui/pages/Geometry.cpp)
    void FormResize();
    // Held while a scan reads the fitted lines between key polls: a layout pass then would
    // refit under its feet. A pass asked for meanwhile runs once the last hold ends.
    class LayoutHold
    {
    public:
        explicit LayoutHold(TForm1 &form);
        ~LayoutHold();
        LayoutHold(const LayoutHold &) = delete;
        LayoutHold &operator=(const LayoutHold &) = delete;

    private:
        TForm1 &form;
    };
    void Repaginate();
    void SetTocPanelShown(bool show);
    bool PointerOutsidePanel(QWidget *panel);

    // Settings file (ui/book/Settings.cpp)
    void LoadSettings();
    void LoadDocumentSettings();
    void SaveDocumentSettings();
    void SaveWindowPlacement();
    bool IsExcludedFile(const QString &path) const;
    // Writes one key of the open document's section unless the document leaves no trace.
    void writeDocumentKey(const QString &key, const QString &value);
    // Writes one key; a refused write is reported and the program goes on.
    bool writeSetting(const QString &section, const QString &key, const QString &value);
    // Reports a refused write of the settings file, once until a write succeeds again: with a
    // read-only file every page turn would bring a message box. Returns written.
    bool checkSettingsWrite(bool written);

    // Single-line-break removal switches (ui/panels/LineBreakSwitches.cpp)
    void ZWEntfernenClick();
    void PunctuationClick();
    void EinzugClick();

    // The book's paragraph style and "Not after short lines" (ui/panels/ParagraphStylePanel.cpp)
    void ShortLinesClick();
    // After the document's settings are loaded: the style is read from the book's lines, and a
    // book opened for the first time gets the line-break switches that suit it.
    void applyParagraphStyle(bool firstOpen, bool html);
    // On a first open, the page of the first line after a Project Gutenberg start marker.
    void goToGutenbergStart();
    // Fitted line n is a heading, a centred line or a scene break, drawn set off.
    bool isSetOffLine(int n) const;
    // Marks the page's lines, from fitted line firstLine on, that are drawn set off.
    void markSetOffLines(QPlainTextEdit *page, int firstLine);

    // Book picture and colours (ui/pages/BookPicture.cpp)
    void BuildBookPicture();
    void ApplyColours();

    // Bookmarks, table of contents, recent files, panels (completed by their own subsystems)
    void ArrangeBookmarks();
    void BuildToc();
    void clearToc();
    // Builds the table when the panel is shown and the table was never built for this layout.
    void buildTocIfNeverBuilt();
    bool tocBuilt = false;
    void AddToRecent();
    void OpenLatest();
    void MenuHilfeAus();

    // Controls of the window layout.
    QPlainTextEdit *LinkeSeite = nullptr;
    QPlainTextEdit *RechteSeite = nullptr;
    QLabel *SeitenNrLinks = nullptr;
    QLabel *SeitenNrRechts = nullptr;
    QLabel *Buchseiten = nullptr;
    QFrame *Trennstrich = nullptr;
    QFrame *Querstrich = nullptr;
    QWidget *HistoryPanel = nullptr;
    QComboBox *History = nullptr;
    QLabel *MenuPanel = nullptr;
    QLabel *ChapterPrev = nullptr;
    QLabel *Lesezeichen = nullptr;
    QLabel *ChapterNext = nullptr;
    QLabel *HilfePanel = nullptr;
    QLabel *Letzte = nullptr;
    QLabel *Lesezeichen1 = nullptr;
    QLabel *Lesezeichen2 = nullptr;
    QLabel *Lesezeichen3 = nullptr;
    QFrame *Menu = nullptr;
    QFrame *Hilfe = nullptr;
    QFrame *Recent = nullptr;
    QFrame *Contents = nullptr;
    QFrame *Finden = nullptr;
    QFrame *FindOptionsPanel = nullptr;
    QLabel *TOCClose = nullptr;
    QLabel *CreateTOC = nullptr;
    QPlainTextEdit *OriginalText = nullptr;

    // Menu controls.
    QLabel *Laden = nullptr;
    QLabel *Anpassen = nullptr;
    QComboBox *Schriftart = nullptr;
    QLineEdit *Fontgroesse = nullptr;
    QSpinBox *FontUpDown = nullptr;
    QCheckBox *ZWEntfernen = nullptr;
    QCheckBox *Einzug = nullptr;
    QCheckBox *Punctuation = nullptr;
    QCheckBox *ShortLines = nullptr;
    QLabel *DetectedStyle = nullptr;
    QCheckBox *ShowPages = nullptr;
    QCheckBox *ApplyMargins = nullptr;
    QCheckBox *Antialiasing = nullptr;
    QCheckBox *AutoFitAll = nullptr;
    QCheckBox *AutoFitMenu = nullptr;
    QCheckBox *MenuClickOnly = nullptr;
    QCheckBox *Shortcuts = nullptr;
    QCheckBox *QuickJump = nullptr;
    QCheckBox *QuickFind = nullptr;
    QCheckBox *AutoOpen = nullptr;
    QCheckBox *AutomaticTOC = nullptr;
    QCheckBox *TOCLeft = nullptr;
    QCheckBox *ChapterCountBlank = nullptr;
    QLineEdit *PreChapter = nullptr;
    QLineEdit *ChapterLines = nullptr;
    QSpinBox *MarginLeftUpDown = nullptr;
    QSpinBox *MarginRightUpDown = nullptr;
    QSpinBox *MarginTopUpDown = nullptr;
    QSpinBox *MarginBottomUpDown = nullptr;

    TZipForm *ZipForm = nullptr;
    TFIFForm *FIFForm = nullptr;

    // Keyboard, menu and help panels, option switches
    // (ui/pages/Keyboard.cpp, ui/panels/MenuPanels.cpp, ui/panels/OptionSwitches.cpp)
    void StepFont(int step);
    void StepFontSize(int step);
    // x, y: the pointer position in the sender; -1, -1 for a forced close.
    void MenuHilfeAus(QObject *sender, int x, int y);
    void MenuPanelMouseMove();
    void MenuPanelClick();
    void MenuPanelMouseDown(Qt::MouseButtons buttons);
    void HilfePanelMouseMove();
    void HilfePanelClick();
    void HilfePanelMouseDown(Qt::MouseButtons buttons);
    void MenuHilfeMouseDown(Qt::MouseButton button);
    void MenuMouseMove(QObject *sender);
    void TextFaerbenMouseMove(QLabel *label);
    void HelpLabelClick(QLabel *tab);
    void OpenMenuPanel();
    void OpenHelpPanel();
    void ResetCommandLabels(QObject *except);
    void OpenHelptxtClick();
    void ExpandClick();
    QList<QLabel *> commandLabels() const;
    void AutoFitAllClick();
    void AutoFitMenuClick();
    void MenuClickOnlyClick();
    void ShortcutsClick();
    void QuickJumpClick();
    void QuickFindClick();
    void AutoOpenClick();
    // Commands whose subsystems complete them (ui/pages/PendingCommands.cpp)
    void SuchenClick();
    void FindStartClick(QObject *sender);
    void StartFindInFiles();
    void CloseFindPanel();
    void FindOptionsClick();
    void SeitenNrClick(QObject *sender);
    void HistoryStep(bool forward);
    void JumpToSection(bool forward);
    void ShowTOCClick();
    void RecentShowClick();
    void HintergrundClick();
    void TextfarbeClick();
    void SchriftartChange();
    void FontgroesseChange();
    void MarginUpDownClick();

    QLabel *RecentShow = nullptr;
    QLabel *ShowTOC = nullptr;
    QLabel *Suchen = nullptr;
    QLabel *Bearbeiten = nullptr;
    QLabel *Kopieren = nullptr;
    QLabel *Speichern = nullptr;
    QLabel *Textfarbe = nullptr;
    QLabel *Hintergrund = nullptr;
    QLabel *Beenden = nullptr;
    QLabel *ChangeMargins = nullptr;
    QLineEdit *MarginLeft = nullptr;
    QLineEdit *MarginRight = nullptr;
    QLineEdit *MarginTop = nullptr;
    QLineEdit *MarginBottom = nullptr;
    QSpinBox *PreChapterUpDown = nullptr;
    QSpinBox *ChapterLinesUpDown = nullptr;
    QWidget *FileSettings = nullptr;
    QWidget *GeneralSettings = nullptr;
    QAbstractButton *Expand = nullptr;
    QLabel *HelpLabel1 = nullptr;
    QLabel *HelpLabel2 = nullptr;
    QLabel *HelpLabel3 = nullptr;
    QLabel *HelpLabel4 = nullptr;
    QLabel *HelpLabel5 = nullptr;
    QFrame *Help1 = nullptr;
    QFrame *Help2 = nullptr;
    QFrame *Help3 = nullptr;
    QFrame *Help4 = nullptr;
    QFrame *Help5 = nullptr;
    QPlainTextEdit *Tips = nullptr;
    QLabel *HelpVersion = nullptr;
    QAbstractButton *OpenHelptxt = nullptr;
    QLineEdit *FindText = nullptr;
    QAbstractButton *FindStart = nullptr;
    QAbstractButton *FindInFiles = nullptr;

    // Table of contents and find in the book (ui/panels/TableOfContentsPanel.cpp, ui/panels/FindInBookPanel.cpp)
    void CreateTOCClick();
    void TOCCloseClick();
    void TOCLeftClick();
    void AutomaticTOCClick();
    void PreChapterChange();
    void ChapterLinesChange();
    void ChapterCountBlankClick();
    // pos: the pointer in the sender.
    void ChapterListMouseDown(QObject *sender, Qt::MouseButton button, QPoint pos);
    void ChapterJumpMouseDown(QObject *sender, Qt::MouseButton button);
    void ContentsMouseMove(QObject *sender, QPoint pos);
    QList<QObject *> tocMoveSources() const;
    void layoutContents();
    bool tocHasSections() const;
    // Where sections start (ui/panels/TableOfContentsSources.cpp): the choice in the panel and its twin in
    // the menu, the reader's own heading rule likewise.
    void TocSourceChange(int index);
    void TocRuleEntered(QLineEdit *field);
    bool tocRuleHasFocus() const;
    // "page<TAB>first line" per listed section, one a line.
    QString tocAsText() const;
    QComboBox *makeTocSourceChoice(QWidget *parent);
    QLineEdit *makeTocRuleField(QWidget *parent);
    QComboBox *TocSourceChoice = nullptr;
    QComboBox *TocSourceMenu = nullptr;
    QLineEdit *TocRule = nullptr;
    QLineEdit *TocRuleMenu = nullptr;
    // The code page of the book (ui/panels/CodePagesPanel.cpp): the choice in the menu reopens
    // the book in it at the same place.
    QComboBox *makeCodePageChoice(QWidget *parent);
    void CodePageChange(int index);
    // Shows the chosen code page, or the one the automatic decision took.
    void showCodePageInUse();
    QComboBox *CodePageMenu = nullptr;
    // Aozora Bunko notation, ruby and Chinese characters (ui/panels/EastAsianPanel.cpp): the
    // choices are kept per book; a change reads the book again at the same place.
    QComboBox *makeEastAsianChoice(QWidget *parent, const QString &name, const QStringList &items,
                                   const QString &hint);
    void AozoraNotationChange(int index);
    void RubyChange(int index);
    void ChineseChange(int index);
    void showEastAsianChoices();
    // Whether fitted line n holds the start of a heading or of the text after a page break.
    bool markedSection(int n);
    void addEastAsianChoices(QWidget *box, QBoxLayout *layout);
    QComboBox *AozoraMenu = nullptr;
    QComboBox *RubyMenu = nullptr;
    QComboBox *ChineseMenu = nullptr;
    void FindDoneClick();
    void FindInBook(const QString &text, Qt::CaseSensitivity cs);
    void setFindOptionsCaption(const QString &caption);
    QLabel *ContentsTitle = nullptr;
    QTableWidget *ChapterList = nullptr;
    QPlainTextEdit *ChapterPreview = nullptr;
    QFrame *ChapterPanelDown = nullptr;
    QLabel *ChapterLabelDown = nullptr;
    QFrame *ChapterPanelUp = nullptr;
    QLabel *ChapterLabelUp = nullptr;
    QAbstractButton *FindOptions = nullptr;
    QAbstractButton *FindDone = nullptr;
    QCheckBox *FindCSens = nullptr;
    Prompts::FindInFilesFields findInFilesFields; // kept between searches, as the window keeps them
    int keyPollIntervalMs = 15;                   // how often long loops look for key presses
    int progressTitleIntervalMs = kProgressTitleIntervalMs; // how often their titles may change
    int speechStartLimitMs = 30000; // the engine's start, before a reading gives up on it

private:
    void buildTocPanel();
    void buildFindPanel();
    // Places the find bar's controls for its width; the text field gives up what is missing.
    void layoutFindBar();
    void showTocPreview(int row);
    void selectTocRow(int row);
    void rebuildTocAfterSettingChange();
    void buildTocSourceControls();
    void showTocSourceTaken(const QString &taken);
    void applyTocSourceSettings(const QString &source, const QString &rule);
    QString rejectedTocRule; // the invalid rule last reported, so that it is reported once
    // Position in the page control of page `page` (shown now) for an offset in its page text.
    int pagePosition(int page, int offset) const;
    void showHit(const FindMatch &match, int p);

public:
    // Recent files, bookmarks, page jump and history
    // (ui/panels/RecentFilesPanel.cpp, ui/panels/BookmarksPanel.cpp, ui/pages/PageJump.cpp)
    void LoadRecentList();
    // origin: the control the command came from; from "BM" the pointer stays where it is.
    void showRecentPanel(QObject *origin);
    void LetzteMouseDown(Qt::MouseButton button);
    // pos: the pointer in RecentList's viewport.
    void RecentListMouseDown(QObject *sender, Qt::MouseButton button,
                             Qt::KeyboardModifiers modifiers, QPoint pos);
    void RecentListMouseMove(QObject *sender, QPoint pos);
    void SetBaseDirClick();
    void SaveBookmarks();
    void LesezeichenMouseDown(QObject *sender, Qt::MouseButtons buttons);
    void SeitenNrLinksMouseDown(Qt::MouseButton button);
    void HistoryChange(int index);
    QListWidget *RecentList = nullptr;
    QLabel *RecentTitle = nullptr;
    QLabel *RecentHelpLine = nullptr;
    QLabel *RecentFull = nullptr;
    QLabel *BaseDirCaption = nullptr;
    QLabel *SetBaseDir = nullptr;
    QLabel *BaseDir = nullptr;

private:
    void buildRecentPanel();
    void buildBookmarkFields();
    void buildPageJumpControls();
    // The conversion error of a caption that is not a number, or empty.
    QString arrangeBookmarkFields();
    bool bookmarkErrorsQuiet = false; // set while a bookmark click is handled
    // Opens a file chosen from the list or the help panel (unsaved edits already confirmed).
    void openFromRecentCommand(const QString &path, bool recordOnSuccess);

public:
    // Font and margin settings, font choice, colours, book picture
    // (ui/panels/FontSettings.cpp, ui/panels/FontChoicePanel.cpp, ui/panels/ColourChoicePanel.cpp, ui/pages/BookPicture.cpp)
    // True for a typed character, which the font list discards.
    bool SchriftartKeyPress(const QString &typed);
    void ApplyMarginsClick();
    void ChangeMarginsClick();
    void ShowPagesClick();
    void AntialiasingClick();
    // No usable font was left: the program is to end with exit code 0.
    bool noFontsLeft() const { return fontsExhausted; }
    // The book of the command line, read ahead while the window was built; the first open takes
    // it when it is still that file, any open lets it go.
    void prefetchBook(std::unique_ptr<BookPrefetch> prefetch)
    {
        bookPrefetch = std::move(prefetch);
    }
    const QImage &bookImage() const { return bookPicture; }

private:
    void connectFontSettings();
    bool fontsExhausted = false;
    QImage bookSource; // the composed book before the pages are coloured
    std::unique_ptr<BookPrefetch> bookPrefetch;

private:
    void buildMenuPanels();
    void buildHelpPanel();
    void applyMenuSettings();
    void connectOptionSwitches();
    QObject *menuPointerFilter = nullptr;
    int smallMenuHeight = 0;
    int largeMenuHeight = 0;
    // The large menu's settings scroll when the window is shorter than they are.
    QScrollArea *menuSettings = nullptr;
    void sizeMenu(bool large);

public:
    // Saving, copying and the internal editor (ui/book/SaveEditor.cpp)
    void SpeichernClick();
    void SpeichernDialogTypeChange(int filterIndex);
    void KopierenClick();
    void BearbeitenClick();
    void OriginalTextKeyDown(int key);
    // True when the window may close.
    bool FormCloseQuery();
    void BeendenClick();
    bool editorShown() const;
    qsizetype originalTextMaxLength() const { return editorLimit; }

private:
    void leaveEditor();
    void limitEditorText(int position, int added);
    void setKeyPreview(bool on);
    QString saveDialogSuffix = QStringLiteral("txt");
    QString editorStartText; // the editor's text as it was opened
    qsizetype editorLimit = 1000000;
    QObject *editorKeyFilter = nullptr;

public:
    // Mouse wheel and full screen (ui/pages/WheelAndFullScreen.cpp)
    void ToggleFullScreen();
    // The window's bounds in the normal state, also while it is maximized or in full screen.
    QRect normalPlacement() const;
    // Enters full screen at start when the settings ask for it.
    void applyStartupFullScreen();

protected:
    void wheelEvent(QWheelEvent *event) override;

private:
    // A wheel turn meant for the pages.
    void pagesWheel(QWheelEvent *event);
    // Without a window manager nothing makes a full-screen window as large as its screen.
    void fitFullScreenToScreen();
    // Full screen as the window manager holds it, where Qt's view may have fallen behind.
    bool heldFullScreen() const;
    // Asks for full screen on (or off), also when Qt believes it already is.
    void askFullScreen(bool on);
    int wheelRemainder = 0; // wheel units not yet a full step
    QRect fullScreenReturn; // the normal bounds to return to from full screen
    QElapsedTimer sinceFullScreenAsked; // since the reader last asked for a change

public:
    // Reading aloud (ui/speech/ReadAloud.cpp)
    // Starts reading at the first line of the left page, or at the selection; stops when reading.
    void ReadAloudClick();
    void StopReadingAloud();
    bool readingAloud() const { return readAloud.active; }
    const ReadAloudState &readAloudState() const { return readAloud; }
    // Keys that turn pages; they stop the reading before they turn.
    static bool isPageTurnKey(int key, Qt::KeyboardModifiers modifiers);
    void VoiceChoiceChange();
    void SpeechRateChange();
    // Enables the command when an engine is installed, else says in its hint what to install.
    void refreshReadAloudCommand();
    void VoiceChoiceOpening();
    // What the title shows after the document while reading.
    QString readAloudTitleSuffix() const;
    // Every page change ends here: one the reader made stops the reading.
    void readAloudSpreadShown();
    QLabel *ReadAloud = nullptr;
    QComboBox *VoiceChoice = nullptr;
    QSpinBox *SpeechRate = nullptr;

private:
    void buildSpeechControls(QWidget *box, QVBoxLayout *layout);
    void applySpeechSettings();
    void speakNextSentence();
    void showSpokenSentence();
    void fillVoiceChoice();
    QString chosenVoice() const;
    void speakerReady(const QList<SpeakerVoice> &voices);
    void speakerFailed(const QString &reason);
    ReadAloudState readAloud;
    QList<SpeakerVoice> speakerVoices;
    bool voicesListed = false; // asked of the engine once the voice choice opened
    int readAloudStarts = 0;
    // After the window shows, for a reader who has read aloud before.
    void startSpeechInBackground();
    QString storedVoice; // as the settings hold it; empty for the automatic choice

public:
    // Justified and hyphenated pages (ui/pages/JustifiedLines.cpp) and the book's language
    // (ui/panels/BookLanguagePanel.cpp)
    // The finishes of a page's lines: stretched to the text width, drawn with a hyphen.
    void markLineFinishes(QPlainTextEdit *page, int firstLine);
    void JustifyLinesClick();
    void HyphenateClick();
    void LanguageChange(int index);
    // The language the book is hyphenated and read aloud in: the chosen one, else the guess.
    QLocale::Language bookLanguage() const;
    // Shows the chosen language, or the one guessed.
    void showBookLanguage();
    QCheckBox *JustifyLines = nullptr;
    QCheckBox *Hyphenate = nullptr;
    QComboBox *LanguageMenu = nullptr;

private:
    void buildTypesetControls(QWidget *box, QVBoxLayout *layout);
    QComboBox *makeLanguageChoice(QWidget *parent);
    // The patterns to fit with; null when off, without patterns, or while large ones are read,
    // after which the book is fitted again.
    std::shared_ptr<const Hyphenator> fitHyphenator();
    bool refitWhenPatternsRead = false;
    QLocale::Language chosenLanguage = QLocale::AnyLanguage; // stored per book
    struct LanguageGuess
    {
        QString document; // the text the guess was made from
        const QChar *text = nullptr;
        qsizetype size = 0;
        QLocale::Language language = QLocale::AnyLanguage;
    };
    mutable LanguageGuess languageGuess;
    double fittedWrapWidth = 0; // the width the lines were last fitted to

public:
    // Dropping a file onto the window (ui/pages/Dropping.cpp)
    // The local file a drop offers, or an empty string when it offers none the reader takes.
    static QString droppedFile(const QMimeData *data);
    // Opens a dropped file as the command line would, after the unsaved-edits question.
    void OpenDroppedFile(const QString &path);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

public:
    // Looking words up in the dictionaries on the machine (ui/panels/DictionaryPanel.cpp)
    // Looks up the selection, else the word under the pointer; closes the panel when shown.
    void LookUpClick();
    void CloseDictionaryPanel();
    bool dictionaryPanelShown() const;
    // Esc, Ctrl+D and the page keys while the panel is shown; true when consumed.
    bool DictionaryPanelKey(int key, Qt::KeyboardModifiers modifiers);
    void DictionaryChoiceToggled(const QString &id, bool on);
    // Where dictionaries and Hunspell's word lists are looked for; a test points at its own.
    void setDictionaryFolders(const QStringList &folders, const QStringList &hunspellFolders);
    DictionaryShelf &dictionaries();
    // At the first sign of a look-up (a selection, the large menu, Ctrl+D): the indexes cost
    // tens of megabytes that a reader who never looks a word up should not pay.
    void prepareDictionaries();
    QLabel *LookUp = nullptr;
    DictionaryPanel *DictionaryView = nullptr;
    QListWidget *DictionaryChoice = nullptr;

private:
    void buildDictionaryChoice(QWidget *box, QVBoxLayout *layout);
    void fillDictionaryChoice();
    void fillDictionaryChoiceWhenLoaded();
    // The selection, else the word under the pointer; page: the page it is on.
    QString lookupText(QWidget *&page) const;
    // The book's language as the dictionaries are ordered for it.
    QLocale::Language dictionaryBookLanguage() const;
    std::shared_ptr<DictionaryShelf> dictionaryShelf;
    QStringList dictionaryFolders;
    QStringList dictionaryHunspellFolders;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void createControls();
    void BuildFontChoice();
    void applyPageFont(const QString &family, int size);
    void setBusyPointer(bool busy);
    void setProgressTitle(const QString &title);
    // "Opening file ... n% done", for the document being opened.
    QString openingTitle(int percent) const;
    void takeFittedLayoutSnapshot();
    void refitAfterLineBreakSwitch();
    bool settingsWriteRefusalShown = false;
    void changePageFont(const std::function<void(QFont &)> &change,
                        const std::function<void()> &rememberAsDefault);
    // Bookmarks keep the first line of their page through a refit or re-pagination.
    void moveBookmarks(int previousLinesPerPage, int previousTotalLines);
    void placeFromGeometry(const PageGeometry &g);
    PageGeometryInput geometryInput() const;
    void fitPageNumberLabels();
    void applyStartupPlacement();
    // Reads the file or the archive member named by the state into raw; false when the open
    // failed and was already reported.
    // A plain text decoded as it was read comes back in decoded, raw then stays empty.
    bool readDocumentSource(QByteArray &raw, QString &ext, bool preselected,
                            std::optional<ConversionResult> &decoded);
    // The code page the document being opened is read in: the one a reopen asks for, else the
    // one stored for the book; empty for the automatic decision.
    QString codePageForOpen(const QString &ext) const;
    // After the document's settings are loaded: a reopen in another code page goes on from the
    // place the book was left, as a refit does.
    void carryPlaceIntoReopen();
    // The place a reopen in another code page goes on from.
    struct CodePageReopen
    {
        QString codePage;
        int page = 1;
        int totalLines = 0;
        int linesPerPage = 1;
        QStringList bookmarks;
    };
    std::optional<CodePageReopen> codePageReopen;
    // Converts the text of the document being opened as its stored choices say; returns the text
    // the pages show when it is not the text as written, else a null string.
    QString convertEastAsian(ConversionResult &converted, const QString &ext);
    // The text the pages are made from: the loaded text, or its Chinese conversion.
    const CompactText &shownSource() const;
    // The loaded text edited or saved anew: its conversion follows it, its marks are let go.
    void eastAsianTextReplaced();
    // The loaded text with single line breaks removed as the switches say.
    QString writtenTextWithoutBreaks() const;
    // What a save writes: the loaded text, the readings drawn above written in brackets after
    // their bases, without single line breaks when asked.
    QString eastAsianTextForSaving(bool withoutBreaks) const;
    // Whether a save to `name` would replace the open file's Aozora Bunko notation with the
    // converted text; the question to ask first when it would.
    bool savesOverNotation(const QString &name) const;
    QString overwriteNotationQuestion(const QString &name) const;
    // The loaded text was edited from `before`: the marks go with the text they were on.
    void carryEastAsianMarksThroughEdit(const AozoraBook &marks, const QString &before);
    void reopenWithChoices(const EastAsianBook &choices);
    std::optional<EastAsianBook> eastAsianReopen;
    // Where the marks of the loaded text stand in the working text, for the text they were found
    // in.
    struct CarriedMarks
    {
        const QChar *text = nullptr;
        qsizetype size = 0;
        QList<qsizetype> sectionStarts; // sorted
        QList<qsizetype> rubyStarts;    // the bases of marks.ruby, in its order
        QList<HangingIndent> indents;   // the lines of marks.indents, sorted
        QList<qsizetype> emphasisStarts; // the runs of marks.emphasis, in its order
    };
    CarriedMarks carriedMarks;
    const CarriedMarks &marksInWorkingText();
    // Where a fitted line stands in the working text; -1 when it is not part of it.
    qsizetype workingOffsetOf(QStringView line) const;
    // Ruby above its base (ui/pages/RubyDrawing.cpp): the row every line makes room for, and the
    // readings of the lines a page shows from fitted line firstLine on.
    qreal rubyRowHeight() const;
    void applyRubyRow();
    void showRuby(QPlainTextEdit *page, int firstLine);
    // Lines of indented blocks: fitted narrower after wrapping, their later lines drawn indented.
    void fitIndentedBlocks(const TextMeasurer &measurer, const Hyphenator *hyphenator);
    void markIndentedLines(QPlainTextEdit *page, int firstLine);
    // The sentence as the voice says it: readings kept aside instead of their bases.
    QString spokenWithReadings(const SpokenSentence &sentence);
    class RubyOverlay *rubyOverlay(QPlainTextEdit *page);

    // The archive identity of the document on screen, put back when another open fails.
    struct ShownDocument
    {
        QString archiveMember;
        bool multiMemberArchive = false;
    };
    ShownDocument shownDocument;
    ReaderState state;
    QString settingsPath;
    QString programDir;
    QStringList arguments;
    std::unique_ptr<Prompts> promptsImpl;
    std::unique_ptr<Speaker> speakerImpl;
    std::unique_ptr<IniFile> ini;
    std::unique_ptr<KeyPreviewFilter> keyPreview;
    WordWidthCache wordWidths;
    QString wordWidthsFont; // the font the cached widths belong to
    QString ladenDialogDir;
    QImage bookPicture;
    bool busyPointerShown = false;
    bool placementRestored = false;
    bool firstShowHookRunning = false;
    bool commandLineRefused = false;
    bool speechStartQueued = false;
    struct BookScripts
    {
        struct Key
        {
            QString document;
            const QChar *text = nullptr;
            qsizetype size = 0;
            bool operator==(const Key &) const = default;
        };
        Key key; // the text the rest was found in
        bool shaping = false;
        std::vector<QChar::Script> scripts;
        QString sample; // a few characters of each script, from where it first appears
    };
    BookScripts bookScripts;
    int layoutHolds = 0;
    bool layoutPassHeld = false;
};

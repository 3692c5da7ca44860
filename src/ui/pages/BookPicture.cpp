#include "ui/Tavolex1.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// The artwork never uses pure white: white is what the flood fills look for.
const QColor kCoverDark(0x4a, 0x30, 0x1c);
const QColor kCover(0x6b, 0x47, 0x2b);
const QColor kCoverLight(0x8c, 0x66, 0x45);
const QColor kPaper(0xf2, 0xee, 0xe4);
const QColor kPaperShade(0xc9, 0xc1, 0xb1);
const QColor kLine(0xb0, 0xa7, 0x96);
const QColor kLineShade(0x86, 0x7c, 0x6b);
const QColor kTopLine(0x7a, 0x6a, 0x56);
const QColor kStackShadow(0x8d, 0x82, 0x70);
constexpr QRgb kBlank = 0xFFFFFFFF;

QColor mix(const QColor &a, const QColor &b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// The stacked page edges beside and below a page: d counts pixels away from the page sideways,
// b downwards from the page's bottom; the edges of the stacked pages form nested corners.
QRgb stackPixel(int d, int b)
{
    const int m = std::max(d, b);
    const double depth = m / 14.0;
    return ((m % 2 == 0) ? mix(kLine, kLineShade, depth) : mix(kPaper, kPaperShade, depth)).rgb();
}

// Below the stack: its shadow and the cover.
QRgb coverPixel(int b)
{
    return b == 7 ? kStackShadow.rgb() : b == 8 ? kCover.rgb() : kCoverDark.rgb();
}

// The binding strip: a soft shadow deepening to a fine dark line in the gutter.
QRgb bindingPixel(int column)
{
    static const QRgb shades[8] = {0xffc9c1b3, 0xffada493, 0xff8c8271, 0xff5e5548,
                                   0xff5e5548, 0xff8c8271, 0xffada493, 0xffc9c1b3};
    return shades[std::clamp(column, 0, 7)];
}

// Left page edge, 17 columns (column 16 touches the page), 728 rows of which the last ten run
// beside the bottom edge of the pages.
QRgb outerEdgePixel(int x, int row)
{
    if (row == 0)
        return kTopLine.rgb();
    if (x <= 2)
        return (x == 0 ? kCoverDark : x == 1 ? kCover : kCoverLight).rgb();
    const int d = 16 - x;
    const int b = row - 718;
    if (b >= 7)
        return coverPixel(b);
    if (row == 1)
        return kLine.rgb();
    return stackPixel(d, std::max(b, 0));
}

QImage drawImage1()
{
    QImage image(42, 728, QImage::Format_RGB32);
    for (int row = 0; row < image.height(); ++row) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        for (int x = 0; x < 17; ++x) {
            line[x] = outerEdgePixel(x, row);
            line[41 - x] = outerEdgePixel(x, row);
        }
        for (int x = 17; x < 25; ++x)
            line[x] = bindingPixel(x - 17);
    }
    return image;
}

// Binding caps: the top edges of both pages dip into the gutter; below, the stacked edges meet
// the binding and the cover's spine.
QImage drawImage2()
{
    QImage image(28, 15, QImage::Format_RGB32);
    image.fill(kBlank);
    for (int x = 0; x < 28; ++x) {
        const double towardGutter = 1.0 - std::abs(x - 13.5) / 13.5;
        const int dip = int(std::lround(3.0 * towardGutter * towardGutter));
        const bool binding = x >= 10 && x < 18;
        for (int row = 0; row < 5; ++row) {
            QRgb pixel = kBlank;
            if (row == dip)
                pixel = kTopLine.rgb();
            else if (row == dip + 1)
                pixel = kLine.rgb();
            else if (row > dip + 1 && binding)
                pixel = bindingPixel(x - 10);
            if (row >= dip)
                image.setPixel(x, row, pixel);
        }
        for (int b = 0; b < 10; ++b) {
            QRgb pixel;
            if (b >= 7)
                pixel = (binding && b == 7) ? kCoverLight.rgb() : coverPixel(b);
            else if (binding)
                pixel = mix(QColor(bindingPixel(x - 10)), kCover, b / 7.0).rgb();
            else
                pixel = stackPixel(0, b);
            image.setPixel(x, 5 + b, pixel);
        }
    }
    return image;
}

// Top edges (two rows each side) and bottom edges (ten rows each side) of the pages.
QImage drawImage3()
{
    QImage image(480, 24, QImage::Format_RGB32);
    for (int x = 0; x < 480; ++x) {
        for (int side = 0; side < 2; ++side) {
            image.setPixel(x, side * 2, kTopLine.rgb());
            image.setPixel(x, side * 2 + 1, kLine.rgb());
            for (int b = 0; b < 10; ++b)
                image.setPixel(x, 4 + side * 10 + b, b >= 7 ? coverPixel(b) : stackPixel(0, b));
        }
    }
    return image;
}

// Rectangles as left, top, right, bottom, right and bottom exclusive.
QRect ltrb(int l, int t, int r, int b)
{
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

// Fills the 4-connected area of the start pixel's colour. Works on the scan lines directly:
// QImage::pixel per pixel made this fill half of the program's start-up time.
void floodFill(QImage &image, QPoint start, QRgb fill)
{
    if (!image.rect().contains(start))
        return;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image.convertTo(QImage::Format_ARGB32);
    if (image.format() == QImage::Format_RGB32)
        fill |= 0xFF000000u;
    const int width = image.width();
    const int height = image.height();
    const auto row = [&image](int y) { return reinterpret_cast<QRgb *>(image.scanLine(y)); };
    const QRgb target = row(start.y())[start.x()];
    if (target == fill)
        return;
    std::vector<QPoint> stack{start};
    while (!stack.empty()) {
        const QPoint pt = stack.back();
        stack.pop_back();
        int x = pt.x();
        const int y = pt.y();
        QRgb *line = row(y);
        if (line[x] != target)
            continue;
        while (x > 0 && line[x - 1] == target)
            --x;
        const QRgb *up = y > 0 ? row(y - 1) : nullptr;
        const QRgb *down = y + 1 < height ? row(y + 1) : nullptr;
        bool above = false;
        bool below = false;
        for (; x < width && line[x] == target; ++x) {
            line[x] = fill;
            const bool upMatch = up && up[x] == target;
            if (upMatch && !above)
                stack.emplace_back(x, y - 1);
            above = upMatch;
            const bool downMatch = down && down[x] == target;
            if (downMatch && !below)
                stack.emplace_back(x, y + 1);
            below = downMatch;
        }
    }
}

// The pages darken softly towards the binding, in whatever colour they have.
void shadeGutter(QImage &book, QRgb page)
{
    const QColor base = QColor::fromRgb(page);
    constexpr int width = 10;
    for (int i = 0; i < width; ++i) {
        const double t = double(i + 1) / width;
        const QRgb shade = mix(base, Qt::black, 0.22 * t * t).rgb();
        for (const int x : {498 + i, 525 - i}) {
            for (int y = 6; y < 722; ++y) {
                if (book.pixel(x, y) == page)
                    book.setPixel(x, y, shade);
            }
        }
    }
}

QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Button);
}

QColor fromBgr(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF));
}

} // namespace

void TForm1::BuildBookPicture()
{
    const QImage Image1 = drawImage1();
    const QImage Image2 = drawImage2();
    const QImage Image3 = drawImage3();
    QImage book(1024, 733, QImage::Format_RGB32);
    book.fill(kBlank);
    {
        QPainter p(&book);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(ltrb(1, 4, 18, 732), Image1, ltrb(0, 0, 17, 728));
        p.drawImage(ltrb(498, 4, 526, 9), Image2, ltrb(0, 0, 28, 5));
        p.drawImage(ltrb(508, 9, 516, 722), Image1, ltrb(17, 0, 25, 713));
        p.drawImage(ltrb(498, 722, 526, 732), Image2, ltrb(0, 5, 28, 15));
        p.drawImage(ltrb(1006, 4, 1023, 732), Image1, ltrb(25, 0, 42, 728));
        p.drawImage(ltrb(18, 4, 498, 6), Image3, ltrb(0, 0, 480, 2));
        p.drawImage(ltrb(526, 4, 1006, 6), Image3, ltrb(0, 2, 480, 4));
        p.drawImage(ltrb(18, 722, 498, 732), Image3, ltrb(0, 4, 480, 14));
        p.drawImage(ltrb(526, 722, 1006, 732), Image3, ltrb(0, 14, 480, 24));
    }
    // Everything around the book takes the colour of the window behind it.
    floodFill(book, QPoint(0, 0), buttonFace().rgb());
    bookSource = book;
    bookPicture = book;
    Buchseiten->setPixmap(QPixmap::fromImage(bookPicture));
    Buchseiten->show();
}

void TForm1::ApplyColours()
{
    const QColor page = fromBgr(state.PageColour);
    const QColor text = fromBgr(state.TextColour);
    const bool bookStyle = ShowPages->isChecked();

    const QPalette desktop = QApplication::palette();
    // The page numbers and buttons of the top strip lie on the window: in plain style they
    // take the text colour so that they stay readable on any page colour.
    const QColor windowColour = bookStyle ? buttonFace() : page;
    const QColor stripText = bookStyle ? desktop.color(QPalette::WindowText) : text;
    QPalette windowPalette = palette();
    if (windowPalette.color(QPalette::Window) != windowColour ||
        windowPalette.color(QPalette::WindowText) != stripText) {
        // The drop-down panels keep the desktop's colours whatever the window shows.
        for (QWidget *panel :
             {static_cast<QWidget *>(Menu), static_cast<QWidget *>(Hilfe),
              static_cast<QWidget *>(Recent), static_cast<QWidget *>(Contents),
              static_cast<QWidget *>(Finden), static_cast<QWidget *>(FindOptionsPanel)}) {
            QPalette pal = panel->palette();
            pal.setColor(QPalette::Window, desktop.color(QPalette::Window));
            pal.setColor(QPalette::WindowText, desktop.color(QPalette::WindowText));
            panel->setPalette(pal);
        }
        windowPalette.setColor(QPalette::Window, windowColour);
        windowPalette.setColor(QPalette::WindowText, stripText);
        setPalette(windowPalette);
        setAutoFillBackground(true);
    }

    if (bookStyle && !bookSource.isNull()) {
        // The fill points lie in the middle of each page of the picture itself, whatever size
        // it is shown at.
        const QPoint left(bookSource.width() / 4, bookSource.height() / 2);
        const QPoint right(bookSource.width() - bookSource.width() / 4, bookSource.height() / 2);
        const QRgb fill = page.rgb();
        if (bookPicture.pixel(left) != fill || bookPicture.pixel(right) != fill) {
            // Filling the pages as composed keeps a page colour from leaking into artwork of
            // the same colour.
            bookPicture = bookSource;
            floodFill(bookPicture, left, fill);
            floodFill(bookPicture, right, fill);
            shadeGutter(bookPicture, fill);
            Buchseiten->setPixmap(QPixmap::fromImage(bookPicture));
        }
    }

    for (QPlainTextEdit *p : {LinkeSeite, RechteSeite}) {
        QPalette pal = p->palette();
        if (pal.color(QPalette::Base) != page || pal.color(QPalette::Text) != text) {
            pal.setColor(QPalette::Base, page);
            pal.setColor(QPalette::Text, text);
            p->setPalette(pal);
        }
    }
}

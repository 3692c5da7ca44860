#include "reader/Tavolex1.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>

#include <vector>

namespace {

// The three source pictures: page edges with the binding strip, the binding caps, and the top
// and bottom edges of the pages.
QImage drawImage1()
{
    QImage image(42, 728, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient left(0, 0, 17, 0);
    left.setColorAt(0, QColor(0x6b, 0x4a, 0x2f));
    left.setColorAt(0.35, QColor(0xd8, 0xd2, 0xc4));
    left.setColorAt(1, QColor(0xf4, 0xf1, 0xea));
    p.fillRect(0, 0, 17, 728, left);
    for (int x = 3; x < 15; x += 3)
        p.fillRect(x, 0, 1, 728, QColor(0xb8, 0xb0, 0xa0));
    QLinearGradient binding(17, 0, 25, 0);
    binding.setColorAt(0, QColor(0xc8, 0xc0, 0xb0));
    binding.setColorAt(0.5, QColor(0x70, 0x66, 0x58));
    binding.setColorAt(1, QColor(0xc8, 0xc0, 0xb0));
    p.fillRect(17, 0, 8, 728, binding);
    QLinearGradient right(25, 0, 42, 0);
    right.setColorAt(0, QColor(0xf4, 0xf1, 0xea));
    right.setColorAt(0.65, QColor(0xd8, 0xd2, 0xc4));
    right.setColorAt(1, QColor(0x6b, 0x4a, 0x2f));
    p.fillRect(25, 0, 17, 728, right);
    for (int x = 28; x < 40; x += 3)
        p.fillRect(x, 0, 1, 728, QColor(0xb8, 0xb0, 0xa0));
    return image;
}

QImage drawImage2()
{
    QImage image(28, 15, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient cap(0, 0, 28, 0);
    cap.setColorAt(0, QColor(0xe8, 0xe2, 0xd4));
    cap.setColorAt(0.5, QColor(0x6b, 0x4a, 0x2f));
    cap.setColorAt(1, QColor(0xe8, 0xe2, 0xd4));
    p.fillRect(image.rect(), cap);
    return image;
}

QImage drawImage3()
{
    QImage image(480, 24, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, 480, 4, QColor(0xd0, 0xc8, 0xb8));
    p.fillRect(0, 0, 480, 1, QColor(0x8a, 0x7a, 0x66));
    for (int band = 0; band < 2; ++band) {
        QLinearGradient edge(0, 4 + band * 10, 0, 14 + band * 10);
        edge.setColorAt(0, QColor(0xf0, 0xec, 0xe2));
        edge.setColorAt(0.6, QColor(0xc8, 0xbf, 0xad));
        edge.setColorAt(1, QColor(0x6b, 0x4a, 0x2f));
        p.fillRect(0, 4 + band * 10, 480, 10, edge);
        for (int y = 6 + band * 10; y < 13 + band * 10; y += 2)
            p.fillRect(0, y, 480, 1, QColor(0xb8, 0xb0, 0xa0));
    }
    return image;
}

// Rectangles as left, top, right, bottom, right and bottom exclusive.
void copyRect(QPainter &p, const QImage &source, QRect from, QRect to)
{
    p.drawImage(to, source, from);
}

QRect ltrb(int l, int t, int r, int b)
{
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

} // namespace

static void floodFill(QImage &image, QPoint start, QRgb fill)
{
    if (!image.rect().contains(start))
        return;
    const QRgb target = image.pixel(start);
    if (target == fill)
        return;
    std::vector<QPoint> stack{start};
    while (!stack.empty()) {
        const QPoint pt = stack.back();
        stack.pop_back();
        int x = pt.x();
        const int y = pt.y();
        while (x > 0 && image.pixel(x - 1, y) == target)
            --x;
        bool above = false;
        bool below = false;
        for (; x < image.width() && image.pixel(x, y) == target; ++x) {
            image.setPixel(x, y, fill);
            const bool upMatch = y > 0 && image.pixel(x, y - 1) == target;
            if (upMatch && !above)
                stack.emplace_back(x, y - 1);
            above = upMatch;
            const bool downMatch = y + 1 < image.height() && image.pixel(x, y + 1) == target;
            if (downMatch && !below)
                stack.emplace_back(x, y + 1);
            below = downMatch;
        }
    }
}

void TForm1::BuildBookPicture()
{
    const QImage Image1 = drawImage1();
    const QImage Image2 = drawImage2();
    const QImage Image3 = drawImage3();
    QImage book(1024, 733, QImage::Format_RGB32);
    book.fill(Qt::white);
    {
        QPainter p(&book);
        copyRect(p, Image1, ltrb(0, 0, 17, 728), ltrb(1, 4, 18, 732));
        copyRect(p, Image2, ltrb(0, 0, 28, 5), ltrb(498, 4, 526, 9));
        copyRect(p, Image1, ltrb(17, 0, 25, 713), ltrb(508, 9, 516, 722));
        copyRect(p, Image2, ltrb(0, 5, 28, 15), ltrb(498, 722, 526, 732));
        copyRect(p, Image1, ltrb(25, 0, 42, 728), ltrb(1006, 4, 1023, 732));
        copyRect(p, Image3, ltrb(0, 0, 480, 2), ltrb(18, 4, 498, 6));
        copyRect(p, Image3, ltrb(0, 2, 480, 4), ltrb(526, 4, 1006, 6));
        copyRect(p, Image3, ltrb(0, 4, 480, 14), ltrb(18, 722, 498, 732));
        copyRect(p, Image3, ltrb(0, 14, 480, 24), ltrb(526, 722, 1006, 732));
        // The page between the binding strip and its caps belongs to the pages, not the gap.
        p.fillRect(ltrb(498, 9, 508, 722), Qt::white);
        p.fillRect(ltrb(516, 9, 526, 722), Qt::white);
    }
    floodFill(book, QPoint(0, 0), palette().color(QPalette::Window).rgb());
    bookPicture = book;
    Buchseiten->setPixmap(QPixmap::fromImage(bookPicture));
}

void TForm1::ApplyColours()
{
    const QColor page(int(state.PageColour & 0xFF),
                      int(state.PageColour >> 8 & 0xFF), int(state.PageColour >> 16 & 0xFF));
    QPalette windowPalette = palette();
    const QColor windowColour =
        ShowPages->isChecked() ? QApplication::palette().color(QPalette::Button) : page;
    if (windowPalette.color(QPalette::Window) != windowColour) {
        windowPalette.setColor(QPalette::Window, windowColour);
        setPalette(windowPalette);
        setAutoFillBackground(true);
    }
    if (ShowPages->isChecked() && !bookPicture.isNull()) {
        const int w = bookPicture.width();
        const int h = bookPicture.height();
        const QRgb fill = page.rgb();
        if (bookPicture.pixel(w / 4, h / 2) != fill) {
            floodFill(bookPicture, QPoint(w / 4, h / 2), fill);
            floodFill(bookPicture, QPoint(w - w / 4, h / 2), fill);
            Buchseiten->setPixmap(QPixmap::fromImage(bookPicture));
        }
    }
    const QColor text(int(state.TextColour & 0xFF), int(state.TextColour >> 8 & 0xFF),
                      int(state.TextColour >> 16 & 0xFF));
    for (QPlainTextEdit *p : {LinkeSeite, RechteSeite}) {
        QPalette pal = p->palette();
        pal.setColor(QPalette::Base, page);
        pal.setColor(QPalette::Text, text);
        p->setPalette(pal);
    }
}

// Draws the program's four pictures into the folder given as the argument:
// Ordner.PNG (a folder) and Fragezeichen.PNG (a question mark) on white, which
// the program shows as transparent; Briefmarke.png (a stamp) with its own
// alpha; About.png (the About window's backdrop, 449 x 204).
// Run through make-pictures.sh.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

QImage Canvas(int w, int h, QColor background) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(background);
    return image;
}

bool Save(const QImage& image, const QString& folder, const char* name) {
    const QString path = folder + "/" + name;
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A manila folder with its tab, on white.
QImage Folder() {
    QImage image = Canvas(32, 32, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor edge(0x9A, 0x6A, 0x10);
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(12, 8);
    back.lineTo(15, 11);
    back.lineTo(29, 11);
    back.lineTo(29, 27);
    back.lineTo(3, 27);
    back.closeSubpath();
    p.setPen(QPen(edge, 1.2));
    p.setBrush(QColor(0xE8, 0xB0, 0x3A));
    p.drawPath(back);
    QLinearGradient front(0, 14, 0, 27);
    front.setColorAt(0, QColor(0xFF, 0xD8, 0x70));
    front.setColorAt(1, QColor(0xF2, 0xBC, 0x48));
    p.setBrush(front);
    p.drawRoundedRect(QRectF(3, 14, 26, 13), 1.5, 1.5);
    return image;
}

// A blue disc with a pale question mark, on white.
QImage QuestionMark() {
    QImage image = Canvas(32, 32, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient disc(12, 11, 18);
    disc.setColorAt(0, QColor(0x5C, 0x9D, 0xF0));
    disc.setColorAt(1, QColor(0x1E, 0x58, 0xB8));
    p.setPen(QPen(QColor(0x15, 0x40, 0x88), 1.2));
    p.setBrush(disc);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    QFont font("DejaVu Sans");
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0xFF, 0xF4, 0xC0));  // not pure white: white is see-through
    p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, "?");
    return image;
}

// A postage stamp with perforated edges and a small envelope, on transparency.
QImage Stamp() {
    QImage image = Canvas(32, 32, Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath paper;
    paper.addRect(QRectF(3, 3, 26, 26));
    QPainterPath holes;
    for (int i = 0; i < 7; ++i) {
        const double t = 3 + i * (26.0 / 6.0);
        for (QPointF c : {QPointF(t, 3), QPointF(t, 29), QPointF(3, t), QPointF(29, t)}) holes.addEllipse(c, 1.5, 1.5);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFA, 0xF5, 0xE8));
    p.drawPath(paper.subtracted(holes));
    p.setBrush(QColor(0xC8, 0x3A, 0x32));
    p.drawRect(QRectF(6.5, 6.5, 19, 19));
    p.setPen(QPen(QColor(0xFA, 0xF5, 0xE8), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(9, 11, 14, 10));
    p.drawPolyline(QPolygonF({QPointF(9, 11), QPointF(16, 17), QPointF(23, 11)}));
    return image;
}

// The About backdrop: the name over a night-blue gradient, an envelope turning
// into a page, and a darker band at the bottom for the white version line.
QImage AboutBackdrop() {
    QImage image = Canvas(449, 204, Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 449, 204);
    sky.setColorAt(0, QColor(0x24, 0x4E, 0x8C));
    sky.setColorAt(1, QColor(0x0C, 0x1C, 0x3A));
    p.fillRect(image.rect(), sky);
    p.fillRect(QRect(0, 184, 449, 20), QColor(0x08, 0x12, 0x26, 220));

    // The envelope.
    p.setPen(QPen(QColor(0xF0, 0xE6, 0xC8), 2.5));
    p.setBrush(QColor(0x34, 0x66, 0xAA));
    p.drawRoundedRect(QRectF(28, 52, 96, 64), 4, 4);
    p.drawPolyline(QPolygonF({QPointF(30, 55), QPointF(76, 90), QPointF(122, 55)}));
    // The arrow to the page.
    p.setPen(QPen(QColor(0xF2, 0xB8, 0x40), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(136, 84), QPointF(164, 84));
    p.drawPolyline(QPolygonF({QPointF(156, 76), QPointF(165, 84), QPointF(156, 92)}));
    // The page with its lines.
    p.setPen(QPen(QColor(0xF0, 0xE6, 0xC8), 2.5));
    p.setBrush(QColor(0x2A, 0x58, 0x98));
    p.drawRoundedRect(QRectF(176, 44, 56, 80), 3, 3);
    p.setPen(QPen(QColor(0xF0, 0xE6, 0xC8, 180), 2));
    for (int y = 60; y <= 108; y += 12) p.drawLine(186, y, 222, y);

    QFont title("DejaVu Sans");
    title.setPixelSize(40);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0xF6, 0xF0, 0xDC));
    p.drawText(QRect(246, 48, 196, 56), Qt::AlignLeft | Qt::AlignVCenter, "Quelmar");
    QFont line("DejaVu Sans");
    line.setPixelSize(15);
    p.setFont(line);
    p.setPen(QColor(0xF2, 0xB8, 0x40));
    p.drawText(QRect(250, 104, 190, 22), Qt::AlignLeft | Qt::AlignVCenter, "eml to emlx");
    p.setPen(QColor(0xB8, 0xC8, 0xE0));
    p.drawText(QRect(250, 126, 190, 22), Qt::AlignLeft | Qt::AlignVCenter, "for Apple Mail");
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(".");
    const bool ok = Save(Folder(), folder, "Ordner.PNG") && Save(QuestionMark(), folder, "Fragezeichen.PNG") &&
                    Save(Stamp(), folder, "Briefmarke.png") && Save(AboutBackdrop(), folder, "About.png");
    return ok ? 0 : 1;
}

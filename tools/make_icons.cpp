// Paints the program's icon (the same drawing as data/icons/tavrix-jpk.svg) into PNG files of
// the usual sizes: tools/make_icons OUTDIR. Run by hand when the drawing changes.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 256.0, size / 256.0);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f4e79));
        p.drawRoundedRect(QRectF(8, 8, 240, 240), 40, 40);
        QPainterPath sheet;
        sheet.moveTo(64, 36);
        sheet.lineTo(160, 36);
        sheet.lineTo(196, 72);
        sheet.lineTo(196, 220);
        sheet.lineTo(64, 220);
        sheet.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(sheet);
        QPainterPath fold;
        fold.moveTo(160, 36);
        fold.lineTo(160, 72);
        fold.lineTo(196, 72);
        fold.closeSubpath();
        p.setBrush(QColor(0xc9d6e3));
        p.drawPath(fold);
        p.setBrush(QColor(0xd4213d));
        p.drawRect(QRectF(64, 96, 132, 40));
        if (size >= 24) {
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setBold(true);
            font.setPixelSize(30);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(QRectF(64, 96, 132, 40), Qt::AlignCenter, QStringLiteral("JPK"));
            p.setPen(Qt::NoPen);
        }
        p.setBrush(QColor(0x9fb3c8));
        p.drawRoundedRect(QRectF(80, 150, 100, 8), 4, 4);
        p.drawRoundedRect(QRectF(80, 168, 76, 8), 4, 4);
        p.setBrush(QColor(0x2e8b57));
        p.drawEllipse(QPointF(186, 190), 34, 34);
        QPen tick(Qt::white, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(tick);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(170, 190), QPointF(182, 202), QPointF(204, 178)}));
        p.end();
        if (!image.save(QDir(out).filePath(QStringLiteral("tavrix-jpk-%1.png").arg(size))))
            return 1;
    }
    return 0;
}

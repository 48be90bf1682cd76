#include "ui/lamp_images.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <cmath>
#include <functional>
#include <numbers>

namespace kt::ui {
namespace {

// Every picture is drawn on a 32-unit canvas and scaled to the pixmap's size.
constexpr qreal kCanvas = 32.0;
constexpr QPointF kCentre{16.0, 16.0};
// The port lamp's glass leaves room for the lit lamp's rays.
constexpr qreal kLampGlassRadius = 10.0;

using Drawing = std::function<void(QPainter&)>;

QPixmap render(const Drawing& draw, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kCanvas, size / kCanvas);
    draw(painter);
    return pixmap;
}

QIcon iconOf(const Drawing& draw)
{
    QIcon icon;
    icon.addPixmap(render(draw, 32));
    icon.addPixmap(render(draw, 16));
    return icon;
}

// A disc of one colour, its rim a shade darker; the centre keeps the pure colour.
void drawDisc(QPainter& painter, QColor fill, qreal radius)
{
    painter.setPen(QPen(fill.darker(160), 1.5));
    painter.setBrush(fill);
    painter.drawEllipse(kCentre, radius, radius);
}

// A glass lamp: a sphere shaded from a highlight at the upper left to `body` at its edge.
void drawLamp(QPainter& painter, QColor highlight, QColor body, qreal radius)
{
    QRadialGradient shading(kCentre, radius, kCentre - QPointF(radius / 3, radius / 3));
    shading.setColorAt(0.0, highlight);
    shading.setColorAt(0.6, body);
    shading.setColorAt(1.0, body.darker(140));
    painter.setPen(QPen(body.darker(200), 1.2));
    painter.setBrush(shading);
    painter.drawEllipse(kCentre, radius, radius);
}

void drawLitLamp(QPainter& painter)
{
    const QColor red(230, 20, 20);
    painter.setPen(QPen(red, 2.0, Qt::SolidLine, Qt::RoundCap));
    constexpr int rayCount = 8;
    for (int ray = 0; ray < rayCount; ++ray) {
        const qreal angle = ray * 2 * std::numbers::pi / rayCount;
        const QPointF direction(std::cos(angle), std::sin(angle));
        painter.drawLine(kCentre + direction * 12.5, kCentre + direction * 15.0);
    }
    drawLamp(painter, QColor(255, 120, 100), red, kLampGlassRadius);
}

void drawDarkLamp(QPainter& painter)
{
    drawLamp(painter, QColor(90, 90, 90), QColor(20, 20, 20), kLampGlassRadius);
}

void drawBrokenCable(QPainter& painter)
{
    drawDisc(painter, Qt::white, 14.0);
    painter.setPen(QPen(QColor(220, 0, 0), 4.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(9, 9), QPointF(23, 23));
    painter.drawLine(QPointF(23, 9), QPointF(9, 23));
}

// A blue water drop falling onto a sensing cable.
void drawApplicationIcon(QPainter& painter)
{
    painter.setPen(QPen(QColor(40, 40, 40), 1.0));
    painter.setBrush(QColor(70, 70, 70));
    painter.drawRoundedRect(QRectF(1.5, 23.5, 29, 6), 3, 3);
    painter.setPen(QPen(QColor(250, 200, 60), 1.5, Qt::DashLine, Qt::FlatCap));
    painter.drawLine(QPointF(4, 26.5), QPointF(28, 26.5));

    QPainterPath drop;
    drop.moveTo(16, 1.5);
    drop.cubicTo(18, 7, 24, 11, 24, 15.5);
    drop.arcTo(QRectF(8, 7.5, 16, 16), 0, -180);
    drop.cubicTo(8, 11, 14, 7, 16, 1.5);
    QLinearGradient water(QPointF(10, 4), QPointF(22, 22));
    water.setColorAt(0.0, QColor(130, 200, 255));
    water.setColorAt(1.0, QColor(10, 90, 200));
    painter.setPen(QPen(QColor(10, 60, 150), 1.2));
    painter.setBrush(water);
    painter.drawPath(drop);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 170));
    painter.drawEllipse(QPointF(12.5, 15.5), 1.6, 3.0);
}

}  // namespace

LampImages LampImages::create()
{
    return {
        .appIcon = iconOf(drawApplicationIcon),
        .portOpenIcon = iconOf(drawLitLamp),
        .portClosedIcon = iconOf(drawDarkLamp),
        .normalIcon = iconOf([](QPainter& p) { drawDisc(p, QColor(20, 170, 50), 14.0); }),
        .leakIcon = iconOf([](QPainter& p) { drawDisc(p, QColor(220, 20, 20), 14.0); }),
        .breakIcon = iconOf(drawBrokenCable),
    };
}

QPixmap LampImages::renderAppIcon(int size)
{
    return render(drawApplicationIcon, size);
}

void showLamp(QLabel& lamp, const QIcon& image, QStringView meaning)
{
    lamp.setPixmap(image.pixmap(kLampSize, kLampSize));
    lamp.setAccessibleDescription(meaning.toString());
}

}  // namespace kt::ui

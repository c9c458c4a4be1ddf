// The coordinate label drawn alone, as the view draws it: white Arial of the given pixel size
// on its opaque black box, which the image is exactly.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

inline QImage LabelImage(const QString& text, int pixelSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    QImage image(metrics.horizontalAdvance(text), metrics.height(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.setBackground(Qt::black);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.drawText(QPoint(0, metrics.ascent()), text);
    return image;
}

#include "view/diagram_view.h"

#include "app/diagram_app.h"
#include "view/region_label.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRegion>

#include <cmath>

CDiagramView::CDiagramView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);  // every paint covers the whole client area
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
}

PixelSize CDiagramView::ClientSize() const
{
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int32_t>(std::lround(width() * ratio)),
            static_cast<int32_t>(std::lround(height() * ratio))};
}

bool CDiagramView::OnCmdMsg(uint32_t)
{
    return false;
}

void CDiagramView::BuildColorTable()
{
    int scheme = 0;
    int reverse = 0;
    CurrentApp().GetColorSettings(scheme, reverse);
    m_colorTable = MakeColorTable(scheme, reverse);
}

void CDiagramView::AllocImage()
{
    int width = 0;
    int height = 0;
    CurrentApp().GetGridSize(width, height);
    AllocPixels(m_image, {width, height});
}

void CDiagramView::Colorize()
{
    AllocImage();
    BuildColorTable();
    const CDiagramApp& app = CurrentApp();
    ColorizeLevels([&app](int64_t index) { return app.GetLevel(index); }, m_colorTable, m_image);
}

void CDiagramView::FitBitmap()
{
    const PixelSize image{m_image.PixelCount() > 0 ? m_image.width : 0,
                          m_image.PixelCount() > 0 ? m_image.height : 0};
    AllocPixels(m_bitmap, FitBitmapSize(ClientSize(), {m_nMarginX, m_nMarginY}, image));
}

void CDiagramView::Resample()
{
    FitBitmap();
    FillDisplayBitmap(m_image, m_bitmap);
    PrepareShownImage();
}

void CDiagramView::PrepareShownImage()
{
    const int64_t pixels = m_bitmap.PixelCount();
    if (pixels == 0) {
        m_shownImage = QImage();
        return;
    }
    m_shownImage = QImage(m_bitmap.width, m_bitmap.height, QImage::Format_RGB32);
    const uint32_t* source = m_bitmap.pixels.get();
    for (int32_t row = 0; row < m_bitmap.height; ++row) {
        auto* line = reinterpret_cast<uint32_t*>(m_shownImage.scanLine(m_bitmap.height - 1 - row));
        const uint32_t* sourceRow = source + static_cast<int64_t>(row) * m_bitmap.width;
        for (int32_t column = 0; column < m_bitmap.width; ++column) {
            line[column] = sourceRow[column] | 0xFF000000u;
        }
    }
}

ImagePlacement CDiagramView::Placement() const
{
    return PlaceImage(ClientSize(), {m_nMarginX, m_nMarginY}, {m_bitmap.width, m_bitmap.height});
}

void CDiagramView::paintEvent(QPaintEvent*)
{
    OnPaint();
}

void CDiagramView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    OnSize();
}

void CDiagramView::OnPaint()
{
    const int32_t displayCount = CurrentApp().m_nDisplayCount;
    if (displayCount != m_nDisplaySeen) {
        m_nDisplaySeen = displayCount;
        m_bLayoutChanged = false;
        Colorize();
        Resample();
    }
    if (m_bLayoutChanged) {
        m_bLayoutChanged = false;
        Resample();
    }

    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    painter.scale(1.0 / ratio, 1.0 / ratio);  // one unit is one device pixel
    const PixelSize client = ClientSize();
    const ImagePlacement placement = Placement();

    // Black everywhere but the picture and its frame.
    const QRect framed(placement.left - 1, placement.top - 1, m_bitmap.width + 2, m_bitmap.height + 2);
    painter.setClipRegion(QRegion(0, 0, client.width, client.height).subtracted(QRegion(framed)));
    painter.fillRect(0, 0, client.width, client.height, Qt::black);
    painter.setClipping(false);

    if (!m_shownImage.isNull()) {
        painter.drawImage(placement.left, placement.top, m_shownImage);
    }
    painter.setPen(QPen(Qt::white, 0));
    painter.drawRect(placement.left - 1, placement.top - 1, m_bitmap.width + 1, m_bitmap.height + 1);

    DrawLabel(painter, placement, client);
}

void CDiagramView::DrawLabel(QPainter& painter, const ImagePlacement& placement, PixelSize client)
{
    // 7 points: the screen's vertical dots per inch × 70 ÷ 720 pixels.
    const int dotsPerInch = static_cast<int>(std::lround(logicalDpiY() * devicePixelRatioF()));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(dotsPerInch * 70 / 720);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.setBackground(Qt::black);
    painter.setBackgroundMode(Qt::OpaqueMode);
    CalcRegion region;
    CurrentApp().GetRegion(region.xmin, region.ymin, region.xmax, region.ymax);
    const QString label = QString::fromStdString(FormatRegionLabel(region, client.width, client.height));
    painter.drawText(QPoint(placement.offX, placement.offY + QFontMetrics(font).ascent()), label);
}

void CDiagramView::OnSize()
{
    m_bLayoutChanged = true;
    update();
}

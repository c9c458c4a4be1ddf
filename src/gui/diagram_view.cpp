#include "gui/diagram_view.h"

#include "render/region_label.h"

#include <QFont>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>

#include <cmath>
#include <utility>

CDiagramView::CDiagramView(CDiagramApp& app, QWidget* parent) : QWidget(parent), m_app(app)
{
    setAttribute(Qt::WA_OpaquePaintEvent);  // every paint covers the whole client area
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    setMouseTracking(true);  // a drag whose capture was lost follows the pointer unpressed
}

Size CDiagramView::ClientSize() const
{
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int32_t>(std::lround(width() * ratio)), static_cast<int32_t>(std::lround(height() * ratio))};
}

bool CDiagramView::OnCmdMsg(uint32_t)
{
    return false;
}

ColorTable CDiagramView::CurrentColorTable() const
{
    int scheme = 0;
    int reverse = 0;  // the application keeps the dialog's flag: nonzero runs the scale backwards
    m_app.GetColorSettings(scheme, reverse);
    return MakeColorTable(WindowColorScheme(scheme), reverse != 0);
}

void CDiagramView::BuildColorTable()
{
    m_colorTable = CurrentColorTable();
}

// The bitmaps are allocated for a window that fills its screen, so that a window growing on it
// does not wait for fresh memory.
int64_t CDiagramView::ScreenPixels() const
{
    const QScreen* shownOn = screen();
    if (shownOn == nullptr) {
        return 0;
    }
    const qreal ratio = devicePixelRatioF();
    return std::lround(shownOn->size().width() * ratio) * std::lround(shownOn->size().height() * ratio);
}

void CDiagramView::Colorize()
{
    BuildColorTable();
    m_picture.bitmapReserve = ScreenPixels();
    Size grid;
    m_app.GetGridSize(grid.width, grid.height);
    ComposePicture([this](int64_t index) { return m_app.GetLevel(index); }, m_colorTable, grid, ClientSize(),
                   m_picture);
    ShowWholeBitmap();
}

std::optional<std::vector<RowRange>> CDiagramView::ComposeStoredRows()
{
    // The rows' counts first: the cells of the rows they name are then final and visible.
    const std::vector<RowRange> stored = m_app.StoredRows();
    Size grid;
    m_app.GetGridSize(grid.width, grid.height);
    const PixelBuffer& image = m_picture.image;
    const bool sameImage = m_app.CalculationsStarted() == m_nCalcSeen && image.width == grid.width &&
                           image.height == grid.height && stored.size() == m_storedRowsShown.size();
    if (!sameImage || CurrentColorTable() != m_colorTable) {
        m_nCalcSeen = m_app.CalculationsStarted();
        m_storedRowsShown = stored;
        Colorize();
        return std::nullopt;
    }
    // A stored row never changes again, and the rows of a stripe are stored in order. Of the
    // image rows that the bitmap rows take, only the new ones are coloured: the others beside
    // them may not be stored yet.
    std::vector<RowRange> composed;
    for (size_t i = 0; i < stored.size(); ++i) {
        const RowRange newRows{m_storedRowsShown[i].last, stored[i].last};
        if (newRows.first < newRows.last) {
            const RowRange bitmapRows = BitmapRowsOf(newRows, image.height, m_picture.bitmap.height);
            ComposePictureRows([this](int64_t index) { return m_app.GetLevel(index); }, m_colorTable, m_picture,
                               bitmapRows, newRows);
            PrepareShownRows(bitmapRows);
            composed.push_back(bitmapRows);
        }
    }
    m_storedRowsShown = stored;
    return composed;
}

void CDiagramView::Resample()
{
    m_picture.bitmapReserve = ScreenPixels();
    FitDisplayBitmap(m_picture, ClientSize());
    FillDisplayBitmap(m_picture.image, m_picture.bitmap);
    ShowWholeBitmap();
}

void CDiagramView::ShowWholeBitmap()
{
    const PixelBuffer& bitmap = m_picture.bitmap;
    AllocPixels(m_shownPixels, {bitmap.width, bitmap.height}, m_picture.bitmapReserve);
    m_shownImage = m_shownPixels.PixelCount() > 0
                       ? QImage(reinterpret_cast<uchar*>(m_shownPixels.pixels.get()), bitmap.width, bitmap.height,
                                static_cast<qsizetype>(bitmap.width) * 4, QImage::Format_RGB32)
                       : QImage();
    PrepareShownRows({0, bitmap.height});
}

void CDiagramView::PrepareShownRows(RowRange rows)
{
    if (m_shownImage.isNull()) {
        return;
    }
    const PixelBuffer& bitmap = m_picture.bitmap;
    // Asked for once, here, so that the image knows its pixels change; it writes them in place.
    auto* const shown = reinterpret_cast<uint32_t*>(m_shownImage.bits());
    ForEachRowBand(rows, bitmap.width, [&](RowRange band) {
        for (int32_t row = band.first; row < band.last; ++row) {
            uint32_t* line = shown + static_cast<int64_t>(bitmap.height - 1 - row) * bitmap.width;
            const uint32_t* sourceRow = bitmap.pixels.get() + static_cast<int64_t>(row) * bitmap.width;
            for (int32_t column = 0; column < bitmap.width; ++column) {
                line[column] = sourceRow[column] | 0xFF000000u;
            }
        }
    });
}

CDiagramView::PictureChanges CDiagramView::UpdateBuffers()
{
    const int32_t displayCount = m_app.m_nDisplayCount;
    if (displayCount != m_nDisplaySeen) {
        m_nDisplaySeen = displayCount;
        std::optional<std::vector<RowRange>> bitmapRows = ComposeStoredRows();
        if (!bitmapRows) {
            m_bLayoutChanged = false;  // composed whole, fitted to the client area as it is
            return {true, {}};
        }
        if (!m_bLayoutChanged) {
            return {false, std::move(*bitmapRows)};
        }
    }
    if (m_bLayoutChanged) {
        m_bLayoutChanged = false;
        Resample();
        return {true, {}};
    }
    return {};
}

QRegion CDiagramView::AreaOf(const PictureChanges& changes) const
{
    if (changes.whole) {
        return rect();
    }
    const ImagePlacement placement = Placement();
    QRegion area;
    for (RowRange rows : changes.bitmapRows) {
        if (rows.first < rows.last) {
            area += LogicalRect(
                {placement.left, placement.ScreenRow(rows.last - 1), m_picture.bitmap.width, rows.last - rows.first});
        }
    }
    return area;
}

QRect CDiagramView::LogicalRect(Rect device) const
{
    const qreal ratio = devicePixelRatioF();
    const int left = static_cast<int>(std::floor(device.x / ratio));
    const int top = static_cast<int>(std::floor(device.y / ratio));
    const int right = static_cast<int>(std::ceil((device.x + device.width) / ratio));
    const int bottom = static_cast<int>(std::ceil((device.y + device.height) / ratio));
    return QRect(left, top, right - left, bottom - top);
}

void CDiagramView::Refresh()
{
    update(AreaOf(UpdateBuffers()));
}

ImagePlacement CDiagramView::Placement() const
{
    return PlaceImage(ClientSize(), {m_nMarginX, m_nMarginY}, {m_picture.bitmap.width, m_picture.bitmap.height});
}

void CDiagramView::paintEvent(QPaintEvent* event)
{
    OnPaint(event->region());
}

void CDiagramView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    OnSize();
}

void CDiagramView::OnPaint(const QRegion& painted)
{
    // What changed beyond the area being painted is painted next.
    const QRegion missed = AreaOf(UpdateBuffers()).subtracted(painted);
    if (!missed.isEmpty()) {
        update(missed);
    }

    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    painter.scale(1.0 / ratio, 1.0 / ratio);  // one unit is one device pixel
    const Size client = ClientSize();
    const ImagePlacement placement = Placement();

    // Black everywhere but the picture and its frame.
    const PixelBuffer& bitmap = m_picture.bitmap;
    const QRect framed(placement.left - 1, placement.top - 1, bitmap.width + 2, bitmap.height + 2);
    painter.setClipRegion(QRegion(0, 0, client.width, client.height).subtracted(QRegion(framed)));
    painter.fillRect(0, 0, client.width, client.height, Qt::black);
    painter.setClipping(false);

    if (!m_shownImage.isNull()) {
        painter.drawImage(placement.left, placement.top, m_shownImage);
    }
    painter.setPen(QPen(Qt::white, 0));
    painter.drawRect(placement.left - 1, placement.top - 1, bitmap.width + 1, bitmap.height + 1);

    DrawLabel(painter, placement, client);
    if (m_bDragging) {
        InvertBand(painter);
    }
}

void CDiagramView::InvertBand(QPainter& painter) const
{
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const Rect& rect : BandOutline(m_rcBand.start.x, m_rcBand.start.y, m_rcBand.end.x, m_rcBand.end.y)) {
        painter.fillRect(rect.x, rect.y, rect.width, rect.height, Qt::white);
    }
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CDiagramView::DrawLabel(QPainter& painter, const ImagePlacement& placement, Size client)
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
    m_app.GetRegion(region.xmin, region.ymin, region.xmax, region.ymax);
    const QString label = QString::fromStdString(FormatRegionLabel(region, client.width, client.height));
    painter.drawText(QPoint(placement.offX, placement.offY + QFontMetrics(font).ascent()), label);
}

void CDiagramView::OnSize()
{
    m_bLayoutChanged = true;
    update();
}

Point CDiagramView::DevicePoint(const QMouseEvent* event) const
{
    const QPointF device = event->position() * devicePixelRatioF();
    return {static_cast<int32_t>(std::floor(device.x())), static_cast<int32_t>(std::floor(device.y()))};
}

void CDiagramView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        OnLButtonDown(DevicePoint(event));
    }
    QWidget::mousePressEvent(event);
}

void CDiagramView::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMove(DevicePoint(event));
    QWidget::mouseMoveEvent(event);
}

void CDiagramView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        OnLButtonUp(DevicePoint(event));
    }
    QWidget::mouseReleaseEvent(event);
}

void CDiagramView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click starts no drag.
    event->ignore();
}

void CDiagramView::OnLButtonDown(Point point)
{
    if (!m_bDragging) {
        m_ptDragStart = point;
        m_bDragging = true;
        grabMouse();
        UpdateBand(Begin, point);
    }
}

void CDiagramView::OnMouseMove(Point point)
{
    if (m_bDragging) {
        UpdateBand(Move, point);
    }
}

void CDiagramView::OnLButtonUp(Point point)
{
    if (!m_bDragging) {
        return;
    }
    m_bDragging = false;
    releaseMouse();
    UpdateBand(End, point);
    if (point != m_ptDragStart) {
        SelectRegionFromDrag(m_ptDragStart, point);
    }
}

void CDiagramView::UpdateBand(BandAction action, Point point)
{
    if (action == Move || action == End) {
        DrawBandOutline(m_rcBand.start.x, m_rcBand.start.y, m_rcBand.end.x, m_rcBand.end.y);
    }
    if (action == Begin || action == Move) {
        DrawBandOutline(m_ptDragStart.x, m_ptDragStart.y, point.x, point.y);
        m_rcBand = {m_ptDragStart, point};
    }
}

void CDiagramView::DrawBandOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    QRegion logical;
    for (const Rect& rect : BandOutline(x1, y1, x2, y2)) {
        logical += LogicalRect(rect);
    }
    update(logical);
}

void CDiagramView::SelectRegionFromDrag(Point start, Point end)
{
    CalcRegion region;
    m_app.GetRegion(region.xmin, region.ymin, region.xmax, region.ymax);
    const std::optional<CalcRegion> dragged = MapDragToRegion(
        start, end, ClientSize(), {m_nMarginX, m_nMarginY}, {m_picture.bitmap.width, m_picture.bitmap.height}, region);
    if (dragged) {  // otherwise there is no picture to map the corners through
        m_app.OnRegionDragged(*dragged);
    }
}

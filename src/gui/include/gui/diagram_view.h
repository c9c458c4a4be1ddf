// CDiagramView: the child window that shows the diagram. It colourises the level grid when the
// application's display counter moves, fits the picture to its client area and paints it with
// its frame and coordinate label. It works in device pixels throughout.
#pragma once

#include "app/diagram_app.h"
#include "platform/geometry.h"
#include "render/color_scale.h"
#include "render/drag_selection.h"
#include "render/image_pipeline.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

class CDiagramView : public QWidget {
public:
    // The view of the given application, whose grid, settings and region it shows.
    explicit CDiagramView(CDiagramApp& app, QWidget* parent = nullptr);

    // Size of the client area in device pixels: the size every computation here works in.
    Size ClientSize() const;

    // The view has no commands of its own: every id is passed on.
    bool OnCmdMsg(uint32_t id);

    // Rebuilds the colour table from the application's colour settings.
    void BuildColorTable();
    // Colourises every cell of the level grid through a fresh colour table: the whole picture
    // composed again from the levels and fitted to the client area.
    void Colorize();
    // Composes the picture again where the workers stored rows since the last colourising:
    // colours those rows and fills the display bitmap rows they reach (ComposePictureRows), or,
    // with a new calculation, a new grid size or new colours, colourises every cell as Colorize
    // does (then the result is nothing).
    // Returns the display bitmap rows composed. Shows exactly what colourising every cell would
    // show: the rows not stored are those the last colourising saw, and stored rows never change.
    std::optional<std::vector<RowRange>> ComposeStoredRows();
    // Fits the display bitmap to the client area and fills it from the colourised image, or with
    // the placeholder; the levels are not read.
    void Resample();
    // Brings the picture up to date with the application, as the paint does, and repaints what
    // changed: after a refresh tick during a calculation only the rows stored since the last.
    void Refresh();

    // The mouse handlers, with client positions in device pixels.
    void OnLButtonDown(Point point);
    void OnMouseMove(Point point);
    void OnLButtonUp(Point point);

    enum BandAction { Begin = 1, Move = 2, End = 3 };
    // Takes the band drawn last off the screen (Move, End) and draws it to the point (Begin, Move).
    void UpdateBand(BandAction action, Point point);
    // Has the outline with the corners (x1, y1) and (x2, y2) inverted or restored: the pixels are
    // repainted, and the paint inverts the outline of the band while a drag lasts.
    void DrawBandOutline(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    // Maps the dragged corners to region values and hands them to the application, which lets
    // the user confirm them in the region dialog.
    void SelectRegionFromDrag(Point start, Point end);

    bool IsDragging() const { return m_bDragging; }

    const PixelBuffer& ColorizedImage() const { return m_picture.image; }
    const PixelBuffer& DisplayBitmap() const { return m_picture.bitmap; }
    ImagePlacement Placement() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The colour table of the application's colour settings as they are now.
    ColorTable CurrentColorTable() const;
    // The device pixels of the screen the view is on, 0 when it is on none.
    int64_t ScreenPixels() const;
    // What a bringing up to date changed: the whole client area, or some display bitmap rows.
    struct PictureChanges {
        bool whole = false;
        std::vector<RowRange> bitmapRows;
    };

    void OnPaint(const QRegion& painted);
    void OnSize();
    // Recolours and resamples after the display counter moved or the layout changed.
    PictureChanges UpdateBuffers();
    // Where the changes show, in the widget's own coordinates.
    QRegion AreaOf(const PictureChanges& changes) const;
    // A rectangle of device pixels in the widget's own coordinates, covering it whole.
    QRect LogicalRect(Rect device) const;
    // The bitmap's rows as they go to the screen: top-down and every pixel opaque.
    void PrepareShownRows(RowRange rows);
    // The whole bitmap as it goes to the screen, after the bitmap was reallocated.
    void ShowWholeBitmap();
    void DrawLabel(class QPainter& painter, const ImagePlacement& placement, Size client);
    void InvertBand(class QPainter& painter) const;
    Point DevicePoint(const QMouseEvent* event) const;

    // The band drawn last: from the drag's start to the point it was drawn to; not normalised.
    struct Band {
        Point start;
        Point end;
    };

    CDiagramApp& m_app;
    WindowPicture m_picture;  // the colourised image and the display bitmap
    ColorTable m_colorTable{};
    PixelBuffer m_shownPixels;  // the bitmap top-down and opaque, as it goes to the screen
    QImage m_shownImage;        // shows m_shownPixels
    bool m_bDragging = false;
    Point m_ptDragStart;
    Band m_rcBand;
    bool m_bLayoutChanged = false;
    int32_t m_nDisplaySeen = 0;
    int32_t m_nCalcSeen = 0;                  // the application's calculation the image shows
    std::vector<RowRange> m_storedRowsShown;  // per worker, the stored rows the image shows
    const int32_t m_nMarginX = kViewMargin;
    const int32_t m_nMarginY = kViewMargin;
};
